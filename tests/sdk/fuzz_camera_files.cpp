// libFuzzer target for the files users can hand the camera library: parameter files
// (SdkImportParameterFile), firmware upgrade files (SdkUpgradeFirmware) and camera list
// files (VEXOCAM_CAMERAS). The first byte of the input picks the reader; the readers must
// reject anything malformed with a result code and never crash, read out of bounds or hang.
// Build: configure with Clang and -DVEXO_FUZZ=ON, then run bin/fuzz_camera_files.
#include <cstddef>
#include <cstdint>
#include <string>

#include "BinaryFile.h"
#include "CameraModel.h"
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
        const int result = vexo::sdk::decodeFirmwareFile(bytes, model.productName, version);
        // An accepted file carries an image within the format's limits.
        if (result == VEXO_SDK_OK &&
            (bytes.size() <= 48 || bytes.size() > 48 + vexo::sdk::kLargestFirmwareImage))
            __builtin_trap();
    } else if (data[0] & 0x20) {
        std::vector<vexo::sdk::CameraModel> list;
        std::string error;
        if (vexo::sdk::parseCameraList(bytes, "fuzz", list, error)) {
            // Whatever a list says, its presets obey the region rule the interface enforces.
            for (const vexo::sdk::CameraModel& m : list)
                for (const vexo::sdk::ResolutionPreset& p : m.resolutions)
                    if (vexo::sdk::checkRegion(m, p) != VEXO_SDK_OK)
                        __builtin_trap();
        }
    } else {
        vexo::sdk::CameraSettings settings = vexo::sdk::factorySettings(model);
        const int result = vexo::sdk::decodeParameterFile(bytes, model, settings);
        // What a file says is accepted only within the camera's limits.
        if (result == VEXO_SDK_OK &&
            (settings.gainMilli < model.gainMinMilli || settings.gainMilli > model.gainMaxMilli ||
             vexo::sdk::checkRegion(model, settings.customRegion) != VEXO_SDK_OK))
            __builtin_trap();
    }
    return 0;
}
