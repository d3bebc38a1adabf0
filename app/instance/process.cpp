#include "instance/process.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "instance/standard_error.h"

namespace kemless {

Process::Process(QString runtimeFolder, QObject* parent)
    : QObject(parent), folder_(std::move(runtimeFolder)) {}

Process::~Process() = default;

bool Process::claimSingleInstance(bool askToShow) {
    if (!instance_) {
        if (folder_.isEmpty()) folder_ = SingleInstance::DefaultFolder();
        if (folder_.isEmpty()) {
            // Better two copies than none: a user whose every folder is
            // unusable for the lock still gets the program.
            SayOnStandardError(
                "二重起動を確かめるための自分専用のフォルダ（XDG_RUNTIME_DIR か "
                "~/.cache/kemless）が使えないため、確かめずに起動します");
            return true;
        }
        instance_ = std::make_unique<SingleInstance>(folder_);
        connect(instance_.get(), &SingleInstance::showRequested, this, &Process::activationRequested);
        connect(instance_.get(), &SingleInstance::windowRequested, this, &Process::windowRequested);
    }
    if (instance_->acquire()) return true;
    answer_ = askToShow ? instance_->askRunningCopyToShow(3000, request_) : RunningCopyAnswer::NoAnswer;
    return false;
}

void Process::answerRequest(RunningCopyAnswer answer) {
    if (instance_) instance_->answerWith(answer);
}

void Process::terminate(int status) {
    std::fflush(stderr);
    std::_Exit(status);
}

void Process::quit() {
    quitRequested_ = true;
    // A message box's own loop runs before the application's: closing it is
    // what lets the start go on to its end.
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    QCoreApplication::quit();
}

}  // namespace kemless
