#include "CameraThread.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QDebug>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMetaMethod>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QWidgetAction>

#include "CameraWindowLogic.h"
#include "CustomGraphicsScene.h"
#include "DirectFrameDisplay.h"
#include "PictureLogic.h"
#include "FrameCopies.h"
#include "FrameImageItem.h"
#include "MeasureTools.h"
#include "PreTriggerBuffer.h"
#include "RecordVideoThread.h"
#include "SettingsStore.h"
#include "SuiteMessages.h"
#include "VexoCameraApi.h"
#include "ZoomLogic.h"
#include "ui_CameraThread.h"

namespace {

constexpr int kToolBarPollMs = 100;
constexpr int kTextBufferSize = VEXO_SDK_TEXT_BUFFER_SIZE;
const char kPlayIcon[] = ":/images/ICO/Play.png";
const char kPauseIcon[] = ":/images/ICO/pause.png";
const char kLogo[] = ":/images/ICO/logomin.png";

}  // namespace

QString CameraThread::cameraName(int handle)
{
    char name[kTextBufferSize] = {};
    if (SdkGetCameraName(handle, name) != VEXO_SDK_OK)
        return QString();
    return QString::fromLocal8Bit(name);
}

QString CameraThread::currentCameraName() const
{
    return cameraName(handle);
}

QList<CameraThread*>& CameraThread::openWindows()
{
    // Camera windows live in the GUI thread only.
    static QList<CameraThread*> windows;
    return windows;
}

CameraThread::CameraThread(QWidget* parent) : QDockWidget(parent), ui(new Ui::CameraThread)
{
    openWindows().append(this);
    registerFrameMetaTypes();
    ui->setupUi(this);
    setFloating(false);
    setFeatures(QDockWidget::NoDockWidgetFeatures);
    setAllowedAreas(Qt::AllDockWidgetAreas);
    setTitleBarWidget(new QWidget(this));
    setAttribute(Qt::WA_MouseTracking);
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);

    mainScene = new CustomGraphicsScene(this);
    navigationScene = new QGraphicsScene(this);
    // One picture per scene, replaced every frame: an index would only cost time.
    mainScene->setItemIndexMethod(QGraphicsScene::NoIndex);
    navigationScene->setItemIndexMethod(QGraphicsScene::NoIndex);
    ui->graphicsView->setScene(mainScene);
    // Frames are opaque: the scene paints the view's background around the frame only,
    // instead of the viewport filling all of it under every frame.
    ui->graphicsView->viewport()->setAutoFillBackground(false);
    ui->graphicsView->viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    ui->graphicsView_Navigation->setScene(navigationScene);
    directOutput = new directdisplay::DirectFrameOutput(ui->graphicsView);
    directOutput->setOverlay(ui->widget);  // the floating tool bar
    connect(mainScene, SIGNAL(openCamera(const QString&)), this,
            SLOT(on_openCamera(const QString&)));

    ui->widget_Navigation->hide();
    ui->widget->hide();
    ui->widget->adjustSize();
    ui->label_media->hide();

    auto* hideNavigation = new QPushButton(ui->tabWidget);
    hideNavigation->setIcon(QIcon(QStringLiteral(":/images/ICO/exit_close.png")));
    hideNavigation->setStyleSheet(QStringLiteral("background-color:transparent"));
    hideNavigation->setFlat(true);
    ui->tabWidget->setCornerWidget(hideNavigation, Qt::TopRightCorner);
    connect(hideNavigation, &QPushButton::clicked, ui->widget_Navigation, &QWidget::hide);

    buildContextMenu();
    buildMeasureTools();
    connect(ui->graphicsView, &QWidget::customContextMenuRequested, this,
            [this]() { contextMenu->exec(QCursor::pos()); });

    installEventFilter(this);
    ui->graphicsView->installEventFilter(this);
    ui->graphicsView->viewport()->installEventFilter(this);
    mainScene->installEventFilter(this);
    ui->label_displayWindow->installEventFilter(this);

    showPlaceholder();

    // After each frame shown the window asks for the next one only from a timer, which
    // runs once the event loop has had its turn: however fast frames come, input, other
    // timers and dialogs keep running between them.
    displayPacer = new QTimer(this);
    displayPacer->setSingleShot(true);
    displayPacer->setInterval(0);
    connect(displayPacer, &QTimer::timeout, this, &CameraThread::armNextFrame);

    toolBarTimer = new QTimer(this);
    connect(toolBarTimer, &QTimer::timeout, this, &CameraThread::updateToolBarVisibility);
    toolBarTimer->start(kToolBarPollMs);
    setUpStreamHealth();
}

