#pragma once
#include <QStringList>

class QApplication;

namespace kemless {

class Desktop;

// Name, Japanese font and Qt's own Japanese translations, so standard
// buttons and dialogs (colour chooser, message boxes) speak Japanese.
void SetUpApplication(QApplication& app);

// Every text is Japanese: without a font that covers it the windows are rows
// of empty boxes. Says so on standard error and once in a message box, in
// English and Japanese, with the package to install. `japaneseFamilies` is
// what the font database lists for Japanese.
void WarnIfNoJapaneseFont(const QStringList& japaneseFamilies, Desktop& desktop);
QString NoJapaneseFontMessage();

}  // namespace kemless
