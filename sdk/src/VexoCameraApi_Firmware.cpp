// Firmware upgrade: checks the file, "writes" it with progress reports from a library
// thread, and records the new firmware version.
#include <atomic>
#include <chrono>
#include <thread>

#include "ApiSupport.h"
#include "AtomicFile.h"
#include "FirmwareFile.h"

using namespace vexo::sdk;

namespace {

// How long the simulated flash write takes, in progress steps of kStep.
constexpr int kSteps = 50;
constexpr auto kStep = std::chrono::milliseconds(40);

}  // namespace

extern "C" {

int SdkUpgradeFirmware(int handle, const char* path, VexoUpgradeProgressCallback progress, void* context)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!path || !*path)
            return static_cast<int>(VEXO_SDK_WRONG_PATH);
        // GenICam has no standard firmware upgrade: a real camera takes none from us.
        if (!camera.model().firmwareUpgrade)
            return static_cast<int>(VEXO_SDK_NOT_MATCHING);
        uint16_t version = 0;
        if (const int checked = readFirmwareFile(path, camera.model().productName, version);
            checked != VEXO_SDK_OK)
            return checked;
        if (camera.unplugged())
            return static_cast<int>(VEXO_SDK_FAILED);

        // While the image is written the camera stays locked, even if the handle is
        // closed meanwhile (see Camera::beginUpgrade).
        if (!camera.beginUpgrade())
            return static_cast<int>(VEXO_SDK_INVALID_HANDLE);
        struct UpgradeEnd {
            Camera& camera;
            ~UpgradeEnd() { camera.endUpgrade(); }
        } upgradeEnd{camera};
        // The camera takes the image block by block; progress comes from the library's
        // own thread, as the programs expect.
        std::atomic<bool> completed{false};
        std::thread writer([&] {
            for (int step = 0; step <= kSteps; ++step) {
                if (camera.unplugged())
                    return;   // interrupted: the old firmware stays
                if (progress)
                    progress(step * 100 / kSteps, context);
                if (step < kSteps)
                    std::this_thread::sleep_for(kStep);
            }
            completed = true;
        });
        writer.join();
        if (!completed)
            return static_cast<int>(VEXO_SDK_FAILED);
        const bool stored = CameraLibrary::instance().userState().update(
            camera.model().identifier, [&](StoredCameraState& state) { state.firmwareVersion = version; });
        if (!stored)
            return static_cast<int>(VEXO_SDK_FAILED);
        camera.setFirmwareVersion(version);
        return static_cast<int>(VEXO_SDK_OK);
    });
}

}  // extern "C"
