// The region-of-interest dialog on simulated cameras: its form, the region it applies in
// sensor pixels (also from a binned or cropped preview), alignment, refused regions,
// refresh failures, mouse editing and the preset list.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <QProcess>
#include <atomic>
#include <memory>
#include <thread>

#include "../camera/SimulatedCameras.h"
#include "ModalDialogWatcher.h"
#include "RoiWidget.h"
#include "VexoCameraApi.h"

namespace {

const char kColour1080[] = "VXG2301C0001";  // 1920 × 1080, lists its 2×2 binned preset last
const char kFastVga[] = "VXU0302C0001";     // 640 × 480
const char kMono5M[] = "VXG5002M0001";      // 2592 × 1944
const char kFocus13[] = "VXU1301C0001";     // 1280 × 1024

struct Region {
    int index = -1;
    int x = 0, y = 0, width = 0, height = 0, outputWidth = 0, outputHeight = 0;
};

Region currentRegion(int handle)
{
    Region r;
    if (SdkGetResolutionIndex(handle, &r.index) != 0)
        return r;
    VexoResolution d{};
    if (SdkGetResolutionDescriptor(handle, VEXO_SDK_CUSTOM_RESOLUTION, &d) != 0)
        return r;
    r.x = d.offsetX;
    r.y = d.offsetY;
    r.width = d.regionWidth;
    r.height = d.regionHeight;
    r.outputWidth = d.outputWidth;
    r.outputHeight = d.outputHeight;
    return r;
}

// The size of the frames the camera delivers now.
QSize deliveredFrameSize(int handle)
{
    uint32_t token = 0;
    if (SdkGrabFrameWithTimeout(handle, &token, 20000) != 0)
        return QSize();
    VexoImageInfo info{};
    const BYTE* raw = SdkGetRawImage(handle, token, &info);
    SdkReleaseFrame(handle, token);
    return raw ? QSize(info.width, info.height) : QSize();
}

// What the panel does before opening the dialog from the custom resolution entry: switch
// the camera to the last preset, the one before the custom entry.
bool applyLastPreset(int handle)
{
    VexoCapabilities caps{};
    if (SdkGetCapabilities(handle, &caps) != 0 || caps.resolutionCount < 1)
        return false;
    VexoResolution d{};
    return SdkGetResolutionDescriptor(handle, caps.resolutionCount - 1, &d) == 0 &&
           SdkApplyResolution(handle, &d) == 0;
}

QStringList readOut(RoiWidget* dialog)
{
    QStringList values;
    for (const char* name : {"lineEdit_Hshift", "lineEdit_Vshift", "lineEdit_width",
                             "lineEdit_height", "lineEdit_VShift", "lineEdit_HShift"})
        values << dialog->findChild<QLineEdit*>(QLatin1String(name))->text();
    return values;
}

void click(RoiWidget* dialog, const char* button)
{
    auto* b = dialog->findChild<QPushButton*>(QLatin1String(button));
    QVERIFY2(b, button);
    b->click();
}

// The cursor at `global`; the rectangle moves under it while it is dragged.
void sendMouse(QWidget* target, QEvent::Type type, QPoint global, Qt::MouseButtons held)
{
    const QPoint local = target->mapFromGlobal(global);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(local), QPointF(local), QPointF(global), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

}  // namespace

class RoiWidgetTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void formCarriesTheNamedObjectsAndTexts();
    void rightBottomAppliesTheRegionDrawn_data();
    void rightBottomAppliesTheRegionDrawn();
    void sizeIsAlignedWhenApplied();
    void regionDrawnOnEachCameraIsApplied_data();
    void regionDrawnOnEachCameraIsApplied();
    void typedValuesGiveWayToTheRectangle();
    void regionOffTheSensorIsRefused_data();
    void regionOffTheSensorIsRefused();
    void applyAfterTheCameraClosedIsRefused();
    void refreshFailuresKeepThePreview();
    void previewWaitsOutAFrameThatIsLate();
    void noCameraShowsBothRefreshFailures();
    void draggingMovesAndResizesTheRectangle();
    void presetListSwitchesTheCamera();
    void closingDeletesTheDialog();

private:
    RoiWidget* openDialog(int handle);

    int handle = 0;
    QPointer<RoiWidget> dialog;
    std::unique_ptr<ModalDialogWatcher> watcher;
};

void RoiWidgetTest::cleanup()
{
    delete dialog;
    watcher.reset();
    if (handle)
        SdkCloseCamera(handle);
    handle = 0;
}

