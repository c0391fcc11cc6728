// The camera window on simulated cameras: open and close, pause, status line, zoom,
// navigation, hotkeys, drops and single pictures.
#include <QAction>
#include <QDir>
#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsView>
#include <QPainter>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <tiffio.h>
#include <vector>

#include "CameraThread.h"
#include "CustomGraphicsScene.h"
#include "FrameImageItem.h"
#include "GroupedLineLabel.h"
#include "MeasureTools.h"
#include "ModalDialogWatcher.h"
#include "SettingsStore.h"
#include "SimulatedCameras.h"
#include "VexoCameraApi.h"
#include "ZoomLogic.h"

namespace {

const QString kSaved = QStringLiteral("SDK保存图片成功");
const QString kPaused = QStringLiteral("相机已进入暂停，不再接收来自相机的图像数据");
const QString kDisconnected = QStringLiteral("相机已断开连接，正在等待相机重新接入");
// Conditions are waited for this long, so that a loaded machine does not fail them.
constexpr int kDeadlineMs = 30000;

// The icon a button shows, as pixels, to tell the play and the pause icon apart.
QImage iconImage(const QIcon& icon)
{
    return icon.pixmap(QSize(16, 16)).toImage();
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

// Outside a real drag the application hands drops to no one, so the window's own event
// handling receives them directly.
void deliverDrop(CameraThread* window, QDropEvent* drop)
{
    static_cast<QObject*>(window)->event(drop);
}

// A picture of the simulated camera's size, as the acquisition thread hands one over.
struct HandedOverPicture {
    std::vector<BYTE> pixels = std::vector<BYTE>(650 * 480 * 3, 0x40);
    stImageInfo info = [] {
        stImageInfo i{};
        i.width = 650;
        i.height = 480;
        i.pixelFormat = VEXO_SDK_PIXEL_RGB8;
        return i;
    }();
};

void setCapture(const QString& key, const QVariant& value)
{
    settingsStore()->setValue(QStringLiteral("CAPTURE"), key, value);
}

}  // namespace

class CameraWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formCarriesTheNamedObjects();
    void contextMenuEntriesInOrder();
    void openFailureShowsItsMessage_data();
    void openFailureShowsItsMessage();
    void openingTheShownCameraAgainSucceedsAnotherFails();
    void openedWindowShowsFramesAndTitle();
    void closeStopsTheThreadBeforeClosingTheCamera();
    void closeWhilePausedEndsAtOnce();
    void closeDuringHandOverDoesNotDeadlock();
    void nothingFromAFinishedThreadReachesTheWindow();
    void pauseCloseAndReopenShowsThePauseIcon();
    void retranslateKeepsTitleAndStatus_data();
    void retranslateKeepsTitleAndStatus();
    void destroyingTheWindowClosesTheCamera();
    void pauseAndResume();
    void statusLineText_data();
    void statusLineText();
    void statusLineUpdatesWhileStreaming();
    void zoomLimitsAndSteps();
    void zoomNeedsACameraExceptOriginalSize();
    void wheelZoomsInHundredths();
    void fitUsesTheSmallerRatio();
    void crosshairsShowWhenTheViewScalesDown();
    void frameOfAnotherSizeFitsAgain();
    void layoutThatShrinksTheViewKeepsItFitted();
    void reopenedWindowFitsTheNewCamera();
    void navigationRectangleFollowsTheZoom();
    void rectangleFollowsAtTheNextRepaint();
    void draggingTheRectangleMovesTheViewAndStopsAtTheEdges();
    void navigationPanelShowsTheFrameAlsoWhenOpenedWhilePaused();
    void shownFramesTakeTheFormatOfTheirReaders();
    void sceneFillsTheBackgroundAroundTheFrameWithoutSeams_data();
    void sceneFillsTheBackgroundAroundTheFrameWithoutSeams();
    void hotkeys_data();
    void hotkeys();
    void hotkeysMatchInSettingsOrder();
    void cameraDropOpensTheCamera();
    void cameraDropOnAnOccupiedWindowIsRefused();
    void sceneDropAsksToOpenTheCamera();
    void windowDropReportsTheMove();
    void pictureNaming_data();
    void pictureNaming();
    void pictureIntoChosenFolder();
    void cancelledFolderDialogSavesNothingAndClaimsNothing();
    void pictureThatCannotBeWrittenIsReported();
    void deepCameraPicturesKeepTheirDepth_data();
    void deepCameraPicturesKeepTheirDepth();
    void unusableFolderTakesNoPicture_data();
    void unusableFolderTakesNoPicture();
    void fullScreenNeedsACameraToEnter();
    void selectionBorderAndRetranslate();
    void detachedCameraKeepsTheWindowUsable();
    void replugResumesTheWindow();

private:
    CameraThread* openWindow(const char* identifier = testcameras::kOddWidth);
    // Unplugs and plugs back the second camera; cleanup plugs it back whatever happened.
    bool unplug()
    {
        unplugged = true;
        return testcameras::detach(testcameras::kSecond);
    }
    bool replug()
    {
        unplugged = false;
        return QProcess::execute(qEnvironmentVariable("VEXO_PROGRAM_DIR") + "/vexocam-sim",
                                 {"attach", testcameras::kSecond}) == 0;
    }
    bool unplugged = false;

    QTemporaryDir folder;
    std::unique_ptr<CameraThread> window;
    std::unique_ptr<ModalDialogWatcher> watcher;
    HotkeySettings savedHotkeys;
};

void CameraWindowTest::initTestCase()
{
    QVERIFY(folder.isValid());
    QVERIFY(testcameras::install(folder));
    savedHotkeys = settingsStore()->hotkeySettings();
}

void CameraWindowTest::init()
{
    watcher = std::make_unique<ModalDialogWatcher>();
    window = std::make_unique<CameraThread>();
    // The window deletes itself when closed as a widget; the test owns it instead.
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->resize(640, 480);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void CameraWindowTest::cleanup()
{
    window.reset();
    if (unplugged)
        QVERIFY(replug());
    watcher.reset();
    settingsStore()->hotkeySettings() = savedHotkeys;
}

CameraThread* CameraWindowTest::openWindow(const char* identifier)
{
    if (!window->startCamera(QString::fromLatin1(identifier)))
        return nullptr;
    // The first frame shown fits the image to the window; tests start after it.
    if (!QTest::qWaitFor([&]() { return window->shownFrameCount() > 0; }, kDeadlineMs))
        return nullptr;
    return window.get();
}

void CameraWindowTest::formCarriesTheNamedObjects()
{
    const QStringList widgets{"dockWidgetContents",
                              "label_title",
                              "pushButton_screenzoom",
                              "pushButton_close",
                              "label_media",
                              "widget_Navigation",
                              "widget",
                              "pushButton_photogrape",
                              "pushButton_recording",
                              "pushButton_continuityPhotogrape",
                              "pushButton_open",
                              "label_camerainfo",
                              "pushButton_navigation",
                              "label_displayWindow"};
    for (const QString& name : widgets)
        QVERIFY2(window->findChild<QWidget*>(name), qPrintable(name));
    auto* view = window->findChild<QGraphicsView*>("graphicsView");
    auto* navigation = window->findChild<QGraphicsView*>("graphicsView_Navigation");
    QVERIFY(view && navigation);
    QCOMPARE(view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(navigation->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(view->contextMenuPolicy(), Qt::CustomContextMenu);
    QVERIFY(view->acceptDrops());
    QVERIFY(qobject_cast<CustomGraphicsScene*>(view->scene()));

    QCOMPARE(window->features(), QDockWidget::NoDockWidgetFeatures);
    QWidget grid;
    CameraThread* placed = new CameraThread(&grid);
    QVERIFY(!placed->isFloating());
    QVERIFY(window->titleBarWidget());
    QVERIFY(window->testAttribute(Qt::WA_MouseTracking));
    QVERIFY(window->findChild<QWidget*>("widget_Navigation")->isHidden());
    QVERIFY(window->findChild<QWidget*>("label_media")->isHidden());
    QVERIFY(window->findChild<QLabel*>("label_camerainfo")->wordWrap());
    QCOMPARE(window->findChild<QWidget*>("dockWidgetContents")->styleSheet(),
             QStringLiteral("QWidget#dockWidgetContents{background-color: rgb(255, 0, 0);}"));
    QCOMPARE(window->findChild<QWidget*>("label_displayWindow")->styleSheet(),
             QStringLiteral("border: 2px solid rgb(255, 0, 0); border-radius: 2px;"));
    QCOMPARE(window->findChild<QWidget*>("widget")->styleSheet(),
             QStringLiteral("background-color: rgba(184, 184, 184, 100);"));

    auto* tabs = window->findChild<QTabWidget*>("tabWidget");
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabText(0), QStringLiteral("导航窗口"));
    // The corner button hides the navigation panel; the title bar button toggles it.
    window->findChild<QPushButton*>("pushButton_navigation")->click();
    QVERIFY(window->findChild<QWidget*>("widget_Navigation")->isVisible());
    auto* corner = qobject_cast<QPushButton*>(tabs->cornerWidget(Qt::TopRightCorner));
    QVERIFY(corner);
    corner->click();
    QVERIFY(window->findChild<QWidget*>("widget_Navigation")->isHidden());
}

void CameraWindowTest::contextMenuEntriesInOrder()
{
    auto* menu = window->findChild<QMenu*>();
    QVERIFY(menu);
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text();
    QCOMPARE(texts, (QStringList{"关闭", "全屏/窗口", "自适应", "原比例", "直方图", "相机属性", ""}));
    auto* zoomLabel = menu->findChild<QLabel*>();
    QVERIFY(zoomLabel);
    QCOMPARE(zoomLabel->text(), QStringLiteral("缩放:"));
    QCOMPARE(menu->findChildren<QPushButton*>().size(), 2);
}

void CameraWindowTest::openFailureShowsItsMessage_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<bool>("openElsewhereFirst");
    QTest::addColumn<QString>("text");
    QTest::newRow("camera open elsewhere")
        << QString(testcameras::kSecond) << true << QStringLiteral("相机已打开，不能重复打开");
    QTest::newRow("no such camera")
        << QString(testcameras::kMissing) << false
        << QStringLiteral("打开相机失败, 错误码:%1").arg(VEXO_SDK_NOT_FOUND);
}

void CameraWindowTest::openFailureShowsItsMessage()
{
    QFETCH(QString, identifier);
    QFETCH(bool, openElsewhereFirst);
    QFETCH(QString, text);
    int other = 0;
    if (openElsewhereFirst)
        QCOMPARE(SdkOpenCamera(&other, identifier.toLatin1().constData()), int(VEXO_SDK_OK));
    QSignalSpy opened(window.get(), &CameraThread::cameraOpen);
    QVERIFY(!window->startCamera(identifier));
    if (other)
        SdkCloseCamera(other);
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen().first().title, QStringLiteral("错误"));
    QCOMPARE(watcher->seen().first().text, text);
    QCOMPARE(watcher->seen().first().buttons, QStringList{QStringLiteral("确定")});
    QVERIFY(!window->isCameraOpen());
    QCOMPARE(window->cameraHandle(), 0);
    QVERIFY(!window->acquisitionThread());
    QVERIFY(window->windowTitle().isEmpty());
    QCOMPARE(opened.count(), 0);
}

