// The histogram window of a camera window: a new one per use of "直方图", fed with the
// frames the display shows.
#include "CameraThread.h"
#include "WindowPlacement.h"
#include "histogramWidget.h"

void CameraThread::openHistogram()
{
    auto* histogram = new histogramWidget(handle, nullptr);
    const QString name = cameraName(handle);
    if (!name.isNull())
        histogram->setWindowTitle(name);
    // It counts the frames the window shows, in the GUI thread: a slow histogram makes
    // the display skip frames, never the camera or a recording. Without a running
    // acquisition the window opens and stays empty.
    connect(this, SIGNAL(frameShown(QImage)), histogram, SLOT(dealtData(QImage)),
            Qt::DirectConnection);
    // A deep grey camera's frames are counted in the camera's own levels.
    connect(this, &CameraThread::nativeFrameShown, histogram, &histogramWidget::dealtNativeData,
            Qt::DirectConnection);
    addNativeFrameReader(1);
    connect(histogram, &QObject::destroyed, this, [this]() { addNativeFrameReader(-1); });
    // It belongs to the window the camera window sits in, so it outlives a camera window
    // that the grid replaces.
    suite::showAttached(histogram, this);
}
