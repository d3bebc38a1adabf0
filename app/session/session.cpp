#include "session/session.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <optional>
#include <utility>

#include "content/about.h"
#include "content/side_windows.h"
#include "desktop/desktop.h"
#include "dialogs/ceremony.h"
#include "dialogs/first_run_setup.h"
#include "dialogs/settings_dialog.h"
#include "display/copy_texts.h"
#include "display/refresh.h"
#include "instance/process.h"
#include "instance/running_copy_words.h"
#include "instance/standard_error.h"
#include "records/clock.h"
#include "windows/widgets.h"

namespace kemless {
namespace {

constexpr int kRefreshIntervalMs = 30000;

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string TitleOf(const QString& name) {
    const SideWindowName* w = SideWindowNamed(name.toStdString());
    return w != nullptr ? w->title : name.toStdString();
}

// Said on the screen and on standard error, so a start from a terminal or a
// log shows it too.
void Tell(Desktop& desktop, QWidget* parent, const std::string& text) {
    SayOnStandardError(text);
    desktop.message(parent, Q(text));
}

}  // namespace

Session::Session(Clock& clock, Desktop& desktop, Process& process, std::string baseFolder,
                 JournalBook* journal, QObject* parent)
    : QObject(parent),
      clock_(clock),
      desktop_(desktop),
      process_(process),
      ownJournal_(journal == nullptr ? std::make_unique<JournalBook>() : nullptr),
      journal_(journal == nullptr ? *ownJournal_ : *journal),
      keeper_(std::move(baseFolder), clock, journal_),
      side_(clock, journal_, keeper_.store(), desktop),
      displays_(desktop, keeper_),
      actions_(desktop),
      firstRun_(clock, desktop, keeper_) {
    // Every window the program makes is followed: it ends when none is left.
    connect(&side_, &SideWindows::windowMade, this, &Session::track);
    connect(&actions_, &DesktopActions::windowMade, this, &Session::track);
    connect(&firstRun_, &FirstRunFlow::windowMade, this, &Session::track);
    connect(&displays_, &DisplayWindows::refreshWanted, this, &Session::refreshDisplay);
    connect(&displays_, &DisplayWindows::loaded, this, &Session::wireDisplayWindow);
    connect(&displays_, &DisplayWindows::unloaded, &refreshTimer_, &QTimer::stop);
    connect(&firstRun_, &FirstRunFlow::quitChosen, this, &Session::completeStart);
    refreshTimer_.setObjectName(QStringLiteral("refreshTimer"));
    refreshTimer_.setInterval(kRefreshIntervalMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &Session::refreshDisplay);
    // A step on the journal that failed is said once it is over: a box
    // opened from inside a refresh would let the next refresh run inside it.
    journal_.setProblemHandler([this](const FileOutcome& why) {
        QTimer::singleShot(0, this, [this, text = JournalNotKeptText(why)] {
            if (!ending_) Tell(desktop_, nullptr, text);
        });
    });
}

Session::~Session() {
    // The windows go with the session, without the end their going would
    // otherwise start.
    for (const QPointer<QWidget>& w : windows_) {
        if (w == nullptr) continue;
        disconnect(w, nullptr, this, nullptr);
        delete w.data();
    }
}

void Session::start() {
    // The program ends by its own rule, when its last window has unloaded:
    // a display window hidden in the notification area is still loaded.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Session::end);
    connect(&process_, &Process::activationRequested, this, &Session::bringForward);
    connect(&process_, &Process::windowRequested, this, &Session::openWindow);

    // Only one copy goes on; a later one has asked the running copy to come
    // forward (or to open the window it was started for), and ends before it
    // has made or written a file (it may name another data folder).
    // A login start (hidden) that finds the user's copy running has nothing
    // to add: no box to click away, nothing brought forward.
    process_.setActivationRequest(startWindow_);
    if (!process_.claimSingleInstance(!startHidden_)) {
        if (startHidden_) process_.terminate(0);
        // Said as the running copy answered: a window asked for (a
        // launcher's action, say) that it opened needs no box.
        const RunningCopyWords words = WordsForAnswer(
            process_.runningCopyAnswer(), startWindow_.isEmpty() ? std::string() : TitleOf(startWindow_));
        words.box ? Tell(desktop_, nullptr, words.text) : SayOnStandardError(words.text);
        process_.terminate(words.exitStatus);
    }
    const StartupState st = keeper_.start(clock_.now());
    // Said once, so nobody types settings that are gone at the next start
    // without a word.
    if (!st.problems.empty())
        Tell(desktop_, nullptr, RecordNotKeptText(st.problems, keeper_.store().dataFolder()));
    if (st.journalProblem) Tell(desktop_, nullptr, JournalNotKeptText(*st.journalProblem));
    // A signal while the message was up ends the program right there.
    if (ending_) return;
    const bool tray = desktop_.trayAvailable();
    const bool known = desktop_.windowPositionsKnown();
    switch (st.first) {
        case FirstWindow::FirstRunSetup:
            firstRun_.start();
            windowAfterSetup_ = startWindow_;
            if (!startWindow_.isEmpty())
                SayOnStandardError("「" + TitleOf(startWindow_) + "」は、卒煙を始めたあとで開きます");
            return;
        case FirstWindow::MiniShown:
            displays_.loadMain();
            displays_.loadMini()->showAtStart(startHidden_, tray, known);
            break;
        case FirstWindow::MainShown:
            displays_.loadMain()->showAtStart(startHidden_, tray, known);
            displays_.loadMini();
            break;
    }
    if (startHidden_) emit startedHidden(!tray && known);
    if (!startWindow_.isEmpty()) openWindow(startWindow_);
}

void Session::end() {
    if (ending_) return;
    ending_ = true;
    displays_.unload(displays_.main());
    // A notice said while the journal could not take it is not said again
    // at the next start: one more try on the way out.
    journal_.flush();
    process_.quit();
}

void Session::track(QWidget* window) {
    windows_.append(window);
    connect(window, &QObject::destroyed, this, [this] {
        // Checked once the event that unloaded it is over: a window that
        // opened the next one in its place was not the last.
        QMetaObject::invokeMethod(this, &Session::endIfNoWindowLeft, Qt::QueuedConnection);
    });
}

void Session::endIfNoWindowLeft() {
    windows_.removeAll(nullptr);
    if (windows_.isEmpty()) end();
}

void Session::bringForward() {
    emit broughtForward();
    // The display window of the current mode; the other one stays hidden.
    if (DisplayWindow* shown = windowOfTheMode()) {
        RemapIfMinimised(shown, desktop_.windowPositionsKnown());
        shown->restoreFromTray();
        return;
    }
    // No display window: the setup, the ceremony or the settings are open.
    process_.answerRequest(openInstead());
    for (auto it = windows_.crbegin(); it != windows_.crend(); ++it) {
        QWidget* w = it->data();
        if (auto* dialog = qobject_cast<DialogWindow*>(w)) w = dialog->inView();
        if (w == nullptr || !w->isVisible()) continue;
        BringToFront(w);
        return;
    }
}

RunningCopyAnswer Session::openInstead() const {
    for (const QPointer<QWidget>& w : windows_) {
        if (qobject_cast<SettingsDialog*>(w)) return RunningCopyAnswer::Settings;
        if (qobject_cast<FirstRunSetup*>(w) || qobject_cast<StartCeremony*>(w) ||
            qobject_cast<SeasonalCeremony*>(w))
            return RunningCopyAnswer::Setup;
    }
    return RunningCopyAnswer::Shown;
}

void Session::refreshDisplay() {
    keeper_.refresh(display_, clock_.now(), clock_.draw());
    if (MainWindow* main = displays_.main()) main->render(display_);
    if (MiniWindow* mini = displays_.mini()) mini->setText(Q(display_.miniText));
    side_.render(display_, keeper_.initial().quit);
    emit refreshed(display_);
}

void Session::openWindow(const QString& name) {
    if (!SideWindows::IsWindowName(name)) return;
    // They show the display's figures: without a display window loaded the
    // window that is open instead comes forward.
    if (!displays_.main()) {
        bringForward();
        // During the setup it is kept for when the quit has started.
        if (openInstead() == RunningCopyAnswer::Setup) {
            windowAfterSetup_ = name;
            process_.answerRequest(RunningCopyAnswer::AfterSetup);
        }
        return;
    }
    side_.open(name);
}

void Session::wireDisplayWindow(DisplayWindow* w) {
    track(w);
    if (auto* main = qobject_cast<MainWindow*>(w)) {
        // From the main window's load on, shown or hidden.
        refreshTimer_.start();
        connect(main, &MainWindow::elapsedClicked, this, [this, main] {
            ToggleElapsedForm(display_);
            main->valueLabel(kElapsedLabel)->setText(Q(display_.captions[kElapsedLabel]));
        });
    }
    connect(w, &DisplayWindow::copySummaryRequested, this,
            [this, w] { actions_.copy(w, SummaryText(display_, keeper_.initial(), keeper_.options())); });
    connect(w, &DisplayWindow::copyShortRequested, this,
            [this, w] { actions_.copy(w, ShortText(display_, keeper_.initial(), keeper_.options())); });
    // The prefix is always added, even to an address that has its own.
    connect(w, &DisplayWindow::openLinkRequested, this,
            [this, w] { actions_.openAddress(w, QStringLiteral("http://") + Q(keeper_.options().linkUrl)); });
    connect(w, &DisplayWindow::versionRequested, this, [this, w] { actions_.showVersion(w); });
    connect(w, &DisplayWindow::helpRequested, &actions_, &DesktopActions::showHelp);
    connect(w, &DisplayWindow::hideRequested, this, [this, w] {
        const bool tray = desktop_.trayAvailable();
        w->hideToTray(tray);
        if (tray) emit hiddenInArea();
    });
    // After the menu has gone: the window unloads on the way.
    connect(
        w, &DisplayWindow::settingsRequested, this,
        [this, from = QPointer<DisplayWindow>(w)] { openSettings(from); }, Qt::QueuedConnection);
    connect(w, &DisplayWindow::closeRequested, this, [this, w] {
        displays_.unload(w);
        side_.closeAll();
    });
    for (auto [signal, side] : {std::pair{&DisplayWindow::cravingRequested, &kCravingWindow},
                                std::pair{&DisplayWindow::recordRequested, &kRecordWindow},
                                std::pair{&DisplayWindow::healthRequested, &kHealthWindow},
                                std::pair{&DisplayWindow::planRequested, &kPlanWindow}})
        connect(w, signal, this, [this, side] { openWindow(QString::fromLatin1(side->name)); });
}

void Session::openSettings(DisplayWindow* from) {
    if (from != nullptr) {
        displays_.placer().learnFrame(from);
        from->hide();
    }
    displays_.unload(from != nullptr ? from : static_cast<DisplayWindow*>(displays_.main()));
    auto* dialog = new SettingsDialog(clock_, desktop_, keeper_.initial(), keeper_.options());
    track(dialog);
    connect(dialog, &SettingsDialog::finished, this,
            [this, dialog](const SettingsResult& result) { settingsFinished(dialog, result); });
    connect(dialog, &SettingsDialog::helpRequested, &actions_, &DesktopActions::showHelp);
    connect(dialog, &SettingsDialog::siteRequested, this,
            [this](QWidget* owner) { actions_.openAddress(owner, QString::fromUtf8(kMakerSiteAddress)); });
    dialog->openAt(displays_.placer(), keeper_.mainCorner());
}

void Session::settingsFinished(SettingsDialog* dialog, const SettingsResult& result) {
    if (result.ending == SettingsResult::Ending::Saved) {
        // The main window opens where the dialog stood.
        const std::optional<Corner> stood = CornerToStore(dialog, desktop_.windowPositionsKnown());
        sayIfNotSaved(dialog, keeper_.takeSaved(result, stood));
    } else {
        keeper_.takeCancelled(result);
    }
    // Closed with its close box, the dialog goes by itself and no display
    // window comes back: with no other window the program ends.
    if (result.ending == SettingsResult::Ending::Closed) return;
    displays_.openByMode();
    dialog->unload();
}

void Session::completeStart(DialogWindow* ceremony, const CalendarMoment& quit) {
    sayIfNotSaved(ceremony,
                  keeper_.startQuit(quit, CornerToStore(ceremony, desktop_.windowPositionsKnown())));
    // What was just written is what is in memory: nothing is read back.
    displays_.loadMain()->show();
    ceremony->unload();
    if (!windowAfterSetup_.isEmpty()) openWindow(std::exchange(windowAfterSetup_, QString()));
}

void Session::sayIfNotSaved(QWidget* parent, const FileOutcome& saved) {
    // The change is in memory for this run and the old files stay whole.
    if (!saved) Tell(desktop_, parent, SaveFailedText(saved, keeper_.store().dataFolder()));
}

}  // namespace kemless