CameraThread::~CameraThread()
{
    openWindows().removeAll(this);
    closeCamera();
    toolBarTimer->stop();
    stopAcquisitionThread();
    mainScene->clear();
    navigationScene->clear();
    displayedItem = nullptr;
    navigationItem = nullptr;
    framecopies::discard(this);
    delete ui;
}

void CameraThread::buildContextMenu()
{
    contextMenu = new QMenu(this);
    actionClose = new QAction(this);
    actionFullScreen = new QAction(this);
    actionFit = new QAction(this);
    actionOriginalSize = new QAction(this);
    actionHistogram = new QAction(this);
    actionFeatures = new QAction(this);
    actionFeatures->setObjectName(QStringLiteral("action_cameraFeatures"));
    contextMenu->addAction(actionClose);
    contextMenu->addAction(actionFullScreen);
    contextMenu->addAction(actionFit);
    contextMenu->addAction(actionOriginalSize);
    contextMenu->addAction(actionHistogram);
    contextMenu->addAction(actionFeatures);

    auto* zoomWidget = new QWidget(contextMenu);
    auto* layout = new QHBoxLayout(zoomWidget);
    layout->setContentsMargins(15, 0, 0, 0);
    zoomLabel = new QLabel(zoomWidget);
    zoomLabel->setFont(QFont(QStringLiteral("微软雅黑"), 10));
    zoomOutButton = new QPushButton(zoomWidget);
    zoomInButton = new QPushButton(zoomWidget);
    zoomOutButton->setIcon(QIcon(QStringLiteral(":/images/ICO/narrow.png")));
    zoomInButton->setIcon(QIcon(QStringLiteral(":/images/ICO/enlarge.png")));
    for (QPushButton* button : {zoomOutButton, zoomInButton})
        button->setStyleSheet(QStringLiteral("background-color: rgba(222, 240, 255, 0);"));
    layout->addWidget(zoomLabel);
    layout->addWidget(zoomOutButton);
    layout->addWidget(zoomInButton);
    auto* zoomAction = new QWidgetAction(contextMenu);
    zoomAction->setDefaultWidget(zoomWidget);
    contextMenu->addAction(zoomAction);
    setActionTexts();

    connect(actionClose, &QAction::triggered, this, &CameraThread::closeCamera);
    connect(actionFullScreen, &QAction::triggered, this, &CameraThread::toggleFullScreen);
    connect(actionFit, &QAction::triggered, this, &CameraThread::fitFromUser);
    connect(actionOriginalSize, &QAction::triggered, this, &CameraThread::zoomToOriginalSize);
    connect(actionHistogram, &QAction::triggered, this, &CameraThread::openHistogram);
    connect(actionFeatures, &QAction::triggered, this, [this] {
        if (handle != 0)
            emit featureBrowserRequested();
    });
    connect(zoomOutButton, &QPushButton::clicked, this, &CameraThread::zoomOut);
    connect(zoomInButton, &QPushButton::clicked, this, &CameraThread::zoomIn);
}

