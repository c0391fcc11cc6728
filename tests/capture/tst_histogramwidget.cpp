// The histogram window: its form, the statistics table for frames with known answers,
// the channel check boxes, the level read-out, and frames from a camera window.
#include <QCheckBox>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <functional>

#include "CameraThread.h"
#include "CaptureCameras.h"
#include "HistogramLogic.h"
#include "histogramWidget.h"

namespace {

QImage filled(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

// A 16-bit grey frame holding bits-deep values v as v << (16 - bits).
QImage deepFrame(int width, int height, int bits, const std::function<int(int x, int y)>& value)
{
    QImage image(width, height, QImage::Format_Grayscale16);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            reinterpret_cast<quint16*>(image.scanLine(y))[x] = quint16(value(x, y) << (16 - bits));
    return image;
}

QStringList xAxisLabels(histogramWidget& w)
{
    QStringList labels;
    for (QGraphicsItem* item : w.findChild<QGraphicsView*>("graphicsView")->scene()->items())
        if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item))
            if (text->pos().y() == 50)  // on the x axis
                labels << text->text();
    std::sort(labels.begin(), labels.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    return labels;
}

QString cell(histogramWidget& w, int row, int column)
{
    return w.findChild<QTableWidget*>("tableWidget")->item(row, column)->text();
}

// Top-level histogram windows currently open.
QList<histogramWidget*> openHistograms()
{
    QList<histogramWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* h = qobject_cast<histogramWidget*>(w))
            found << h;
    return found;
}

}  // namespace

class HistogramWidgetTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void formAsSpecified();
    void tableShowsStatistics_data();
    void tableShowsStatistics();
    void emptyFrameKeepsTheLastOne();
    void uncheckedChannelsAreNotDrawn();
    void levelReadout();
    void deepFramesShowTheCameraLevels_data();
    void deepFramesShowTheCameraLevels();
    void deepCameraIsCountedInItsOwnLevels();
    void cameraWindowOpensOneWindowPerUse();

private:
    QTemporaryDir folder;
};

void HistogramWidgetTest::initTestCase()
{
    QVERIFY(folder.isValid());
    QVERIFY(capturecameras::install(folder));
}

void HistogramWidgetTest::formAsSpecified()
{
    histogramWidget w(0);
    QCOMPARE(w.size(), QSize(785, 440));
    QCOMPARE(w.windowTitle(), QStringLiteral("直方图"));
    QVERIFY(w.testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(!w.testAttribute(Qt::WA_QuitOnClose));
    auto* overlay = w.findChild<QGraphicsView*>("graphicsView_info");
    QVERIFY(overlay && w.findChild<QGraphicsView*>("graphicsView"));
    QCOMPARE(overlay->geometry(), QRect(55, 50, 512, 200));
    QVERIFY(overlay->hasMouseTracking());
    QCOMPARE(overlay->styleSheet(), QStringLiteral("background-color: rgba(255, 255, 0, 5);"));
    QCOMPARE(w.findChild<QGroupBox*>("groupBox")->title(), QStringLiteral("实时数据"));
    auto* spin = w.findChild<QSpinBox*>("spinBox_x");
    QCOMPARE(spin->minimum(), 1);
    QCOMPARE(spin->maximum(), 255);
    for (const char* name : {"label_red", "label_green", "label_blue"})
        QCOMPARE(w.findChild<QLabel*>(name)->text(), QStringLiteral("0"));

    auto* table = w.findChild<QTableWidget*>("tableWidget");
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->columnCount(), 6);
    QStringList headers;
    for (int c = 0; c < 6; ++c)
        headers << table->horizontalHeaderItem(c)->text();
    QCOMPARE(headers, (QStringList{"  ", "通道", "最小值", "最大值", "平均值", "标准差"}));
    QCOMPARE(table->columnWidth(0), 30);
    QCOMPARE(table->columnWidth(3), 113);
    // The channel names are translated: Chinese here, "Red" and so on in English.
    QCOMPARE(cell(w, 0, 1), QStringLiteral("红色"));
    QCOMPARE(cell(w, 2, 1), QStringLiteral("蓝色"));
    QCOMPARE(cell(w, 1, 5), QStringLiteral("0"));
    QCOMPARE(table->item(1, 4)->textAlignment(), int(Qt::AlignCenter));
    QVERIFY(!(table->item(1, 4)->flags() & Qt::ItemIsEditable));
    QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(table->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(w.findChildren<QCheckBox*>().size(), 3);
    for (QCheckBox* box : w.findChildren<QCheckBox*>())
        QVERIFY(box->isChecked());
}

void HistogramWidgetTest::tableShowsStatistics_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QStringList>("red");  // minimum, maximum, mean, deviation
    QTest::addColumn<QStringList>("green");
    QTest::addColumn<QStringList>("blue");
    QTest::newRow("all black") << filled(16, 8, qRgb(0, 0, 0)) << QStringList{"0", "0", "0", "0"}
                               << QStringList{"0", "0", "0", "0"}
                               << QStringList{"0", "0", "0", "0"};
    QTest::newRow("only 255 in red")
        << filled(7, 3, qRgb(255, 0, 12)) << QStringList{"255", "255", "255", "0"}
        << QStringList{"0", "0", "0", "0"} << QStringList{"12", "12", "12", "0"};
    QImage halves = filled(10, 10, qRgb(0, 0, 0));
    for (int y = 0; y < 10; ++y)
        for (int x = 5; x < 10; ++x)
            halves.setPixel(x, y, qRgb(200, 3, 1));
    QTest::newRow("two halves") << halves << QStringList{"0", "200", "100", "100"}
                                << QStringList{"0", "3", "1", "1.5"}
                                << QStringList{"0", "1", "0", "0.5"};
}

