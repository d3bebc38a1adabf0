#include "session/session.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QUrl>
#include <QWidget>
#include <cstdio>
#include <optional>

#include "content/about.h"
#include "content/season.h"
#include "desktop/desktop.h"
#include "dialogs/ceremony.h"
#include "dialogs/first_run_setup.h"
#include "dialogs/help_window.h"
#include "dialogs/settings_dialog.h"
#include "display/copy_texts.h"
#include "display/refresh.h"
#include "instance/process.h"
#include "records/clock.h"
#include "recovery/craving.h"
#include "recovery/health_steps.h"
#include "session/journal_attempt_log.h"
#include "windows/tray_icon.h"
#include "windows/widgets.h"

namespace kemless {
namespace {

constexpr int kRefreshIntervalMs = 30000;
const char* const kAlreadyRunning = "プログラムは既に起動されています。";
const char* const kLaunchFailed = "エラーです。フォルダオプションの関連付けなどを確認してください";
const char* const kClipboardFailed = "クリップボードに書き込めませんでした。もう一度お試しください。";

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The windows beside the display by name, with the title a message uses.
struct NamedWindow {
    const char* name;
    const char* title;
};
constexpr NamedWindow kNamedWindows[] = {
    {"craving", "吸いたくなったら"}, {"record", "これまでの記録"}, {"health", "回復のあゆみ"}};

QString TitleOf(const QString& name) {
    for (const NamedWindow& w : kNamedWindows)
        if (name == QLatin1String(w.name)) return QString::fromUtf8(w.title);
    return name;
}

void SayOnStandardError(const QString& line) {
    std::fprintf(stderr, "kemless: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

// Said on the screen and on standard error, so a start from a terminal or a
// log shows it too.
void Tell(Desktop& desktop, QWidget* parent, const std::string& text) {
    std::fprintf(stderr, "kemless: %s\n", text.c_str());
    std::fflush(stderr);
    desktop.message(parent, QString::fromStdString(text));
}

}  // namespace

const char* const Session::kCravingName = kNamedWindows[0].name;
const char* const Session::kRecordName = kNamedWindows[1].name;
const char* const Session::kHealthName = kNamedWindows[2].name;

bool Session::IsWindowName(const QString& name) {
    for (const NamedWindow& w : kNamedWindows)
        if (name == QLatin1String(w.name)) return true;
    return false;
}

Session::Session(Clock& clock, Desktop& desktop, Process& process, std::string baseFolder, QObject* parent)
    : QObject(parent),
      clock_(clock),
      desktop_(desktop),
      process_(process),
      keeper_(std::move(baseFolder), clock) {
    refreshTimer_.setObjectName(QStringLiteral("refreshTimer"));
    refreshTimer_.setInterval(kRefreshIntervalMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &Session::refreshDisplay);
    // Urges, slips and attempts are kept in the journal beside the record.
    keeper_.setAttemptLog(
        std::make_unique<JournalAttemptLog>([this](const JournalDecision& d) { return updateJournal(d); }));
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
        // Asked for a window (a launcher's action, say): the running copy
        // opens it, which is all the answer needed.
        if (!startWindow_.isEmpty() && !startHidden_) {
            SayOnStandardError(
                QStringLiteral("起動中のケムレスに「%1」を開くよう伝えました").arg(TitleOf(startWindow_)));
            process_.terminate();
        }
        if (!startHidden_) Tell(desktop_, nullptr, kAlreadyRunning);
        process_.terminate();
    }
    const StartupState st = keeper_.start(clock_.now());
    // Said once, so nobody types settings that are gone at the next start
    // without a word.
    if (!st.problems.empty())
        Tell(desktop_, nullptr, RecordNotKeptText(st.problems, keeper_.store().dataFolder()));
    // A signal while the message was up ends the program right there.
    if (ending_) return;
    const bool tray = desktop_.trayAvailable();
    const bool known = desktop_.windowPositionsKnown();
    switch (st.first) {
        case FirstWindow::FirstRunSetup:
            showFirstRunSetup();
            if (!startWindow_.isEmpty())
                SayOnStandardError(
                    QStringLiteral("「%1」は、卒煙を始めてから開けます").arg(TitleOf(startWindow_)));
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
    if (startHidden_) {
        waitingForArea_ = !tray && known;
        watchNotificationArea();
    }
    if (!startWindow_.isEmpty()) openWindow(startWindow_);
}

void Session::watchNotificationArea() {
    if (areaWatched_) return;
    areaWatched_ = true;
    // The toolkit learns that an X11 tray has gone from the destruction of
    // its window, which can come a moment after the event that told us (the
    // tray's connection closing): looked at again once that has surely
    // arrived. Both looks follow an event; nothing is asked in between.
    areaSettled_.setSingleShot(true);
    areaSettled_.setInterval(kAreaSettleMs);
    connect(&areaSettled_, &QTimer::timeout, this, &Session::notificationAreaChanged);
    desktop_.watchNotificationArea(this, [this] {
        areaSettled_.start();
        // Looked at once the events of the moment are in.
        if (areaCheckQueued_) return;
        areaCheckQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            areaCheckQueued_ = false;
            notificationAreaChanged();
        });
    });
}

void Session::notificationAreaChanged() {
    if (!desktop_.trayAvailable()) {
        // The area went away: a window hidden in it would be lost.
        for (DisplayWindow* w : {static_cast<DisplayWindow*>(main_), static_cast<DisplayWindow*>(mini_)})
            if (w != nullptr && w->trayIcon()->isShown()) {
                bringForward();
                return;
            }
        return;
    }
    if (!waitingForArea_) return;
    waitingForArea_ = false;
    // Only a window still as the start left it: one the user has opened
    // from the task bar meanwhile stays where it is.
    DisplayWindow* w = windowOfTheMode();
    if (w != nullptr && w->isMinimized()) w->hideToTray(true);
}

void Session::end() {
    if (ending_) return;
    ending_ = true;
    unloadDisplayWindows(main_);
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
    waitingForArea_ = false;
    // The display window of the current mode; the other one stays hidden.
    if (DisplayWindow* shown = windowOfTheMode()) {
        RemapIfMinimised(shown, desktop_.windowPositionsKnown());
        shown->restoreFromTray();
        return;
    }
    // No display window: the setup, the ceremony or the settings are open.
    for (auto it = windows_.crbegin(); it != windows_.crend(); ++it) {
        QWidget* w = it->data();
        if (auto* dialog = qobject_cast<DialogWindow*>(w)) w = dialog->inView();
        if (w == nullptr || !w->isVisible()) continue;
        BringToFront(w);
        return;
    }
}

CalendarMoment Session::now() const { return clock_.now(); }

bool Session::updateJournal(const JournalDecision& decide) {
    RecordKeeper::JournalStep step = keeper_.updateJournal(decide);
    if (step.sayOnce) {
        // After the step: a box opened from inside a refresh would let the
        // next refresh run inside it.
        QTimer::singleShot(0, this, [this, text = JournalNotKeptText(*step.sayOnce)] {
            if (!ending_) Tell(desktop_, nullptr, text);
        });
    }
    return step.kept;
}

void Session::refreshDisplay() {
    const CalendarMoment now = clock_.now();
    keeper_.refresh(display_, now, clock_.draw());
    if (main_) main_->render(display_);
    if (mini_) mini_->setText(Q(display_.miniText));
    renderSideWindows(now);
    emit refreshed(display_);
}

void Session::renderSideWindows(const CalendarMoment& now) {
    if (craving_) craving_->setFigures(WonSoFar(display_));
    if (record_) record_->render(keeper_.recordView(now));
    if (health_) health_->render(ComputeHealthTimeline(keeper_.initial().quit, now));
}

void Session::openWindow(const QString& name) {
    if (!IsWindowName(name)) return;
    // They show the display's figures: without a display window loaded the
    // window that is open instead comes forward.
    if (!main_) {
        bringForward();
        return;
    }
    SideWindow* w = nullptr;
    if (name == QLatin1String(kCravingName)) {
        if (!craving_) {
            craving_ = new CravingWindow;
            connect(craving_, &CravingWindow::urgePassed, this, [this] { answerCraving(true); });
            connect(craving_, &CravingWindow::slipped, this, [this] { answerCraving(false); });
            connect(craving_, &CravingWindow::recordRequested, this,
                    [this] { openWindow(QString::fromLatin1(kRecordName)); });
        } else if (craving_->isOver()) {
            // A new urge: the finished helper counts it from the start.
            craving_->startAfresh();
        }
        w = craving_;
    } else if (name == QLatin1String(kRecordName)) {
        if (!record_) {
            record_ = new RecordWindow;
            connect(record_, &RecordWindow::cravingRequested, this,
                    [this] { openWindow(QString::fromLatin1(kCravingName)); });
        }
        w = record_;
    } else {
        if (!health_) health_ = new HealthWindow;
        w = health_;
    }
    if (!windows_.contains(w)) {
        track(w);
        // Closed, it goes (later): the next request makes a fresh one.
        connect(w, &DialogWindow::closed, this, [this, w] {
            if (craving_ == w) craving_ = nullptr;
            if (record_ == w) record_ = nullptr;
            if (health_ == w) health_ = nullptr;
        });
    }
    renderSideWindows(clock_.now());
    BringToFront(w);
}

void Session::answerCraving(bool passed) {
    const CalendarMoment now = clock_.now();
    const bool kept = passed ? keeper_.noteUrgePassed(now) : keeper_.noteSlip(now);
    if (craving_) {
        QString words = QString::fromUtf8(passed ? kUrgePassedWords : kSlipWords);
        if (!kept) words += QLatin1Char('\n') + QString::fromUtf8(kNotKeptWords);
        craving_->showOutcome(words);
    }
    if (record_) record_->render(keeper_.recordView(now));
}

void Session::closeSideWindows() {
    for (QWidget* w :
         {static_cast<QWidget*>(craving_), static_cast<QWidget*>(record_), static_cast<QWidget*>(health_)})
        if (w != nullptr) w->close();
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
        if (tray) watchNotificationArea();
    });
    // After the menu has gone: the window unloads on the way.
    connect(
        w, &DisplayWindow::settingsRequested, this,
        [this, from = QPointer<DisplayWindow>(w)] { openSettings(from); }, Qt::QueuedConnection);
    connect(w, &DisplayWindow::closeRequested, this, [this, w] {
        unloadDisplayWindows(w);
        closeSideWindows();
    });
    connect(w, &DisplayWindow::cravingRequested, this,
            [this] { openWindow(QString::fromLatin1(kCravingName)); });
    connect(w, &DisplayWindow::recordRequested, this,
            [this] { openWindow(QString::fromLatin1(kRecordName)); });
    connect(w, &DisplayWindow::healthRequested, this,
            [this] { openWindow(QString::fromLatin1(kHealthName)); });
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
    if (!desktop_.setClipboardText(Q(text))) {
        desktop_.message(owner, QString::fromUtf8(kClipboardFailed));
        return;
    }
    if (auto* window = qobject_cast<DisplayWindow*>(owner)) window->sayCopied();
}

