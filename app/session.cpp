#include "app/session.h"

#include <QGuiApplication>
#include <QScreen>
#include <QUrl>
#include <QWidget>

#include "app/clock.h"
#include "app/core/startup.h"
#include "app/desktop.h"
#include "dialogs/first_run_setup.h"
#include "dialogs/help_window.h"
#include "dialogs/settings_dialog.h"
#include "windows/core/copy_texts.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"
#include "windows/tray_icon.h"
#include "windows/twips.h"
#include "windows/widgets.h"

namespace kemless {
namespace {

const char* const kAlreadyRunning = "プログラムは既に起動されています。";
const char* const kLaunchFailed = "エラーです。フォルダオプションの関連付けなどを確認してください";
const char* const kClipboardFailed = "クリップボードに書き込めませんでした。もう一度お試しください。";

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

Session::Session(Clock& clock, Desktop& desktop, std::string baseFolder, QObject* parent)
    : QObject(parent), clock_(clock), desktop_(desktop), store_(std::move(baseFolder)) {
    initial_ = DefaultInitialSettings(clock_.now());
}

Session::~Session() {
    delete form1_.data();
    delete form7_.data();
    delete help_.data();
}

void Session::start() {
    const StartupState st = RunStartupFileSteps(store_, clock_.now());
    initial_ = st.initial;
    options_ = st.options;
    switch (st.first) {
        case FirstWindow::FirstRunSetup:
            showFirstRunSetup();
            break;
        case FirstWindow::MiniShown:
            loadMainWindow();
            if (MiniWindow* mini = loadMiniWindow()) mini->show();
            break;
        case FirstWindow::MainShown:
            if (MainWindow* main = loadMainWindow()) main->show();
            loadMiniWindow();
            break;
    }
}

void Session::ensureSingleInstance() {
    if (desktop_.acquireSingleInstance()) return;
    desktop_.message(nullptr, QString::fromUtf8(kAlreadyRunning));
    desktop_.terminate();
}

void Session::updateProgress() {
    UpdateProgress(display_, initial_, options_, clock_.now(), clock_.draw());
    if (form1_) form1_->render(display_);
    if (form7_) form7_->setText(Q(display_.miniText));
}

void Session::toggleElapsed() {
    ToggleElapsedForm(display_);
    if (form1_) form1_->valueLabel(kElapsedLabel)->setText(Q(display_.captions[kElapsedLabel]));
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

void Session::place(QWidget* window, int32_t& left, int32_t& top, Margins margins) {
    const auto [width, height] = ScreenTwips(window);
    const Corner c = PlaceWindow({left, top}, width, height, margins);
    left = c.left;
    top = c.top;
    window->move(Px(left), Px(top));
}

MainWindow* Session::loadMainWindow(bool readFiles) {
    if (form1_) return form1_;
    ensureSingleInstance();
    if (readFiles) {
        // A file that cannot be read leaves the values already in memory.
        if (auto s = store_.readInitial()) initial_ = *s;
        if (auto s = store_.readOption()) options_ = *s;
    }
    auto* w = new MainWindow;
    form1_ = w;
    w->hideDucks();
    updateProgress();
    place(w, options_.mainLeft, options_.mainTop, kMainWindowMargins);
    w->setValueColors(options_.backColor, options_.foreColor);
    mainTray_ = new TrayIcon(w);
    connectMainWindow(w);
    return w;
}

MiniWindow* Session::loadMiniWindow() {
    if (form7_) return form7_;
    auto* w = new MiniWindow;
    form7_ = w;
    place(w, options_.miniLeft, options_.miniTop, kMiniWindowMargins);
    w->setColors(options_.backColor, options_.foreColor);
    miniTray_ = new TrayIcon(w);
    connectMiniWindow(w);
    updateProgress();
    return w;
}

void Session::connectMainWindow(MainWindow* w) {
    connect(w, &MainWindow::tick, this, &Session::updateProgress);
    connect(w, &MainWindow::elapsedClicked, this, &Session::toggleElapsed);
    connect(w, &MainWindow::copySummaryRequested, this, [this, w] { copySummary(w); });
    connect(w, &MainWindow::copyShortRequested, this, [this, w] { copyShort(w); });
    connect(w, &MainWindow::openLinkRequested, this, [this, w] { openLinkPage(w); });
    connect(w, &MainWindow::settingsRequested, this, &Session::showSettingsDialogFromMain, Qt::QueuedConnection);
    connect(w, &MainWindow::versionRequested, this, [this, w] { showVersion(w); });
    connect(w, &MainWindow::miniRequested, this, &Session::switchToMini);
    connect(w, &MainWindow::helpRequested, this, &Session::showHelp);
    // Closing the window (not just unloading it) lets the program end when it
    // was the last one shown.
    connect(w, &MainWindow::exitRequested, w, &QWidget::close, Qt::QueuedConnection);
    connect(w, &MainWindow::closeRequested, this, &Session::unloadMainWindow);
    connect(w, &MainWindow::hideRequested, this, [this, w] { hideToTray(w); });
    connect(mainTray_, &TrayIcon::restoreRequested, this, [this, w] { restoreFromTray(w); });
}

void Session::connectMiniWindow(MiniWindow* w) {
    connect(w, &MiniWindow::copySummaryRequested, this, [this, w] { copySummary(w); });
    connect(w, &MiniWindow::copyShortRequested, this, [this, w] { copyShort(w); });
    connect(w, &MiniWindow::openLinkRequested, this, [this, w] { openLinkPage(w); });
    connect(w, &MiniWindow::helpRequested, this, &Session::showHelp);
    connect(w, &MiniWindow::settingsRequested, this, &Session::showSettingsDialogFromMini, Qt::QueuedConnection);
    connect(w, &MiniWindow::versionRequested, this, [this, w] { showVersion(w); });
    connect(w, &MiniWindow::standardRequested, this, &Session::switchToStandard);
    connect(w, &MiniWindow::exitRequested, w, &QWidget::close, Qt::QueuedConnection);
    connect(w, &MiniWindow::closeRequested, this, &Session::unloadMiniWindow);
    connect(w, &MiniWindow::hideRequested, this, [this, w] { hideToTray(w); });
    connect(miniTray_, &TrayIcon::restoreRequested, this, [this, w] { restoreFromTray(w); });
}

// Closing either display window closes both; option.ini is written by each,
// the second time with both positions current.
void Session::unloadMainWindow() {
    if (!form1_ || unloadingMain_) return;
    unloadingMain_ = true;
    MainWindow* w = form1_;
    // The position of the restored window, never the minimised one.
    w->setWindowState(w->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    const Corner c = CornerOf(w);
    options_.mainLeft = c.left;
    options_.mainTop = c.top;
    store_.writeOption(options_);
    if (mainTray_) mainTray_->remove();
    unloadMiniWindow();
    w->hide();
    w->deleteLater();
    form1_ = nullptr;
    unloadingMain_ = false;
}

void Session::unloadMiniWindow() {
    if (!form7_ || unloadingMini_) return;
    unloadingMini_ = true;
    MiniWindow* w = form7_;
    if (miniTray_) miniTray_->remove();
    w->setWindowState(w->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    const Corner c = CornerOf(w);
    options_.miniLeft = c.left;
    options_.miniTop = c.top;
    store_.writeOption(options_);
    unloadMainWindow();
    w->hide();
    w->deleteLater();
    form7_ = nullptr;
    unloadingMini_ = false;
}

void Session::showSettingsDialogFromMain() {
    if (form1_) form1_->hide();
    unloadMainWindow();
    openSettingsDialog();
}

void Session::showSettingsDialogFromMini() {
    if (form7_) {
        const Corner c = CornerOf(form7_);
        options_.miniLeft = c.left;
        options_.miniTop = c.top;
        form7_->hide();
    }
    unloadMiniWindow();
    openSettingsDialog();
}

void Session::openSettingsDialog() {
    auto* dialog = new SettingsDialog(*this);
    dialog->show();
}

void Session::openDisplayWindowByMode() {
    if (options_.windowMode == 1) {
        // The mini window reads no file: what is in memory stays in effect.
        loadMainWindow(false);
        if (MiniWindow* mini = loadMiniWindow()) mini->show();
    } else if (MainWindow* main = loadMainWindow()) {
        main->show();
    }
}

void Session::switchToMini() {
    if (!form1_) return;
    const bool firstOpening = options_.windowMode == 2;
    MiniWindow* mini = loadMiniWindow();
    if (firstOpening) mini->move(form1_->pos());
    options_.windowMode = 1;
    form1_->hide();
    mini->show();
}

void Session::switchToStandard() {
    options_.windowMode = 0;
    MainWindow* main = loadMainWindow();
    main->show();
    if (form7_) form7_->hide();
}

TrayIcon* Session::trayOf(QWidget* window) const {
    if (window == form1_.data()) return mainTray_;
    if (window == form7_.data()) return miniTray_;
    return nullptr;
}

void Session::hideToTray(QWidget* window) {
    TrayIcon* tray = trayOf(window);
    // Without a notification area the window is minimised instead: hiding it
    // there would leave the user no way to bring it back.
    if (tray == nullptr || !desktop_.trayAvailable()) {
        window->showMinimized();
        return;
    }
    window->hide();
    tray->add();
}

void Session::restoreFromTray(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
    if (TrayIcon* tray = trayOf(window)) tray->remove();
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
    if (!url.isValid() || url.host().isEmpty() || !desktop_.openUrl(url))
        desktop_.message(owner, QString::fromUtf8(kLaunchFailed));
}

void Session::showHelp() {
    if (!help_) help_ = new HelpWindow;
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void Session::showVersion(QWidget* owner) {
    desktop_.message(owner, QStringLiteral("ケムレス\r\nバージョン　１．２０\r\n\r\n卒煙を応援するデスクトップアプリ\r\nhttp://%1")
                                .arg(QString::fromUtf8(kDefaultLinkUrl)));
}

void Session::showFirstRunSetup() {
    ensureSingleInstance();
    auto* setup = new FirstRunSetup(*this);
    setup->show();
}

}  // namespace kemless
