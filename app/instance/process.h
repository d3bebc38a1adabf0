#pragma once
// The process around the windows: one running copy per user, and ending.
// Tests replace it, so a test can be "the second copy" or see the end.
#include <QObject>
#include <QString>
#include <memory>

#include "instance/single_instance.h"

namespace kemless {

class Process : public QObject {
    Q_OBJECT
public:
    // Lock and socket in `runtimeFolder` (see SingleInstance::DefaultFolder).
    explicit Process(QString runtimeFolder = QString(), QObject* parent = nullptr);
    ~Process() override;

    // What a later start asks the running copy for: its display window
    // (empty, the default) or the window of that name.
    void setActivationRequest(const QString& window) { request_ = window; }
    // True when this is the only running copy (per user). Otherwise the
    // running copy has just been asked for what setActivationRequest named,
    // unless `askToShow` is false (a login start that finds a copy running
    // leaves it as it is).
    virtual bool claimSingleInstance(bool askToShow = true);
    // What the running copy answered the last claim's request (NoAnswer
    // when it was not asked).
    virtual RunningCopyAnswer runningCopyAnswer() const { return answer_; }
    // Tells a later start, while its request is being acted on, what this
    // copy did instead of what it asked (Shown when it did as asked).
    virtual void answerRequest(RunningCopyAnswer answer);
    // Ends at once with `status`: no window's unload runs, no file is written.
    [[noreturn]] virtual void terminate(int status = 0);
    // Ends the event loop: every window has unloaded. Also before the loop
    // runs (a signal while a start-up message is up): the message closes and
    // quitRequested() tells the start not to go on.
    virtual void quit();
    bool quitRequested() const { return quitRequested_; }

signals:
    // A later start asked this copy to show itself.
    void activationRequested();
    // A later start asked this copy to open the window of this name.
    void windowRequested(const QString& window);

private:
    QString folder_;
    QString request_;
    RunningCopyAnswer answer_ = RunningCopyAnswer::NoAnswer;
    bool quitRequested_ = false;
    std::unique_ptr<SingleInstance> instance_;
};

}  // namespace kemless
