#include "session/session.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

#include "basics/text.h"
#include "desktop/clock.h"
#include "desktop/desktop.h"
#include "dialogs/ceremony.h"
#include "dialogs/first_run_setup.h"
#include "dialogs/help_window.h"
#include "dialogs/notice_window.h"
#include "dialogs/settings_dialog.h"
#include "display/copy_texts.h"
#include "display/refresh.h"
#include "forms/season.h"
#include "records/startup.h"
#include "session/process.h"
#include "windows/tray_icon.h"
#include "windows/widgets.h"

namespace kemless {
namespace {

constexpr int kRefreshIntervalMs = 30000;
const char* const kAlreadyRunning = "プログラムは既に起動されています。";
const char* const kLaunchFailed = "エラーです。フォルダオプションの関連付けなどを確認してください";
const char* const kClipboardFailed = "クリップボードに書き込めませんでした。もう一度お試しください。";

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Said on the screen and on standard error, so a start from a terminal or a
// log shows it too.
void Tell(Desktop& desktop, QWidget* parent, const std::string& text) {
    std::fprintf(stderr, "kemless: %s\n", text.c_str());
    std::fflush(stderr);
    desktop.message(parent, QString::fromStdString(text));
}

}  // namespace

Session::Session(Clock& clock, Desktop& desktop, Process& process, std::string baseFolder, QObject* parent)
    : QObject(parent), clock_(clock), desktop_(desktop), process_(process), store_(std::move(baseFolder)) {
    initial_ = DefaultInitialSettings(clock_.now());
    refreshTimer_.setObjectName(QStringLiteral("refreshTimer"));
    refreshTimer_.setInterval(kRefreshIntervalMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &Session::refreshDisplay);
}

Session::~Session() {
    ending_ = true;
    for (const QPointer<QWidget>& w : windows_) delete w.data();
}

void Session::start() {
    // The program ends by its own rule, when its last window has unloaded:
    // a display window hidden in the notification area is still loaded.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        ending_ = true;
        unloadDisplayWindows(main_);
    });
    connect(&process_, &Process::activationRequested, this, &Session::bringForward);

    const StartupState st = RunStartupFileSteps(store_, clock_.now());
    initial_ = st.initial;
    options_ = st.options;
    // Only one copy goes on from here; a later one has made missing files at
    // most, and ends at once.
    ensureSingleInstance();
    // Said once, so nobody types settings that are gone at the next start
    // without a word.
    if (const std::vector<FileOutcome> problems = store_.keepingProblems(); !problems.empty())
        Tell(desktop_, nullptr, RecordNotKeptText(problems, store_.dataFolder()));
    // A signal while the message was up ends the program right there.
    if (ending_) return;
    switch (st.first) {
        case FirstWindow::FirstRunSetup: showFirstRunSetup(); break;
        case FirstWindow::MiniShown:
            loadMainWindow(true);
            if (MiniWindow* mini = loadMiniWindow()) showAtStart(mini);
            break;
        case FirstWindow::MainShown:
            if (MainWindow* main = loadMainWindow(true)) showAtStart(main);
            loadMiniWindow();
            break;
    }
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
    if (windows_.isEmpty() && !ending_) {
        ending_ = true;
        process_.quit();
    }
}

void Session::end() {
    unloadDisplayWindows(main_);
    ending_ = true;
    process_.quit();
}

void Session::unloadMainWindow() { unloadDisplayWindows(main_); }
void Session::unloadMiniWindow() { unloadDisplayWindows(mini_); }

void Session::ensureSingleInstance() {
    if (process_.claimSingleInstance()) return;
    desktop_.message(nullptr, QString::fromUtf8(kAlreadyRunning));
    process_.terminate();
}

void Session::bringForward() {
    // The display window of the current mode; the other one stays hidden.
    DisplayWindow* shown = main_.data();
    if (options_.windowMode == 1 && mini_) shown = mini_.data();
    if (shown != nullptr) {
        remapIfMinimised(shown);
        shown->restoreFromTray();
        return;
    }
    // No display window: the setup, the ceremony or the settings are open.
    for (auto it = windows_.crbegin(); it != windows_.crend(); ++it) {
        QWidget* w = it->data();
        if (w == nullptr || !w->isVisible()) continue;
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->raise();
        w->activateWindow();
        return;
    }
}

