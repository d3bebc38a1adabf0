#pragma once
// What a screen reader is told about the windows beyond what Qt says by
// itself, found by trying the windows with Orca 43 on Qt 6.4:
// - Qt 6.4 reports a changed name or description to AT-SPI with the object
//   in place of the new text, so Orca cannot speak either change. A change
//   of value it does act on: it reads the focused object again. A control
//   whose spoken name changes therefore carries a value that counts its
//   changes, and SetSpokenName moves it on with every new name.
// - Qt's text box interface answers "no attributes from here to here" for
//   every character, and Orca, joining those runs, drops the last character
//   of a box. Text boxes get an interface that says the whole text is one run.
// - A closed list to choose from says its chosen item, and a change of it
//   with the arrow keys, only as a text with a caret.
// - A dialog is introduced by its description: Orca reads it after the
//   dialog's name when the dialog comes up.
#include <QString>

class QWidget;

namespace kemless {

// The interfaces below for every window of the program, the colour
// chooser's text boxes included. Each helper installs them too, so a window
// made without the program around it (in a test) gets them as well.
void InstallAccessibility();

enum class WindowKind { Window, Dialog };
// What `window` is, for a screen reader: its name (what the window is, not
// its caption) and, for a dialog, what it says when it comes up.
void DescribeWindow(QWidget* window, WindowKind kind, const QString& name, const QString& intro = {});

// A control the keyboard can rest on whose spoken name changes (a value
// line, the lungs): `role` is what it is (QAccessible::StaticText,
// QAccessible::Graphic). A new name is heard at once while it has the
// keyboard.
void MakeSpoken(QWidget* control, int role);
void SetSpokenName(QWidget* control, const QString& name);
// How often the spoken name changed: the value a screen reader sees.
int SpokenRevision(const QWidget* control);

// Silent for a screen reader: a decoration, or a text that another control
// already says (a heading read with its value).
void MarkDecorative(QWidget* widget);

// Said at once by a screen reader, wherever the keyboard is: what just
// happened (the window went to the notification area, a copy was made, the
// five minutes are over). Qt 6.4 has no announcement of its own; Orca says
// a notification as it shows, and one in a status bar by its text alone, so
// `window` gets an unseen status bar whose notification shows anew with
// every announcement. Nothing appears on the screen.
void Announce(QWidget* window, const QString& text);
// The desktop asks for less motion: GNOME's animations are off
// (org.gnome.desktop.interface enable-animations), or KDE's interface
// effects as Qt sees them. Asked once a run.
bool DesktopAsksForLessMotion();

// What `window` announced last, empty if nothing.
QString LastAnnouncement(const QWidget* window);

}  // namespace kemless