void CameraThread::setActionTexts()
{
    actionFullScreen->setText(tr("全屏/窗口"));
    actionClose->setText(tr("关闭"));
    actionFit->setText(tr("自适应"));
    actionOriginalSize->setText(tr("原比例"));
    actionHistogram->setText(tr("直方图"));
    actionFeatures->setText(tr("相机属性"));
    if (zoomLabel)
        zoomLabel->setText(tr("缩放:"));
}

void CameraThread::retranslate()
{
    // The form's text set-up also resets the title and the status line; the window
    // keeps saying which camera it shows and what state it is in.
    const QString title = windowTitle();
    const QString status = ui->label_camerainfo->line();
    setActionTexts();
    retranslateMeasureTools();
    ui->retranslateUi(this);
    setWindowTitle(title);
    updateWindowTitle();  // a running recording or capture keeps its mark, in the new language
    ui->label_title->setText(windowTitle());  // unchanged titles send no change event
    updateStreamHealth();
    if (statusKind == StatusKind::Other)
        ui->label_camerainfo->setLine(status);
    else
        showStatus(statusKind);
}

void CameraThread::setGridCell(int row, int column, int rowSpan, int columnSpan)
{
    cell = GridCell{row, column, rowSpan, columnSpan};
}

void CameraThread::setSelected(bool selected)
{
    if (selected)
        ui->dockWidgetContents->setContentsMargins(2, 3, 2, 2);
    else
        ui->dockWidgetContents->setContentsMargins(0, 0, 0, 0);
}

bool CameraThread::isShowingCamera(const QString& cameraIdentifier) const
{
    return handle != 0 && identifier == cameraIdentifier;
}

// ---- Open and close ------------------------------------------------------------------

bool CameraThread::startCamera(const QString& cameraIdentifier)
{
    if (handle != 0) {
        char openIdentifier[kTextBufferSize] = {};
        SdkGetCameraIdentifier(handle, openIdentifier, 0);
        return cameraIdentifier == QString::fromLatin1(openIdentifier);
    }

    int newHandle = 0;
    int result = SdkOpenCamera(&newHandle, cameraIdentifier.toLocal8Bit().constData());
    if (result == VEXO_SDK_OK) {
        handle = newHandle;
        const QString name = currentCameraName();
        if (!name.isNull())
            setWindowTitle(name);
        result = SdkStartAcquisition(handle);
        if (result == VEXO_SDK_OK) {
            startAcquisitionThread();
            identifier = cameraIdentifier;
            return true;
        }
        SdkCloseCamera(handle);
        handle = 0;
        // The window stays empty, so it does not keep the name of a camera it dropped.
        setWindowTitle(QString());
    }

    const QString text = result == VEXO_SDK_OPEN_ELSEWHERE
                             ? tr("相机已打开，不能重复打开")
                             : tr("打开相机失败, 错误码:%1").arg(result);
    suite::showMessage(QMessageBox::Critical, this, tr("错误"), text, tr("确定"));
    return false;
}

void CameraThread::startAcquisitionThread()
{
    const int result = SdkSetOutputFormat(handle, VEXO_SDK_PIXEL_RGB8);
    if (result != VEXO_SDK_OK)
        qDebug() << "SdkSetOutputFormat returned" << result;
    updateMeasureMonochrome();
    videoThread = new CVideoThread(handle, this);
    videoThread->handOver().setMemorySource(directdisplay::memorySource());
    videoThread->setNativeFrames(nativeFrameReaders > 0);
    ui->pushButton_open->setIcon(QIcon(QString::fromLatin1(kPauseIcon)));
    // The fit waits for the camera's first frame; the placeholder's size means nothing.
    fittedFrameSize = QSize();
    connect(videoThread, SIGNAL(updateFrameRate(float, float, int)), this,
            SLOT(updateFrameRate(float, float, int)), Qt::AutoConnection);
    // Queued: the thread never waits for the window. The window takes the newest frame
    // when it gets to it and skips those it had no time for.
    connect(videoThread, SIGNAL(newestFrameReady()), this, SLOT(showNewestFrame()),
            Qt::QueuedConnection);
    connect(videoThread, SIGNAL(cameraSavePic(BYTE*, stImageInfo)), this,
            SLOT(cameraSavePic(BYTE*, stImageInfo)), Qt::AutoConnection);
    connect(videoThread, &CVideoThread::runPictureReady, this, &CameraThread::runPictureArrived,
            Qt::AutoConnection);
    connect(videoThread, SIGNAL(cameraMessage(QString)), this, SLOT(cameraMessage(QString)),
            Qt::AutoConnection);
    connect(videoThread, SIGNAL(connectionChanged(bool)), this, SLOT(onConnectionChanged(bool)),
            Qt::AutoConnection);
    videoThread->start(QThread::InheritPriority);
}

