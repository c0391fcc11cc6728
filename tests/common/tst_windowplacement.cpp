#include <QtTest>

#include "WindowPlacement.h"

// Where a dialog goes relative to the window it was opened from.
class WindowPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void centredPosition_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("owner");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QPoint>("corner");
        const QRect screen(0, 0, 1600, 1000);
        QTest::newRow("centred on the owner")
            << QSize(400, 300) << QRect(100, 100, 1000, 700) << screen << QPoint(399, 299);
        QTest::newRow("owner at the bottom-left corner, kept on screen")
            << QSize(400, 300) << QRect(-500, 800, 600, 400) << screen << QPoint(0, 700);
        QTest::newRow("owner past the right edge")
            << QSize(400, 300) << QRect(1500, 100, 600, 400) << screen << QPoint(1200, 149);
        QTest::newRow("larger than the screen keeps its top-left on it")
            << QSize(2000, 1200) << QRect(0, 0, 800, 600) << screen << QPoint(0, 0);
        QTest::newRow("second screen to the right")
            << QSize(400, 300) << QRect(1700, 50, 800, 600) << QRect(1600, 0, 1280, 1024)
            << QPoint(1899, 199);
        QTest::newRow("screen not known: centred only")
            << QSize(400, 300) << QRect(-500, 800, 600, 400) << QRect() << QPoint(-400, 849);
    }
    void centredPosition()
    {
        QFETCH(QSize, size);
        QFETCH(QRect, owner);
        QFETCH(QRect, screen);
        QTEST(suite::centredPosition(size, owner, screen), "corner");
    }
};

QTEST_GUILESS_MAIN(WindowPlacementTest)
#include "tst_windowplacement.moc"
