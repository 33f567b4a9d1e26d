// Numerlo: the hit table of ten lottery draws, on one window.
#include <QApplication>
#include <QFileInfo>

#include "app_title.h"
#include "tform1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    numerlo::TForm1 form(
        numerlo::applicationTitle(QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
    form.show();
    return QApplication::exec();
}
