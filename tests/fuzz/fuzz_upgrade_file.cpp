// Firmware upgrade files (*.upg) as SdkUpgradeFirmware checks them. The first input byte
// picks the camera model (bits 0-1) and, with bit 0x40, rewrites the length field and the
// checksum to fit the rest; the rest is the file. The file is checked twice, in memory
// and as the library reads it from disk in blocks, and both must agree.
#include <vector>

#include "CameraModel.h"
#include "CameraRules.h"
#include "FirmwareFile.h"
#include "FuzzSupport.h"
#include "VexoCameraApi.h"

using namespace vexo::sdk;

// An upgrade file for each model, and one whose frame is left as it is.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!fuzzsupport::seedsRequested())
        return 0;
    const std::vector<CameraModel> models = defaultCameraModels();
    std::string image;
    for (int i = 0; i < 96; ++i)
        image += static_cast<char>(i * 37);
    for (size_t i = 0; i < models.size(); ++i)
        fuzzsupport::writeSeed(
            "upgrade-" + models[i].productName + ".upg",
            std::string(1, static_cast<char>(0x40 | i)) +
                encodeFirmwareFile(models[i].productName, static_cast<uint16_t>(0x1300 + i), image));
    fuzzsupport::writeSeed("unrepaired.upg",
                           std::string(1, '\x01') + encodeFirmwareFile(models[1].productName, 0x2001, "x"));
    fuzzsupport::seedsWritten();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<CameraModel> models = defaultCameraModels();
    static const std::string path = fuzzsupport::scratchFolder() + "/firmware.upg";
    if (size < 1)
        return 0;
    const std::string bytes = fuzzsupport::libraryFile(data, size);
    const CameraModel& model = models[data[0] % models.size()];
    uint16_t inMemory = 0;
    const int decoded = decodeFirmwareFile(bytes, model.productName, inMemory);
    FUZZ_REQUIRE(decoded == VEXO_SDK_OK || decoded == VEXO_SDK_NOT_MATCHING);
    // An accepted file carries an image within the format's limits.
    if (decoded == VEXO_SDK_OK)
        FUZZ_REQUIRE(bytes.size() > 48 && bytes.size() <= 48 + kLargestFirmwareImage);

    FUZZ_REQUIRE(fuzzsupport::writeFile(path, bytes));
    uint16_t fromDisk = 0;
    const int read = readFirmwareFile(path, model.productName, fromDisk);
    FUZZ_REQUIRE(read == decoded);
    if (read == VEXO_SDK_OK)
        FUZZ_REQUIRE(fromDisk == inMemory);
    return 0;
}