void CameraThread::stopAcquisitionThread()
{
    if (!videoThread)
        return;
    videoThread->stopAndWait();
    // The frame on screen wraps the thread's hand-over buffer, which goes with it.
    if (displayedItem) {
        displayedItem->keepOwnCopy();
        if (navigationItem)
            navigationItem->setImage(displayedItem->image());  // shares the copy
    }
    // Reports the thread queued before it ended belong to a camera that is going away;
    // they are delivered now, while they are recognisably the thread's, and dropped.
    const bool wasClosing = closing;
    closing = true;
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    closing = wasClosing;
    delete videoThread;
    videoThread = nullptr;
}

bool CameraThread::acceptsThreadReport() const
{
    // Direct calls have no sender; queued reports must come from the running thread.
    return !closing && handle != 0 && (!sender() || (videoThread && sender() == videoThread));
}

void CameraThread::closeCamera()
{
    // Waiting for the thread processes events, which may ask for another close.
    if (closing)
        return;
    closing = true;

    stopRecording();
    stopContinuousCapture(true);
    emit cameraClose(identifier);

    stopAcquisitionThread();
    dropPreTrigger();
    if (handle != 0) {
        const int result = SdkCloseCamera(handle);
        if (result != VEXO_SDK_OK)
            qDebug() << "SdkCloseCamera returned" << result;
        handle = 0;
    }

    mainScene->clear();
    navigationScene->clear();
    displayedItem = nullptr;
    displayingFrame = false;
    mainScene->setOpaqueArea(QRectF());
    mainScene->setOverlayLines({});
    measureTools->clear();
    navigationItem = nullptr;
    ui->label_camerainfo->clear();
    statusKind = StatusKind::Other;
    // A camera opened here later starts playing, whatever this one was doing.
    ui->pushButton_open->setIcon(QIcon(QString::fromLatin1(kPauseIcon)));
    setWindowTitle(QString());
    identifier.clear();
    mainScene->setSceneRect(0, 0, 0, 0);
    showPlaceholder();
    actionOriginalSize->trigger();
    closing = false;
}

void CameraThread::showPlaceholder()
{
    const QPixmap logo(QString::fromLatin1(kLogo));
    QPixmap faded(logo.size());
    faded.fill(Qt::transparent);
    QPainter painter(&faded);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(0, 0, logo);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.fillRect(faded.rect(), QColor(0, 0, 0, 25));
    painter.end();
    displayedItem = new FrameImageItem;
    displayedItem->setImage(faded.toImage());
    mainScene->addItem(displayedItem);
}

void CameraThread::on_openCamera(const QString& acSn)
{
    openDroppedCamera(acSn);
}

void CameraThread::openDroppedCamera(const QString& cameraIdentifier)
{
    if (handle != 0) {
        suite::showMessage(QMessageBox::Critical, this, tr("提示"),
                           tr("打开失败,该窗口存在已被打开的相机"), tr("确定"));
        return;
    }
    if (startCamera(cameraIdentifier))
        emit cameraOpen(cameraIdentifier);
}

// ---- Frames and the status line -------------------------------------------------------

void CameraThread::showNewestFrame()
{
    if (!acceptsThreadReport() || !videoThread)
        return;
    takeNewestFrame();
}