RoiWidget* RoiWidgetTest::openDialog(int camera)
{
    // Message boxes are answered from the start, so a failure cannot block the test.
    watcher = std::make_unique<ModalDialogWatcher>();
    // As the panel opens it: no parent, handle first, then show and refresh.
    dialog = new RoiWidget;
    dialog->camera = camera;
    dialog->show();
    if (!QTest::qWaitForWindowExposed(dialog))
        qWarning("dialog not exposed");
    dialog->on_pushButton_refresh_clicked();
    return dialog;
}

void RoiWidgetTest::formCarriesTheNamedObjectsAndTexts()
{
    RoiWidget* d = openDialog(0);
    QCOMPARE(watcher->count(), 2);
    QVERIFY(d->isWindow());
    QVERIFY(!d->parent());
    QVERIFY(d->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(!d->testAttribute(Qt::WA_QuitOnClose));
    QCOMPARE(d->windowTitle(), QStringLiteral("ROI设置"));
    QCOMPARE(d->size(), QSize(950, 500));
    auto* preview = d->findChild<QLabel*>(QStringLiteral("widget_6"));
    QVERIFY(preview);
    QVERIFY(preview->hasScaledContents());
    QCOMPARE(preview->size(), QSize(600, 500));
    auto* rect = d->findChild<QWidget*>(QStringLiteral("Picture_Rect"));
    QVERIFY(rect);
    QCOMPARE(rect->parentWidget(), preview);
    QCOMPARE(rect->geometry(), QRect(150, 125, 300, 250));
    QCOMPARE(rect->styleSheet(),
             QStringLiteral("border: 1px solid rgb(255, 0, 0); border-radius: 2px;"));
    const QList<QPair<QString, QString>> buttons = {
        {"pushButton_refresh", "刷新图片"}, {"pushButton_center", "居中"},
        {"pushButton_RightTop", "右上"},    {"pushButton_LeftTop", "左上"},
        {"pushButton_RightBottom", "右下"}, {"pushButton_LeftBottom", "左下"},
        {"pushButton_max", "最大"},         {"pushButton_setup", "确定"}};
    for (const auto& b : buttons) {
        auto* button = d->findChild<QPushButton*>(b.first);
        QVERIFY2(button, qPrintable(b.first));
        QCOMPARE(button->text(), b.second);
    }
    for (const char* name :
         {"lineEdit_Hshift", "lineEdit_Vshift", "lineEdit_width", "lineEdit_height",
          "lineEdit_maxwidth", "lineEdit_maxheight", "lineEdit_VShift", "lineEdit_HShift"})
        QVERIFY2(d->findChild<QLineEdit*>(QLatin1String(name)), name);
    QVERIFY(d->findChild<QComboBox*>(QStringLiteral("comboBox")));
    QStringList labels;
    for (QLabel* label : d->findChildren<QLabel*>())
        labels << label->text();
    for (const char* text : {"从预设分辨率加载：", "水平偏移", "垂直偏移", "图像宽度", "图像高度",
                             "宽：", "高：", "宽", "高"})
        QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
    QStringList groups;
    for (QGroupBox* group : d->findChildren<QGroupBox*>())
        groups << group->title();
    QCOMPARE(groups.size(), 3);
    for (const char* title : {"自定义区域", "最大输入视场", "最小输入视场"})
        QVERIFY2(groups.contains(QString::fromUtf8(title)), title);
}

void RoiWidgetTest::rightBottomAppliesTheRegionDrawn_data()
{
    QTest::addColumn<bool>("fromLastPreset");
    QTest::newRow("opened on the full frame") << false;
    // The panel's custom entry first switches to the last preset, a 2×2 binned frame here.
    QTest::newRow("opened from the custom entry (binned preview)") << true;
}

void RoiWidgetTest::rightBottomAppliesTheRegionDrawn()
{
    QFETCH(bool, fromLastPreset);
    QCOMPARE(SdkOpenCamera(&handle, kColour1080), 0);
    if (fromLastPreset) {
        QVERIFY(applyLastPreset(handle));
        QCOMPARE(currentRegion(handle).outputWidth, 960);
    }
    RoiWidget* d = openDialog(handle);
    QCOMPARE(d->findChild<QLineEdit*>("lineEdit_maxwidth")->text(), QStringLiteral("1920"));
    QCOMPARE(d->findChild<QLineEdit*>("lineEdit_maxheight")->text(), QStringLiteral("1080"));
    QVERIFY(!d->findChild<QLabel*>("widget_6")->pixmap(Qt::ReturnByValue).isNull());

    click(d, "pushButton_RightBottom");
    QCOMPARE(d->findChild<QWidget*>("Picture_Rect")->geometry(),
             QRect(QPoint(300, 250), QPoint(599, 499)));
    QCOMPARE(readOut(d), QStringList({"960", "540", "960", "540", "960", "540"}));

    QCOMPARE(watcher->count(), 0);
    click(d, "pushButton_setup");
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen()[0].className, QStringLiteral("QMessageBox"));
    QCOMPARE(watcher->seen()[0].title, QStringLiteral("提示"));
    QCOMPARE(watcher->seen()[0].text, QStringLiteral("设置成功"));
    QCOMPARE(watcher->seen()[0].buttons, QStringList{QStringLiteral("确定")});

    const Region applied = currentRegion(handle);
    QCOMPARE(applied.index, int(VEXO_SDK_CUSTOM_RESOLUTION));
    QCOMPARE(QRect(applied.x, applied.y, applied.width, applied.height), QRect(960, 540, 960, 540));
    QCOMPARE(QSize(applied.outputWidth, applied.outputHeight), QSize(960, 540));
    QCOMPARE(deliveredFrameSize(handle), QSize(960, 540));

    // The preview now shows the region; a rectangle drawn on it lies inside that region.
    QCOMPARE(d->findChild<QLineEdit*>("lineEdit_maxwidth")->text(), QStringLiteral("960"));
    QCOMPARE(readOut(d), QStringList({"1440", "810", "480", "270", "480", "270"}));
    click(d, "pushButton_LeftTop");
    QCOMPARE(readOut(d), QStringList({"960", "540", "480", "270", "480", "270"}));
    click(d, "pushButton_setup");
    QCOMPARE(watcher->count(), 2);
    QCOMPARE(watcher->seen()[1].text, QStringLiteral("设置成功"));
    const Region nested = currentRegion(handle);
    QCOMPARE(QRect(nested.x, nested.y, nested.width, nested.height), QRect(960, 540, 480, 270));
}

