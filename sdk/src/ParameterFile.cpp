#include "ParameterFile.h"

#include "BinaryFile.h"
#include "CameraSettingsJson.h"
#include "VexoCameraApi.h"

namespace vexo::sdk {

namespace {

const char kMagic[] = "VXPF";
constexpr size_t kHeaderSize = 44;

}  // namespace

std::string encodeParameterFile(const CameraModel& model, const CameraSettings& settings)
{
    const std::string payload = settingsToJson(settings).dump();
    std::string out(kMagic, 4);
    appendUint16(out, kParameterFileVersion);
    appendUint16(out, 0);
    appendText(out, model.productName, 32);
    appendUint32(out, static_cast<uint32_t>(payload.size()));
    out += payload;
    appendChecksum(out);
    return out;
}

int decodeParameterFile(const std::string& bytes, const CameraModel& model, CameraSettings& settings)
{
    const std::string magic(kMagic, 4);
    if (bytes.size() < 4)
        return magic.compare(0, bytes.size(), bytes) == 0 ? VEXO_SDK_FILE_TRUNCATED : VEXO_SDK_FILE_FOREIGN;
    if (bytes.compare(0, 4, magic) != 0)
        return VEXO_SDK_FILE_FOREIGN;
    if (bytes.size() < kHeaderSize + 4)
        return VEXO_SDK_FILE_TRUNCATED;
    const uint16_t version = readUint16(bytes, 4);
    if (version < 1 || version > kParameterFileVersion)
        return VEXO_SDK_FILE_FOREIGN;
    const uint32_t length = readUint32(bytes, 40);
    if (length > kLargestParameterPayload)
        return VEXO_SDK_FILE_CORRUPT;
    if (bytes.size() < kHeaderSize + length + 4)
        return VEXO_SDK_FILE_TRUNCATED;
    if (bytes.size() != kHeaderSize + length + 4 || !checksumMatches(bytes))
        return VEXO_SDK_FILE_CORRUPT;
    if (readText(bytes, 8, 32) != model.productName)
        return VEXO_SDK_NOT_MATCHING;
    const nlohmann::json payload = nlohmann::json::parse(bytes.substr(kHeaderSize, length), nullptr, false);
    CameraSettings decoded = settings;
    if (payload.is_discarded() ||
        !settingsFromJson(model, payload, version == 1 ? FieldSet::Version1 : FieldSet::Complete,
                          decoded))
        return VEXO_SDK_FILE_CORRUPT;
    settings = std::move(decoded);
    return VEXO_SDK_OK;
}

}  // namespace vexo::sdk