void CameraWindowTest::openingTheShownCameraAgainSucceedsAnotherFails()
{
    QVERIFY(openWindow());
    const int handle = window->cameraHandle();
    QVERIFY(window->startCamera(testcameras::kOddWidth));
    QCOMPARE(window->cameraHandle(), handle);
    QVERIFY(!window->startCamera(testcameras::kSecond));
    QCOMPARE(watcher->count(), 0);
    QVERIFY(window->isShowingCamera(testcameras::kOddWidth));
    QVERIFY(!window->isShowingCamera(testcameras::kSecond));
}

void CameraWindowTest::openedWindowShowsFramesAndTitle()
{
    QVERIFY(openWindow());
    QVERIFY(window->isCameraOpen());
    QCOMPARE(window->cameraIdentifier(), QString(testcameras::kOddWidth));
    QCOMPARE(window->windowTitle(), QStringLiteral("Odd row camera"));
    QCOMPARE(window->findChild<QLabel*>("label_title")->text(), QStringLiteral("Odd row camera"));
    auto* view = window->findChild<QGraphicsView*>("graphicsView");
    QTRY_COMPARE_WITH_TIMEOUT(view->scene()->sceneRect(), QRectF(0, 0, 650, 480), kDeadlineMs);
    QTRY_VERIFY_WITH_TIMEOUT(window->acquisitionThread()->frameCount() > 3, kDeadlineMs);
    // Every frame counted as shown is painted: the view repaints for each one (a few may
    // share a repaint when they come faster than the screen is updated).
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    view->viewport()->installEventFilter(&counter);
    const int shownBefore = window->shownFrameCount();
    QTRY_VERIFY_WITH_TIMEOUT(window->shownFrameCount() >= shownBefore + 20, kDeadlineMs);
    view->viewport()->removeEventFilter(&counter);
    QVERIFY2(counter.paints >= 10, qPrintable(QString::number(counter.paints)));
}

void CameraWindowTest::closeStopsTheThreadBeforeClosingTheCamera()
{
    QVERIFY(openWindow());
    const int handle = window->cameraHandle();
    CVideoThread* thread = window->acquisitionThread();
    QTRY_VERIFY_WITH_TIMEOUT(thread->frameCount() > 2, kDeadlineMs);

    // Seen from the thread as it finishes: the camera is still open then.
    std::atomic<int> cameraStateAtThreadEnd{1};
    connect(
        thread, &QThread::finished, thread,
        [&]() {
            int width = 0, height = 0;
            cameraStateAtThreadEnd = SdkGetResolution(handle, &width, &height);
        },
        Qt::DirectConnection);
    bool threadRanAtCloseSignal = false;
    QString closedIdentifier;
    QObject scope;  // ends the connection with this test
    connect(window.get(), &CameraThread::cameraClose, &scope, [&](const QString& identifier) {
        closedIdentifier = identifier;
        threadRanAtCloseSignal =
            window->acquisitionThread() && window->acquisitionThread()->isRunning();
    });

    window->closeCamera();
    QCOMPARE(cameraStateAtThreadEnd.load(), int(VEXO_SDK_OK));
    QCOMPARE(closedIdentifier, QString(testcameras::kOddWidth));
    QVERIFY(threadRanAtCloseSignal);
    int width = 0, height = 0;
    QCOMPARE(SdkGetResolution(handle, &width, &height), int(VEXO_SDK_INVALID_HANDLE));
    QVERIFY(!window->isCameraOpen());
    QVERIFY(!window->acquisitionThread());
    QVERIFY(window->windowTitle().isEmpty());
    QVERIFY(window->findChild<QLabel*>("label_camerainfo")->text().isEmpty());
    QCOMPARE(window->zoomFactor(), 1.0);

    // A closed window can be closed again (cameraClose with no identifier) and reopened.
    QSignalSpy closed(window.get(), &CameraThread::cameraClose);
    window->closeCamera();
    QCOMPARE(closed.count(), 1);
    QCOMPARE(closed.first().first().toString(), QString());
    QVERIFY(openWindow());
}

void CameraWindowTest::closeWhilePausedEndsAtOnce()
{
    QVERIFY(openWindow());
    QTRY_VERIFY_WITH_TIMEOUT(window->acquisitionThread()->frameCount() > 0, kDeadlineMs);
    window->findChild<QPushButton*>("pushButton_open")->click();
    QTest::qWait(100);
    // Nobody resumes: the close ends the paused thread by itself (a hang fails the test).
    window->closeCamera();
    QVERIFY(!window->isCameraOpen());
    QVERIFY(!window->acquisitionThread());
}

void CameraWindowTest::nothingFromAFinishedThreadReachesTheWindow()
{
    const QString pictures = folder.filePath(QStringLiteral("late"));
    setCapture("SvaePath", pictures);
    setCapture("AutoSaveState", 2);
    setCapture("NameRuleFormat", 1);
    setCapture("NameRuleIndex", 40);
    setCapture("PictureType", 2);
    QVERIFY(openWindow());
    auto* status = window->findChild<QLabel*>("label_camerainfo");
    // A picture is asked for and the GUI thread is kept busy, so the thread is waiting in
    // a hand-over when the close begins: the picture and its confirmation are queued
    // while the close waits and arrive after the thread has gone.
    window->acquisitionThread()->requestPicture();
    QThread::msleep(200);
    window->closeCamera();
    QVERIFY(!window->isCameraOpen());
    QTest::qWait(300);
    QCOMPARE(status->text(), QString());
    QVERIFY(filesIn(pictures).isEmpty());
    QCOMPARE(settingsStore()->captureSettings().nameRuleIndex, 40);
    QCOMPARE(watcher->count(), 0);

    // The same for a frame rate report and a message of a thread that has ended.
    QVERIFY(openWindow());
    QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(QStringLiteral("分辨率")), kDeadlineMs);
    CVideoThread* thread = window->acquisitionThread();
    QThread::msleep(1200);  // a report falls due while the GUI thread is busy
    emit thread->cameraMessage(QStringLiteral("late"));  // direct: from the GUI thread
    window->closeCamera();
    QTest::qWait(300);
    QCOMPARE(status->text(), QString());
}