void RoiWidgetTest::sizeIsAlignedWhenApplied()
{
    QCOMPARE(SdkOpenCamera(&handle, kColour1080), 0);
    RoiWidget* d = openDialog(handle);
    d->findChild<QWidget*>("Picture_Rect")->setGeometry(0, 0, 313, 251);
    d->repaint();  // the read-out follows at the next repaint
    QCOMPARE(readOut(d), QStringList({"0", "0", "1001", "542", "1001", "542"}));
    d->findChild<QWidget*>("Picture_Rect")->setGeometry(0, 0, 312, 250);
    d->repaint();
    QCOMPARE(readOut(d).mid(2, 2), QStringList({"998", "540"}));
    d->findChild<QWidget*>("Picture_Rect")->setGeometry(10, 20, 313, 250 + 1);
    QCOMPARE(watcher->count(), 0);
    click(d, "pushButton_setup");
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen()[0].text, QStringLiteral("设置成功"));
    const Region r = currentRegion(handle);
    // 1001 × 542 goes out as 1024 × 542; the offsets are not aligned.
    QCOMPARE(QRect(r.x, r.y, r.width, r.height), QRect(32, 43, 1024, 542));
    QCOMPARE(deliveredFrameSize(handle), QSize(1024, 542));
}

void RoiWidgetTest::regionDrawnOnEachCameraIsApplied_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QRect>("drawn");  // preview rectangle
    QTest::addColumn<QRect>("applied");
    const QRect rightBottom(300, 250, 300, 250);
    QTest::newRow("1280 x 1024, right bottom")
        << kFocus13 << rightBottom << QRect(640, 512, 640, 512);
    QTest::newRow("640 x 480, whole preview")
        << kFastVga << QRect(0, 0, 600, 500) << QRect(0, 0, 640, 480);
    // 1296 is no multiple of 32: the aligned 1312 ends at the sensor's edge.
    QTest::newRow("2592 x 1944, right bottom")
        << kMono5M << rightBottom << QRect(1280, 972, 1312, 972);
    QTest::newRow("2592 x 1944, right top")
        << kMono5M << QRect(300, 0, 300, 250) << QRect(1280, 0, 1312, 972);
    // 1001 wide at 902 aligns to 1024, which would end at 1926.
    QTest::newRow("1920 x 1080, drawn up to the right edge")
        << kColour1080 << QRect(282, 0, 313, 250) << QRect(896, 0, 1024, 540);
}

