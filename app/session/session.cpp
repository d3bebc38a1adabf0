#include "session/session.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QUrl>
#include <QWidget>
#include <optional>
#include <utility>

#include "content/about.h"
#include "content/season.h"
#include "content/side_windows.h"
#include "desktop/desktop.h"
#include "dialogs/ceremony.h"
#include "dialogs/first_run_setup.h"
#include "dialogs/help_window.h"
#include "dialogs/settings_dialog.h"
#include "display/copy_texts.h"
#include "display/refresh.h"
#include "instance/process.h"
#include "instance/running_copy_words.h"
#include "instance/standard_error.h"
#include "records/clock.h"
#include "windows/tray_icon.h"
#include "windows/widgets.h"

namespace kemless {
namespace {

constexpr int kRefreshIntervalMs = 30000;
const char* const kClipboardFailed = "クリップボードに書き込めませんでした。もう一度お試しください。";

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString TitleOf(const QString& name) {
    const SideWindowName* w = SideWindowNamed(name.toStdString());
    return w != nullptr ? QString::fromUtf8(w->title) : name;
}

// Said on the screen and on standard error, so a start from a terminal or a
// log shows it too.
void Tell(Desktop& desktop, QWidget* parent, const std::string& text) {
    SayOnStandardError(text);
    desktop.message(parent, QString::fromStdString(text));
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
      side_(clock, journal_) {
    connect(&side_, &SideWindows::windowMade, this, &Session::track);
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
        // Said as the running copy answered: a window asked for (a
        // launcher's action, say) that it opened needs no box.
        if (startHidden_) process_.terminate(0);
        const RunningCopyWords words =
            WordsForAnswer(process_.runningCopyAnswer(),
                           startWindow_.isEmpty() ? std::string() : TitleOf(startWindow_).toStdString());
        if (words.box)
            Tell(desktop_, nullptr, words.text);
        else
            SayOnStandardError(words.text);
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
            showFirstRunSetup();
            windowAfterSetup_ = startWindow_;
            if (!startWindow_.isEmpty())
                SayOnStandardError("「" + TitleOf(startWindow_).toStdString() +
                                   "」は、卒煙を始めたあとで開きます");
            return;
        case FirstWindow::MiniShown:
            loadMainWindow();
            loadMiniWindow()->showAtStart(startHidden_, tray, known);
            break;
        case FirstWindow::MainShown:
            loadMainWindow()->showAtStart(startHidden_, tray, known);
            loadMiniWindow();
            break;
    }
    if (startHidden_) emit startedHidden(!tray && known);
    if (!startWindow_.isEmpty()) openWindow(startWindow_);
}

void Session::end() {
    if (ending_) return;
    ending_ = true;
    unloadDisplayWindows(main_);
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

DisplayWindow* Session::windowOfTheMode() const {
    if (keeper_.options().windowMode == WindowMode::Mini && mini_) return mini_;
    return main_;
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

CalendarMoment Session::now() const { return clock_.now(); }

void Session::refreshDisplay() {
    keeper_.refresh(display_, clock_.now(), clock_.draw());
    if (main_) main_->render(display_);
    if (mini_) mini_->setText(Q(display_.miniText));
    side_.render(display_, keeper_.initial().quit);
    emit refreshed(display_);
}

void Session::openWindow(const QString& name) {
    if (!SideWindows::IsWindowName(name)) return;
    // They show the display's figures: without a display window loaded the
    // window that is open instead comes forward.
    if (!main_) {
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

void Session::toggleElapsed() {
    ToggleElapsedForm(display_);
    if (main_) main_->valueLabel(kElapsedLabel)->setText(Q(display_.captions[kElapsedLabel]));
}

void Session::wireDisplayWindow(DisplayWindow* w) {
    track(w);
    connect(w, &DisplayWindow::copySummaryRequested, this,
            [this, w] { copy(w, SummaryText(display_, keeper_.initial(), keeper_.options())); });
    connect(w, &DisplayWindow::copyShortRequested, this,
            [this, w] { copy(w, ShortText(display_, keeper_.initial(), keeper_.options())); });
    // The prefix is always added, even to an address that has its own.
    connect(w, &DisplayWindow::openLinkRequested, this,
            [this, w] { openAddress(w, QStringLiteral("http://") + Q(keeper_.options().linkUrl)); });
    connect(w, &DisplayWindow::versionRequested, this, [this, w] { showVersion(w); });
    connect(w, &DisplayWindow::helpRequested, this, &Session::showHelp);
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
        unloadDisplayWindows(w);
        side_.closeAll();
    });
    connect(w, &DisplayWindow::cravingRequested, this,
            [this] { openWindow(QString::fromLatin1(kCravingWindow.name)); });
    connect(w, &DisplayWindow::recordRequested, this,
            [this] { openWindow(QString::fromLatin1(kRecordWindow.name)); });
    connect(w, &DisplayWindow::healthRequested, this,
            [this] { openWindow(QString::fromLatin1(kHealthWindow.name)); });
}

MainWindow* Session::loadMainWindow() {
    if (main_) return main_;
    auto* w = new MainWindow;
    main_ = w;
    w->hideDucks();
    refreshDisplay();
    keeper_.storeMainCorner(placer_.placeDisplayWindow(w, keeper_.mainCorner(), kMainWindowMargins));
    w->setValueColors(keeper_.options().backColor, keeper_.options().foreColor);
    wireDisplayWindow(w);
    // From the main window's load on, shown or hidden.
    refreshTimer_.start();
    connect(w, &MainWindow::elapsedClicked, this, &Session::toggleElapsed);
    connect(w, &DisplayWindow::switchSizeRequested, this, &Session::switchToMini);
    return w;
}

MiniWindow* Session::loadMiniWindow() {
    if (mini_) return mini_;
    auto* w = new MiniWindow;
    mini_ = w;
    keeper_.storeMiniCorner(placer_.placeDisplayWindow(w, keeper_.miniCorner(), kMiniWindowMargins));
    w->setColors(keeper_.options().backColor, keeper_.options().foreColor);
    wireDisplayWindow(w);
    connect(w, &DisplayWindow::switchSizeRequested, this, &Session::switchToStandard);
    refreshDisplay();
    return w;
}

void Session::openDisplayWindowByMode() {
    // The records in memory are what the files hold, or newer where a save
    // failed: nothing is read back.
    if (keeper_.options().windowMode == WindowMode::Mini) {
        loadMainWindow();
        loadMiniWindow()->show();
    } else {
        loadMainWindow()->show();
    }
}

void Session::unloadDisplayWindows(DisplayWindow* first) {
    if (!main_ && !mini_) return;
    refreshTimer_.stop();
    const bool known = desktop_.windowPositionsKnown();
    DisplayWindow* second = first == main_ ? static_cast<DisplayWindow*>(mini_) : main_;
    for (DisplayWindow* w : {first, second}) {
        if (w == nullptr) continue;
        const std::optional<Corner> corner = CornerToStore(w, known);
        if (w == main_)
            keeper_.storeMainCorner(corner);
        else
            keeper_.storeMiniCorner(corner);
        w->trayIcon()->remove();
    }
    // Once, with both corners current.
    keeper_.writePositions();
    for (DisplayWindow* w : {first, second}) {
        if (w == nullptr) continue;
        w->hide();
        w->deleteLater();
    }
    main_ = nullptr;
    mini_ = nullptr;
}

void Session::switchToMini() {
    if (!main_) return;
    const bool firstOpening = keeper_.options().windowMode == WindowMode::MainMiniNeverOpened;
    MiniWindow* mini = loadMiniWindow();
    if (firstOpening) StandInPlaceOf(mini, main_);
    keeper_.setWindowMode(WindowMode::Mini);
    main_->hide();
    mini->show();
}

void Session::switchToStandard() {
    keeper_.setWindowMode(WindowMode::Main);
    // Loaded already: the mini window never runs without it.
    loadMainWindow()->show();
    if (mini_) mini_->hide();
}

void Session::copy(QWidget* owner, const std::string& text) {
    if (!desktop_.setClipboardText(Q(text))) desktop_.message(owner, QString::fromUtf8(kClipboardFailed));
}

void Session::openAddress(QWidget* owner, const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    QPointer<QWidget> guard(owner);
    auto answer = [this, guard, address](bool ok) {
        if (!ok) desktop_.message(guard, Q(PageNotOpenedText(address.toStdString())));
    };
    // "http://" alone names no page: nothing could open it.
    if (!url.isValid() || url.host().isEmpty()) {
        answer(false);
        return;
    }
    desktop_.openUrl(url, this, answer);
}

void Session::showHelp() {
    if (!help_) {
        help_ = new HelpWindow;
        track(help_);
    }
    BringToFront(help_);
}

void Session::showVersion(QWidget* owner) {
    desktop_.information(owner, QStringLiteral("バージョン情報"), Q(VersionBoxText(KEMLESS_VERSION)));
}

void Session::openSettings(DisplayWindow* from) {
    if (from != nullptr) {
        placer_.learnFrame(from);
        from->hide();
    }
    unloadDisplayWindows(from != nullptr ? from : static_cast<DisplayWindow*>(main_));
    auto* dialog = new SettingsDialog(clock_, desktop_, keeper_.initial(), keeper_.options());
    track(dialog);
    connect(dialog, &SettingsDialog::finished, this,
            [this, dialog](const SettingsResult& result) { settingsFinished(dialog, result); });
    connect(dialog, &SettingsDialog::helpRequested, this, &Session::showHelp);
    connect(dialog, &SettingsDialog::siteRequested, this,
            [this](QWidget* owner) { openAddress(owner, QString::fromUtf8(kMakerSiteAddress)); });
    dialog->openAt(placer_, keeper_.mainCorner());
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
    openDisplayWindowByMode();
    dialog->unload();
}

void Session::showFirstRunSetup() {
    auto* setup = new FirstRunSetup(desktop_);
    track(setup);
    connect(setup, &FirstRunSetup::confirmed, this,
            [this, setup](int32_t perDay, int32_t price, int32_t size) {
                keeper_.takeSetup(perDay, price, size);
                auto* ceremony = new StartCeremony;
                track(ceremony);
                connect(ceremony, &StartCeremony::startRequested, this,
                        [this, ceremony] { startQuit(ceremony); });
                StandInPlaceOf(ceremony, setup);
                ceremony->show();
                setup->unload();
            });
    setup->show();
}

void Session::startQuit(DialogWindow* ceremony) {
    const CalendarMoment now = clock_.now();
    const std::optional<SeasonalGreeting> greeting = SeasonalGreetingFor(now.month, now.day);
    if (!greeting) {
        completeStart(ceremony, now);
        return;
    }
    // The seasonal window completes the start with the minute of this click.
    auto* seasonal = new SeasonalCeremony(&*greeting);
    track(seasonal);
    connect(seasonal, &SeasonalCeremony::confirmed, this,
            [this, seasonal, now] { completeStart(seasonal, now); });
    StandInPlaceOf(seasonal, ceremony);
    seasonal->show();
    ceremony->unload();
}

void Session::completeStart(DialogWindow* ceremony, const CalendarMoment& quit) {
    sayIfNotSaved(ceremony,
                  keeper_.startQuit(quit, CornerToStore(ceremony, desktop_.windowPositionsKnown())));
    // What was just written is what is in memory: nothing is read back.
    loadMainWindow()->show();
    ceremony->unload();
    if (!windowAfterSetup_.isEmpty()) openWindow(std::exchange(windowAfterSetup_, QString()));
}

void Session::sayIfNotSaved(QWidget* parent, const FileOutcome& saved) {
    // The change is in memory for this run and the old files stay whole.
    if (!saved) Tell(desktop_, parent, SaveFailedText(saved, keeper_.store().dataFolder()));
}

}  // namespace kemless