void CameraThread::takeNewestFrame()
{
    QImage image;
    framehandover::FrameInfo frame;
    // Whoever reads the shown frames (the histogram, the measurement tools) takes 24-bit
    // RGB; otherwise the frames come in the screen's format. Asked each frame, so a reader
    // that appears gets its format from the next frame on.
    static const QMetaMethod shownSignal = QMetaMethod::fromSignal(&CameraThread::frameShown);
    videoThread->setScreenOnly(!isSignalConnected(shownSignal) && !measureTools->anyOn());
    // Taking a frame gives the shown one's memory back to the acquisition thread.
    directOutput->finishPuts();
    if (videoThread->handOver().takeNewest(image, frame)) {
        measureTools->setNativeFrame(frame.native, frame.nativeBits);
        acquireFrame(image);
        if (!frame.native.isNull())
            emit nativeFrameShown(frame.native, frame.nativeBits);
        emit frameShown(image);
    }
    displayPacer->start();
}

void CameraThread::armNextFrame()
{
    if (!videoThread || closing)
        return;
    // A frame that came meanwhile sent no notification: show it now.
    if (handle != 0 && !videoThread->handOver().armNotification())
        takeNewestFrame();
}

void CameraThread::acquireFrame(QImage image)
{
    // The frame is painted from the hand-over buffer it came in, which stays valid until
    // the next frame is taken (stopAcquisitionThread copies it before the buffer goes).
    if (!displayedItem) {
        displayedItem = new FrameImageItem;
        mainScene->addItem(displayedItem);
    }
    displayedItem->setPresenter(directOutput);
    directOutput->setAllowed(!mainScene->drawsOverFrames());
    displayedItem->setImage(image);
    mainScene->setOpaqueArea(displayedItem->boundingRect());
    displayingFrame = true;
    ++framesShown;
    showNavigationImage();
    mainScene->setSceneRect(0, 0, image.width(), image.height());
    // The image view paints frames without repainting this window beneath it, so the
    // navigation rectangle follows zoom and panning here as well as on repaints.
    if (!overRectangle)
        updateNavigationRect();

    // A new camera, a new preset or region: the view fits the frame size it now shows,
    // whatever zoom the old size had.
    if (image.size() != fittedFrameSize) {
        fittedFrameSize = image.size();
        fitToWindow();
        updateNavigationRect();
    }
    updateCrosshairOverlay();
    measureTools->frameShown(image);
}

void CameraThread::updateCrosshairOverlay()
{
    QVector<windowlogic::CrosshairState> crosshairs;
    if (handle != 0 && displayedItem && zoom < 1.0) {
        for (int i = 0; i < 9; ++i) {
            windowlogic::CrosshairState c;
            int enabled = 0;
            uint32_t colour = 0;
            if (SdkGetCrosshair(handle, i, &c.x, &c.y, &colour, &enabled) != VEXO_SDK_OK)
                continue;
            c.colour = colour;
            c.enabled = enabled != 0;
            crosshairs.append(c);
        }
    }
    const QSize image = displayedItem ? displayedItem->size() : QSize();
    mainScene->setOverlayLines(windowlogic::crosshairOverlay(crosshairs, image, zoom));
}

// The navigation panel's copy of the frame shown, scaled to the panel. Nobody sees it while
// the panel is hidden, so it is made only while the panel shows, and when it opens.
void CameraThread::showNavigationImage()
{
    if (!displayingFrame || !displayedItem || !ui->widget_Navigation->isVisible())
        return;
    const QSize navigationSize = ui->graphicsView_Navigation->size();
    const QSize frameSize = displayedItem->size();
    if (navigationSize.isEmpty() || frameSize.isEmpty()) {
        navigationScene->setSceneRect(0, 0, 0, 0);
        return;
    }
    // The same frame, scaled by the item to the panel when it is painted: the panel's
    // pixels are the only ones computed.
    if (!navigationItem) {
        navigationItem = new FrameImageItem;
        navigationScene->addItem(navigationItem);
    }
    navigationItem->setImage(displayedItem->image());
    navigationItem->setTransform(QTransform::fromScale(
        double(navigationSize.width()) / frameSize.width(),
        double(navigationSize.height()) / frameSize.height()));
    navigationScene->setSceneRect(0, 0, navigationSize.width(), navigationSize.height());
}