void CameraWindowTest::pauseCloseAndReopenShowsThePauseIcon()
{
    auto* play = window->findChild<QPushButton*>("pushButton_open");
    const QImage pauseIcon = iconImage(QIcon(QStringLiteral(":/images/ICO/pause.png")));
    const QImage playIcon = iconImage(QIcon(QStringLiteral(":/images/ICO/Play.png")));
    QVERIFY(pauseIcon != playIcon);
    QCOMPARE(iconImage(play->icon()), pauseIcon);
    QVERIFY(openWindow());
    play->click();
    QCOMPARE(iconImage(play->icon()), playIcon);
    window->closeCamera();
    QCOMPARE(iconImage(play->icon()), pauseIcon);
    QVERIFY(openWindow());
    QVERIFY(window->acquisitionThread()->isPlaying());
    QCOMPARE(iconImage(play->icon()), pauseIcon);
    // One click pauses the new camera, as the icon promises.
    play->click();
    QVERIFY(!window->acquisitionThread()->isPlaying());
}

void CameraWindowTest::retranslateKeepsTitleAndStatus_data()
{
    QTest::addColumn<QString>("state");
    QTest::newRow("streaming") << "streaming";
    QTest::newRow("paused") << "paused";
    QTest::newRow("unplugged") << "unplugged";
}

void CameraWindowTest::retranslateKeepsTitleAndStatus()
{
    QFETCH(QString, state);
    QVERIFY(openWindow(testcameras::kSecond));
    auto* status = window->findChild<QLabel*>("label_camerainfo");
    auto* title = window->findChild<QLabel*>("label_title");
    QString expected;
    if (state == "streaming") {
        QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(QStringLiteral("分辨率")), kDeadlineMs);
        window->findChild<QPushButton*>("pushButton_open")->click();
        window->updateFrameRate(12.5f, 12.5f, 77);
        expected = status->text();
        QVERIFY(expected.contains(QStringLiteral("图像数：77")));
    } else if (state == "paused") {
        window->findChild<QPushButton*>("pushButton_open")->click();
        expected = kPaused;
    } else {
        QVERIFY(unplug());
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), kDisconnected, kDeadlineMs);
        expected = kDisconnected;
    }
    QCOMPARE(status->text(), expected);
    window->retranslate();
    QCOMPARE(status->text(), expected);
    QCOMPARE(window->windowTitle(), QStringLiteral("Small camera"));
    QCOMPARE(title->text(), QStringLiteral("Small camera"));
    window->closeCamera();
}

void CameraWindowTest::closeDuringHandOverDoesNotDeadlock()
{
    QVERIFY(openWindow());
    QTRY_VERIFY_WITH_TIMEOUT(window->acquisitionThread()->frameCount() > 2, kDeadlineMs);
    // The thread is left waiting inside a frame hand-over when the close starts.
    QThread::msleep(150);
    window->closeCamera();
    QVERIFY(!window->isCameraOpen());
    int other = 0;
    QCOMPARE(SdkOpenCamera(&other, testcameras::kOddWidth), int(VEXO_SDK_OK));
    SdkCloseCamera(other);
}

void CameraWindowTest::destroyingTheWindowClosesTheCamera()
{
    QVERIFY(openWindow());
    QTRY_VERIFY_WITH_TIMEOUT(window->acquisitionThread()->frameCount() > 0, kDeadlineMs);
    window.reset();
    int other = 0;
    QCOMPARE(SdkOpenCamera(&other, testcameras::kOddWidth), int(VEXO_SDK_OK));
    SdkCloseCamera(other);
    window = std::make_unique<CameraThread>();
}

void CameraWindowTest::pauseAndResume()
{
    auto* play = window->findChild<QPushButton*>("pushButton_open");
    auto* status = window->findChild<QLabel*>("label_camerainfo");
    play->click();  // nothing without a camera
    QVERIFY(status->text().isEmpty());

    QVERIFY(openWindow());
    CVideoThread* thread = window->acquisitionThread();
    QTRY_VERIFY_WITH_TIMEOUT(thread->frameCount() > 0, kDeadlineMs);
    play->click();
    QVERIFY(!thread->isPlaying());
    QCOMPARE(status->text(), kPaused);
    // A frame already on its way may still come, however late; nothing after it.
    const int paused = thread->frameCount();
    QTest::qWait(1500);
    QVERIFY(thread->frameCount() <= paused + 1);
    const int settled = thread->frameCount();
    QTest::qWait(1000);
    QCOMPARE(thread->frameCount(), settled);
    // No rate report while paused, so the pause message stays.
    QCOMPARE(status->text(), kPaused);
    play->click();
    QVERIFY(thread->isPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(thread->frameCount() > settled + 2, kDeadlineMs);
    QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(QStringLiteral("分辨率")), kDeadlineMs);
}

void CameraWindowTest::statusLineText_data()
{
    QTest::addColumn<float>("capture");
    QTest::addColumn<float>("display");
    QTest::addColumn<int>("zoomSteps");  // zoom-in clicks from 1:1
    QTest::addColumn<QString>("text");
    QTest::newRow("rates cut to one decimal")
        << 29.97f << 30.0f << 0
        << QStringLiteral(
               "分辨率: 650x480 | 获取帧率: 29.9 | 显示帧率: 30 | 图像数：123 | 缩放比例：100%");
    QTest::newRow("zoom 2 shows 400 percent")
        << 59.99f << 0.04f << 10
        << QStringLiteral(
               "分辨率: 650x480 | 获取帧率: 59.9 | 显示帧率: 0 | 图像数：123 | 缩放比例：400%");
    QTest::newRow("zoom 1.5 shows 225 percent")
        << 0.0f << 12.25f << 5
        << QStringLiteral(
               "分辨率: 650x480 | 获取帧率: 0 | 显示帧率: 12.2 | 图像数：123 | 缩放比例：225%");
}

void CameraWindowTest::statusLineText()
{
    QFETCH(float, capture);
    QFETCH(float, display);
    QFETCH(int, zoomSteps);
    QFETCH(QString, text);
    QVERIFY(openWindow());
    window->findChild<QPushButton*>("pushButton_open")->click();  // keep live reports away
    QTest::qWait(1200);
    QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);  // 1:1
    for (int i = 0; i < zoomSteps; ++i)
        QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
    window->updateFrameRate(capture, display, 123);
    auto* status = window->findChild<GroupedLineLabel*>("label_camerainfo");
    QCOMPARE(status->line(), text);
    QCOMPARE(window->lastCaptureRate(), capture);

    // A narrow window breaks the line between its groups only: the shown lines are made of
    // the line's groups, in order.
    window->resize(240, window->height());
    QTRY_VERIFY_WITH_TIMEOUT(status->text().count('\n') >= 2, kDeadlineMs);
    QCOMPARE(status->line(), text);
    const QString separator = QStringLiteral(" | ");
    QStringList shownGroups;
    for (const QString& line : status->text().split('\n'))
        shownGroups << line.split(separator);
    QCOMPARE(shownGroups, text.split(separator));
}

void CameraWindowTest::statusLineUpdatesWhileStreaming()
{
    QVERIFY(openWindow());
    auto* status = window->findChild<QLabel*>("label_camerainfo");
    QTRY_VERIFY_WITH_TIMEOUT(
        status->text().startsWith(QStringLiteral("分辨率: 650x480 | 获取帧率: ")), kDeadlineMs);
    const QString first = status->text();
    QTRY_VERIFY_WITH_TIMEOUT(status->text() != first, kDeadlineMs);  // the frame count moves on
    QVERIFY(window->lastCaptureRate() > 0);
}

void CameraWindowTest::zoomLimitsAndSteps()
{
    QVERIFY(openWindow());
    QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(window->zoomFactor(), 1.0);
    QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(window->zoomFactor(), 1.1);
    for (int i = 0; i < 100; ++i)
        QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(window->zoomFactor(), 10.0);
    for (int i = 0; i < 100; ++i)
        QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(window->zoomFactor(), 0.1);
    auto* view = window->findChild<QGraphicsView*>("graphicsView");
    QCOMPARE(view->transform().m11(), 0.1);
    QCOMPARE(view->transform().m22(), 0.1);
}

void CameraWindowTest::zoomNeedsACameraExceptOriginalSize()
{
    auto* menu = window->findChild<QMenu*>();
    const QList<QPushButton*> buttons = menu->findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 2);
    for (QPushButton* button : buttons)
        button->click();
    QCOMPARE(window->zoomFactor(), 1.0);
    QVERIFY(openWindow());
    for (QPushButton* button : buttons)  // zoom out, then zoom in
        button->click();
    QVERIFY(window->zoomFactor() != 1.0);
    window->closeCamera();  // ends with "原比例"
    QCOMPARE(window->zoomFactor(), 1.0);
}

