// What a camera remembers (the state folder's cameras/<serial>.json: nickname, network
// settings, firmware version, group choice) as the library reads it when it lists or
// opens the camera. The input is the file.
#include <fstream>
#include <functional>
#include <iterator>

#include "FuzzSupport.h"
#include "CameraModel.h"
#include "NetworkAddress.h"
#include "UserState.h"

using namespace vexo::sdk;

namespace {

bool sameState(const StoredCameraState& a, const StoredCameraState& b)
{
    const bool sameNetwork =
        a.network.has_value() == b.network.has_value() &&
        (!a.network || (a.network->addressMode == b.network->addressMode &&
                        a.network->ipAddress == b.network->ipAddress &&
                        a.network->subnetMask == b.network->subnetMask &&
                        a.network->gateway == b.network->gateway));
    return a.nickname == b.nickname && a.firmwareVersion == b.firmwareVersion && sameNetwork &&
           a.loadMode == b.loadMode && a.currentGroup == b.currentGroup;
}

}  // namespace

// State files as the library writes them: a static address, DHCP, a camera with only a
// nickname.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!fuzzsupport::seedsRequested())
        return 0;
    UserState state(fuzzsupport::scratchFolder() + "/seeds");
    const auto write = [&](const std::string& name, const std::function<void(StoredCameraState&)>& change) {
        FUZZ_REQUIRE(state.update(name, change));
        std::string text;
        std::ifstream in(state.folder() + "/cameras/" + name + ".json");
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        fuzzsupport::writeSeed(name + ".json", text);
    };
    write("static", [](StoredCameraState& s) {
        s.nickname = "\xe5\x8c\x85\xe8\xa3\x85\xe7\xba\xbf line 2";
        s.firmwareVersion = 0x1204;
        s.network = NetworkState{1, "192.168.1.120", "255.255.255.0", "192.168.1.1"};
        s.loadMode = 1;
        s.currentGroup = 2;
    });
    write("dhcp", [](StoredCameraState& s) {
        s.network = NetworkState{0, "10.0.0.5", "255.0.0.0", "0.0.0.0"};
        s.loadMode = 2;
        s.currentGroup = 0;
    });
    write("nickname", [](StoredCameraState& s) { s.nickname = "Packing"; });
    fuzzsupport::seedsWritten();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static UserState state(fuzzsupport::scratchFolder() + "/state");
    static const bool made = state.ensureFolder();
    FUZZ_REQUIRE(made);
    const std::string identifier = "VXG2301C0001";
    FUZZ_REQUIRE(fuzzsupport::writeFile(state.folder() + "/cameras/" + identifier + ".json", data, size));

    const StoredCameraState stored = state.load(identifier);
    if (stored.network)
        FUZZ_REQUIRE(isValidStoredAddress(stored.network->addressMode, stored.network->ipAddress,
                                          stored.network->subnetMask, stored.network->gateway));
    FUZZ_REQUIRE(stored.loadMode >= 0 && stored.loadMode <= 2);
    FUZZ_REQUIRE((stored.currentGroup >= 0 && stored.currentGroup <= 3) || stored.currentGroup == 0xFF);
    if (stored.nickname) {
        FUZZ_REQUIRE(isUtf8(*stored.nickname));
        // The nickname keys the parameter groups when the camera loads them by nickname.
        state.loadGroup(*stored.nickname, stored.currentGroup);
    }
    // Any change the library makes rewrites the file: what was read stays as it was.
    FUZZ_REQUIRE(state.update(identifier, [](StoredCameraState&) {}));
    FUZZ_REQUIRE(sameState(state.load(identifier), stored));
    return 0;
}