void HistogramWidgetTest::tableShowsStatistics()
{
    QFETCH(QImage, image);
    QFETCH(QStringList, red);
    QFETCH(QStringList, green);
    QFETCH(QStringList, blue);
    histogramWidget w(0);
    w.dealtData(image);
    const QStringList expected[3] = {red, green, blue};
    for (int row = 0; row < 3; ++row) {
        QStringList shown;
        for (int column = 2; column < 6; ++column)
            shown << cell(w, row, column);
        QCOMPARE(shown, expected[row]);
    }
}

void HistogramWidgetTest::emptyFrameKeepsTheLastOne()
{
    histogramWidget w(0);
    w.dealtData(filled(4, 4, qRgb(9, 8, 7)));
    w.dealtData(QImage());
    QCOMPARE(cell(w, 0, 2), QStringLiteral("9"));
    QCOMPARE(w.levels().counts[2][7], 16);
}

void HistogramWidgetTest::uncheckedChannelsAreNotDrawn()
{
    histogramWidget w(0);
    w.show();
    w.dealtData(filled(4, 4, qRgb(10, 20, 30)));
    auto* chart = w.findChild<QGraphicsView*>("graphicsView")->scene();
    auto visibleBars = [&]() {
        int n = 0;
        for (QGraphicsItem* item : chart->items())
            if (!dynamic_cast<QGraphicsLineItem*>(item) &&
                !dynamic_cast<QGraphicsSimpleTextItem*>(item) && item->isVisible())
                ++n;
        return n;
    };
    QCOMPARE(visibleBars(), 3);
    const QList<QCheckBox*> boxes = w.findChildren<QCheckBox*>();
    for (QCheckBox* box : boxes)
        box->setChecked(false);
    QCOMPARE(visibleBars(), 0);
    // Axes and labels stay: 2 axes, 5 ticks, 4 + 4 grid marks, 6 x and 4 y labels.
    QCOMPARE(chart->items().size(), 2 + 5 + 8 + 6 + 4 + 3);
    boxes.first()->setChecked(true);
    QCOMPARE(visibleBars(), 1);
}

