#pragma once
// The first start: the setup's three values, the start ceremony, and on the
// days that have one the seasonal window, each standing in the place of the
// one before; the quit moment is the minute the user started it.
#include <QObject>

#include "records/moment.h"

namespace kemless {

class Clock;
class Desktop;
class DialogWindow;
class RecordKeeper;

class FirstRunFlow : public QObject {
    Q_OBJECT
public:
    FirstRunFlow(Clock& clock, Desktop& desktop, RecordKeeper& keeper, QObject* parent = nullptr);
    // The setup comes up.
    void start();

signals:
    void windowMade(QWidget* window);
    // The quit starts at `quit`, from the window that stands on the screen.
    void quitChosen(kemless::DialogWindow* ceremony, const kemless::CalendarMoment& quit);

private:
    void ceremonyConfirmed(DialogWindow* ceremony);
    // A declined ceremony says what happens next.
    void sayWhenDeclined(DialogWindow* ceremony);

    Clock& clock_;
    Desktop& desktop_;
    RecordKeeper& keeper_;
};

}  // namespace kemless
