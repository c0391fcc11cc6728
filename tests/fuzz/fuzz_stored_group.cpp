// Stored parameter groups (the state folder's groups/*.json) as the library loads them
// when a camera opens or a group is chosen. The first input byte picks the camera model
// (bits 0-1), the group number (bits 2-3) and, with bit 0x10, a key long enough to be
// filed under its hash (groups/h-<hash>.json, which names its key inside); the rest is
// the file.
#include <filesystem>

#include "CameraRules.h"
#include "CameraSettingsJson.h"
#include "FuzzSupport.h"
#include "UserState.h"

using namespace vexo::sdk;

namespace {

struct GroupFiles {
    UserState state{fuzzsupport::scratchFolder() + "/state"};
    std::string longKey;
    std::string longKeyPath;   // where the groups of longKey are filed

    GroupFiles()
    {
        for (int i = 0; i < 80; ++i)
            longKey += "\xe7\x9b\xb8";   // a long non-ASCII nickname
        FUZZ_REQUIRE(state.saveGroup("VXG2301C0001", longKey, 0, nlohmann::json::object()));
        for (const auto& entry : std::filesystem::directory_iterator(state.folder() + "/groups"))
            if (entry.path().filename().string().rfind("h-", 0) == 0)
                longKeyPath = entry.path().string();
        FUZZ_REQUIRE(!longKeyPath.empty());
    }
};

}  // namespace

// The group files the library writes: groups 0 and 2 of each model, and the groups of a
// long key filed under its hash.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!fuzzsupport::seedsRequested())
        return 0;
    const std::vector<CameraModel> models = defaultCameraModels();
    for (size_t i = 0; i < models.size(); ++i) {
        CameraSettings changed = factorySettings(models[i]);
        changed.exposureMode = 0;
        changed.gainMilli = models[i].gainMaxMilli;
        changed.resolutionIndex = static_cast<int>(models[i].resolutions.size()) - 1;
        const nlohmann::json document = {{"0", settingsToJson(factorySettings(models[i]))},
                                         {"2", settingsToJson(changed)}};
        const uint8_t options = static_cast<uint8_t>(i | ((i % 2) ? 2 << 2 : 0));
        fuzzsupport::writeSeed("groups-" + models[i].productName + ".json",
                               std::string(1, static_cast<char>(options)) + document.dump(2));
    }
    GroupFiles files;
    const nlohmann::json hashed = {{"key", files.longKey},
                                   {"1", settingsToJson(factorySettings(models[0]))}};
    fuzzsupport::writeSeed("groups-hashed-key.json",
                           std::string(1, static_cast<char>(0x10 | 1 << 2)) + hashed.dump(2));
    fuzzsupport::seedsWritten();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<CameraModel> models = defaultCameraModels();
    static GroupFiles files;
    if (size < 1)
        return 0;
    const CameraModel& model = models[data[0] % models.size()];
    const int group = (data[0] >> 2) & 3;
    const bool hashed = data[0] & 0x10;
    // Groups are filed under the product name when the camera loads them by model.
    const std::string key = hashed ? files.longKey : model.productName;
    const std::string path =
        hashed ? files.longKeyPath : files.state.folder() + "/groups/" + model.productName + ".json";
    FUZZ_REQUIRE(fuzzsupport::writeFile(path, data + 1, size - 1));

    const nlohmann::json saved = files.state.loadGroup(key, group);
    FUZZ_REQUIRE(saved.is_null() || saved.is_object());
    if (saved.is_null())
        return 0;
    const CameraSettings factory = factorySettings(model);
    CameraSettings settings = factory;
    if (!settingsFromJson(model, saved, kStoredGroupFields, settings)) {
        FUZZ_REQUIRE(fuzzsupport::sameSettings(settings, factory));
        return 0;
    }
    fuzzsupport::requireUsableSettings(model, settings);
    // Saving the group again stores what was loaded.
    CameraSettings again = factory;
    FUZZ_REQUIRE(settingsFromJson(model, settingsToJson(settings), FieldSet::Complete, again));
    FUZZ_REQUIRE(fuzzsupport::sameSettings(again, settings));
    return 0;
}