void CameraWindowTest::wheelZoomsInHundredths()
{
    QVERIFY(openWindow());
    auto* view = window->findChild<QGraphicsView*>("graphicsView");
    QTRY_COMPARE_WITH_TIMEOUT(view->scene()->sceneRect(), QRectF(0, 0, 650, 480), kDeadlineMs);
    QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
    const QPointF at(view->viewport()->width() / 2.0, view->viewport()->height() / 2.0);
    auto wheel = [&](int delta) {
        QWheelEvent event(at, view->viewport()->mapToGlobal(at.toPoint()), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &event);
    };
    wheel(120);
    QCOMPARE(window->zoomFactor(), 1.01);
    wheel(-120);
    wheel(-120);
    QCOMPARE(window->zoomFactor(), 0.99);
    for (int i = 0; i < 200; ++i)
        wheel(-120);
    QCOMPARE(window->zoomFactor(), 0.01);
    // The scene is the whole picture again after each step.
    QCOMPARE(view->scene()->sceneRect(), QRectF(0, 0, 650, 480));
}

void CameraWindowTest::crosshairsShowWhenTheViewScalesDown()
{
    // A one-pixel crosshair in a 650x480 frame shown at about a third of its size: the
    // view skips most of the frame's rows and columns, and both lines must still show.
    window->resize(320, 340);
    QVERIFY(openWindow());
    QVERIFY(SdkSetCrosshair(window->cameraHandle(), 0, 321, 237, 0x00FF00, 1) == VEXO_SDK_OK);
    QVERIFY(SdkSetCrosshair(window->cameraHandle(), 4, 100, 401, 0xFF00FF, 1) == VEXO_SDK_OK);
    QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
    QVERIFY(window->zoomFactor() < 0.5);
    auto* view = window->findChild<QGraphicsView*>("graphicsView");
    // Whether the line through the crosshair's pixels shows, within a screen pixel of where
    // the view maps them, over the part of the frame in view.
    const auto shows = [&](int x, int y, QColor colour) {
        const QImage shot = view->viewport()->grab().toImage();
        const QRect visible = QRect(view->mapFromScene(QPointF(0, 0)),
                                    view->mapFromScene(QPointF(650, 480)) - QPoint(1, 1))
                                  .intersected(shot.rect());
        const QPoint at = view->mapFromScene(QPointF(x + 0.5, y + 0.5));
        int bestRow = 0, bestColumn = 0;
        for (int d = -1; d <= 1; ++d) {
            int onRow = 0, onColumn = 0;
            for (int sx = visible.left(); sx <= visible.right(); ++sx)
                onRow += visible.contains(sx, at.y() + d) && shot.pixelColor(sx, at.y() + d) == colour;
            for (int sy = visible.top(); sy <= visible.bottom(); ++sy)
                onColumn += visible.contains(at.x() + d, sy) && shot.pixelColor(at.x() + d, sy) == colour;
            bestRow = std::max(bestRow, onRow);
            bestColumn = std::max(bestColumn, onColumn);
        }
        // The other crosshair crosses each line once.
        return bestRow >= visible.width() - 4 && bestColumn >= visible.height() - 4;
    };
    QTRY_VERIFY_WITH_TIMEOUT(shows(321, 237, QColor(0, 255, 0)), kDeadlineMs);
    QVERIFY(shows(100, 401, QColor(255, 0, 255)));
    // At 1:1 the frame's own pixels show them; nothing is drawn over the frame.
    QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(
        static_cast<CustomGraphicsScene*>(view->scene())->overlayLines().isEmpty(), kDeadlineMs);
}

void CameraWindowTest::fitUsesTheSmallerRatio()
{
    QVERIFY(openWindow());
    auto* view = window->findChild<QGraphicsView*>("graphicsView");
    QTRY_COMPARE_WITH_TIMEOUT(view->scene()->sceneRect(), QRectF(0, 0, 650, 480), kDeadlineMs);
    QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
    const double expected = std::min(view->width() / 650.0, view->height() / 480.0);
    QCOMPARE(window->zoomFactor(), expected);
    // A resize fits again.
    window->resize(900, 400);
    QTRY_COMPARE_WITH_TIMEOUT(window->zoomFactor(),
                              std::min(view->width() / 650.0, view->height() / 480.0), kDeadlineMs);
    QVERIFY(window->zoomFactor() != expected);
}

// A new preset or region changes the frame size: the view fits the new size, not the
// zoom the old one had.
void CameraWindowTest::frameOfAnotherSizeFitsAgain()
{
    QVERIFY(openWindow());
    auto* view = window->findChild<QGraphicsView*>("graphicsView");
    QTRY_COMPARE_WITH_TIMEOUT(view->scene()->sceneRect(), QRectF(0, 0, 650, 480), kDeadlineMs);
    QTRY_COMPARE_WITH_TIMEOUT(window->zoomFactor(),
                              std::min(view->width() / 650.0, view->height() / 480.0), kDeadlineMs);
    QCOMPARE(SdkSelectPresetResolution(window->cameraHandle(), 1), 0);
    QTRY_COMPARE_WITH_TIMEOUT(view->scene()->sceneRect(), QRectF(0, 0, 322, 240), kDeadlineMs);
    QTRY_COMPARE_WITH_TIMEOUT(window->zoomFactor(),
                              std::min(view->width() / 322.0, view->height() / 240.0), kDeadlineMs);
}

// The window's own layout can take room from the view without the window changing size:
// the recording progress line appears below it. A fitted view fits again; a zoom the
// user chose stays.
void CameraWindowTest::layoutThatShrinksTheViewKeepsItFitted()
{
    QVERIFY(openWindow());
    auto* view = window->findChild<QGraphicsView*>("graphicsView");
    auto fit = [&] { return std::min(view->width() / 650.0, view->height() / 480.0); };
    QTRY_COMPARE_WITH_TIMEOUT(view->scene()->sceneRect(), QRectF(0, 0, 650, 480), kDeadlineMs);
    window->resize(700, 620);
    QTRY_COMPARE_WITH_TIMEOUT(window->zoomFactor(), fit(), kDeadlineMs);
    const int before = view->height();
    auto* line = window->findChild<QLabel*>("label_recording");
    QVERIFY(line);
    line->setText("1\n2\n3\n4");
    line->show();
    QTRY_VERIFY_WITH_TIMEOUT(view->height() < before, kDeadlineMs);
    QTRY_COMPARE_WITH_TIMEOUT(window->zoomFactor(), fit(), kDeadlineMs);

    // The wheel zooms by hand: the line going away leaves that zoom alone.
    const QPointF at(view->viewport()->width() / 2.0, view->viewport()->height() / 2.0);
    QWheelEvent event(at, view->viewport()->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &event);
    const double chosen = window->zoomFactor();
    line->hide();
    QTRY_COMPARE_WITH_TIMEOUT(view->height(), before, kDeadlineMs);
    QCOMPARE(window->zoomFactor(), chosen);
}

// A window that showed one camera fits the next one's frames when they come, not the
// placeholder or the zoom of the camera before.
void CameraWindowTest::reopenedWindowFitsTheNewCamera()
{
    QVERIFY(openWindow());
    auto* view = window->findChild<QGraphicsView*>("graphicsView");
    QTRY_COMPARE_WITH_TIMEOUT(view->scene()->sceneRect(), QRectF(0, 0, 650, 480), kDeadlineMs);
    window->closeCamera();
    const int shown = window->shownFrameCount();
    QVERIFY(window->startCamera(QString::fromLatin1(testcameras::kSecond)));
    QTRY_VERIFY_WITH_TIMEOUT(window->shownFrameCount() > shown, kDeadlineMs);
    QTRY_COMPARE_WITH_TIMEOUT(view->scene()->sceneRect(), QRectF(0, 0, 320, 240), kDeadlineMs);
    QTRY_COMPARE_WITH_TIMEOUT(window->zoomFactor(),
                              std::min(view->width() / 320.0, view->height() / 240.0), kDeadlineMs);
}

void CameraWindowTest::navigationRectangleFollowsTheZoom()
{
    QVERIFY(openWindow());
    window->findChild<QPushButton*>("pushButton_navigation")->click();
    auto* view = window->findChild<QGraphicsView*>("graphicsView");
    auto* navigation = window->findChild<QGraphicsView*>("graphicsView_Navigation");
    auto* rectangle = window->findChild<QLabel*>("label_displayWindow");
    QTRY_COMPARE_WITH_TIMEOUT(view->scene()->sceneRect(), QRectF(0, 0, 650, 480), kDeadlineMs);
    QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
    window->updateNavigationRect();
    QCOMPARE(rectangle->geometry(), QRect(QPoint(0, 0), navigation->size()));

    // At 2× only part of the image shows: the rectangle shrinks accordingly.
    QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(window->zoomFactor(), 2.0);
    window->updateNavigationRect();
    const QRect geometry = rectangle->geometry();
    const double scaleX = navigation->width() / 650.0;
    const double scaleY = navigation->height() / 480.0;
    QCOMPARE(geometry.width(), int(scaleX * view->width() / 2.0));
    QCOMPARE(geometry.height(), int(scaleY * view->height() / 2.0));
    QVERIFY(geometry.width() < navigation->width());
    const QPointF topLeft = view->mapToScene(QPoint(0, 0));
    QCOMPARE(geometry.x(), int(scaleX * std::max(0.0, topLeft.x())));
    QCOMPARE(geometry.y(), int(scaleY * std::max(0.0, topLeft.y())));
}