void Session::openAddress(QWidget* owner, const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    QPointer<QWidget> guard(owner);
    auto answer = [this, guard](bool ok) {
        if (!ok) desktop_.message(guard, QString::fromUtf8(kLaunchFailed));
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
                sayWhenDeclined(ceremony);
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
    sayWhenDeclined(seasonal);
    StandInPlaceOf(seasonal, ceremony);
    seasonal->show();
    ceremony->unload();
}

void Session::sayWhenDeclined(DialogWindow* ceremony) {
    // Said before the window goes, and the program with it.
    connect(ceremony, &DialogWindow::closed, this, [this, ceremony] {
        desktop_.information(ceremony, QStringLiteral("卒煙の開始"),
                             QString::fromUtf8(kCeremonyDeclinedWords));
    });
}

void Session::completeStart(DialogWindow* ceremony, const CalendarMoment& quit) {
    sayIfNotSaved(ceremony,
                  keeper_.startQuit(quit, CornerToStore(ceremony, desktop_.windowPositionsKnown())));
    // What was just written is what is in memory: nothing is read back.
    loadMainWindow()->show();
    ceremony->unload();
}

void Session::sayIfNotSaved(QWidget* parent, const FileOutcome& saved) {
    // The change is in memory for this run and the old files stay whole.
    if (!saved) Tell(desktop_, parent, SaveFailedText(saved, keeper_.store().dataFolder()));
}

}  // namespace kemless
