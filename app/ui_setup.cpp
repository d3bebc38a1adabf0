#include "ui_setup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

#include "desktop/accessibility.h"
#include "desktop/artwork.h"
#include "desktop/desktop.h"
#include "desktop/focus_ring.h"
#include "instance/standard_error.h"

namespace kemless {

void SetUpApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("kemless"));
    // No display name: Qt would append it to every caption, and each window
    // has its own fixed caption.
    QApplication::setApplicationVersion(QStringLiteral(KEMLESS_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("kemless"));
    // Every window shows the application's icon unless it sets its own, and
    // none does.
    QApplication::setWindowIcon(artwork::ProgramIcon());
    // Every control that takes the keyboard shows it with a clear ring, in
    // the dialogs as much as in the main window; and a screen reader is told
    // what Qt alone would not tell it, from the first window on.
    ShowFocusRings();
    InstallAccessibility();

    // The windows are designed for a 9 point Japanese Gothic face: the first
    // of these that is installed. Only installed names are handed to Qt: each
    // missing one costs a font-configuration search at the first text, a
    // good part of the whole start.
    const QStringList gothic = {QStringLiteral("ＭＳ ゴシック"),    QStringLiteral("MS Gothic"),
                                QStringLiteral("IPAGothic"),        QStringLiteral("IPAゴシック"),
                                QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL Gothic")};
    const QStringList installed = QFontDatabase::families();
    QStringList families;
    for (const QString& name : gothic)
        if (installed.contains(name, Qt::CaseInsensitive)) families << name;
    QFont font(families.value(0, gothic.first()), 9);
    font.setFamilies(families.isEmpty() ? gothic : families);
    font.setStyleHint(QFont::TypeWriter);
    QApplication::setFont(font);

    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

QString NoJapaneseFontMessage() {
    return QStringLiteral(
        "No font for Japanese text is installed, so every text of ケムレス shows as empty boxes.\n"
        "Install one, for example:  sudo apt install fonts-ipafont-gothic  (or fonts-noto-cjk)\n"
        "\n"
        "日本語のフォントがインストールされていないため、文字が表示されません。\n"
        "fonts-ipafont-gothic か fonts-noto-cjk をインストールしてください。");
}

void WarnIfNoJapaneseFont(const QStringList& japaneseFamilies, Desktop& desktop) {
    if (!japaneseFamilies.isEmpty()) return;
    const QString text = NoJapaneseFontMessage();
    SayOnStandardError(text.toStdString());
    desktop.message(nullptr, text);
}

}  // namespace kemless