void Session::refreshDisplay() {
    RefreshDisplay(display_, initial_, options_, clock_.now(), clock_.draw());
    if (main_) main_->render(display_);
    if (mini_) mini_->setText(Q(display_.miniText));
    emit refreshed();
}

void Session::toggleElapsed() {
    ToggleElapsedForm(display_);
    if (main_) main_->valueLabel(kElapsedLabel)->setText(Q(display_.captions[kElapsedLabel]));
}

void Session::storeCorner(const QWidget* window, int32_t& left, int32_t& top) {
    // Where the desktop keeps positions to itself, what is stored stays: a
    // position the program never learnt must not replace a real one.
    if (!desktop_.windowPositionsKnown()) return;
    const Corner c = WindowPlacer::CornerOf(window);
    left = c.left;
    top = c.top;
}

void Session::wireDisplayWindow(DisplayWindow* w) {
    track(w);
    connect(w, &DisplayWindow::copySummaryRequested, this, [this, w] { copySummary(w); });
    connect(w, &DisplayWindow::copyShortRequested, this, [this, w] { copyShort(w); });
    connect(w, &DisplayWindow::openLinkRequested, this, [this, w] { openLinkPage(w); });
    connect(w, &DisplayWindow::versionRequested, this, [this, w] { showVersion(w); });
    connect(w, &DisplayWindow::helpRequested, this, &Session::showHelp);
    connect(w, &DisplayWindow::hideRequested, this, [this, w] { w->hideToTray(desktop_.trayAvailable()); });
}

MainWindow* Session::loadMainWindow(bool readFiles) {
    if (main_) return main_;
    if (readFiles) {
        // A file that cannot be read leaves the values already in memory.
        if (auto s = store_.readInitial()) initial_ = *s;
        if (auto s = store_.readOption()) options_ = *s;
    }
    auto* w = new MainWindow;
    main_ = w;
    w->hideDucks();
    refreshDisplay();
    placer_.placeDisplayWindow(w, options_.mainLeft, options_.mainTop, kMainWindowMargins);
    w->setValueColors(options_.backColor, options_.foreColor);
    wireDisplayWindow(w);
    // From the main window's load on, shown or hidden.
    refreshTimer_.start();
    connect(w, &MainWindow::elapsedClicked, this, &Session::toggleElapsed);
    connect(w, &DisplayWindow::settingsRequested, this, &Session::showSettingsDialogFromMain,
            Qt::QueuedConnection);
    connect(w, &DisplayWindow::switchSizeRequested, this, &Session::switchToMini);
    connect(w, &DisplayWindow::closeRequested, this, &Session::unloadMainWindow);
    return w;
}

MiniWindow* Session::loadMiniWindow() {
    if (mini_) return mini_;
    auto* w = new MiniWindow;
    mini_ = w;
    placer_.placeDisplayWindow(w, options_.miniLeft, options_.miniTop, kMiniWindowMargins);
    w->setColors(options_.backColor, options_.foreColor);
    wireDisplayWindow(w);
    connect(w, &DisplayWindow::settingsRequested, this, &Session::showSettingsDialogFromMini,
            Qt::QueuedConnection);
    connect(w, &DisplayWindow::switchSizeRequested, this, &Session::switchToStandard);
    connect(w, &DisplayWindow::closeRequested, this, &Session::unloadMiniWindow);
    refreshDisplay();
    return w;
}

void Session::unloadDisplayWindows(DisplayWindow* first) {
    if (!main_ && !mini_) return;
    refreshTimer_.stop();
    DisplayWindow* second = first == main_ ? static_cast<DisplayWindow*>(mini_) : main_;
    for (DisplayWindow* w : {first, second})
        if (w != nullptr) unloadDisplayWindow(w);
    for (DisplayWindow* w : {first, second})
        if (w != nullptr) Discard(w);
    main_ = nullptr;
    mini_ = nullptr;
}

void Session::unloadDisplayWindow(DisplayWindow* w) {
    // The main window takes its icon away after writing, the mini window
    // before.
    if (w == main_) {
        storePlaceAndWrite(w, options_.mainLeft, options_.mainTop);
        w->trayIcon()->remove();
    } else {
        w->trayIcon()->remove();
        storePlaceAndWrite(w, options_.miniLeft, options_.miniTop);
    }
}