void CameraWindowTest::rectangleFollowsAtTheNextRepaint()
{
    QVERIFY(openWindow());
    window->findChild<QPushButton*>("pushButton_navigation")->click();
    auto* rectangle = window->findChild<QLabel*>("label_displayWindow");
    auto* navigation = window->findChild<QGraphicsView*>("graphicsView_Navigation");
    QTRY_COMPARE_WITH_TIMEOUT(rectangle->geometry(), QRect(QPoint(0, 0), navigation->size()),
                              kDeadlineMs);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
    // Frames keep arriving; the window repaints and the rectangle shrinks.
    QTRY_VERIFY_WITH_TIMEOUT(rectangle->width() < navigation->width(), kDeadlineMs);
}

namespace {

// The scene of a view that shows one picture, rendered at the scene's own size; null when
// the scene holds no picture or more than one item.
QImage onlyPixmap(QGraphicsView* view)
{
    QGraphicsScene* scene = view->scene();
    if (scene->items().size() != 1 || scene->sceneRect().isEmpty())
        return {};
    QImage image(scene->sceneRect().size().toSize(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    scene->render(&painter, QRectF(image.rect()), scene->sceneRect());
    return image;
}

QColor meanColour(const QImage& image)
{
    const QImage small = image.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return small.isNull() ? QColor() : small.pixelColor(0, 0);
}

}  // namespace

void CameraWindowTest::navigationPanelShowsTheFrameAlsoWhenOpenedWhilePaused()
{
    QVERIFY(openWindow());
    window->findChild<QPushButton*>("pushButton_open")->click();
    QVERIFY(!window->acquisitionThread()->isPlaying());
    auto* view = window->findChild<QGraphicsView*>("graphicsView");
    auto* navigation = window->findChild<QGraphicsView*>("graphicsView_Navigation");
    const QImage frame = onlyPixmap(view);
    QCOMPARE(frame.size(), QSize(650, 480));

    // Opened while no frames come, the panel still shows the frame on screen, at its size.
    window->findChild<QPushButton*>("pushButton_navigation")->click();
    const QImage copy = onlyPixmap(navigation);
    QCOMPARE(copy.size(), navigation->size());
    const QColor a = meanColour(frame), b = meanColour(copy);
    QVERIFY2(std::abs(a.red() - b.red()) < 12 && std::abs(a.green() - b.green()) < 12 &&
                 std::abs(a.blue() - b.blue()) < 12,
             qPrintable(QStringLiteral("%1 against %2").arg(a.name(), b.name())));

    // Playing again, every new frame replaces it with a copy of the same size.
    window->findChild<QPushButton*>("pushButton_open")->click();
    const int before = window->acquisitionThread()->frameCount();
    QTRY_VERIFY_WITH_TIMEOUT(window->acquisitionThread()->frameCount() > before + 2, kDeadlineMs);
    QCOMPARE(onlyPixmap(navigation).size(), navigation->size());
}

namespace {

// The frame item of a camera window's view.
const FrameImageItem* shownFrame(QGraphicsView* view)
{
    for (QGraphicsItem* item : view->scene()->items())
        if (auto* frame = qgraphicsitem_cast<FrameImageItem*>(item))
            return frame;
    return nullptr;
}

}  // namespace

// Frames only the screen sees come in the screen's 32-bit format; as soon as anything else
// reads the shown frames (the histogram, a measurement tool) they are 24-bit RGB again. The
// screen shows both alike, and a frame on screen outlives the camera's buffers.
void CameraWindowTest::shownFramesTakeTheFormatOfTheirReaders()
{
    QVERIFY(openWindow());
    auto* view = window->findChild<QGraphicsView*>("graphicsView");
    const auto formatShown = [&] {
        const FrameImageItem* frame = shownFrame(view);
        return frame ? frame->image().format() : QImage::Format_Invalid;
    };
    const auto nextFrames = [&] {
        const int before = window->shownFrameCount();
        return QTest::qWaitFor([&] { return window->shownFrameCount() > before + 2; },
                               kDeadlineMs);
    };
    QTRY_COMPARE_WITH_TIMEOUT(formatShown(), QImage::Format_RGB32, kDeadlineMs);
    QCOMPARE(shownFrame(view)->size(), QSize(650, 480));
    const QColor screenColour = meanColour(onlyPixmap(view));

    QImage::Format read = QImage::Format_Invalid;
    auto reader = connect(window.get(), &CameraThread::frameShown, this,
                          [&read](const QImage& image) { read = image.format(); });
    QVERIFY(nextFrames());
    QCOMPARE(read, QImage::Format_RGB888);
    QCOMPARE(formatShown(), QImage::Format_RGB888);
    // The simulated scene moves, but its overall colour stays.
    const QColor readerColour = meanColour(onlyPixmap(view));
    QVERIFY2(std::abs(screenColour.red() - readerColour.red()) < 12 &&
                 std::abs(screenColour.green() - readerColour.green()) < 12 &&
                 std::abs(screenColour.blue() - readerColour.blue()) < 12,
             qPrintable(QStringLiteral("%1 against %2")
                            .arg(screenColour.name(), readerColour.name())));
    disconnect(reader);
    QTRY_COMPARE_WITH_TIMEOUT(formatShown(), QImage::Format_RGB32, kDeadlineMs);

    auto* tools = window->findChild<MeasureTools*>("measureTools");
    QVERIFY(tools);
    tools->setOn(MeasureTools::Tool::Clipping, true);
    QVERIFY(nextFrames());
    QCOMPARE(formatShown(), QImage::Format_RGB888);
    tools->setOn(MeasureTools::Tool::Clipping, false);
    QTRY_COMPARE_WITH_TIMEOUT(formatShown(), QImage::Format_RGB32, kDeadlineMs);

    // Closing the camera takes its buffers away; the view paints the placeholder.
    window->closeCamera();
    QVERIFY(shownFrame(view));
    QVERIFY(shownFrame(view)->size() != QSize(650, 480));
    QVERIFY(!view->grab().isNull());
}

void CameraWindowTest::sceneFillsTheBackgroundAroundTheFrameWithoutSeams_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<QPointF>("shift");
    QTest::newRow("fitted down") << 0.37 << QPointF(0, 0);
    QTest::newRow("one to one") << 1.0 << QPointF(0, 0);
    QTest::newRow("zoomed, edge between pixels") << 2.6 << QPointF(-40.3, -25.7);
    QTest::newRow("tiny") << 0.05 << QPointF(0, 0);
}

// The window's view does not fill its background under frames; the scene paints it around
// the frame. Every pixel of the view must be either frame or background, at any scale.
void CameraWindowTest::sceneFillsTheBackgroundAroundTheFrameWithoutSeams()
{
    QFETCH(double, scale);
    QFETCH(QPointF, shift);
    CustomGraphicsScene scene;
    QImage frame(301, 203, QImage::Format_RGB32);
    frame.fill(QColor(200, 40, 60));
    auto* item = scene.addPixmap(QPixmap::fromImage(frame));
    scene.setOpaqueArea(item->boundingRect());
    scene.setSceneRect(item->boundingRect());
    QGraphicsView view(&scene);
    view.setStyleSheet(
        QStringLiteral("QGraphicsView{background-color: rgb(30, 30, 30); border: none;}"));
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.viewport()->setAutoFillBackground(false);
    view.viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    view.resize(260, 180);
    view.setTransform(QTransform::fromScale(scale, scale));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.centerOn(item->boundingRect().center() + shift);

    const QImage shown = view.viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QRect frameOnView = view.mapFromScene(item->boundingRect()).boundingRect();
    int background = 0, image = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb p = shown.pixel(x, y);
            if (p == qRgb(30, 30, 30))
                ++background;
            else if (p == qRgb(200, 40, 60))
                ++image;
            else
                QFAIL(qPrintable(
                    QStringLiteral("pixel (%1, %2) is #%3").arg(x).arg(y).arg(p, 8, 16)));
        }
    }
    QVERIFY(image > 0);
    // Where the frame does not reach, the background shows.
    QCOMPARE(background > 0, !frameOnView.contains(shown.rect()));

    // Without an opaque area (the placeholder, which has transparent parts) all of it is
    // background under the item.
    scene.setOpaqueArea(QRectF());
    item->setPixmap(QPixmap());
    view.viewport()->update();
    const QImage empty = view.viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(empty.pixel(empty.width() / 2, empty.height() / 2), qRgb(30, 30, 30));
}

