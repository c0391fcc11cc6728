// The stream health line under the status line: frames received, lost and incomplete,
// packets missing and resent, the data rate and buffer underruns, read from the library
// every second while a camera is open (the library answers without waiting for the camera).
#include <QBoxLayout>
#include <QCoreApplication>
#include <QDateTime>
#include <QLabel>
#include <QTimer>

#include "CameraThread.h"
#include "GroupedLineLabel.h"
#include "StreamHealthLogic.h"
#include "VexoCameraApi.h"
#include "ui_CameraThread.h"

void CameraThread::setUpStreamHealth()
{
    streamHealthLabel = new GroupedLineLabel(this);
    streamHealthLabel->setSeparator(QStringLiteral(" \u00B7 "));
    streamHealthLabel->setObjectName(QStringLiteral("label_streamHealth"));
    streamHealthLabel->setStyleSheet(QStringLiteral(
        "QLabel#label_streamHealth{background-color: rgb(45, 45, 48); color: rgb(190, 190, 190); "
        "padding: 0px 6px 2px 6px;}"));
    streamHealthLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    streamHealthLabel->hide();
    if (auto* layout = qobject_cast<QBoxLayout*>(ui->label_camerainfo->parentWidget()->layout()))
        layout->insertWidget(layout->indexOf(ui->label_camerainfo) + 1, streamHealthLabel);
    streamHealthTimer = new QTimer(this);
    streamHealthTimer->setInterval(kStreamHealthIntervalMs);
    connect(streamHealthTimer, &QTimer::timeout, this, &CameraThread::updateStreamHealth);
    streamHealthTimer->start();
}

void CameraThread::updateStreamHealth()
{
    VexoStreamStatistics counters{};
    if (handle == 0 || SdkGetStreamStatistics(handle, &counters) != VEXO_SDK_OK) {
        streamHealthLabel->hide();
        streamHealthSample = {};
        pauseLedger = {};
        return;
    }
    const streamhealth::Sample now{counters, QDateTime::currentMSecsSinceEpoch()};
    // The rate keeps its last value between readings of the same time.
    if (now.timeMs > streamHealthSample.timeMs) {
        if (streamHealthSample.timeMs >= 0)
            streamHealthRate = streamhealth::megabytesPerSecond(streamHealthSample, now);
        streamHealthSample = now;
    }
    streamHealthLabel->setLine(
        streamhealth::text(counters, streamHealthRate, pauseLedger.skipped(counters)));
    streamHealthLabel->show();
    sayStreamAdvice();
}

void CameraThread::notePause(bool paused)
{
    VexoStreamStatistics counters{};
    if (handle == 0 || SdkGetStreamStatistics(handle, &counters) != VEXO_SDK_OK)
        return;
    if (paused)
        pauseLedger.paused(counters);
    else
        pauseLedger.resumed(counters);
}

void CameraThread::sayStreamAdvice()
{
    // Advice on the PC's set-up for this camera's stream: on the health line's tooltip
    // for as long as it holds, and in the status line the first time this process meets it.
    VexoStreamAdvice advice{};
    if (SdkGetStreamAdvice(handle, &advice) != VEXO_SDK_OK)
        return;
    const QString program = QCoreApplication::applicationFilePath();
    streamHealthLabel->setToolTip(streamhealth::adviceText(advice, advice.flags, program));
    if (const quint32 unsaid = streamhealth::takeUnsaidAdvice(advice.flags))
        showStatusNotice(streamhealth::adviceText(advice, unsaid, program));
}