void Session::storePlaceAndWrite(QWidget* window, int32_t& left, int32_t& top) {
    // The position of the restored window, never the minimised one.
    window->setWindowState(window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    storeCorner(window, left, top);
    writeQuietly(SettingsStore::File::Option);
}

void Session::writeQuietly(SettingsStore::File file) {
    // The one place where a failed write goes unsaid, on purpose: the window
    // positions written on the way out (not worth a message box, and a
    // record that cannot be kept was named at start), and the quit profile
    // of a save refused for its options (the user saves again, and a failure
    // of that save is said). Every other save goes through saveRecord.
    if (file == SettingsStore::File::Initial)
        (void)store_.writeInitial(initial_);
    else
        (void)store_.writeOption(options_);
}

bool Session::saveRecord(QWidget* parent) {
    // Both files, even when the first fails: each is whole on its own.
    const FileOutcome initial = store_.writeInitial(initial_);
    const FileOutcome option = store_.writeOption(options_);
    if (initial && option) return true;
    // Said once, whichever failed: the change is in memory for this run and
    // the old files stay whole.
    Tell(desktop_, parent, SaveFailedText(!initial ? initial : option, store_.dataFolder()));
    return false;
}

void Session::Discard(QWidget* window) {
    window->hide();
    window->deleteLater();
}

void Session::showSettingsDialogFromMain() {
    if (main_) {
        placer_.learnFrame(main_);
        main_->hide();
    }
    unloadMainWindow();
    openSettingsDialog();
}

void Session::showSettingsDialogFromMini() {
    if (mini_) {
        placer_.learnFrame(mini_);
        storeCorner(mini_, options_.miniLeft, options_.miniTop);
        mini_->hide();
    }
    unloadMiniWindow();
    openSettingsDialog();
}

void Session::openSettingsDialog() {
    // Back from the notice, the dialog goes on with what it held.
    const InitialSettings& initial = editing_ ? editing_->first : initial_;
    const OptionSettings& options = editing_ ? editing_->second : options_;
    auto* dialog = new SettingsDialog(clock_, desktop_, initial, options);
    editing_.reset();
    track(dialog);
    connect(dialog, &SettingsDialog::profileTaken, this, [this](const InitialSettings& taken) {
        // The options were refused and the dialog stays open; the profile
        // they came with is kept.
        initial_ = taken;
        writeQuietly(SettingsStore::File::Initial);
    });
    connect(dialog, &SettingsDialog::saved, this,
            [this, dialog](const InitialSettings& initial, const OptionSettings& options) {
                settingsSaved(dialog, initial, options);
            });
    connect(dialog, &SettingsDialog::cancelled, this,
            [this, dialog](const InitialSettings& initial, const OptionSettings& options) {
                settingsCancelled(dialog, initial, options);
            });
    connect(dialog, &SettingsDialog::noticeRequested, this, [this, dialog] {
        editing_.emplace(dialog->editedInitial(), dialog->editedOptions());
        openNotice();
        dialog->unload();
    });
    connect(dialog, &SettingsDialog::helpRequested, this, &Session::showHelp);
    placer_.placeAtCorner(dialog, options_.mainLeft, options_.mainTop);
    dialog->show();
}

void Session::settingsSaved(DialogWindow* dialog, const InitialSettings& initial,
                            const OptionSettings& options) {
    initial_ = initial;
    options_ = options;
    // The main window opens where the dialog stood.
    storeCorner(dialog, options_.mainLeft, options_.mainTop);
    store_.ensureDataFolder();
    saveRecord(dialog);
    // What was just written is what is in memory: nothing is read back.
    openDisplayWindowByMode();
    dialog->unload();
}

void Session::settingsCancelled(DialogWindow* dialog, const InitialSettings& edited,
                                const OptionSettings& editedOptions) {
    // What Cancel keeps. The mini window comes back on the records in memory
    // (it reads no file), so everything the dialog changed stays in effect
    // for this run and reaches option.ini with the next write: colour picks,
    // and what a save refused for its options had taken. The main window
    // comes back on what the files hold, read again, so only what was
    // written survives: the quit profile of such a refused save.
    if (options_.windowMode == 1) {
        initial_ = edited;
        options_ = editedOptions;
        openDisplayWindowByMode();
    } else if (MainWindow* main = loadMainWindow(true)) {
        main->show();
    }
    dialog->unload();
}

void Session::openNotice() {
    auto* notice = new NoticeWindow;
    track(notice);
    connect(notice, &NoticeWindow::openSiteRequested, this,
            [this, notice] { openAddress(notice, QString::fromUtf8(kMakerSiteAddress)); });
    // Closing always brings the settings back, also after a failed launch.
    connect(notice, &DialogWindow::closed, this, &Session::openSettingsDialog);
    placer_.placeAtCorner(notice, options_.mainLeft, options_.mainTop);
    notice->show();
}

void Session::openDisplayWindowByMode() {
    // The records in memory are what the files hold, or newer where a save
    // failed: nothing is read back.
    if (options_.windowMode == 1) {
        loadMainWindow(false);
        if (MiniWindow* mini = loadMiniWindow()) mini->show();
    } else if (MainWindow* main = loadMainWindow(false)) {
        main->show();
    }
}

void Session::switchToMini() {
    if (!main_) return;
    const bool firstOpening = options_.windowMode == 2;
    MiniWindow* mini = loadMiniWindow();
    if (firstOpening) mini->move(main_->pos());
    options_.windowMode = 1;
    main_->hide();
    mini->show();
}

void Session::switchToStandard() {
    options_.windowMode = 0;
    // Loaded already: the mini window never runs without it.
    MainWindow* main = loadMainWindow(false);
    main->show();
    if (mini_) mini_->hide();
}

void Session::copy(QWidget* owner, const std::string& text) {
    if (!desktop_.setClipboardText(Q(text))) desktop_.message(owner, QString::fromUtf8(kClipboardFailed));
}

void Session::copySummary(QWidget* owner) { copy(owner, SummaryText(display_, initial_, options_)); }
void Session::copyShort(QWidget* owner) { copy(owner, ShortText(display_, initial_, options_)); }

void Session::openLinkPage(QWidget* owner) {
    // The prefix is always added, even to an address that has its own.
    openAddress(owner, QStringLiteral("http://") + Q(options_.linkUrl));
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
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void Session::showVersion(QWidget* owner) {
    desktop_.information(
        owner, QStringLiteral("バージョン情報"),
        QStringLiteral("ケムレス\r\nバージョン　%1\r\n\r\n卒煙を応援するデスクトップアプリ\r\n%2")
            .arg(Q(ToFullWidth(KEMLESS_VERSION)), QString::fromUtf8(kMakerSiteAddress)));
}

void Session::showFirstRunSetup() {
    auto* setup = new FirstRunSetup(desktop_, initial_);
    track(setup);
    connect(setup, &FirstRunSetup::confirmed, this, [this, setup] {
        auto* ceremony = new StartCeremony;
        track(ceremony);
        connect(ceremony, &StartCeremony::startRequested, this, [this, ceremony] { startQuit(ceremony); });
        ceremony->move(setup->pos());
        ceremony->show();
        setup->unload();
    });
    setup->show();
}

void Session::startQuit(DialogWindow* ceremony) {
    const CalendarMoment now = clock_.now();
    initial_.quit = now;
    const std::optional<SeasonalGreeting> greeting = SeasonalGreetingFor(now.month, now.day);
    if (!greeting) {
        completeStart(ceremony);
        return;
    }
    // The seasonal window completes the start with the minute of this click.
    auto* seasonal = new SeasonalCeremony(&*greeting);
    track(seasonal);
    connect(seasonal, &SeasonalCeremony::confirmed, this, [this, seasonal] { completeStart(seasonal); });
    seasonal->move(ceremony->pos());
    seasonal->show();
    ceremony->unload();
}

void Session::completeStart(DialogWindow* ceremony) {
    options_.quitStarted = 1;
    storeCorner(ceremony, options_.mainLeft, options_.mainTop);
    saveRecord(ceremony);
    // What was just written is what is in memory: nothing is read back.
    if (MainWindow* main = loadMainWindow(false)) main->show();
    ceremony->unload();
}

void Session::showAtStart(DisplayWindow* window) {
    if (!startHidden_) {
        window->show();
        return;
    }
    if (desktop_.trayAvailable()) {
        window->hideToTray(true);
    } else if (desktop_.windowPositionsKnown()) {
        // X11 without a notification area: minimised, back from the task bar.
        window->showMinimized();
    } else {
        // Native Wayland without one: minimised could not be undone from here
        // (no task bar entry is promised either), so the window stays in view.
        window->show();
    }
}

void Session::remapIfMinimised(DisplayWindow* window) {
    if (desktop_.windowPositionsKnown() || !window->isMinimized()) return;
    window->hide();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
}

}  // namespace kemless
