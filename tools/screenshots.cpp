// Renders the README's pictures of the windows with a fixed clock and sample
// settings, so they can be made again whenever the windows change:
//   build/kemless_screenshots docs
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "desktop/desktop.h"
#include "dialogs/first_run_setup.h"
#include "dialogs/settings_dialog.h"
#include "instance/process.h"
#include "records/clock.h"
#include "session/session.h"
#include "ui_setup.h"
#include "windows/main_window.h"
#include "windows/mini_window.h"

namespace {

class FixedClock : public kemless::Clock {
public:
    kemless::CalendarMoment now() override { return {2026, 12, 10, 21, 30}; }
    int draw() override { return 50; }
};

bool Save(QWidget* w, const QString& path) {
    w->show();
    QApplication::processEvents();
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kemless::SetUpApplication(app);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(out);

    QTemporaryDir dir;
    FixedClock clock;
    kemless::Desktop desktop;
    kemless::SettingsStore store(dir.path().toStdString());
    store.ensureDataFolder();
    kemless::InitialSettings initial;
    initial.quit = {2026, 9, 21, 7, 45};
    initial.cigarettesPerDay = 20;
    initial.packPrice = 580;
    kemless::OptionSettings options;
    options.quitStarted = true;
    options.copyPlusMode = 1;
    if (!store.writeInitial(initial) || !store.writeOption(options)) {
        std::fprintf(stderr, "kemless_screenshots: cannot write the sample record in %s\n",
                     qPrintable(dir.path()));
        return 1;
    }

    kemless::Process process;
    kemless::Session session(clock, desktop, process, dir.path().toStdString());
    session.start();
    bool ok = Save(session.mainWindow(), out + QStringLiteral("/main-window.png"));
    ok &= Save(session.miniWindow(), out + QStringLiteral("/mini-window.png"));
    session.miniWindow()->hide();

    auto* settings = new kemless::SettingsDialog(clock, desktop, session.initial(), session.options());
    ok &= Save(settings, out + QStringLiteral("/settings-dialog.png"));
    settings->hide();

    auto* setup = new kemless::FirstRunSetup(desktop);
    setup->perDayBox()->setText(QStringLiteral("20"));
    setup->priceBox()->setText(QStringLiteral("580"));
    ok &= Save(setup, out + QStringLiteral("/first-run-setup.png"));
    return ok ? 0 : 1;
}