void HistogramWidgetTest::levelReadout()
{
    histogramWidget w(0);
    QImage image = filled(10, 1, qRgb(0, 0, 0));
    for (int x = 0; x < 4; ++x)
        image.setPixel(x, 0, qRgb(100, 100, 5));
    w.dealtData(image);
    w.findChild<QSpinBox*>("spinBox_x")->setValue(100);
    QTRY_COMPARE(w.findChild<QLabel*>("label_red")->text(), QStringLiteral("4"));
    QCOMPARE(w.findChild<QLabel*>("label_green")->text(), QStringLiteral("4"));
    QCOMPARE(w.findChild<QLabel*>("label_blue")->text(), QStringLiteral("0"));
    w.findChild<QSpinBox*>("spinBox_x")->setValue(5);
    QTRY_COMPARE(w.findChild<QLabel*>("label_blue")->text(), QStringLiteral("4"));
}

void HistogramWidgetTest::deepFramesShowTheCameraLevels_data()
{
    QTest::addColumn<QImage>("frame");
    QTest::addColumn<int>("bits");
    QTest::addColumn<QStringList>("statistics");  // minimum, maximum, mean, deviation
    QTest::addColumn<int>("bar");                 // a bar and its count
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("axis");
    QTest::addColumn<QString>("typed");  // a camera level typed into the read-out, its bar's count
    QTest::addColumn<int>("typedCount");
    // Every 12-bit level once: 16 levels a bar, deviation sqrt((4096² - 1) / 12).
    QTest::newRow("12-bit ramp") << deepFrame(64, 64, 12, [](int x, int y) { return 64 * y + x; })
                                 << 12 << QStringList{"0", "4095", "2047", "1182.41"} << 100
                                 << 16 << QStringList{"0", "800", "1600", "2400", "3200", "4000"}
                                 << QStringLiteral("1607") << 16;
    QTest::newRow("10-bit top level")
        << deepFrame(5, 3, 10, [](int, int) { return 1023; }) << 10
        << QStringList{"1023", "1023", "1023", "0"} << 255 << 15
        << QStringList{"0", "200", "400", "600", "800", "1000"} << QStringLiteral("1023") << 15;
    QTest::newRow("16-bit halves")
        << deepFrame(4, 2, 16, [](int x, int) { return x < 2 ? 1 : 65535; }) << 16
        << QStringList{"1", "65535", "32768", "32767"} << 0 << 4
        << QStringList{"0", "12800", "25600", "38400", "51200", "64000"}
        << QStringLiteral("65535") << 4;
}

void HistogramWidgetTest::deepFramesShowTheCameraLevels()
{
    QFETCH(QImage, frame);
    QFETCH(int, bits);
    QFETCH(QStringList, statistics);
    QFETCH(int, bar);
    QFETCH(int, count);
    QFETCH(QStringList, axis);
    QFETCH(QString, typed);
    QFETCH(int, typedCount);
    histogramWidget w(0);
    w.dealtNativeData(frame, bits);
    for (int row = 0; row < 3; ++row) {
        QStringList shown;
        for (int column = 2; column < 6; ++column)
            shown << cell(w, row, column);
        QCOMPARE(shown, statistics);  // a grey frame: the same in every channel
        QCOMPARE(w.levels().counts[size_t(row)][size_t(bar)], count);
    }
    QCOMPARE(w.levels().pixels, qint64(frame.width()) * frame.height());
    QCOMPARE(xAxisLabels(w), axis);

    // The read-out's level is a camera level too: typed, it selects the bar holding it.
    auto* spin = w.findChild<QSpinBox*>("spinBox_x");
    QCOMPARE(spin->maximum(), (1 << bits) - 1);
    QCOMPARE(spin->singleStep(), 1 << (bits - 8));
    spin->selectAll();
    QTest::keyClicks(spin, typed);
    QTest::keyClick(spin, Qt::Key_Return);
    QTRY_COMPARE(w.findChild<QLabel*>("label_red")->text(), QString::number(typedCount));

    // The same frame's 8-bit image follows and is not counted again; the next frame's is.
    w.dealtData(filled(2, 2, qRgb(7, 7, 7)));
    QCOMPARE(cell(w, 0, 3), statistics[1]);
    w.dealtData(filled(2, 2, qRgb(7, 7, 7)));
    QCOMPARE(cell(w, 0, 3), QStringLiteral("7"));
    QCOMPARE(xAxisLabels(w), (QStringList{"0", "50", "100", "150", "200", "250"}));
    // Back in 8-bit levels, the read-out keeps its bar.
    QCOMPARE(spin->maximum(), 255);
    QCOMPARE(spin->value(), histogramlogic::barOfLevel(typed.toInt(), bits));

    // Frames that are not 16-bit grey, or of no depth the camera can have, change nothing.
    w.dealtNativeData(filled(2, 2, qRgb(1, 1, 1)), bits);
    w.dealtNativeData(frame, 17);
    QCOMPARE(cell(w, 0, 3), QStringLiteral("7"));
}

