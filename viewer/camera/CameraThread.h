#pragma once
#include <QDeadlineTimer>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <memory>

#include "CVideoThread.h"
#include "ContinuousCaptureLogic.h"
#include "StreamHealthLogic.h"

namespace Ui {
class CameraThread;
}
class CustomGraphicsScene;
namespace directdisplay {
class DirectFrameOutput;
}
class MeasureTools;
class QAction;
class FrameImageItem;
class QGraphicsScene;
class QLabel;
class GroupedLineLabel;
class QMenu;
class QPushButton;
class QTimer;
class PictureWriter;
class RecordVideoThread;
class PreTriggerBuffer;
struct RecordSettings;

// One cell of the window grid showing the live image of one camera: opens the camera
// it is given, runs its acquisition thread and shows each frame with a status line,
// zoom, fit, 1:1, a navigation view, panning, full screen, pause, pictures and hotkeys.
// (A window, despite the name.)
class CameraThread : public QDockWidget {
    Q_OBJECT
public:
    // Row, column, row span and column span of the window in the grid.
    struct GridCell {
        int row = 0;
        int column = 0;
        int rowSpan = 0;
        int columnSpan = 0;
    };

    explicit CameraThread(QWidget* parent = nullptr);
    ~CameraThread() override;

    // Opens the camera and starts showing it; true when this window shows that camera
    // afterwards. Failures are reported in a message box.
    bool startCamera(const QString& identifier);
    // Stops acquisition, closes the camera and shows the empty placeholder again.
    void closeCamera();
    void fitToWindow();
    void updateNavigationRect();
    void setSelected(bool selected);
    bool isCameraOpen() const { return handle != 0; }
    bool isShowingCamera(const QString& identifier) const;
    int cameraHandle() const { return handle; }
    QString cameraIdentifier() const { return identifier; }
    void retranslate();

    GridCell gridCell() const { return cell; }
    void setGridCell(const GridCell& gridCell) { cell = gridCell; }
    void setGridCell(int row, int column, int rowSpan, int columnSpan);

    // Capture rate of the last status update (frames per second).
    float lastCaptureRate() const { return lastCaptureFrameRate; }
    double zoomFactor() const { return zoom; }
    CVideoThread* acquisitionThread() const { return videoThread; }
    bool isContinuousCaptureRunning() const { return captureTimer != nullptr; }
    bool isRecording() const { return recorder != nullptr; }
    // Frames the window has shown since it was created.
    int shownFrameCount() const { return framesShown; }
    // The running recording's recorder; null when none runs.
    const RecordVideoThread* activeRecorder() const { return recorder; }
    // The newest seconds kept for the next recording; null without a pre-trigger.
    const PreTriggerBuffer* preTriggerBuffer() const { return preTrigger.get(); }
    // What the last recording that ended left: its file and counts.
    struct RecordingTotals {
        QString file;
        int offered = 0;  // frames of the camera that reached the recorder
        int written = 0;  // frames encoded into the file
        int dropped = 0;  // frames lost: no room in the recorder's queue, or the library's
        qint64 firstFrameNumber = -1;  // the camera's numbers of the first and last frame
        qint64 lastFrameNumber = -1;
        bool failed = false;
        // The first frame's camera time stamp and host arrival (steady and wall clock).
        bool firstKnown = false;
        qint64 firstCameraTimeUs = 0;
        qint64 firstHostSteadyUs = 0;
        qint64 firstHostWallUs = 0;
    };
    const RecordingTotals& lastRecording() const { return recordingTotals; }
    // Recording of all cameras at once: starts this window's recording in folder without
    // asking; false when none started (the window says why). A camera lost meanwhile
    // ends its own recording (recordingCameraLost).
    bool startRecordingIn(const QString& folder, bool ofAllCameras);
    void endRecording();
    const capturelogic::RunState& continuousCapture() const { return captureRun; }

signals:
    void enterFullScreen();
    void exitFullScreen();
    void cameraClose(const QString& identifier);
    void cameraOpen(const QString& identifier);
    void windowMoving(int& oldRow, int& oldColumn, int& newRow, int& newColumn);
    // A frame was shown; consumers that need only the newest frame (the histogram) take
    // it here, during the call.
    void frameShown(QImage image);
    // Sent just before frameShown for a frame of a deep grey camera while a reader wants
    // the camera's own values (see framehandover::FrameInfo::native).
    void nativeFrameShown(QImage grey16, int bits);
    // The user asks for the open camera's feature browser.
    void featureBrowserRequested();

public slots:
    void on_openCamera(const QString& acSn);
    void updateFrameRate(float capFrameRate, float disFrameRate, int PicCount);
    void acquireFrame(QImage image);
    // Takes the newest frame of the acquisition thread and shows it.
    void showNewestFrame();
    void cameraSavePic(BYTE* buffer, stImageInfo info);
    void runPictureArrived(BYTE* buffer, stImageInfo info);
    void cameraMessage(QString message);
    void onConnectionChanged(bool connected);
    void on_pushButton_open_clicked();
    void on_pushButton_photogrape_clicked();
    void on_pushButton_recording_clicked();
    void on_pushButton_continuityPhotogrape_clicked();
    void on_pushButton_close_clicked();
    void on_pushButton_screenzoom_clicked();
    void on_pushButton_navigation_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum class PictureOutcome { Saved, NotSaved, Refused, Dropped, Pending };
    // What the status line says, so that a language switch can say it again.
    enum class StatusKind { Other, Rates, Paused, Disconnected, Reconnected };