void CameraWindowTest::draggingTheRectangleMovesTheViewAndStopsAtTheEdges()
{
    QVERIFY(openWindow());
    window->findChild<QPushButton*>("pushButton_navigation")->click();
    auto* rectangle = window->findChild<QLabel*>("label_displayWindow");
    auto* navigation = window->findChild<QGraphicsView*>("graphicsView_Navigation");
    auto* view = window->findChild<QGraphicsView*>("graphicsView");
    QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(rectangle->width() < navigation->width(), kDeadlineMs);
    window->updateNavigationRect();
    const QRect start = rectangle->geometry();

    // The drag follows the global cursor, as the window reads it.
    auto send = [&](QEvent::Type type) {
        QMouseEvent event(type, QPointF(2, 2), QPointF(QCursor::pos()), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(rectangle, &event);
    };
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(rectangle, &enter);
    const QPoint origin(500, 500);
    QCursor::setPos(origin);
    send(QEvent::MouseButtonPress);
    const QPoint step(4, 3);
    QCursor::setPos(origin + step);
    send(QEvent::MouseMove);
    QCOMPARE(rectangle->geometry().topLeft(), start.topLeft() + step);
    // The view now starts at the image point the rectangle marks, and stays there while
    // new frames arrive.
    const double scaleX = navigation->width() / 650.0;
    const double scaleY = navigation->height() / 480.0;
    const QPointF marked(rectangle->x() / scaleX, rectangle->y() / scaleY);
    auto shownTopLeft = [&]() { return view->mapToScene(QPoint(0, 0)); };
    auto near = [](const QPointF& a, const QPointF& b) {
        return std::abs(a.x() - b.x()) <= 1.0 && std::abs(a.y() - b.y()) <= 1.0;
    };
    QVERIFY2(near(shownTopLeft(), marked), qPrintable(QString("%1,%2 instead of %3,%4")
                                                          .arg(shownTopLeft().x())
                                                          .arg(shownTopLeft().y())
                                                          .arg(marked.x())
                                                          .arg(marked.y())));
    QVERIFY(marked.x() > 1.0 || marked.y() > 1.0);
    const int frames = window->acquisitionThread()->frameCount();
    QTRY_VERIFY_WITH_TIMEOUT(window->acquisitionThread()->frameCount() > frames + 3, kDeadlineMs);
    QVERIFY2(near(shownTopLeft(), marked),
             qPrintable(QString("%1,%2 instead of %3,%4 after new frames")
                            .arg(shownTopLeft().x())
                            .arg(shownTopLeft().y())
                            .arg(marked.x())
                            .arg(marked.y())));
    QCOMPARE(view->scene()->sceneRect(), QRectF(0, 0, 650, 480));

    // Far beyond the right and bottom edges: the rectangle stays where it was.
    const QPoint before = rectangle->geometry().topLeft();
    QCursor::setPos(origin + step + QPoint(1000, 1000));
    send(QEvent::MouseMove);
    QCOMPARE(rectangle->geometry().topLeft(), before);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(rectangle, &leave);
}

void CameraWindowTest::hotkeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<double>("zoom");  // after 1:1, or -1 to skip
    QTest::addColumn<bool>("playing");
    QTest::newRow("enlarge") << int(Qt::Key_E) << int(Qt::ControlModifier) << 1.1 << true;
    QTest::newRow("narrow") << int(Qt::Key_R) << int(Qt::ControlModifier) << 0.9 << true;
    QTest::newRow("play and pause") << int(Qt::Key_U) << int(Qt::ControlModifier) << 1.0 << false;
    QTest::newRow("control alone does nothing")
        << int(Qt::Key_Control) << int(Qt::ControlModifier) << 1.0 << true;
    QTest::newRow("meta is not part of the combination")
        << int(Qt::Key_E) << int(Qt::ControlModifier | Qt::MetaModifier) << 1.1 << true;
    QTest::newRow("shift makes another combination")
        << int(Qt::Key_E) << int(Qt::ControlModifier | Qt::ShiftModifier) << 1.0 << true;
}

void CameraWindowTest::hotkeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(double, zoom);
    QFETCH(bool, playing);
    // Without a camera no hotkey acts.
    QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(window->zoomFactor(), 1.0);
    QVERIFY(openWindow());
    QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(window->zoomFactor(), 1.0);
    QTest::keyClick(window.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(window->zoomFactor(), zoom);
    QCOMPARE(window->acquisitionThread()->isPlaying(), playing);
}

void CameraWindowTest::hotkeysMatchInSettingsOrder()
{
    QVERIFY(openWindow());
    HotkeySettings& hotkeys = settingsStore()->hotkeySettings();
    hotkeys.narrow = QStringLiteral("Ctrl+Y");  // also the picture hotkey
    QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
    window->acquisitionThread()->setPlaying(false);
    QTest::qWait(100);
    QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(window->zoomFactor(), 0.9);
    QVERIFY(!window->acquisitionThread()->pictureRequested());
    hotkeys.narrow = savedHotkeys.narrow;
    QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(window->acquisitionThread()->pictureRequested());
    QCOMPARE(window->zoomFactor(), 0.9);
}

void CameraWindowTest::cameraDropOpensTheCamera()
{
    QSignalSpy opened(window.get(), &CameraThread::cameraOpen);
    QMimeData data;
    data.setData("INFO", QByteArray(testcameras::kOddWidth));
    QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    deliverDrop(window.get(), &drop);
    QVERIFY(drop.isAccepted());
    QVERIFY(window->isShowingCamera(testcameras::kOddWidth));
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.first().first().toString(), QString(testcameras::kOddWidth));
    QCOMPARE(watcher->count(), 0);

    // Opening through startCamera directly reports nothing.
    window->closeCamera();
    QVERIFY(openWindow());
    QCOMPARE(opened.count(), 1);
}

void CameraWindowTest::cameraDropOnAnOccupiedWindowIsRefused()
{
    QVERIFY(openWindow());
    QSignalSpy opened(window.get(), &CameraThread::cameraOpen);
    QMimeData data;
    data.setData("INFO", QByteArray(testcameras::kSecond));
    QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    deliverDrop(window.get(), &drop);
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen().first().title, QStringLiteral("提示"));
    QCOMPARE(watcher->seen().first().text, QStringLiteral("打开失败,该窗口存在已被打开的相机"));
    QVERIFY(window->isShowingCamera(testcameras::kOddWidth));
    QCOMPARE(opened.count(), 0);
    // The same refusal for the scene's request, even for the camera already shown.
    window->on_openCamera(testcameras::kOddWidth);
    QCOMPARE(watcher->count(), 2);
}

void CameraWindowTest::sceneDropAsksToOpenTheCamera()
{
    auto* view = window->findChild<QGraphicsView*>("graphicsView");
    auto* scene = qobject_cast<CustomGraphicsScene*>(view->scene());
    QSignalSpy asked(scene, &CustomGraphicsScene::openCamera);
    QSignalSpy opened(window.get(), &CameraThread::cameraOpen);

    QMimeData other;
    other.setData("ROW", "1");
    QGraphicsSceneDragDropEvent enterOther(QEvent::GraphicsSceneDragEnter);
    enterOther.setMimeData(&other);
    enterOther.setAccepted(false);
    QApplication::sendEvent(scene, &enterOther);
    QVERIFY(!enterOther.isAccepted());

    QMimeData data;
    data.setData("INFO", QByteArray(testcameras::kOddWidth) + QByteArray("\0tail", 5));
    QGraphicsSceneDragDropEvent enter(QEvent::GraphicsSceneDragEnter);
    enter.setMimeData(&data);
    enter.setAccepted(false);
    QApplication::sendEvent(scene, &enter);
    QVERIFY(enter.isAccepted());
    QGraphicsSceneDragDropEvent drop(QEvent::GraphicsSceneDrop);
    drop.setMimeData(&data);
    drop.setAccepted(false);
    QApplication::sendEvent(scene, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.first().first().toString(), QString(testcameras::kOddWidth));
    QVERIFY(window->isShowingCamera(testcameras::kOddWidth));
    QCOMPARE(opened.count(), 1);

    // A drop without a camera is taken and does nothing.
    QGraphicsSceneDragDropEvent dropOther(QEvent::GraphicsSceneDrop);
    dropOther.setMimeData(&other);
    dropOther.setAccepted(false);
    QApplication::sendEvent(scene, &dropOther);
    QVERIFY(dropOther.isAccepted());
    QCOMPARE(asked.count(), 1);
}

