#include "session/process.h"

#include <QCoreApplication>
#include <cstdlib>

#include "session/single_instance.h"

namespace kemless {

Process::Process(QString runtimeFolder, QObject* parent) : QObject(parent), folder_(std::move(runtimeFolder)) {}

Process::~Process() = default;

bool Process::claimSingleInstance() {
    if (!instance_) {
        if (folder_.isEmpty()) folder_ = SingleInstance::DefaultFolder();
        instance_ = std::make_unique<SingleInstance>(folder_);
        connect(instance_.get(), &SingleInstance::showRequested, this, &Process::activationRequested);
    }
    if (instance_->acquire()) return true;
    instance_->askRunningCopyToShow();
    return false;
}

void Process::terminate() { std::_Exit(0); }

void Process::quit() { QCoreApplication::quit(); }

}  // namespace kemless
