// Numerlo: the hit table of ten lottery draws, on one window.
#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app_title.h"
#include "quit_on_signal.h"
#include "tform1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.numerlo"));
    // The file dialogs and message box buttons in the desktop's language,
    // where Qt's translations are installed (qt6-translations-l10n).
    QTranslator qtTexts;
    if (qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&qtTexts);
    }
    numerlo::TForm1 form(
        numerlo::applicationTitle(QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
    numerlo::quitOnTerminationSignals(form);
    form.show();
    return QApplication::exec();
}
