#pragma once
class QApplication;

namespace kemless {

// Name, Japanese font and Qt's own Japanese translations, so standard
// buttons and dialogs (colour chooser, message boxes) speak Japanese.
void SetUpApplication(QApplication& app);

}  // namespace kemless
