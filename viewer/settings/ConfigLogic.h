#pragma once
#include <QtGlobal>
// Rules of the settings dialog that need no widget: milliseconds shown as a number and
// a unit, the single key combination of a hotkey field and the hotkey conflict test.
#include <QKeySequence>
#include <QString>
#include <QStringList>

namespace configlogic {

// Unit indexes of the interval combo boxes: seconds, minutes, hours.
enum TimeUnit { Seconds = 0, Minutes = 1, Hours = 2 };

struct TimeValue {
    int value = 0;
    int unit = Seconds;
};

// A stored interval in milliseconds as spin box value and unit: below a minute in
// seconds, below an hour in minutes, otherwise in hours, each truncated; the value is
// clamped to the spin box range 0..99. The milliseconds are taken as unsigned.
TimeValue timeValueFromMs(int milliseconds);
// Milliseconds of a value in a unit (1000, 60000 or 3600000 per step).
int msFromTimeValue(int value, int unit);

// Picture types (CAPTURE/PictureType) whose files can hold 16-bit grey: PNG (2), TIFF (3).
bool pictureTypeHolds16Bits(int pictureType);

// The first combination of a sequence, as a field that keeps a single one shows it.
QKeySequence firstCombination(const QKeySequence& sequence);

// True when two of the texts are equal (two empty fields count as equal).
bool hasConflict(const QStringList& texts);

// What the hotkey page's reset puts into the fields, in settings order, and the texts
// it keeps for them.
QStringList hotkeyResetInputs();
QStringList hotkeyResetTexts();

// Memory the newest seconds of a camera may take while it waits for a recording to start
// (RECORDINFO/PreTriggerSeconds): 2 s of 1920×1080 at 30 fps, 1 s of 2592×1944 at 22 fps;
// below the recorder's queue limit, which takes them all at the start.
constexpr qint64 kPreTriggerLimitBytes = qint64(384) << 20;
constexpr int kLongestPreTriggerSeconds = 10;
// Bytes that seconds of frames of width × height (24-bit, as the recorder takes them) at
// framesPerSecond take, one frame more for the one arriving.
qint64 preTriggerBytes(int width, int height, double framesPerSecond, int seconds);

}  // namespace configlogic