void RoiWidgetTest::regionDrawnOnEachCameraIsApplied()
{
    QFETCH(QString, identifier);
    QFETCH(QRect, drawn);
    QFETCH(QRect, applied);
    QCOMPARE(SdkOpenCamera(&handle, identifier.toLatin1().constData()), 0);
    RoiWidget* d = openDialog(handle);
    QCOMPARE(watcher->count(), 0);
    d->findChild<QWidget*>("Picture_Rect")->setGeometry(drawn);
    click(d, "pushButton_setup");
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen()[0].text, QStringLiteral("设置成功"));
    const Region r = currentRegion(handle);
    QCOMPARE(r.index, int(VEXO_SDK_CUSTOM_RESOLUTION));
    QCOMPARE(QRect(r.x, r.y, r.width, r.height), applied);
    QCOMPARE(deliveredFrameSize(handle), applied.size());
}

void RoiWidgetTest::typedValuesGiveWayToTheRectangle()
{
    QCOMPARE(SdkOpenCamera(&handle, kColour1080), 0);
    RoiWidget* d = openDialog(handle);
    click(d, "pushButton_center");
    d->findChild<QLineEdit*>("lineEdit_width")->setText(QStringLiteral("abc"));
    d->findChild<QLineEdit*>("lineEdit_Hshift")->setText(QStringLiteral("5000"));
    QCOMPARE(watcher->count(), 0);
    click(d, "pushButton_setup");
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen()[0].text, QStringLiteral("设置成功"));
    const Region r = currentRegion(handle);
    QCOMPARE(QRect(r.x, r.y, r.width, r.height), QRect(480, 270, 960, 540));
}

void RoiWidgetTest::regionOffTheSensorIsRefused_data()
{
    QTest::addColumn<QRect>("rectangle");
    QTest::newRow("beyond the right edge") << QRect(500, 0, 300, 250);
    QTest::newRow("beyond the bottom edge") << QRect(0, 400, 300, 250);
    QTest::newRow("left of the sensor") << QRect(-20, 0, 300, 250);
    QTest::newRow("above the sensor") << QRect(0, -20, 300, 250);
    QTest::newRow("nothing left of the rectangle") << QRect(100, 100, 0, 0);
}

void RoiWidgetTest::regionOffTheSensorIsRefused()
{
    QFETCH(QRect, rectangle);
    QCOMPARE(SdkOpenCamera(&handle, kColour1080), 0);
    const Region before = currentRegion(handle);
    RoiWidget* d = openDialog(handle);
    d->findChild<QWidget*>("Picture_Rect")->setGeometry(rectangle);
    QCOMPARE(watcher->count(), 0);
    click(d, "pushButton_setup");
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen()[0].title, QStringLiteral("提示"));
    QCOMPARE(watcher->seen()[0].text, QStringLiteral("设置失败，请重新设置"));
    QCOMPARE(watcher->seen()[0].buttons, QStringList{QStringLiteral("确定")});
    const Region after = currentRegion(handle);
    QCOMPARE(after.index, before.index);
    QCOMPARE(QRect(after.x, after.y, after.width, after.height),
             QRect(before.x, before.y, before.width, before.height));
    QCOMPARE(deliveredFrameSize(handle), QSize(1920, 1080));
}

void RoiWidgetTest::applyAfterTheCameraClosedIsRefused()
{
    QCOMPARE(SdkOpenCamera(&handle, kColour1080), 0);
    RoiWidget* d = openDialog(handle);
    click(d, "pushButton_RightBottom");
    // The camera window closed the camera while the dialog stayed open.
    QCOMPARE(SdkCloseCamera(handle), 0);
    handle = 0;
    click(d, "pushButton_setup");
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen()[0].title, QStringLiteral("提示"));
    QCOMPARE(watcher->seen()[0].text, QStringLiteral("设置失败，请重新设置"));
}

