#pragma once
// The main window alone, showing one refresh of a record at a fixed minute,
// with its elapsed line's toggle wired the way the program wires it. No
// session and no files: the window renders and says what the user asked.
#include <QObject>
#include <QString>

#include "display/refresh.h"
#include "support/records.h"
#include "windows/main_window.h"
#include "windows/widgets.h"

namespace kemless {

struct ShownMainWindow {
    InitialSettings initial = SampleInitial();
    OptionSettings options;
    DisplayState display;
    MainWindow window;

    explicit ShownMainWindow(const OptionSettings& o = {}, CalendarMoment now = {2026, 12, 10, 12, 0},
                             const InitialSettings& in = SampleInitial())
        : initial(in), options(o) {
        window.hideDucks();
        refresh(now);
        window.setValueColors(options.backColor, options.foreColor);
        QObject::connect(&window, &MainWindow::elapsedClicked, &window, [this] {
            ToggleElapsedForm(display);
            window.valueLabel(kElapsedLabel)
                ->setText(QString::fromStdString(display.captions[kElapsedLabel]));
        });
        window.show();
    }
    // The refresh at `now`, rendered.
    void refresh(CalendarMoment now) {
        RefreshDisplay(display, initial, options, now, 50);
        window.render(display);
    }
};

}  // namespace kemless
