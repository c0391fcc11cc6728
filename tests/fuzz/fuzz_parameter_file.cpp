// Parameter files (*.bin) as SdkImportParameterFile reads them. The first input byte picks
// the camera model (its low two bits) and, with bit 0x40, rewrites the length field and
// the checksum to fit the rest, so that mutated JSON payloads get past the frame checks
// instead of all ending as "corrupt"; the rest of the input is the file.
#include "BinaryFile.h"
#include "CameraRules.h"
#include "CameraSettingsJson.h"
#include "FuzzSupport.h"
#include "ParameterFile.h"
#include "VexoCameraApi.h"

using namespace vexo::sdk;

namespace {

std::string seed(uint8_t options, const std::string& file)
{
    return std::string(1, static_cast<char>(options)) + file;
}

}  // namespace

// Exported files of every model, one with a custom region named in non-UTF-8 bytes, one
// of the first format version and one whose frame is left as it is.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!fuzzsupport::seedsRequested())
        return 0;
    const std::vector<CameraModel> models = defaultCameraModels();
    for (size_t i = 0; i < models.size(); ++i)
        fuzzsupport::writeSeed("factory-" + models[i].productName + ".bin",
                               seed(0x40 | static_cast<uint8_t>(i),
                                    encodeParameterFile(models[i], factorySettings(models[i]))));
    CameraSettings custom = factorySettings(models[0]);
    custom.resolutionIndex = VEXO_SDK_CUSTOM_RESOLUTION;
    custom.customRegion = {"\xb2\xe2\xca\xd4", 64, 32, 800, 600, 400, 300};
    custom.exposureMode = 0;
    custom.outputs[1].mode = 2;
    custom.crosshairs[3] = {100, 200, 0x00FF00, 1};
    fuzzsupport::writeSeed("custom-region.bin", seed(0x40, encodeParameterFile(models[0], custom)));
    fuzzsupport::writeSeed("unrepaired.bin", seed(0x02, encodeParameterFile(models[2], factorySettings(models[2]))));
    // The first format version: no crosshair, line, channel or focus fields.
    nlohmann::json first = settingsToJson(factorySettings(models[2]));
    for (const char* key : {"crosshairs", "inputs", "outputs", "channelMask", "focusPosition"})
        first.erase(key);
    std::string v1 = encodeParameterFile(models[2], factorySettings(models[2]));
    const std::string payload = first.dump();
    std::string length;
    appendUint32(length, static_cast<uint32_t>(payload.size()));
    v1 = v1.substr(0, 4) + std::string("\x01\x00", 2) + v1.substr(6, 34) + length + payload;
    appendChecksum(v1);
    fuzzsupport::writeSeed("version1.bin", seed(0x42, v1));
    fuzzsupport::seedsWritten();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<CameraModel> models = defaultCameraModels();
    if (size < 1)
        return 0;
    const std::string bytes = fuzzsupport::libraryFile(data, size);
    const CameraModel& model = models[data[0] % models.size()];
    const CameraSettings factory = factorySettings(model);
    CameraSettings settings = factory;
    const int result = decodeParameterFile(bytes, model, settings);
    if (result != VEXO_SDK_OK) {
        // A refused file changes nothing and says why with one of the file results.
        FUZZ_REQUIRE(result == VEXO_SDK_FILE_FOREIGN || result == VEXO_SDK_FILE_TRUNCATED ||
                     result == VEXO_SDK_FILE_CORRUPT || result == VEXO_SDK_NOT_MATCHING);
        FUZZ_REQUIRE(fuzzsupport::sameSettings(settings, factory));
        return 0;
    }
    fuzzsupport::requireUsableSettings(model, settings);
    // What a file set can be exported again and reads back the same.
    CameraSettings again = factory;
    FUZZ_REQUIRE(decodeParameterFile(encodeParameterFile(model, settings), model, again) == VEXO_SDK_OK);
    FUZZ_REQUIRE(fuzzsupport::sameSettings(again, settings));
    return 0;
}
