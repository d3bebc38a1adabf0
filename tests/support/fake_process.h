#pragma once
// A process that records how it would end instead of ending, and that can
// be "the second copy".
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
    int terminations = 0;
    int quits = 0;

    bool claimSingleInstance(bool askToShow) override {
        ++claims;
        askedToShow = askToShow;
        return singleInstance;
    }
    [[noreturn]] void terminate() override {
        ++terminations;
        throw Terminated();
    }
    void quit() override { ++quits; }
};

}  // namespace kemless
