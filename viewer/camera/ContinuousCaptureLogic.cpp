#include "ContinuousCaptureLogic.h"

#include "FileNames.h"
#include "RecordingLogic.h"

#include <algorithm>
#include <cstring>

namespace capturelogic {

QString safeFolderName(const QString& title)
{
    QString name = withFileNameCharacters(title);
    // Windows drops trailing dots and blanks, which would make "cam." and "cam" one
    // folder; ".", ".." and blanks alone would name the parent or nothing at all.
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    if (name.trimmed().isEmpty())
        return QStringLiteral("_");
    return name;
}

QString uniqueBaseName(const QString& baseName, const QString& extension,
                       const std::function<bool(const QString&)>& exists)
{
    // Pictures are numbered like recordings: the suffix goes before the extension.
    const QString file = recordinglogic::freePath(baseName + extension, exists);
    return file.left(file.size() - extension.size());
}

QString pictureExtension(int pictureType)
{
    switch (pictureType) {
        case 0:
            return QStringLiteral(".bmp");
        case 1:
            return QStringLiteral(".jpg");
        case 2:
            return QStringLiteral(".png");
        case 3:
            return QStringLiteral(".tif");
        default:
            return QString();
    }
}

std::unique_ptr<unsigned char[]> copyOfPackedFrame(const unsigned char* pixels, int width,
                                                   int height)
{
    if (!pixels || width <= 0 || height <= 0)
        return nullptr;
    const std::size_t bytes = std::size_t(width) * 3 * std::size_t(height);
    std::unique_ptr<unsigned char[]> copy(new unsigned char[bytes]);
    std::memcpy(copy.get(), pixels, bytes);
    return copy;
}

int timeTickMs(int grapTimeRadixMs)
{
    return std::max(grapTimeRadixMs, kFastestTimeTickMs);
}

CountRun countRun(int radix, bool limited, int limit)
{
    CountRun run;
    run.everyFrames = radix < 1 ? 1 : radix;
    run.limit = limited ? limit : 0;
    run.endsAtOnce = limited && limit < 1;
    return run;
}

TickAction timeTick(qint64 nowMs, qint64 deadlineMs, bool limited, bool pending)
{
    if (limited && nowMs >= deadlineMs)
        return TickAction::End;
    return pending ? TickAction::Wait : TickAction::Request;
}

}  // namespace capturelogic
