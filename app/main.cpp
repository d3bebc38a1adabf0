// ケムレス: a desktop companion for someone who has just quit smoking.
#include <QApplication>

#include "app/clock.h"
#include "app/core/settings_store.h"
#include "app/desktop.h"
#include "app/session.h"
#include "app/ui_setup.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kemless::SetUpApplication(app);

    kemless::Clock clock;
    kemless::Desktop desktop;
    // The data folder lives in the working directory, captured once here.
    kemless::Session session(clock, desktop, kemless::CurrentWorkingDirectory());
    session.start();
    return app.exec();
}
