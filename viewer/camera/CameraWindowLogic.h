#pragma once
// Rules of the camera window that need no widget: status line numbers, hotkey
// matching and the drag-and-drop payloads.
#include <QByteArray>
#include <QColor>
#include <QLineF>
#include <QSize>
#include <QString>
#include <QVector>
#include <functional>

struct HotkeySettings;

namespace windowlogic {

// Frame rates in the status line: cut (not rounded) to one decimal.
double truncatedRate(double rate);
// The cut rate as the status line prints it ("29.9", "30", "0").
QString rateText(double rate);
// Elapsed time of a recording as the window shows it: "mm:ss", or "h:mm:ss" from an
// hour on; negative times read as zero.
QString elapsedText(qint64 elapsedMs);
// A crosshair as the camera library holds it: position in image pixels, colour packed as
// red + green * 256 + blue * 65536.
struct CrosshairState {
    int x = 0;
    int y = 0;
    quint32 colour = 0;
    bool enabled = false;
};
struct OverlayLine {
    QLineF line;  // in image coordinates
    QColor colour;
};
// The library draws crosshairs into the frame, a pixel or two wide, and a view that scales
// the frame down can skip those pixels. Below 1:1 the view draws each enabled crosshair
// again as a line one screen pixel wide through the middle of its pixels; lines outside the
// image are not drawn, as the library leaves them out too.
QVector<OverlayLine> crosshairOverlay(const QVector<CrosshairState>& crosshairs, QSize image,
                                      double viewScale);

// Zoom percentage of the status line: the shown area relative to the image's pixel
// area (zoom squared), truncated.
int zoomPercentage(double zoom);

// A status text of groups joined by separator, cut into lines no wider than width (as
// widthOf measures) between groups. A group wider than width starts a line and breaks at
// its spaces, but never before a number, which stays with its name; a word wider still
// stands alone. The separator is left out where a line ends.
QString wrapGroups(const QString& text, const QString& separator, int width,
                   const std::function<int(const QString&)>& widthOf);

enum class HotkeyAction {
    None,
    WindowSize,
    OriginalSize,
    Enlarge,
    Narrow,
    Recording,
    Photogrape,
    Onoff,
    DisplaySwitch
};

// Shift, Control or Alt pressed alone make no combination.
bool isLoneModifier(int key);
// The portable text of a key press, counting Shift, Control and Alt (not Meta).
QString hotkeyText(int key, Qt::KeyboardModifiers modifiers);
// The first hotkey setting, in settings order, equal to text.
HotkeyAction matchHotkey(const QString& text, const HotkeySettings& hotkeys);

// MIME formats of drag and drop: a camera identifier from the device tree, and the
// grid position of a dragged camera window.
inline constexpr char kCameraFormat[] = "INFO";
inline constexpr char kRowFormat[] = "ROW";
inline constexpr char kColumnFormat[] = "COLUMN";

// Camera identifier of an "INFO" payload: local 8-bit text up to the first zero byte.
QString decodeCameraPayload(const QByteArray& payload);
// Grid row or column as a "ROW"/"COLUMN" payload, and back.
QByteArray encodeGridValue(int value);
int decodeGridValue(const QByteArray& payload);

}  // namespace windowlogic
