#include "app/ui_setup.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "windows/artwork.h"

namespace kemless {

void SetUpApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("kemless"));
    // No display name: Qt would append it to every caption, and each window
    // has its own fixed caption.
    QApplication::setApplicationVersion(QStringLiteral("1.20"));
    QApplication::setDesktopFileName(QStringLiteral("kemless"));
    QApplication::setWindowIcon(artwork::ProgramIcon());

    // The windows are designed for a 9 point Japanese Gothic face; the first
    // installed one of these is used.
    QFont font(QStringLiteral("ＭＳ ゴシック"), 9);
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"),
                      QStringLiteral("IPAゴシック"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("VL Gothic")});
    font.setStyleHint(QFont::TypeWriter);
    QApplication::setFont(font);

    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

}  // namespace kemless