void HistogramWidgetTest::deepCameraIsCountedInItsOwnLevels()
{
    CameraThread window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    QVERIFY(window.startCamera(QString::fromLatin1(capturecameras::kDeep)));
    QAction* action = nullptr;
    for (QAction* a : window.findChild<QMenu*>()->actions())
        if (a->text() == QStringLiteral("直方图"))
            action = a;
    QVERIFY(action);
    action->trigger();
    QCOMPARE(openHistograms().size(), 1);
    histogramWidget* histogram = openHistograms().first();
    // The simulated scene is bright somewhere: its highest level is above what 8 bits hold.
    QTRY_VERIFY_WITH_TIMEOUT(cell(*histogram, 0, 3).toInt() > 255, 30000);
    QVERIFY(cell(*histogram, 0, 3).toInt() <= 4095);
    QCOMPARE(histogram->levels().pixels, qint64(160 * 120));
    QCOMPARE(xAxisLabels(*histogram).last(), QStringLiteral("4000"));
    window.closeCamera();
    delete histogram;
}

void HistogramWidgetTest::cameraWindowOpensOneWindowPerUse()
{
    CameraThread window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    QVERIFY(window.startCamera(QString::fromLatin1(capturecameras::kSecond)));
    QAction* action = nullptr;
    for (QAction* a : window.findChild<QMenu*>()->actions())
        if (a->text() == QStringLiteral("直方图"))
            action = a;
    QVERIFY(action);
    action->trigger();
    action->trigger();
    QList<histogramWidget*> opened = openHistograms();
    QCOMPARE(opened.size(), 2);
    histogramWidget* first = opened.first();
    QCOMPARE(first->windowTitle(), QString::fromLatin1(capturecameras::kSecondName));
    QCOMPARE(first->cameraHandle(), window.cameraHandle());
    // Frames arrive: every pixel of the 322 × 240 frame is counted once per channel.
    QTRY_VERIFY_WITH_TIMEOUT(opened.last()->levels().pixels == 322 * 240, 30000);
    qint64 red = 0;
    for (int count : opened.last()->levels().counts[0])
        red += count;
    QCOMPARE(red, qint64(322 * 240));

    // Closing one deletes it; the other keeps receiving frames.
    QPointer<histogramWidget> closed(first);
    first->close();
    QTRY_VERIFY(closed.isNull());
    const int frames = window.acquisitionThread()->frameCount();
    QTRY_VERIFY_WITH_TIMEOUT(window.acquisitionThread()->frameCount() > frames + 2, 30000);
    // The camera window closes first: the histogram stays with its last frame.
    window.closeCamera();
    QCOMPARE(openHistograms().size(), 1);
    QCOMPARE(openHistograms().first()->levels().pixels, qint64(322 * 240));
    delete openHistograms().first();

    // Without a camera the window opens and never receives frames.
    action->trigger();
    QCOMPARE(openHistograms().size(), 1);
    QCOMPARE(openHistograms().first()->windowTitle(), QStringLiteral("直方图"));
    QTest::qWait(200);
    QCOMPARE(openHistograms().first()->levels().pixels, qint64(0));
    delete openHistograms().first();
}

QTEST_MAIN(HistogramWidgetTest)
#include "tst_histogramwidget.moc"