    // The camera's name from the library, or a null string when it cannot be read.
    static QString cameraName(int handle);

    // The open camera's name from the library, or a null string when it cannot be read.
    QString currentCameraName() const;
    void buildContextMenu();
    void setActionTexts();
    void startAcquisitionThread();
    // Stops and deletes the thread; what it queued before it ended is dropped.
    void stopAcquisitionThread();
    // Whether a report of the acquisition thread may still reach the window.
    bool acceptsThreadReport() const;
    void showStatus(StatusKind kind);
    void showPlaceholder();
    void showNavigationImage();
    void openDroppedCamera(const QString& identifier);
    void toggleFullScreen();
    void togglePlay();
    void requestPicture();
    void updateToolBarVisibility();
    bool handleHotkey(QKeyEvent* event);

    // Zoom, fit and navigation (CameraThread_Zoom.cpp).
    void applyZoom(double newZoom, bool fit = false);
    void zoomToOriginalSize();
    void zoomIn();
    void zoomOut();
    void zoomWithWheel(QWheelEvent* event);
    void fitFromUser();
    QSizeF displayedPixmapSize() const;
    void filterNavigationRectangle(QEvent* event);
    void filterScenePanning(QEvent* event);

    // Single pictures (CameraThread_Picture.cpp).
    // A run's picture (forRun) is handed with owned to a writer thread: Pending. A folder
    // that cannot take it is Refused, with the reason in refusal.
    PictureOutcome writePicture(BYTE* pixels, std::unique_ptr<BYTE[]>& owned,
                                const stImageInfo& info, bool forRun, int* result,
                                QString* refusal = nullptr);

    // Recording, continuous capture and the histogram window join here.
    void toggleRecording();
    void stopRecording();
    // Video recording (CameraThread_Recording.cpp).
    void startRecording();
    void beginRecording(const QString& folder, const RecordSettings& record);
    bool refuseRecordingRate(const RecordSettings& record);
    void recordingCameraLost();
    // The pre-trigger buffer follows RECORDINFO/PreTriggerSeconds while no recording runs.
    void keepPreTriggerCurrent();
    void dropPreTrigger();
    void handleRecordingProblem(RecordVideoThread* source, int problem, const QString& detail);
    // Frames lost to the running recording so far; its elapsed time and counts as text.
    int recordingDroppedFrames() const;
    int framesLostByLibrarySinceRecordingStart() const;
    int framesLostBeforeTheRecorder() const;
    QString recordingProgressText() const;
    // The title names the camera and says what runs: a continuous capture, a recording.
    void updateWindowTitle();
    // The recording mark shows while a recording or a continuous capture runs.
    void updateMediaIndicator();
    void updateRecordingProgress();
    void updateCrosshairOverlay();
    // Writes a picture into the continuous capture's folder (copy, or a copy of buffer).
    void writeRunPicture(BYTE* buffer, std::unique_ptr<BYTE[]> copy, const stImageInfo& info);
    // Shows text in the status line and keeps it there over the next rate reports.
    void showStatusNotice(const QString& text);
    void toggleContinuousCapture();
    void stopContinuousCapture(bool fromClose);
    void openHistogram();

    // Measurement and focus tools (CameraThread_Measure.cpp).
    void buildMeasureTools();
    // A histogram or tool starts (+1) or stops (-1) reading deep frames' own values.
    void addNativeFrameReader(int change);
    void updateNativeForRecording();
    void retranslateMeasureTools();
    // The tools read grey values on a mono camera.
    void updateMeasureMonochrome();