void CameraThread::updateFrameRate(float capFrameRate, float disFrameRate, int PicCount)
{
    if (!acceptsThreadReport())
        return;
    lastCaptureFrameRate = capFrameRate;
    lastDisplayFrameRate = disFrameRate;
    lastPicCount = PicCount;
    keepPreTriggerCurrent();
    int width = 0;
    int height = 0;
    if (SdkGetResolution(handle, &width, &height) == VEXO_SDK_OK) {
        imageWidth = static_cast<quint32>(width);
        imageHeight = static_cast<quint32>(height);
    }
    zoomPercent = windowlogic::zoomPercentage(zoom);
    // Frames the camera sent that never reached the window; the status text stays as it is.
    VexoFrameStatistics statistics{};
    if (handle != 0 && SdkGetFrameStatistics(handle, &statistics) == VEXO_SDK_OK)
        ui->label_camerainfo->setToolTip(tr("丢失帧数：%1").arg(statistics.lostFrames));
    updateRecordingProgress();
    if (!statusNoticeHold.hasExpired())
        return;  // a recording or capture notice stays readable for a while
    showStatus(StatusKind::Rates);
}

void CameraThread::updateWindowTitle()
{
    const QString name = currentCameraName();
    if (name.isNull())
        return;
    QString title = name;
    if (captureTimer)
        title = tr("%1  已采集图片:%2").arg(name).arg(captureRun.picturesTaken);
    if (recorder)
        title = QStringLiteral("%1   %2").arg(title, tr("正在录制中..."));
    setWindowTitle(title);
}

void CameraThread::updateMediaIndicator()
{
    ui->label_media->setVisible(recorder != nullptr || captureTimer != nullptr);
    updateRecordingProgress();
}

void CameraThread::updateRecordingProgress()
{
    // A line of its own while recording, so the rate line keeps its length and notices
    // never hide how many frames are in the file.
    ui->label_recording->setVisible(recorder != nullptr);
    ui->label_recording->setText(recordingProgressText());
}

void CameraThread::showStatus(StatusKind kind)
{
    statusKind = kind;
    switch (kind) {
        case StatusKind::Rates: {
            QString text =
                tr("分辨率: %1x%2 | 获取帧率: %3 | 显示帧率: %4 | 图像数：%5 | 缩放比例：%6%")
                    .arg(imageWidth)
                    .arg(imageHeight)
                    .arg(windowlogic::rateText(lastCaptureFrameRate))
                    .arg(windowlogic::rateText(lastDisplayFrameRate))
                    .arg(lastPicCount)
                    .arg(zoomPercent);
            ui->label_camerainfo->setLine(text);
            break;
        }
        case StatusKind::Paused:
            ui->label_camerainfo->setLine(tr("相机已进入暂停，不再接收来自相机的图像数据"));
            break;
        case StatusKind::Disconnected:
            ui->label_camerainfo->setLine(tr("相机已断开连接，正在等待相机重新接入"));
            break;
        case StatusKind::Reconnected:
            ui->label_camerainfo->setLine(tr("相机已重新连接"));
            break;
        case StatusKind::Other:
            break;
    }
}

void CameraThread::onConnectionChanged(bool connected)
{
    if (!acceptsThreadReport())
        return;
    // Rate reports pause while the camera is away; the next one after the replug
    // replaces the reconnection notice.
    showStatus(connected ? StatusKind::Reconnected : StatusKind::Disconnected);
    if (!connected)
        recordingCameraLost();
}