void CameraWindowTest::windowDropReportsTheMove()
{
    window->setGridCell(1, 2, 1, 1);
    QList<QList<int>> moves;
    QObject scope;
    connect(window.get(), &CameraThread::windowMoving, &scope,
            [&](int& oldRow, int& oldColumn, int& newRow, int& newColumn) {
                moves << QList<int>{oldRow, oldColumn, newRow, newColumn};
            });
    QMimeData data;
    data.setData("ROW", "0");
    data.setData("COLUMN", "2");
    QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    deliverDrop(window.get(), &drop);
    QCOMPARE(moves.size(), 1);
    QCOMPARE(moves.first(), (QList<int>{0, 2, 1, 2}));
    QVERIFY(!window->isCameraOpen());
}

void CameraWindowTest::pictureNaming_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<int>("pictureType");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("indexAfter");
    QTest::newRow("index 7 as PNG leaves 8") << 1 << 2 << "^Image__7\\.png$" << 8;
    QTest::newRow("date and time as BMP") << 0 << 0 << "^Image__\\d{14}\\.bmp$" << 7;
    QTest::newRow("date and time as JPG") << 0 << 1 << "^Image__\\d{14}\\.jpg$" << 7;
}

void CameraWindowTest::pictureNaming()
{
    QFETCH(int, rule);
    QFETCH(int, pictureType);
    QFETCH(QString, pattern);
    QFETCH(int, indexAfter);
    const QString pictures =
        folder.filePath(QStringLiteral("auto/%1").arg(QTest::currentDataTag()));
    setCapture("SvaePath", pictures);  // not there yet: made when the picture is saved
    setCapture("AutoSaveState", 2);
    setCapture("NameRulePrefix", "Image_");
    setCapture("NameRuleFormat", rule);
    setCapture("NameRuleIndex", 7);
    setCapture("PictureType", pictureType);

    QVERIFY(openWindow());
    QTRY_VERIFY_WITH_TIMEOUT(window->acquisitionThread()->frameCount() > 0, kDeadlineMs);
    window->findChild<QPushButton*>("pushButton_photogrape")->click();
    QTRY_COMPARE_WITH_TIMEOUT(filesIn(pictures).size(), 1, kDeadlineMs);
    QVERIFY2(QRegularExpression(pattern).match(filesIn(pictures).first()).hasMatch(),
             qPrintable(filesIn(pictures).first()));
    QCOMPARE(settingsStore()->captureSettings().nameRuleIndex, indexAfter);
    QCOMPARE(settingsStore()->value("CAPTURE", "NameRuleIndex").toInt(), indexAfter);
    QTRY_COMPARE_WITH_TIMEOUT(window->findChild<QLabel*>("label_camerainfo")->text(), kSaved,
                              kDeadlineMs);
    QImage saved(QDir(pictures).filePath(filesIn(pictures).first()));
    QCOMPARE(saved.size(), QSize(650, 480));
}

void CameraWindowTest::pictureIntoChosenFolder()
{
    const QString chosen = folder.filePath(QStringLiteral("chosen"));
    QVERIFY(QDir().mkpath(chosen));
    setCapture("AutoSaveState", 0);
    setCapture("NameRuleFormat", 0);
    setCapture("PictureType", 2);
    watcher->setFileAnswer(chosen);
    QVERIFY(openWindow());
    QTRY_VERIFY_WITH_TIMEOUT(window->acquisitionThread()->frameCount() > 0, kDeadlineMs);
    QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(filesIn(chosen).size(), 1, kDeadlineMs);
    QVERIFY2(QRegularExpression("^Image__\\d{17}\\.png$").match(filesIn(chosen).first()).hasMatch(),
             qPrintable(filesIn(chosen).first()));
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen().first().title, QStringLiteral("选择"));
    QTRY_COMPARE_WITH_TIMEOUT(window->findChild<QLabel*>("label_camerainfo")->text(), kSaved,
                              kDeadlineMs);
}

void CameraWindowTest::cancelledFolderDialogSavesNothingAndClaimsNothing()
{
    setCapture("AutoSaveState", 0);
    QVERIFY(openWindow());
    window->findChild<QPushButton*>("pushButton_open")->click();  // no rate reports
    auto* status = window->findChild<QLabel*>("label_camerainfo");
    status->setText("before");
    // The thread's confirmation arrives while the dialog is open, as it does live.
    QMetaObject::invokeMethod(window.get(), "cameraMessage", Qt::QueuedConnection,
                              Q_ARG(QString, kSaved));
    std::vector<BYTE> pixels(650 * 480 * 3, 0x80);
    stImageInfo info{};
    info.width = 650;
    info.height = 480;
    info.pixelFormat = VEXO_SDK_PIXEL_RGB8;
    window->cameraSavePic(pixels.data(), info);  // the watcher cancels the dialog
    QCOMPARE(watcher->count(), 1);
    QTest::qWait(50);
    QCOMPARE(status->text(), QStringLiteral("before"));
}

void CameraWindowTest::pictureThatCannotBeWrittenIsReported()
{
    QFile blocker(folder.filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    setCapture("SvaePath", blocker.fileName() + "/pictures");
    setCapture("AutoSaveState", 2);
    setCapture("NameRuleFormat", 1);
    setCapture("PictureType", 2);
    QVERIFY(openWindow());
    window->findChild<QPushButton*>("pushButton_open")->click();
    auto* status = window->findChild<QLabel*>("label_camerainfo");

    HandedOverPicture picture;
    BYTE* pixels = picture.pixels.data();
    const stImageInfo& info = picture.info;
    window->cameraSavePic(pixels, info);
    const QString refused = QStringLiteral("图片未保存: 无法使用保存文件夹 %1: %2 不是文件夹")
                                .arg(QDir::toNativeSeparators(blocker.fileName() + "/pictures"),
                                     QDir::toNativeSeparators(blocker.fileName()));
    QCOMPARE(status->text(), refused);
    // The confirmation that follows the picture does not hide the failure.
    window->cameraMessage(kSaved);
    QCOMPARE(status->text(), refused);
    // Other messages still show.
    window->cameraMessage(QStringLiteral("next"));
    QCOMPARE(status->text(), QStringLiteral("next"));

    // An unknown picture type writes nothing and says so. The store reads one from the file
    // as the default type (see tst_settingsstore), so it is put into the record directly.
    setCapture("SvaePath", folder.filePath(QStringLiteral("typeless")));
    settingsStore()->captureSettings().pictureType = 7;
    window->cameraSavePic(pixels, info);
    QCOMPARE(status->text(),
             QStringLiteral("图片未保存, 错误码:%1").arg(VEXO_SDK_INVALID_ARGUMENT));
    QVERIFY(filesIn(folder.filePath(QStringLiteral("typeless"))).isEmpty());
}

namespace {

// The grey values of a picture file and the bits a value has in it; 0 bits when the file
// cannot be read or is not grey.
struct GreyPicture {
    int bits = 0;
    QSize size;
    std::vector<quint16> values;
};

GreyPicture readGreyPicture(const QString& path)
{
    GreyPicture picture;
    if (path.endsWith(QLatin1String(".tif"))) {
        TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "r");
        if (!tiff)
            return picture;
        uint32_t w = 0, h = 0;
        uint16_t samples = 0, bits = 0;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &h);
        TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
        if (samples == 1 && bits == 16) {
            picture.values.resize(size_t(w) * h);
            bool ok = true;
            for (uint32_t y = 0; y < h && ok; ++y)
                ok = TIFFReadScanline(tiff, picture.values.data() + size_t(y) * w, y) >= 0;
            if (ok) {
                picture.bits = 16;
                picture.size = QSize(int(w), int(h));
            }
        }
        TIFFClose(tiff);
        return picture;
    }
    const QImage image(path);
    if (!image.isGrayscale())
        return picture;
    picture.size = image.size();
    picture.bits = image.format() == QImage::Format_Grayscale16 ? 16 : image.depth();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            picture.values.push_back(picture.bits == 16
                                         ? reinterpret_cast<const quint16*>(image.constScanLine(y))[x]
                                         : quint16(qGray(image.pixel(x, y))));
    return picture;
}

}  // namespace

void CameraWindowTest::deepCameraPicturesKeepTheirDepth_data()
{
    QTest::addColumn<int>("pictureType");
    QTest::addColumn<int>("keepBitDepth");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<int>("bits");
    QTest::newRow("PNG keeps 12 bits") << 2 << 2 << ".png" << 16;
    QTest::newRow("TIFF keeps 12 bits") << 3 << 2 << ".tif" << 16;
    QTest::newRow("PNG of the shown image") << 2 << 0 << ".png" << 8;
    QTest::newRow("BMP cannot hold 16 bits") << 0 << 2 << ".bmp" << 8;
}

