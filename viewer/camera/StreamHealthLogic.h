#pragma once
// The camera window's stream health line: the library's stream counters and the data
// rate between two readings, as text.
#include <QString>
#include <QtGlobal>

#include "VexoCameraRecords.h"

namespace streamhealth {

struct Sample {
    VexoStreamStatistics counters{};
    qint64 timeMs = -1;  // when it was read; -1: no reading yet
};

// Megabytes (10^6 bytes) a second between two readings; 0 without a time between them or
// when the counters went back (a new handle).
double megabytesPerSecond(const Sample& earlier, const Sample& later);

// Frames the library could not keep while the window was paused. A paused window takes no
// frames, so the library's buffers fill, and each further frame the camera sends takes the
// place of the oldest one kept, which counts as lost though nothing failed. The line shows
// those apart: frames lost while paused that were neither incomplete nor without a buffer.
class PauseLedger {
public:
    void paused(const VexoStreamStatistics& now);
    void resumed(const VexoStreamStatistics& now);
    // Frames skipped in the pauses so far, the one under way included.
    quint64 skipped(const VexoStreamStatistics& now) const;

private:
    quint64 finished = 0;
    bool pausedNow = false;
    quint64 givenWayAtPause = 0;
};

// "帧 收到 … 丢失 … 不完整 … · 包 缺失 … 重发 … · … MB/s · 缓冲不足 …", translated; with
// frames skipped while paused taken out of the lost frames, and named beside them
// ("丢失 … (暂停时跳过 …)") when there are any.
QString text(const VexoStreamStatistics& counters, double megabytesPerSecond,
             quint64 skippedWhilePaused = 0);

// What the library's stream advice means for the user, with the fix for each of flags
// (VEXO_SDK_STREAM_...): program is the program to give the capability to. Empty for
// no flags.
QString adviceText(const VexoStreamAdvice& advice, quint32 flags, const QString& program);

// The flags of advice not said before in this process; marks them said. A user running
// nine GigE cameras hears each piece of advice once, not nine times a session.
quint32 takeUnsaidAdvice(quint32 flags);

}  // namespace streamhealth
