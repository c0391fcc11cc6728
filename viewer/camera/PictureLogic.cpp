#include "PictureLogic.h"

#include "ConfigLogic.h"
#include "SettingsStore.h"
#include "VexoCameraApi.h"

namespace picturelogic {

int pictureTypeCode(int pictureType)
{
    switch (pictureType) {
    case 0:
        return VEXO_SDK_FILE_BMP;
    case 1:
        return VEXO_SDK_FILE_JPG;
    case 2:
        return VEXO_SDK_FILE_PNG;
    case 3:
        return VEXO_SDK_FILE_TIFF;
    default:
        return 0;
    }
}

bool keepsBitDepth(const CaptureSettings& capture)
{
    return capture.keepBitDepth != 0 && configlogic::pictureTypeHolds16Bits(capture.pictureType);
}

int deepGreyBits(uint32_t rawFormat)
{
    switch (rawFormat) {
    case VEXO_SDK_PIXEL_MONO10:
        return 10;
    case VEXO_SDK_PIXEL_MONO12:
        return 12;
    case VEXO_SDK_PIXEL_MONO16:
        return 16;
    default:
        return 0;
    }
}

PictureName pictureName(const QString& folder, const CaptureSettings& capture,
                        const QDateTime& now, bool withMilliseconds)
{
    PictureName name;
    switch (capture.nameRuleFormat) {
    case 0:
        name.baseName = QStringLiteral("%1/%2_%3").arg(
            folder, capture.nameRulePrefix,
            now.toString(withMilliseconds ? QStringLiteral("yyyyMMddhhmmsszzz")
                                          : QStringLiteral("yyyyMMddhhmmss")));
        break;
    case 1:
        name.baseName = QStringLiteral("%1/%2_%3").arg(folder, capture.nameRulePrefix,
                                                       QString::number(capture.nameRuleIndex));
        name.advancesIndex = true;
        name.nextIndex = nextNameRuleIndex(capture.nameRuleIndex);
        break;
    default:
        break;
    }
    return name;
}

}  // namespace picturelogic