void RoiWidgetTest::refreshFailuresKeepThePreview()
{
    QCOMPARE(SdkOpenCamera(&handle, kFastVga), 0);
    RoiWidget* d = openDialog(handle);
    auto* preview = d->findChild<QLabel*>("widget_6");
    const qint64 shown = preview->pixmap(Qt::ReturnByValue).cacheKey();
    QCOMPARE(d->findChild<QLineEdit*>("lineEdit_maxwidth")->text(), QStringLiteral("640"));
    click(d, "pushButton_RightBottom");
    const QStringList values = readOut(d);
    QCOMPARE(values, QStringList({"320", "240", "320", "240", "320", "240"}));

    QVERIFY(testcameras::detach(QString::fromLatin1(kFastVga)));
    QCOMPARE(watcher->count(), 0);
    click(d, "pushButton_refresh");
    QVERIFY(watcher->count() >= 1);
    QCOMPARE(watcher->seen()[0].title, QStringLiteral("错误"));
    QCOMPARE(watcher->seen()[0].text, QStringLiteral("获取失败，请重新获取"));
    QCOMPARE(watcher->seen()[0].buttons, QStringList{QStringLiteral("确定")});
    QCOMPARE(preview->pixmap(Qt::ReturnByValue).cacheKey(), shown);
    QCOMPARE(d->findChild<QLineEdit*>("lineEdit_maxwidth")->text(), QStringLiteral("640"));
    d->repaint();
    QCOMPARE(readOut(d), values);
}

namespace {
std::atomic<bool> lateFrameNoticed{false};
QtMessageHandler previousHandler = nullptr;
void noticeLateFrame(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.contains(QLatin1String("no preview frame within 5 s")))
        lateFrameNoticed.store(true);
    previousHandler(type, context, text);
}
}  // namespace

void RoiWidgetTest::previewWaitsOutAFrameThatIsLate()
{
    // A PC too busy to deliver a frame within the grab's 5 s gets another try before the
    // dialog gives up: a hardware-triggered camera whose first pulse comes only after the
    // first wait has run out still fills the preview, and nothing is reported.
    QCOMPARE(SdkOpenCamera(&handle, kColour1080), 0);
    QCOMPARE(SdkSetInputMode(handle, 0, 0), 0);
    QCOMPARE(SdkSetInputTriggerEdge(handle, 0, 0), 0);
    QCOMPARE(SdkSetTriggerMode(handle, 2), 0);
    QCOMPARE(SdkStartAcquisition(handle), 0);
    lateFrameNoticed.store(false);
    previousHandler = qInstallMessageHandler(noticeLateFrame);
    std::atomic<bool> stop{false};
    std::thread pulser([&] {
        // The dialog's grab holds this test's thread; the pulse comes from outside it.
        while (!stop.load() && !lateFrameNoticed.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!stop.load())
            QProcess::execute(qEnvironmentVariable("VEXO_PROGRAM_DIR") + "/vexocam-sim",
                              {"pulse", QString::fromLatin1(kColour1080), "0", "3"});
    });
    RoiWidget* d = openDialog(handle);
    stop.store(true);
    pulser.join();
    qInstallMessageHandler(previousHandler);
    QVERIFY(lateFrameNoticed.load());
    QCOMPARE(watcher->count(), 0);
    QVERIFY(!d->findChild<QLabel*>("widget_6")->pixmap(Qt::ReturnByValue).isNull());
    QCOMPARE(d->findChild<QLineEdit*>("lineEdit_maxwidth")->text(), QStringLiteral("1920"));
}

void RoiWidgetTest::noCameraShowsBothRefreshFailures()
{
    RoiWidget* d = new RoiWidget;
    dialog = d;
    d->camera = 0;
    d->show();
    watcher = std::make_unique<ModalDialogWatcher>();
    d->on_pushButton_refresh_clicked();
    QCOMPARE(watcher->count(), 2);
    QCOMPARE(watcher->seen()[0].title, QStringLiteral("错误"));
    QCOMPARE(watcher->seen()[0].text, QStringLiteral("获取失败，请重新获取"));
    QCOMPARE(watcher->seen()[1].title, QStringLiteral("错误"));
    QCOMPARE(watcher->seen()[1].text, QStringLiteral("获取分辨率失败，请重新获取"));
    QVERIFY(d->findChild<QLabel*>("widget_6")->pixmap(Qt::ReturnByValue).isNull());
    // Without a frame there is no region to send; the camera library refuses it.
    click(d, "pushButton_setup");
    QCOMPARE(watcher->count(), 3);
    QCOMPARE(watcher->seen()[2].text, QStringLiteral("设置失败，请重新设置"));
}

