// The program as it starts: its title.
#include <QTest>

#include "app_title.h"

class AppTest : public QObject {
    Q_OBJECT

  private slots:
    void titleIsTheProgramFileStem() {
        using numerlo::applicationTitle;
        QCOMPARE(applicationTitle(QStringLiteral("numerlo")), QStringLiteral("numerlo"));
        QCOMPARE(applicationTitle(QStringLiteral("NUMERLO.EXE")), QStringLiteral("Numerlo"));
        QCOMPARE(applicationTitle(QStringLiteral("my.tool.bin")), QStringLiteral("my"));
    }
};

QTEST_APPLESS_MAIN(AppTest)
#include "app_test.moc"
