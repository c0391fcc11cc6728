// The measurement and focus tools through a camera window on simulated cameras: reached from
// the title bar's menu, read-out under the cursor, region and line drawn with the mouse and
// kept on their pixels under zoom and panning, live numbers, marks, and nothing done while
// every tool is off.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGraphicsView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "CameraThread.h"
#include "CustomGraphicsScene.h"
#include "MeasureTools.h"
#include "MeasureWorker.h"
#include "ModalDialogWatcher.h"
#include "ProfilePlot.h"

namespace {

constexpr int kDeadlineMs = 30000;
const char kColour[] = "TOOLSCOLOUR650";
const char kMono[] = "TOOLSMONO322";
const char kDeep[] = "TOOLSDEEP12";

using Tool = MeasureTools::Tool;

bool installCameras(QTemporaryDir& folder)
{
    const QString path = folder.filePath(QStringLiteral("cameras.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // 650 × 3 bytes a row: not a multiple of 4.
    file.write(R"({"cameras": [
  {"identifier": "TOOLSCOLOUR650", "sensorWidth": 650, "sensorHeight": 480, "color": true,
   "maxFramesPerSecond": 30},
  {"identifier": "TOOLSMONO322", "sensorWidth": 322, "sensorHeight": 240, "color": false,
   "maxFramesPerSecond": 30},
  {"identifier": "TOOLSDEEP12", "sensorWidth": 322, "sensorHeight": 240, "color": false,
   "bitDepth": 12, "maxFramesPerSecond": 30}
]})");
    file.close();
    qputenv("VEXOCAM_CAMERAS", QFile::encodeName(path));
    return true;
}

// Marks 10 × 8 with a few single pixels set, in colour.
QImage someMarks(QRgb colour, int shift)
{
    QImage marks(10, 8, QImage::Format_ARGB32_Premultiplied);
    marks.fill(Qt::transparent);
    for (const QPoint p : {QPoint(0, 0), QPoint(9, 7), QPoint(3, 4), QPoint(7, 1)})
        marks.setPixel((p.x() + shift) % 10, p.y(), colour);
    return marks;
}

// The scene's foreground rendered onto a black device, source scene rect onto all of it.
QImage rendered(CustomGraphicsScene& scene, const QRectF& source, QSize device)
{
    QImage out(device, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::black);
    QPainter painter(&out);
    scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(device)), source, Qt::IgnoreAspectRatio);
    return out;
}

// The same marks stretched over area by the painter directly.
QImage drawnDirectly(const QImage& marks, const QRectF& area, const QRectF& source, QSize device)
{
    QImage out(device, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::black);
    QPainter painter(&out);
    painter.setClipRect(QRect(QPoint(0, 0), device));
    painter.setTransform(
        QTransform::fromTranslate(-source.left(), -source.top()) *
        QTransform::fromScale(device.width() / source.width(), device.height() / source.height()));
    painter.drawImage(area, marks);
    return out;
}

