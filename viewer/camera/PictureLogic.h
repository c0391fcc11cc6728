#pragma once
// File names and type codes of single pictures.
#include <QDateTime>
#include <QString>
#include <cstdint>

struct CaptureSettings;

namespace picturelogic {

// Library file type code for the capture settings' picture type (0 BMP, 1 JPG, 2 PNG,
// 3 TIFF); 0 for any other value, meaning no file is written.
int pictureTypeCode(int pictureType);

// Whether pictures are to keep a deep camera's bit depth: asked for, and a format that
// holds 16 bits (PNG or TIFF).
bool keepsBitDepth(const CaptureSettings& capture);
// The depth of a raw frame format that is grey and deeper than 8 bits (10 for Mono10, 12,
// 16); 0 for any other. Pictures of those frames can keep their depth.
int deepGreyBits(uint32_t rawFormat);

struct PictureName {
    QString baseName;       // folder + "/" + prefix + "_" + time or index; no extension
    bool advancesIndex = false;
    int nextIndex = 0;      // NameRuleIndex to store when advancesIndex
};

// Base name of the next picture in folder under the capture settings' naming rule.
// Rule 0 stamps the local time to the second, or to the millisecond for pictures
// whose folder was just chosen in a dialog; rule 1 uses the running index. Any other
// rule gives an empty name.
PictureName pictureName(const QString& folder, const CaptureSettings& capture,
                        const QDateTime& now, bool withMilliseconds);

}  // namespace picturelogic