void CameraThread::cameraMessage(QString message)
{
    if (!acceptsThreadReport())
        return;
    // A continuous capture's pictures are confirmed by their writer.
    if (captureTimer || captureRun.outstanding > 0)
        return;
    // A picture's confirmation: the writer has shown (or will show) the real outcome.
    if (confirmationsToDrop > 0) {
        --confirmationsToDrop;
        return;
    }
    if (picturesBeingWritten > 0) {
        ++confirmationsDuringWrite;
        return;
    }
    if (!statusNoticeHold.hasExpired())
        return;  // a stopped run's reason stays readable
    statusKind = StatusKind::Other;
    ui->label_camerainfo->setLine(message);
}

// ---- Buttons ----------------------------------------------------------------------------

void CameraThread::on_pushButton_open_clicked()
{
    togglePlay();
}

void CameraThread::togglePlay()
{
    if (handle == 0 || !videoThread)
        return;
    if (videoThread->isPlaying()) {
        ui->pushButton_open->setIcon(QIcon(QString::fromLatin1(kPlayIcon)));
        showStatus(StatusKind::Paused);
        videoThread->setPlaying(false);
        notePause(true);
    } else {
        ui->pushButton_open->setIcon(QIcon(QString::fromLatin1(kPauseIcon)));
        notePause(false);
        videoThread->setPlaying(true);
    }
}

void CameraThread::on_pushButton_photogrape_clicked()
{
    requestPicture();
}

void CameraThread::requestPicture()
{
    if (handle != 0 && videoThread) {
        videoThread->setDeepPictures(
            picturelogic::keepsBitDepth(settingsStore()->captureSettings()));
        videoThread->requestPicture();
    }
}

void CameraThread::on_pushButton_recording_clicked()
{
    toggleRecording();
}

void CameraThread::on_pushButton_continuityPhotogrape_clicked()
{
    toggleContinuousCapture();
}

void CameraThread::on_pushButton_close_clicked()
{
    actionClose->trigger();
}

void CameraThread::on_pushButton_screenzoom_clicked()
{
    actionFullScreen->trigger();
}

void CameraThread::on_pushButton_navigation_clicked()
{
    ui->widget_Navigation->setVisible(ui->widget_Navigation->isHidden());
    showNavigationImage();
}

void CameraThread::toggleFullScreen()
{
    if (windowState() & Qt::WindowFullScreen) {
        emit exitFullScreen();
        setWindowFlags(Qt::SubWindow);
        showNormal();
    } else if (handle != 0) {
        emit enterFullScreen();
        setWindowFlags(Qt::Window);
        showFullScreen();
    } else {
        return;
    }
    fitToWindow();
    updateNavigationRect();
}

// ---- Events ------------------------------------------------------------------------------

bool CameraThread::handleHotkey(QKeyEvent* event)
{
    if (handle == 0 || windowlogic::isLoneModifier(event->key()))
        return false;
    const QString text = windowlogic::hotkeyText(event->key(), event->modifiers());
    using windowlogic::HotkeyAction;
    switch (windowlogic::matchHotkey(text, settingsStore()->hotkeySettings())) {
        case HotkeyAction::WindowSize:
            fitToWindow();
            break;
        case HotkeyAction::OriginalSize:
            actionOriginalSize->trigger();
            break;
        case HotkeyAction::Enlarge:
            zoomInButton->click();
            break;
        case HotkeyAction::Narrow:
            zoomOutButton->click();
            break;
        case HotkeyAction::Recording:
            toggleRecording();
            break;
        case HotkeyAction::Photogrape:
            requestPicture();
            break;
        case HotkeyAction::Onoff:
            togglePlay();
            break;
        case HotkeyAction::DisplaySwitch:
            actionFullScreen->trigger();
            break;
        case HotkeyAction::None:
            return false;
    }
    return true;
}

