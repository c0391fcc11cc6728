// The histogram window of a camera window: a new one per use of "直方图", fed with the
// same frames as the display.
#include "CameraThread.h"
#include "histogramWidget.h"

void CameraThread::openHistogram()
{
    auto* histogram = new histogramWidget(handle, nullptr);
    const QString name = cameraName(handle);
    if (!name.isNull())
        histogram->setWindowTitle(name);
    // Without a running acquisition the window opens and stays empty.
    if (videoThread)
        connect(videoThread, SIGNAL(acquireFrame(QImage)), histogram, SLOT(dealtData(QImage)),
                Qt::BlockingQueuedConnection);
    histogram->show();
}