    // Continuous capture (CameraThread_Capture.cpp).
    void continuousCaptureTick();
    bool captureRequestPending() const;
    void failContinuousCapture(const QString& text);
    void writeRunPicture(const QString& baseName, const QString& extension, int typeCode,
                         std::unique_ptr<BYTE[]> pixels, const stImageInfo& info);
    // The folder of a continuous capture: the camera's name, with its identifier when
    // another open window shows a camera of the same name.
    QString captureFolderName() const;
    // Every camera window that exists.
    static QList<CameraThread*>& openWindows();
    void runPictureWritten(int generation, int result);
    void waitForRunPicture();
    // Shows text in the status line and keeps the next rate reports from replacing it
    // for a few seconds, so a stopped run's reason can be read.
    void holdStatusText(const QString& text);

    // Stream health line (CameraThread_StreamHealth.cpp).
    void setUpStreamHealth();
    void updateStreamHealth();
    void sayStreamAdvice();
    // Frames the library drops while paused are shown apart from frames the camera lost.
    void notePause(bool paused);
    static constexpr int kStreamHealthIntervalMs = 1000;
    GroupedLineLabel* streamHealthLabel = nullptr;
    QTimer* streamHealthTimer = nullptr;
    streamhealth::Sample streamHealthSample;
    double streamHealthRate = 0;
    streamhealth::PauseLedger pauseLedger;

    Ui::CameraThread* ui;
    GridCell cell;
    float lastCaptureFrameRate = 0;
    QMenu* contextMenu = nullptr;
    QAction* actionFullScreen = nullptr;
    QAction* actionClose = nullptr;
    QAction* actionFit = nullptr;
    QAction* actionOriginalSize = nullptr;
    QAction* actionHistogram = nullptr;
    QAction* actionFeatures = nullptr;
    QString identifier;
    int handle = 0;
    CVideoThread* videoThread = nullptr;
    quint32 imageWidth = 0;
    quint32 imageHeight = 0;
    CustomGraphicsScene* mainScene = nullptr;
    FrameImageItem* displayedItem = nullptr;
    directdisplay::DirectFrameOutput* directOutput = nullptr;
    bool displayingFrame = false;
    // Open histograms and tools that read the camera's own values of deep frames.
    int nativeFrameReaders = 0;
    bool nativeForRecording = false;  // counted among them
    int framesShown = 0;  // displayedItem holds a camera frame, not the placeholder
    QGraphicsScene* navigationScene = nullptr;
    FrameImageItem* navigationItem = nullptr;
    double horizontalFitRatio = 1.0;
    double verticalFitRatio = 1.0;
    int zoomPercent = 0;
    QPoint panAnchor;
    int panAnchorHorizontal = 0;
    int panAnchorVertical = 0;
    int overRectangle = 0;
    double navigationScaleX = 0;
    double navigationScaleY = 0;
    double rectangleX = 100.0;
    double rectangleY = 100.0;
    double zoom = 1.0;
    // The zoom is the fit of the view: a view resized by the window's own layout (a
    // status line shown or hidden) fits again; a zoom the user chose stays.
    bool fitted = false;
    QPushButton* zoomOutButton = nullptr;
    QPushButton* zoomInButton = nullptr;
    QLabel* zoomLabel = nullptr;
    // Size of the frames the view was last fitted to; a frame of another size fits again.
    QSize fittedFrameSize;
    QTimer* toolBarTimer = nullptr;
    QTimer* displayPacer = nullptr;
    void armNextFrame();
    // Shows the newest frame, if one is waiting, and asks for the next after a turn of the
    // event loop.
    void takeNewestFrame();
    bool closing = false;
    RecordVideoThread* recorder = nullptr;
    QElapsedTimer recordingClock;
    RecordingTotals recordingTotals;
    quint32 lostFramesAtRecordingStart = 0;
    bool recordingOfAllCameras = false;
    std::unique_ptr<PreTriggerBuffer> preTrigger;
    QDeadlineTimer statusNoticeHold;
    StatusKind statusKind = StatusKind::Other;
    float lastDisplayFrameRate = 0;
    int lastPicCount = 0;

    // A picture's confirmation travels behind it as a separate message; these keep the
    // status line telling what really happened to the file.
    int picturesBeingWritten = 0;
    int confirmationsToDrop = 0;
    int confirmationsDuringWrite = 0;

    QTimer* captureTimer = nullptr;
    PictureWriter* pictureWriter = nullptr;
    capturelogic::RunState captureRun;
    MeasureTools* measureTools = nullptr;
};