void CameraWindowTest::deepCameraPicturesKeepTheirDepth()
{
    QFETCH(int, pictureType);
    QFETCH(int, keepBitDepth);
    QFETCH(QString, extension);
    QFETCH(int, bits);
    const QString pictures = folder.filePath(QStringLiteral("deep/%1").arg(QTest::currentDataTag()));
    setCapture("SvaePath", pictures);
    setCapture("AutoSaveState", 2);
    setCapture("NameRuleFormat", 1);
    setCapture("PictureType", pictureType);
    setCapture("KeepBitDepth", keepBitDepth);

    QVERIFY(openWindow(testcameras::kDeepMono));
    QTRY_VERIFY_WITH_TIMEOUT(window->acquisitionThread()->frameCount() > 0, kDeadlineMs);
    window->findChild<QPushButton*>("pushButton_photogrape")->click();
    QTRY_COMPARE_WITH_TIMEOUT(filesIn(pictures).size(), 1, kDeadlineMs);
    QTRY_COMPARE_WITH_TIMEOUT(window->findChild<QLabel*>("label_camerainfo")->text(), kSaved,
                              kDeadlineMs);
    const QString file = filesIn(pictures).first();
    QVERIFY2(file.endsWith(extension), qPrintable(file));

    const GreyPicture picture = readGreyPicture(QDir(pictures).filePath(file));
    QCOMPARE(picture.bits, bits);
    QCOMPARE(picture.size, QSize(322, 240));
    if (bits == 16) {
        // A 12-bit value v is stored as v * 16: every value a multiple of 16, and the
        // camera's low bits show as values an 8-bit picture could not hold.
        int finerThan8Bits = 0;
        for (quint16 v : picture.values) {
            QVERIFY2(v % 16 == 0, qPrintable(QString::number(v)));
            finerThan8Bits += v % 256 != 0;
        }
        QVERIFY(finerThan8Bits > int(picture.values.size()) / 4);
    }
}

void CameraWindowTest::unusableFolderTakesNoPicture_data()
{
    // TMP stands for an empty folder of this row (also the working directory).
    QTest::addColumn<QString>("savePath");
    QTest::addColumn<bool>("agree");  // the answer to a question to make the folder
    QTest::addColumn<QString>("status");
    QTest::newRow("NUL byte")
        << QString("TMP/pictures") + QChar(0) + "/more" << true
        << "图片未保存: 保存文件夹 TMP/pictures\\x00/more 含有控制字符 (如 NUL), 无法使用";
    QTest::newRow("empty, once the root folder") << "" << true << "图片未保存: 未设置保存文件夹";
    QTest::newRow("relative, once the working directory")
        << "pictures" << true << "图片未保存: 保存文件夹 pictures 不是绝对路径, 请填写完整路径";
    QTest::newRow("missing, the user says no")
        << "TMP/new/pictures" << false << "图片未保存: 保存文件夹 TMP/new/pictures 不存在";
    QTest::newRow("missing, the user says yes") << "TMP/new/pictures" << true << kSaved;
}

void CameraWindowTest::unusableFolderTakesNoPicture()
{
    QFETCH(QString, savePath);
    QFETCH(bool, agree);
    QFETCH(QString, status);
    QTemporaryDir here(folder.filePath(QStringLiteral("row-XXXXXX")));
    const QString root = here.path();
    const QString workingDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root));
    struct Back {
        QString folder;
        ~Back() { QDir::setCurrent(folder); }
    } back{workingDirectory};
    const QString prefix = QStringLiteral("FolderRule_%1_").arg(QFileInfo(root).fileName());
    setCapture("SvaePath", savePath.replace("TMP", root));
    setCapture("AutoSaveState", 2);
    setCapture("NameRulePrefix", prefix);
    setCapture("NameRuleFormat", 1);
    setCapture("PictureType", 2);
    watcher->setAccept(agree);
    QVERIFY(openWindow());
    window->findChild<QPushButton*>("pushButton_open")->click();

    HandedOverPicture picture;
    BYTE* pixels = picture.pixels.data();
    const stImageInfo& info = picture.info;
    window->cameraSavePic(pixels, info);
    auto* label = window->findChild<QLabel*>("label_camerainfo");
    QCOMPARE(label->text(), status.replace("TMP", QDir::toNativeSeparators(root)));
    const bool missing = QTest::currentDataTag() == QString("missing, the user says no") ||
                         QTest::currentDataTag() == QString("missing, the user says yes");
    QCOMPARE(watcher->count(), missing ? 1 : 0);
    if (status == kSaved) {
        const QStringList saved = filesIn(root + "/new/pictures");
        QCOMPARE(saved.size(), 1);
        QVERIFY2(saved.first().startsWith(prefix), qPrintable(saved.first()));
        return;
    }
    // No picture anywhere: not here (the working directory), not in the root folder.
    QCOMPARE(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(QDir("/").entryList({prefix + "*"}, QDir::Files).isEmpty());
}

void CameraWindowTest::fullScreenNeedsACameraToEnter()
{
    QSignalSpy entered(window.get(), &CameraThread::enterFullScreen);
    QSignalSpy left(window.get(), &CameraThread::exitFullScreen);
    window->findChild<QPushButton*>("pushButton_screenzoom")->click();
    QCOMPARE(entered.count(), 0);
    QVERIFY(!window->isFullScreen());
    QVERIFY(openWindow());
    window->findChild<QPushButton*>("pushButton_screenzoom")->click();
    QCOMPARE(entered.count(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(window->isFullScreen(), kDeadlineMs);
    QTest::keyClick(window.get(), Qt::Key_I, Qt::ControlModifier);
    QCOMPARE(left.count(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!window->isFullScreen(), kDeadlineMs);
    // Leaving works after the camera has gone, too.
    window->findChild<QPushButton*>("pushButton_screenzoom")->click();
    QTRY_VERIFY_WITH_TIMEOUT(window->isFullScreen(), kDeadlineMs);
    window->closeCamera();
    window->findChild<QPushButton*>("pushButton_screenzoom")->click();
    QCOMPARE(left.count(), 2);
}

void CameraWindowTest::selectionBorderAndRetranslate()
{
    auto* contents = window->findChild<QWidget*>("dockWidgetContents");
    window->setSelected(true);
    QCOMPARE(contents->contentsMargins(), QMargins(2, 3, 2, 2));
    window->setSelected(false);
    QCOMPARE(contents->contentsMargins(), QMargins(0, 0, 0, 0));

    window->retranslate();
    QVERIFY(window->windowTitle().isEmpty());
    QVERIFY(openWindow());
    window->setWindowTitle("progress");
    QCOMPARE(window->findChild<QLabel*>("label_title")->text(), QStringLiteral("progress"));
    window->retranslate();
    QCOMPARE(window->windowTitle(), QStringLiteral("Odd row camera"));
    QCOMPARE(window->findChild<QLabel*>("label_title")->text(), QStringLiteral("Odd row camera"));
}

void CameraWindowTest::detachedCameraKeepsTheWindowUsable()
{
    QVERIFY(openWindow(testcameras::kSecond));
    auto* status = window->findChild<QLabel*>("label_camerainfo");
    QTRY_VERIFY_WITH_TIMEOUT(window->acquisitionThread()->frameCount() > 2, kDeadlineMs);
    QVERIFY(unplug());
    // The window says the camera is gone, and keeps saying it: no rate report of 0
    // frames per second replaces it.
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), kDisconnected, kDeadlineMs);
    QTest::qWait(1500);
    QCOMPARE(status->text(), kDisconnected);
    QVERIFY(window->isCameraOpen());
    QVERIFY(window->acquisitionThread()->isRunning());
    QCOMPARE(window->windowTitle(), QStringLiteral("Small camera"));
    QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);  // still answers
    QSignalSpy closed(window.get(), &CameraThread::cameraClose);
    window->closeCamera();
    QCOMPARE(closed.count(), 1);
    QVERIFY(!window->isCameraOpen());
    QCOMPARE(status->text(), QString());
}

void CameraWindowTest::replugResumesTheWindow()
{
    QVERIFY(openWindow(testcameras::kSecond));
    auto* status = window->findChild<QLabel*>("label_camerainfo");
    const int handle = window->cameraHandle();
    QVERIFY(unplug());
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), kDisconnected, kDeadlineMs);
    QVERIFY(replug());
    // The library resumes the open handle; the window goes on by itself.
    if (!QTest::qWaitFor([&]() { return status->text().startsWith(QStringLiteral("分辨率")); },
                         kDeadlineMs)) {
        uint32_t token = 0;
        if (SdkGetFrame(handle, &token, 1000) == VEXO_SDK_DETACHED)
            QSKIP("this camera library does not resume a replugged camera's handle");
        SdkReleaseFrame(handle, token);
        QFAIL(
            qPrintable("the library delivers frames again but the window says: " + status->text()));
    }
    QCOMPARE(window->cameraHandle(), handle);
    const int frames = window->acquisitionThread()->frameCount();
    QTRY_VERIFY_WITH_TIMEOUT(window->acquisitionThread()->frameCount() > frames + 2, kDeadlineMs);
}

QTEST_MAIN(CameraWindowTest)
#include "tst_camerathread.moc"
