#include "ConfigLogic.h"

#include <cmath>

#include <algorithm>

namespace configlogic {

namespace {

constexpr quint32 kMinuteMs = 60000;
constexpr quint32 kHourMs = 3600000;
constexpr int kSpinMaximum = 99;
constexpr int kUnitMs[] = {1000, 60000, 3600000};

}  // namespace

TimeValue timeValueFromMs(int milliseconds)
{
    const quint32 t = static_cast<quint32>(milliseconds);
    TimeValue v;
    quint32 value;
    if (t < kMinuteMs) {
        value = t / 1000;
        v.unit = Seconds;
    } else if (t < kHourMs) {
        value = t / kMinuteMs;
        v.unit = Minutes;
    } else {
        value = t / kHourMs;
        v.unit = Hours;
    }
    v.value = int(std::min<quint32>(value, kSpinMaximum));
    return v;
}

int msFromTimeValue(int value, int unit)
{
    if (unit < Seconds || unit > Hours)
        unit = Seconds;
    return value * kUnitMs[unit];
}

bool pictureTypeHolds16Bits(int pictureType)
{
    return pictureType == 2 || pictureType == 3;
}

QKeySequence firstCombination(const QKeySequence& sequence)
{
    const QString first =
        sequence.toString(QKeySequence::NativeText).split(QStringLiteral(", ")).first();
    return QKeySequence::fromString(first, QKeySequence::NativeText);
}

bool hasConflict(const QStringList& texts)
{
    for (int i = 0; i < texts.size(); ++i)
        for (int j = i + 1; j < texts.size(); ++j)
            if (texts[i] == texts[j])
                return true;
    return false;
}

QStringList hotkeyResetInputs()
{
    return {QStringLiteral("Ctrl+p"), QStringLiteral("Ctrl+w"), QStringLiteral("Ctrl+e"),
            QStringLiteral("Ctrl+r"), QStringLiteral("Ctrl+t"), QStringLiteral("Ctrl+y"),
            QStringLiteral("Ctrl+u"), QStringLiteral("Ctrl+i")};
}

QStringList hotkeyResetTexts()
{
    return {QStringLiteral("Ctrl+P"), QStringLiteral("Ctrl+W"), QStringLiteral("Ctrl+E"),
            QStringLiteral("Ctrl+R"), QStringLiteral("Ctrl+T"), QStringLiteral("Ctrl+Y"),
            QStringLiteral("Ctrl+U"), QStringLiteral("Ctrl+I")};
}

qint64 preTriggerBytes(int width, int height, double framesPerSecond, int seconds)
{
    if (width <= 0 || height <= 0 || framesPerSecond <= 0 || seconds <= 0)
        return 0;
    const qint64 frames = qint64(std::ceil(framesPerSecond * seconds)) + 1;
    return qint64(width) * 3 * qint64(height) * frames;
}

}  // namespace configlogic
