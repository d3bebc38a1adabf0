#include "session/session.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

#include "basics/text.h"
#include "desktop/clock.h"
#include "desktop/desktop.h"
#include "desktop/twips.h"
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

const char* const kAlreadyRunning = "プログラムは既に起動されています。";
const char* const kLaunchFailed = "エラーです。フォルダオプションの関連付けなどを確認してください";
const char* const kClipboardFailed = "クリップボードに書き込めませんでした。もう一度お試しください。";

QString Q(const std::string& s) { return QString::fromStdString(s); }

// What the desktop draws around a window (title bar, borders).
QMargins FrameOf(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

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
        unloadDisplayWindows();
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
        case FirstWindow::FirstRunSetup:
            showFirstRunSetup();
            break;
        case FirstWindow::MiniShown:
            loadMainWindow();
            if (MiniWindow* mini = loadMiniWindow()) showAtStart(mini);
            break;
        case FirstWindow::MainShown:
            if (MainWindow* main = loadMainWindow()) showAtStart(main);
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
    unloadDisplayWindows();
    ending_ = true;
    process_.quit();
}

void Session::unloadDisplayWindows() {
    // Either unload takes the other window with it.
    if (main_) unloadMainWindow();
    else unloadMiniWindow();
}

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

void Session::updateProgress() {
    RefreshDisplay(display_, initial_, options_, clock_.now(), clock_.draw());
    if (main_) main_->render(display_);
    if (mini_) mini_->setText(Q(display_.miniText));
    emit refreshed();
}

void Session::toggleElapsed() {
    ToggleElapsedForm(display_);
    if (main_) main_->valueLabel(kElapsedLabel)->setText(Q(display_.captions[kElapsedLabel]));
}

std::pair<int32_t, int32_t> Session::ScreenTwips(const QWidget* window) {
    QScreen* screen = window != nullptr && window->screen() != nullptr ? window->screen()
                                                                       : QGuiApplication::primaryScreen();
    if (screen == nullptr) return {1024 * kTwipsPerPixel, 768 * kTwipsPerPixel};
    const QRect g = screen->geometry();
    return {g.width() * kTwipsPerPixel, g.height() * kTwipsPerPixel};
}

Corner Session::CornerOf(const QWidget* window) {
    return {RoundTwips(window->x() * double(kTwipsPerPixel)), RoundTwips(window->y() * double(kTwipsPerPixel))};
}

void Session::storeCorner(const QWidget* window, int32_t& left, int32_t& top) {
    // Where the desktop keeps positions to itself, what is stored stays: a
    // position the program never learnt must not replace a real one.
    if (!desktop_.windowPositionsKnown()) return;
    const Corner c = CornerOf(window);
    left = c.left;
    top = c.top;
}

void Session::place(QWidget* window, int32_t& left, int32_t& top, Margins margins) {
    const auto [width, height] = ScreenTwips(window);
    const Corner c = PlaceWindow({left, top}, width, height, margins);
    left = c.left;
    top = c.top;
    window->move(Px(left), Px(top));
}

void Session::learnFrameMargins(const QWidget* window) {
    if (window->isVisible()) frameMargins_ = FrameOf(window);
}

void Session::placeAtMainCorner(QWidget* dialog) {
    // The dialog (and the notice in its place) stands where the main window
    // stood, but wholly on the screen: moved left and up only as far as
    // needed. Before the desktop frames it, the frame is that of the window
    // it replaces; once framed it is checked again with its own.
    const QPoint wanted(Px(options_.mainLeft), Px(options_.mainTop));
    auto fit = [dialog, wanted](QMargins frame) {
        QScreen* screen = QGuiApplication::screenAt(wanted);
        if (screen == nullptr) screen = QGuiApplication::primaryScreen();
        if (screen == nullptr) return;
        const QRect area = screen->availableGeometry();
        const QSize outer = dialog->size().grownBy(frame);
        const Corner c = KeepInside({wanted.x(), wanted.y()}, outer.width(), outer.height(),
                                    {area.x(), area.y(), area.width(), area.height()});
        if (dialog->pos() != QPoint(c.left, c.top)) dialog->move(c.left, c.top);
    };
    dialog->adjustSize();
    fit(frameMargins_);
    QTimer::singleShot(250, dialog, [dialog, fit] { fit(FrameOf(dialog)); });
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
    updateProgress();
    place(w, options_.mainLeft, options_.mainTop, kMainWindowMargins);
    w->setValueColors(options_.backColor, options_.foreColor);
    wireDisplayWindow(w);
    connect(w, &MainWindow::tick, this, &Session::updateProgress);
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
    place(w, options_.miniLeft, options_.miniTop, kMiniWindowMargins);
    w->setColors(options_.backColor, options_.foreColor);
    wireDisplayWindow(w);
    connect(w, &DisplayWindow::settingsRequested, this, &Session::showSettingsDialogFromMini,
            Qt::QueuedConnection);
    connect(w, &DisplayWindow::switchSizeRequested, this, &Session::switchToStandard);
    connect(w, &DisplayWindow::closeRequested, this, &Session::unloadMiniWindow);
    updateProgress();
    return w;
}

// Closing either display window closes both; option.ini is written by each,
// the second time with both positions current. The main window deletes its
// icon after writing, the mini window before.
void Session::unloadMainWindow() {
    if (!main_ || unloadingMain_) return;
    unloadingMain_ = true;
    MainWindow* w = main_;
    storePlaceAndWrite(w, options_.mainLeft, options_.mainTop);
    w->trayIcon()->remove();
    unloadMiniWindow();
    Discard(w);
    main_ = nullptr;
    unloadingMain_ = false;
}

void Session::unloadMiniWindow() {
    if (!mini_ || unloadingMini_) return;
    unloadingMini_ = true;
    MiniWindow* w = mini_;
    w->trayIcon()->remove();
    storePlaceAndWrite(w, options_.miniLeft, options_.miniTop);
    unloadMainWindow();
    Discard(w);
    mini_ = nullptr;
    unloadingMini_ = false;
}

void Session::storePlaceAndWrite(QWidget* window, int32_t& left, int32_t& top) {
    // The position of the restored window, never the minimised one.
    window->setWindowState(window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    storeCorner(window, left, top);
    // Deliberately silent: a window position is not worth a message box on
    // the way out, and a record that cannot be kept was named at start.
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
        learnFrameMargins(main_);
        main_->hide();
    }
    unloadMainWindow();
    openSettingsDialog();
}

void Session::showSettingsDialogFromMini() {
    if (mini_) {
        learnFrameMargins(mini_);
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
        // they came with is kept. Deliberately silent: the user saves again.
        initial_ = taken;
        (void)store_.writeInitial(initial_);
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
    placeAtMainCorner(dialog);
    dialog->show();
}

void Session::settingsSaved(DialogWindow* dialog, const InitialSettings& initial, const OptionSettings& options) {
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
    placeAtMainCorner(notice);
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
    MainWindow* main = loadMainWindow();
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
    desktop_.message(owner, QStringLiteral("ケムレス\r\nバージョン　%1\r\n\r\n卒煙を応援するデスクトップアプリ\r\n%2")
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
