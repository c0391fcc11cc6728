#include "StreamHealthLogic.h"

#include <QCoreApplication>

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

QString text(const VexoStreamStatistics& c, double rate)
{
    return QCoreApplication::translate(
               "CameraThread",
               "帧 收到 %1 丢失 %2 不完整 %3 · 包 缺失 %4 重发 %5 · %6 MB/s · 缓冲不足 %7")
        .arg(c.framesReceived)
        .arg(c.framesLost)
        .arg(c.framesIncomplete)
        .arg(c.packetsMissing)
        .arg(c.packetsResent)
        .arg(rate, 0, 'f', rate < 10 ? 2 : 1)
        .arg(c.bufferUnderruns);
}

}  // namespace streamhealth