void RoiWidgetTest::draggingMovesAndResizesTheRectangle()
{
    QCOMPARE(SdkOpenCamera(&handle, kColour1080), 0);
    RoiWidget* d = openDialog(handle);
    QWidget* rect = d->findChild<QWidget*>("Picture_Rect");

    // Interior: moves, keeps the size.
    QPoint at = rect->mapToGlobal(QPoint(150, 125));
    sendMouse(rect, QEvent::MouseButtonPress, at, Qt::LeftButton);
    sendMouse(rect, QEvent::MouseMove, at + QPoint(10, 5), Qt::LeftButton);
    QCOMPARE(d->cursor().shape(), Qt::SizeAllCursor);
    sendMouse(rect, QEvent::MouseMove, at + QPoint(20, 10), Qt::LeftButton);
    sendMouse(rect, QEvent::MouseButtonRelease, at + QPoint(20, 10), Qt::NoButton);
    QCOMPARE(d->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(rect->geometry(), QRect(170, 135, 300, 250));
    d->repaint();
    QCOMPARE(readOut(d), QStringList({"544", "291", "960", "540", "960", "540"}));

    // Bottom-right corner: 10 right and 10 down grows it by 10 × 10.
    at = rect->mapToGlobal(QPoint(295, 245));
    sendMouse(rect, QEvent::MouseButtonPress, at, Qt::LeftButton);
    sendMouse(rect, QEvent::MouseMove, at + QPoint(10, 10), Qt::LeftButton);
    QCOMPARE(d->cursor().shape(), Qt::SizeFDiagCursor);
    sendMouse(rect, QEvent::MouseButtonRelease, at + QPoint(10, 10), Qt::NoButton);
    QCOMPARE(rect->geometry(), QRect(170, 135, 310, 260));

    // Left edge: the left side follows, the right side stays.
    at = rect->mapToGlobal(QPoint(5, 130));
    sendMouse(rect, QEvent::MouseButtonPress, at, Qt::LeftButton);
    sendMouse(rect, QEvent::MouseMove, at + QPoint(-20, 0), Qt::LeftButton);
    QCOMPARE(d->cursor().shape(), Qt::SizeHorCursor);
    sendMouse(rect, QEvent::MouseButtonRelease, at + QPoint(-20, 0), Qt::NoButton);
    QCOMPARE(rect->geometry(), QRect(150, 135, 330, 260));

    // The dragged rectangle is what is applied.
    QCOMPARE(watcher->count(), 0);
    click(d, "pushButton_setup");
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen()[0].text, QStringLiteral("设置成功"));
    const Region r = currentRegion(handle);
    // 330 × 3.2 = 1056, 260 × 2.16 = 561.6 → 561 → 562.
    QCOMPARE(QRect(r.x, r.y, r.width, r.height), QRect(480, 291, 1056, 562));
}

void RoiWidgetTest::presetListSwitchesTheCamera()
{
    QCOMPARE(SdkOpenCamera(&handle, kColour1080), 0);
    QVERIFY(applyLastPreset(handle));
    RoiWidget* d = openDialog(handle);
    auto* combo = d->findChild<QComboBox*>(QStringLiteral("comboBox"));
    VexoCapabilities caps{};
    QCOMPARE(SdkGetCapabilities(handle, &caps), 0);
    QCOMPARE(combo->count(), caps.resolutionCount);
    QCOMPARE(combo->itemText(0), QString::fromLatin1(caps.resolutions[0].name));
    QCOMPARE(combo->itemText(caps.resolutionCount - 1),
             QString::fromLatin1(caps.resolutions[caps.resolutionCount - 1].name));
    QCOMPARE(combo->itemData(1).toInt(), caps.resolutions[1].index);

    // The centred 1280 × 720 preset: the preview then covers 320/180 … 1600/900.
    emit combo->activated(1);
    QCOMPARE(currentRegion(handle).index, caps.resolutions[1].index);
    QCOMPARE(d->findChild<QLineEdit*>("lineEdit_maxwidth")->text(), QStringLiteral("1280"));
    click(d, "pushButton_max");
    QCOMPARE(readOut(d), QStringList({"320", "180", "1280", "720", "1280", "720"}));
    QCOMPARE(combo->count(), caps.resolutionCount);
}

void RoiWidgetTest::closingDeletesTheDialog()
{
    QCOMPARE(SdkOpenCamera(&handle, kColour1080), 0);
    QPointer<RoiWidget> d = openDialog(handle);
    d->close();
    QTRY_VERIFY_WITH_TIMEOUT(d.isNull(), 20000);
}

QTEST_MAIN(RoiWidgetTest)
#include "tst_roiwidget.moc"
