#pragma once
// A process that records how it would end instead of ending, and that can
// be "the second copy".
#include <QList>
#include <stdexcept>

#include "instance/process.h"

namespace kemless {

// Thrown by terminate() so a test can see that the process would end.
struct Terminated : std::runtime_error {
    Terminated() : std::runtime_error("terminated") {}
};

class FakeProcess : public Process {
public:
    bool singleInstance = true;
    int claims = 0;
    bool askedToShow = false;  // by the last claim
    // What the running copy answers a claim that asked it.
    RunningCopyAnswer answer = RunningCopyAnswer::Shown;
    int terminations = 0;
    int exitStatus = -1;                // of the last termination
    QList<RunningCopyAnswer> answered;  // what this copy told later starts
    int quits = 0;

    bool claimSingleInstance(bool askToShow) override {
        ++claims;
        askedToShow = askToShow;
        return singleInstance;
    }
    void answerRequest(RunningCopyAnswer a) override { answered.append(a); }
    RunningCopyAnswer runningCopyAnswer() const override {
        return askedToShow ? answer : RunningCopyAnswer::NoAnswer;
    }
    [[noreturn]] void terminate(int status = 0) override {
        ++terminations;
        exitStatus = status;
        throw Terminated();
    }
    void quit() override { ++quits; }
};

}  // namespace kemless
