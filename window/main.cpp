// Numerlo: the hit table of ten lottery draws, on one window.
#include <QApplication>
#include <QFileInfo>

#include "app_title.h"
#include "quit_on_signal.h"
#include "tform1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.numerlo"));
    numerlo::TForm1 form(
        numerlo::applicationTitle(QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
    numerlo::quitOnTerminationSignals(form);
    form.show();
    return QApplication::exec();
}