bool CameraThread::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this) {
        if (event->type() == QEvent::KeyPress)
            handleHotkey(static_cast<QKeyEvent*>(event));
    } else if (watched == ui->graphicsView->viewport()) {
        measureTools->viewportEvent(event);
        if (event->type() == QEvent::MouseButtonDblClick) {
            actionFullScreen->trigger();
        } else if (event->type() == QEvent::Wheel && handle != 0) {
            // The view would scroll the image as well and move the point under the
            // cursor that the zoom keeps in place, so the wheel ends here.
            zoomWithWheel(static_cast<QWheelEvent*>(event));
            return true;
        }
    } else if (watched == ui->graphicsView) {
        if (event->type() == QEvent::Resize && handle != 0 && fitted) {
            fitToWindow();
            updateNavigationRect();
        }
    } else if (watched == ui->label_displayWindow) {
        filterNavigationRectangle(event);
    } else if (watched == mainScene) {
        filterScenePanning(event);
    }
    return QDockWidget::eventFilter(watched, event);
}

void CameraThread::dragEnterEvent(QDragEnterEvent* event)
{
    event->accept();
}

void CameraThread::dragMoveEvent(QDragMoveEvent* event)
{
    event->accept();
}

void CameraThread::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (!data)
        return;
    const QByteArray camera = data->data(windowlogic::kCameraFormat);
    if (!camera.isEmpty()) {
        event->accept();
        openDroppedCamera(windowlogic::decodeCameraPayload(camera));
        return;
    }
    if (data->hasFormat(windowlogic::kRowFormat) || data->hasFormat(windowlogic::kColumnFormat)) {
        int oldRow = windowlogic::decodeGridValue(data->data(windowlogic::kRowFormat));
        int oldColumn = windowlogic::decodeGridValue(data->data(windowlogic::kColumnFormat));
        int newRow = cell.row;
        int newColumn = cell.column;
        event->accept();
        emit windowMoving(oldRow, oldColumn, newRow, newColumn);
    }
}

void CameraThread::mouseMoveEvent(QMouseEvent* event)
{
    // Mouse tracking is on for the whole window, so only a move with the left button
    // held is a drag.
    if (handle != 0 && (event->buttons() & Qt::LeftButton)) {
        auto* data = new QMimeData;
        data->setData(windowlogic::kRowFormat, windowlogic::encodeGridValue(cell.row));
        data->setData(windowlogic::kColumnFormat, windowlogic::encodeGridValue(cell.column));
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        drag->exec(Qt::MoveAction);
    }
    QDockWidget::mouseMoveEvent(event);
}

void CameraThread::paintEvent(QPaintEvent* event)
{
    QDockWidget::paintEvent(event);
    const int width = ui->graphicsView->width();
    const int height = ui->graphicsView->height();
    ui->widget->move((width - ui->widget->width()) / 2, (height / 4) * 3);
    ui->label_media->move(width - ui->label_media->width() - 30, height / 4);
    ui->widget_Navigation->setGeometry((width / 4) * 3, (height / 4) * 3, width / 4, height / 4);
    if (!overRectangle)
        updateNavigationRect();
}

void CameraThread::resizeEvent(QResizeEvent* event)
{
    QDockWidget::resizeEvent(event);
    if (handle != 0) {
        fitToWindow();
        updateNavigationRect();
    }
}

void CameraThread::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowTitleChange)
        ui->label_title->setText(windowTitle());
    QDockWidget::changeEvent(event);
}

void CameraThread::updateToolBarVisibility()
{
    QWidget* view = ui->graphicsView;
    const QPoint cursor = view->parentWidget()->mapFromGlobal(QCursor::pos());
    switch (zoomlogic::toolBarChange(view->geometry(), cursor, handle != 0)) {
        case zoomlogic::ToolBarChange::Hide:
            ui->widget->hide();
            break;
        case zoomlogic::ToolBarChange::Show:
            ui->widget->show();
            break;
        case zoomlogic::ToolBarChange::Keep:
            break;
    }
}
