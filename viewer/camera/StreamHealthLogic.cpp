#include "StreamHealthLogic.h"

#include <QCoreApplication>
#include <QStringList>

#include <atomic>

namespace streamhealth {

double megabytesPerSecond(const Sample& earlier, const Sample& later)
{
    if (earlier.timeMs < 0 || later.timeMs <= earlier.timeMs ||
        later.counters.bytesReceived < earlier.counters.bytesReceived)
        return 0;
    const double bytes =
        static_cast<double>(later.counters.bytesReceived - earlier.counters.bytesReceived);
    return bytes / 1e6 / (static_cast<double>(later.timeMs - earlier.timeMs) / 1000.0);
}

namespace {

// Lost frames that were neither incomplete nor without a buffer: frames that gave way to
// newer ones in the library's full buffers (or that the camera's stream reported missing).
quint64 givenWay(const VexoStreamStatistics& c)
{
    const quint64 other = c.framesIncomplete + c.bufferUnderruns;
    return c.framesLost > other ? c.framesLost - other : 0;
}

}  // namespace

void PauseLedger::paused(const VexoStreamStatistics& now)
{
    if (pausedNow)
        return;
    pausedNow = true;
    givenWayAtPause = givenWay(now);
}

void PauseLedger::resumed(const VexoStreamStatistics& now)
{
    finished = skipped(now);
    pausedNow = false;
}

quint64 PauseLedger::skipped(const VexoStreamStatistics& now) const
{
    // Counters that went back belong to another stream: nothing of this pause is in them.
    const quint64 sincePause = givenWay(now);
    const bool underway = pausedNow && sincePause > givenWayAtPause;
    return finished + (underway ? sincePause - givenWayAtPause : 0);
}

QString text(const VexoStreamStatistics& c, double rate, quint64 skippedWhilePaused)
{
    // Named beside the lost frames they were taken from.
    QString lost = QString::number(
        c.framesLost > skippedWhilePaused ? c.framesLost - skippedWhilePaused : 0);
    if (skippedWhilePaused > 0)
        lost += QCoreApplication::translate("CameraThread", " (暂停时跳过 %1)").arg(skippedWhilePaused);
    return QCoreApplication::translate(
               "CameraThread",
               "帧 收到 %1 丢失 %2 不完整 %3 · 包 缺失 %4 重发 %5 · %6 MB/s · 缓冲不足 %7")
        .arg(c.framesReceived)
        .arg(lost)
        .arg(c.framesIncomplete)
        .arg(c.packetsMissing)
        .arg(c.packetsResent)
        .arg(rate, 0, 'f', rate < 10 ? 2 : 1)
        .arg(c.bufferUnderruns);
}

QString adviceText(const VexoStreamAdvice& advice, quint32 flags, const QString& program)
{
    QStringList parts;
    if (flags & VEXO_SDK_STREAM_UDP_SOCKET)
        parts << QCoreApplication::translate(
                     "CameraThread",
                     "GigE 图像经普通 UDP 套接字接收 (程序没有 CAP_NET_RAW 权限, 不能使用包套接字), "
                     "CPU 占用更高. 解决: sudo setcap cap_net_raw+ep %1")
                     .arg(program);
    if (flags & VEXO_SDK_STREAM_SMALL_SOCKET_BUFFER)
        parts << QCoreApplication::translate(
                     "CameraThread",
                     "系统的套接字接收缓冲区上限 %1 KB 小于一帧图像 %2 KB, 计算机繁忙时会丢包. "
                     "解决: sudo sysctl -w net.core.rmem_max=33554432 "
                     "net.core.rmem_default=33554432")
                     .arg(advice.socketBufferLimit / 1024)
                     .arg((advice.frameBytes + 1023) / 1024);
    return parts.join(QLatin1Char(' '));
}

quint32 takeUnsaidAdvice(quint32 flags)
{
    static std::atomic<quint32> said{0};
    return flags & ~said.fetch_or(flags);
}

}  // namespace streamhealth
