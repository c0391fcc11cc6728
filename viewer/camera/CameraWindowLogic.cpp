#include "CameraWindowLogic.h"

#include <QKeySequence>
#include <QStringList>
#include <cmath>

#include "SettingsStore.h"

namespace windowlogic {

double truncatedRate(double rate)
{
    if (!std::isfinite(rate))
        return 0.0;
    return std::trunc(rate * 10) / 10;
}

QString rateText(double rate)
{
    return QString::number(truncatedRate(rate), 'g');
}

QString elapsedText(qint64 elapsedMs)
{
    const qint64 seconds = elapsedMs > 0 ? elapsedMs / 1000 : 0;
    const qint64 hours = seconds / 3600;
    const QString minutesAndSeconds = QStringLiteral("%1:%2")
                                          .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
                                          .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QStringLiteral("%1:%2").arg(hours).arg(minutesAndSeconds)
                     : minutesAndSeconds;
}

int zoomPercentage(double zoom)
{
    // The small allowance keeps 1.2 × 1.2 × 100 (143.99999…) at 144.
    return static_cast<int>(zoom * zoom * 100 + 1e-9);
}

namespace {
// The words of a group a line may start with: a space before a digit keeps the number
// with its name.
QStringList wordsOf(const QString& group)
{
    QStringList words;
    int start = 0;
    for (int i = 0; i + 1 < group.size(); ++i) {
        if (group[i] == QLatin1Char(' ') && !group[i + 1].isDigit() && i > start) {
            words << group.mid(start, i - start);
            start = i + 1;
        }
    }
    words << group.mid(start);
    return words;
}
}  // namespace

QString wrapGroups(const QString& text, const QString& separator, int width,
                   const std::function<int(const QString&)>& widthOf)
{
    if (separator.isEmpty())
        return text;
    QStringList lines;
    QString line;
    // Appends piece to the line after joint, or starts a new line with it.
    const auto place = [&](const QString& piece, const QString& joint) {
        const QString longer = line.isEmpty() ? piece : line + joint + piece;
        if (line.isEmpty() || widthOf(longer) <= width) {
            line = longer;
        } else {
            lines << line;
            line = piece;
        }
    };
    for (const QString& group : text.split(separator)) {
        if (widthOf(group) <= width) {
            place(group, separator);
            continue;
        }
        // Too wide for any line: the group starts a line and breaks between its words.
        if (!line.isEmpty())
            lines << line;
        line.clear();
        for (const QString& word : wordsOf(group))
            place(word, QStringLiteral(" "));
    }
    lines << line;
    return lines.join(QLatin1Char('\n'));
}

bool isLoneModifier(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt;
}

QString hotkeyText(int key, Qt::KeyboardModifiers modifiers)
{
    const int combination =
        key +
        static_cast<int>(modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    return QKeySequence(combination).toString(QKeySequence::PortableText);
}

HotkeyAction matchHotkey(const QString& text, const HotkeySettings& hotkeys)
{
    if (text.isEmpty())
        return HotkeyAction::None;
    const std::pair<const QString*, HotkeyAction> order[] = {
        {&hotkeys.windowSize, HotkeyAction::WindowSize},
        {&hotkeys.originalSize, HotkeyAction::OriginalSize},
        {&hotkeys.enlarge, HotkeyAction::Enlarge},
        {&hotkeys.narrow, HotkeyAction::Narrow},
        {&hotkeys.recording, HotkeyAction::Recording},
        {&hotkeys.photogrape, HotkeyAction::Photogrape},
        {&hotkeys.onoff, HotkeyAction::Onoff},
        {&hotkeys.displaySwitch, HotkeyAction::DisplaySwitch},
    };
    for (const auto& [setting, action] : order) {
        if (*setting == text)
            return action;
    }
    return HotkeyAction::None;
}

QString decodeCameraPayload(const QByteArray& payload)
{
    if (payload.isNull())
        return QString();
    const int end = payload.indexOf('\0');
    return QString::fromLocal8Bit(end < 0 ? payload : payload.left(end));
}

QByteArray encodeGridValue(int value)
{
    return QString::number(value).toLocal8Bit();
}

int decodeGridValue(const QByteArray& payload)
{
    return QString::fromLocal8Bit(payload).toInt();
}

QVector<OverlayLine> crosshairOverlay(const QVector<CrosshairState>& crosshairs, QSize image,
                                      double viewScale)
{
    QVector<OverlayLine> lines;
    if (viewScale >= 1.0 || image.isEmpty())
        return lines;
    for (const CrosshairState& c : crosshairs) {
        if (!c.enabled)
            continue;
        const QColor colour(int(c.colour & 0xFF), int((c.colour >> 8) & 0xFF),
                            int((c.colour >> 16) & 0xFF));
        if (c.y >= 0 && c.y < image.height())
            lines.append({QLineF(0, c.y + 0.5, image.width(), c.y + 0.5), colour});
        if (c.x >= 0 && c.x < image.width())
            lines.append({QLineF(c.x + 0.5, 0, c.x + 0.5, image.height()), colour});
    }
    return lines;
}

}  // namespace windowlogic
