// libFuzzer target for the two file readers users can hand the camera library: parameter
// files (SdkImportParameterFile) and firmware upgrade files (SdkUpgradeFirmware). The
// first byte of the input picks the reader; the readers must reject anything malformed
// with a result code and never crash, read out of bounds or hang.
// Build: configure with Clang and -DVEXO_FUZZ=ON, then run bin/fuzz_camera_files.
#include <cstddef>
#include <cstdint>
#include <string>

#include "CameraModel.h"
#include "BinaryFile.h"
#include "CameraSettings.h"
#include "FirmwareFile.h"
#include "ParameterFile.h"
#include "VexoCameraApi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<vexo::sdk::CameraModel> models = vexo::sdk::defaultCameraModels();
    if (size < 1)
        return 0;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if ((data[0] & 0x40) && bytes.size() >= 4) {
        bytes.resize(bytes.size() - 4);
        vexo::sdk::appendChecksum(bytes);
    }
    const vexo::sdk::CameraModel& model = models[data[0] % models.size()];
    if (data[0] & 0x80) {
        uint16_t version = 0;
        vexo::sdk::decodeFirmwareFile(bytes, model.productName, version);
    } else {
        vexo::sdk::CameraSettings settings = vexo::sdk::factorySettings(model);
        const int result = vexo::sdk::decodeParameterFile(bytes, model, settings);
        // What a file says is accepted only within the camera's limits.
        if (result == VEXO_SDK_OK && (settings.gainMilli < model.gainMinMilli || settings.gainMilli > model.gainMaxMilli))
            __builtin_trap();
    }
    return 0;
}
