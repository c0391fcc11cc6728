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

// "帧 收到 … 丢失 … 不完整 … · 包 缺失 … 重发 … · … MB/s · 缓冲不足 …", translated.
QString text(const VexoStreamStatistics& counters, double megabytesPerSecond);

// What the library's stream advice means for the user, with the fix for each of flags
// (VEXO_SDK_STREAM_...): program is the program to give the capability to. Empty for
// no flags.
QString adviceText(const VexoStreamAdvice& advice, quint32 flags, const QString& program);

// The flags of advice not said before in this process; marks them said. A user running
// nine GigE cameras hears each piece of advice once, not nine times a session.
quint32 takeUnsaidAdvice(quint32 flags);

}  // namespace streamhealth