void sendMouse(QWidget* viewport, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(at), viewport->mapToGlobal(at), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

void drag(QWidget* viewport, QPoint from, QPoint to)
{
    sendMouse(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

}  // namespace

class MeasureToolsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void toolsAreInTheTitleBarMenu();
    void nothingIsDoneWhileEveryToolIsOff();
    void readoutFollowsTheCursor_data();
    void readoutFollowsTheCursor();
    void regionStaysOnItsPixelsUnderZoomAndPanning();
    void regionStatisticsUpdateWhileFramesFlow();
    void lineStaysPutAndProfileFollows();
    void clippingAndPeakingMarksComeAndGo();
    void focusScoresTheViewOrTheRegionAndHoldsThePeak();
    void closingTheCameraClearsTheTools();
    void marksAreDrawnWhereTheyWouldBeScaledEachTime_data();
    void marksAreDrawnWhereTheyWouldBeScaledEachTime();

private:
    bool open(const char* identifier = kColour);
    QGraphicsView* view() const { return window->findChild<QGraphicsView*>("graphicsView"); }
    MeasureTools* tools() const { return window->findChild<MeasureTools*>("measureTools"); }
    CustomGraphicsScene* scene() const
    {
        return qobject_cast<CustomGraphicsScene*>(view()->scene());
    }
    QString label(const char* name) const { return window->findChild<QLabel*>(name)->text(); }
    // The pixels a drag between two viewport points covers, as the view maps them now.
    QRect regionUnder(QPoint from, QPoint to) const
    {
        return measurelogic::regionFromDrag(view()->mapToScene(from), view()->mapToScene(to),
                                            QSize(650, 480));
    }
    void zoomIn(int steps)
    {
        auto* contextMenu = window->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
        QPushButton* in = contextMenu->findChildren<QPushButton*>().last();
        for (int i = 0; i < steps; ++i)
            in->click();
    }

    QTemporaryDir folder;
    std::unique_ptr<CameraThread> window;
    std::unique_ptr<ModalDialogWatcher> watcher;
};

void MeasureToolsTest::initTestCase()
{
    QVERIFY(folder.isValid());
    QVERIFY(installCameras(folder));
}

void MeasureToolsTest::init()
{
    watcher = std::make_unique<ModalDialogWatcher>();
    window = std::make_unique<CameraThread>();
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->resize(640, 520);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void MeasureToolsTest::cleanup()
{
    window.reset();
    QCOMPARE(watcher->count(), 0);
    watcher.reset();
}

bool MeasureToolsTest::open(const char* identifier)
{
    if (!window->startCamera(QString::fromLatin1(identifier)))
        return false;
    return QTest::qWaitFor([&]() { return window->shownFrameCount() > 1; }, kDeadlineMs);
}

void MeasureToolsTest::toolsAreInTheTitleBarMenu()
{
    auto* button = window->findChild<QPushButton*>("pushButton_measure");
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("测量"));
    QVERIFY(button->menu());
    QStringList texts;
    for (QAction* action : button->menu()->actions())
        texts << action->text();
    QCOMPARE(texts, (QStringList{"像素读数", "区域统计", "线轮廓", "过曝/欠曝标记", "对焦评分",
                                 "峰值对焦", "", "重置对焦峰值", "清除区域和线"}));
    for (int i = 0; i < MeasureTools::kToolCount; ++i)
        QVERIFY(tools()->action(Tool(i))->isCheckable());
    // The tools stay out of the window's own context menu.
    auto* contextMenu = window->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    for (QAction* action : contextMenu->actions())
        QVERIFY2(!texts.contains(action->text()) || action->text().isEmpty(),
                 qPrintable(action->text()));
}

void MeasureToolsTest::nothingIsDoneWhileEveryToolIsOff()
{
    QVERIFY(open());
    QVERIFY(!tools()->anyOn());
    QVERIFY(window->findChild<QWidget*>("widget_measure")->isHidden());
    const int shown = window->shownFrameCount();
    drag(view()->viewport(), QPoint(100, 100), QPoint(200, 200));
    QTRY_VERIFY_WITH_TIMEOUT(window->shownFrameCount() > shown + 3, kDeadlineMs);
    QVERIFY(!tools()->findChild<MeasureWorker*>());
    QVERIFY(tools()->region().isEmpty());
    QCOMPARE(tools()->resultCount(), 0);
    QVERIFY(scene()->toolMarks().isNull());
    QVERIFY(scene()->toolLines().isEmpty());

    // The read-out alone needs no worker either.
    tools()->setOn(Tool::PixelReadout, true);
    QVERIFY(window->findChild<QWidget*>("widget_measure")->isVisible());
    QVERIFY(!tools()->findChild<MeasureWorker*>());
}

void MeasureToolsTest::readoutFollowsTheCursor_data()
{
    QTest::addColumn<QByteArray>("camera");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("colour camera")
        << QByteArray(kColour)
        << QStringLiteral("^像素 \\((\\d+), (\\d+)\\)  R \\d+  G \\d+  B \\d+$");
    QTest::newRow("mono camera") << QByteArray(kMono)
                                 << QStringLiteral("^像素 \\((\\d+), (\\d+)\\)  灰度 \\d+$");
    QTest::newRow("12-bit mono camera")
        << QByteArray(kDeep)
        << QStringLiteral("^像素 \\((\\d+), (\\d+)\\)  灰度 \\d+  原始值 \\d+ \\(12 位\\)$");
}

void MeasureToolsTest::readoutFollowsTheCursor()
{
    QFETCH(QByteArray, camera);
    QFETCH(QString, pattern);
    QVERIFY(open(camera.constData()));
    tools()->setOn(Tool::PixelReadout, true);
    QWidget* viewport = view()->viewport();
    const QRegularExpression expression(pattern);
    // In the fitted view, zoomed in, and at the image's last pixel.
    for (int zoomSteps : {0, 4}) {
        zoomIn(zoomSteps);
        const QPoint at(viewport->width() / 3, viewport->height() / 3);
        sendMouse(viewport, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        const QPoint pixel = measurelogic::pixelAt(view()->mapToScene(at));
        QTRY_VERIFY2_WITH_TIMEOUT(expression.match(label("label_measurePixel")).hasMatch(),
                                  qPrintable(label("label_measurePixel")), kDeadlineMs);
        const QRegularExpressionMatch match = expression.match(label("label_measurePixel"));
        QCOMPARE(QPoint(match.captured(1).toInt(), match.captured(2).toInt()), pixel);
        QVERIFY(tools()->lastReading().valid);
        QCOMPARE(tools()->lastReading().position, pixel);
        if (camera != kColour)
            QCOMPARE(tools()->lastReading().red, tools()->lastReading().grey);
        if (camera == kDeep) {
            // The shown grey level is the camera value's top eight bits, as processed.
            const measurelogic::PixelReading r = tools()->lastReading();
            QCOMPARE(r.rawBits, 12);
            QVERIFY2(qAbs(r.raw / 16 - r.grey) <= 1, qPrintable(label("label_measurePixel")));
        }
    }
    const QSize frame = scene()->sceneRect().size().toSize();
    view()->centerOn(frame.width(), frame.height());
    const QPoint last = view()->mapFromScene(QPointF(frame.width() - 0.5, frame.height() - 0.5));
    sendMouse(viewport, QEvent::MouseMove, last, Qt::NoButton, Qt::NoButton);
    QCOMPARE(tools()->lastReading().position, QPoint(frame.width() - 1, frame.height() - 1));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(viewport, &leave);
    QCOMPARE(label("label_measurePixel"), QStringLiteral("像素: 光标不在图像上"));
}

void MeasureToolsTest::regionStaysOnItsPixelsUnderZoomAndPanning()
{
    QVERIFY(open());
    tools()->setOn(Tool::RegionStatistics, true);
    QWidget* viewport = view()->viewport();
    const QPoint from(120, 90);
    const QPoint to(300, 260);
    const QRect expected = regionUnder(from, to);
    QVERIFY(!expected.isEmpty());
    drag(viewport, from, to);
    QCOMPARE(tools()->region(), expected);
    QCOMPARE(scene()->toolLines().size(), 4);
    const QVector<windowlogic::OverlayLine> outline = scene()->toolLines();
    QCOMPARE(outline.first().line.p1(), QPointF(expected.topLeft()));
    const QPoint onScreen = view()->mapFromScene(QPointF(expected.topLeft()));

    zoomIn(5);
    const int horizontal = view()->horizontalScrollBar()->value();
    view()->horizontalScrollBar()->setValue(horizontal + 40);
    view()->verticalScrollBar()->setValue(view()->verticalScrollBar()->value() + 25);
    QCOMPARE(view()->horizontalScrollBar()->value(), horizontal + 40);
    QTRY_VERIFY_WITH_TIMEOUT(window->shownFrameCount() > 5, kDeadlineMs);
    QCOMPARE(tools()->region(), expected);
    QCOMPARE(scene()->toolLines().first().line.p1(), QPointF(expected.topLeft()));
    QVERIFY(view()->mapFromScene(QPointF(expected.topLeft())) != onScreen);

    // A new drag at the same screen points now covers other, fewer pixels, and does not pan.
    drag(viewport, from, to);
    QCOMPARE(view()->horizontalScrollBar()->value(), horizontal + 40);
    const QRect zoomed = regionUnder(from, to);
    QCOMPARE(tools()->region(), zoomed);
    QVERIFY(zoomed.width() < expected.width());
    QVERIFY(zoomed != expected);
    QTRY_VERIFY_WITH_TIMEOUT(
        label("label_measureStatistics")
            .contains(QStringLiteral("像素数 %1").arg(qint64(zoomed.width()) * zoomed.height())),
        kDeadlineMs);
}

void MeasureToolsTest::regionStatisticsUpdateWhileFramesFlow()
{
    QVERIFY(open());
    tools()->setOn(Tool::RegionStatistics, true);
    QCOMPARE(label("label_measureStatistics"), QStringLiteral("区域统计: 在图像上拖出矩形"));
    drag(view()->viewport(), QPoint(50, 50), QPoint(400, 300));
    const QRect region = tools()->region();
    const int before = tools()->resultCount();
    QTRY_VERIFY_WITH_TIMEOUT(tools()->resultCount() >= before + 5, kDeadlineMs);
    const measurelogic::Results& r = tools()->lastResults();
    QVERIFY(r.hasStatistics);
    QCOMPARE(r.region, region);
    QCOMPARE(r.statistics.pixels, qint64(region.width()) * region.height());
    for (const measurelogic::ChannelStatistics& c : r.statistics.channels) {
        QVERIFY(c.minimum <= c.mean && c.mean <= c.maximum);
        QVERIFY(c.deviation >= 0);
    }
    const QStringList lines = label("label_measureStatistics").split('\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines[1].startsWith(QStringLiteral("R  均值 ")));
    QVERIFY(lines[3].startsWith(QStringLiteral("B  均值 ")));
}

void MeasureToolsTest::lineStaysPutAndProfileFollows()
{
    QVERIFY(open());
    tools()->setOn(Tool::RegionStatistics, true);
    tools()->setOn(Tool::LineProfile, true);  // the tool turned on last draws
    QWidget* viewport = view()->viewport();
    const QPoint from(60, 200);
    const QPoint to(420, 240);
    drag(viewport, from, to);
    QVERIFY(tools()->region().isEmpty());
    const QLineF expected = measurelogic::lineFromDrag(view()->mapToScene(from),
                                                       view()->mapToScene(to), QSize(650, 480));
    QCOMPARE(tools()->line(), expected);
    const int samples =
        int(std::ceil(std::max(std::abs(expected.dx()), std::abs(expected.dy())))) + 1;
    auto* plot = window->findChild<ProfilePlot*>("widget_measureProfile");
    QVERIFY(plot);
    QTRY_COMPARE_WITH_TIMEOUT(plot->profile().samples(), samples, kDeadlineMs);
    QVERIFY(plot->isVisible());

    zoomIn(3);
    view()->horizontalScrollBar()->setValue(view()->horizontalScrollBar()->maximum());
    QCOMPARE(tools()->line(), expected);
    QCOMPARE(scene()->toolLines().last().line, expected);
    const int results = tools()->resultCount();
    QTRY_VERIFY_WITH_TIMEOUT(tools()->resultCount() > results + 2, kDeadlineMs);
    QCOMPARE(plot->profile().samples(), samples);

    // With the line tool off, drags draw regions again; the line stays hidden until it is on.
    tools()->setOn(Tool::LineProfile, false);
    drag(viewport, QPoint(10, 10), QPoint(40, 30));
    QVERIFY(!tools()->region().isEmpty());
    QCOMPARE(scene()->toolLines().size(), 4);
}

void MeasureToolsTest::clippingAndPeakingMarksComeAndGo()
{
    QVERIFY(open());
    tools()->setOn(Tool::Clipping, true);
    QTRY_VERIFY_WITH_TIMEOUT(!scene()->toolMarks().isNull(), kDeadlineMs);
    // A view that scales the frame down gets one mark pixel per block the screen shows.
    const double viewScale = view()->transform().m11();
    const int scale = viewScale < 1 ? int(std::ceil(1 / viewScale - 1e-6)) : 1;
    QTRY_COMPARE_WITH_TIMEOUT(tools()->lastResults().markScale, scale, kDeadlineMs);
    QCOMPARE(scene()->toolMarks().size(), measurelogic::markSize(QSize(650, 480), scale));
    QTRY_VERIFY_WITH_TIMEOUT(label("label_measureClipping").startsWith(QStringLiteral("过曝 ")),
                             kDeadlineMs);
    QVERIFY(tools()->lastResults().hasClipping);
    QCOMPARE(tools()->lastResults().clipping.pixels, qint64(650 * 480));

    tools()->setOn(Tool::FocusPeaking, true);
    tools()->setOn(Tool::Clipping, false);
    QVERIFY(window->findChild<QLabel*>("label_measureClipping")->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(!scene()->toolMarks().isNull() && !tools()->lastResults().hasClipping,
                             kDeadlineMs);
    tools()->setOn(Tool::FocusPeaking, false);
    QVERIFY(scene()->toolMarks().isNull());
    // A result under way when the tools went off leaves no marks behind.
    QTest::qWait(300);
    QVERIFY(scene()->toolMarks().isNull());
}

void MeasureToolsTest::focusScoresTheViewOrTheRegionAndHoldsThePeak()
{
    QVERIFY(open());
    tools()->setOn(Tool::FocusScore, true);
    QTRY_VERIFY_WITH_TIMEOUT(
        label("label_measureFocus").startsWith(QStringLiteral("清晰度（视图）: ")), kDeadlineMs);
    QVERIFY(tools()->lastResults().hasSharpness);
    QCOMPARE(tools()->lastResults().sharpnessArea, QRect(0, 0, 650, 480));
    // Zoomed in, the view shows part of the image: that part is scored.
    zoomIn(6);
    QTRY_VERIFY_WITH_TIMEOUT(tools()->lastResults().sharpnessArea.width() < 650, kDeadlineMs);
    QVERIFY(tools()->peakSharpness() >= tools()->lastResults().sharpness);

    tools()->setOn(Tool::RegionStatistics, true);
    drag(view()->viewport(), QPoint(20, 20), QPoint(200, 150));
    const QRect region = tools()->region();
    QTRY_COMPARE_WITH_TIMEOUT(tools()->lastResults().sharpnessArea, region, kDeadlineMs);
    QTRY_VERIFY_WITH_TIMEOUT(
        label("label_measureFocus").startsWith(QStringLiteral("清晰度（区域）: ")), kDeadlineMs);
    tools()->resetPeak();
    QCOMPARE(tools()->peakSharpness(), tools()->lastResults().sharpness);
}

void MeasureToolsTest::closingTheCameraClearsTheTools()
{
    QVERIFY(open());
    tools()->setOn(Tool::RegionStatistics, true);
    tools()->setOn(Tool::Clipping, true);
    drag(view()->viewport(), QPoint(50, 50), QPoint(100, 100));
    QTRY_VERIFY_WITH_TIMEOUT(!scene()->toolMarks().isNull(), kDeadlineMs);
    window->closeCamera();
    QVERIFY(tools()->region().isEmpty());
    QVERIFY(scene()->toolMarks().isNull());
    QVERIFY(scene()->toolLines().isEmpty());
    QTest::qWait(200);  // results still under way are dropped
    QVERIFY(scene()->toolMarks().isNull());
    QCOMPARE(tools()->lastResults().hasClipping, false);
    // The tools stay on for the next camera.
    QVERIFY(open(kMono));
    QTRY_VERIFY_WITH_TIMEOUT(!scene()->toolMarks().isNull(), kDeadlineMs);
    QVERIFY(view()->transform().m11() >= 1);  // the small frame is magnified: marks 1:1
    QCOMPARE(scene()->toolMarks().size(), QSize(322, 240));
}

void MeasureToolsTest::marksAreDrawnWhereTheyWouldBeScaledEachTime_data()
{
    QTest::addColumn<QRectF>("area");    // of the marks, in the scene
    QTest::addColumn<QRectF>("source");  // the scene rect shown
    QTest::addColumn<QSize>("device");
    QTest::newRow("frame size") << QRectF(0, 0, 10, 8) << QRectF(0, 0, 10, 8) << QSize(10, 8);
    QTest::newRow("blocks of 4, scaled down")
        << QRectF(0, 0, 40, 32) << QRectF(0, 0, 40, 32) << QSize(23, 19);
    QTest::newRow("zoomed in, off the device")
        << QRectF(0, 0, 40, 32) << QRectF(13.5, 6.25, 12, 9) << QSize(97, 71);
    QTest::newRow("panned past the frame")
        << QRectF(0, 0, 40, 32) << QRectF(-7.3, -3.1, 40, 32) << QSize(61, 49);
}

void MeasureToolsTest::marksAreDrawnWhereTheyWouldBeScaledEachTime()
{
    QFETCH(QRectF, area);
    QFETCH(QRectF, source);
    QFETCH(QSize, device);
    CustomGraphicsScene scene;
    scene.setSceneRect(QRectF(-50, -50, 200, 200));
    const QImage red = someMarks(qRgb(255, 0, 0), 0);
    scene.setToolOverlay(red, area, {});
    QCOMPARE(rendered(scene, source, device), drawnDirectly(red, area, source, device));
    // Painted again without a change, then new marks, then another view: each as drawn
    // directly, never an earlier set left from before.
    QCOMPARE(rendered(scene, source, device), drawnDirectly(red, area, source, device));
    QImage green = someMarks(qRgb(0, 255, 0), 3);
    scene.setToolOverlay(green, area, {});
    QCOMPARE(rendered(scene, source, device), drawnDirectly(green, area, source, device));
    // Marks changed after they were shown.
    green.setPixel(5, 5, qRgb(0, 0, 255));
    scene.setToolOverlay(green, area, {});
    QCOMPARE(rendered(scene, source, device), drawnDirectly(green, area, source, device));
    const QRectF shifted = source.translated(2.5, 1);
    QCOMPARE(rendered(scene, shifted, device), drawnDirectly(green, area, shifted, device));
    scene.setToolOverlay(QImage(), area, {});
    QCOMPARE(rendered(scene, source, device), drawnDirectly(QImage(), area, source, device));
}

QTEST_MAIN(MeasureToolsTest)
#include "tst_measuretools.moc"
