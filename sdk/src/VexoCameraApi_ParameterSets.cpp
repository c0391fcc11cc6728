// Parameter groups (the camera's own user sets) and parameter files.
#include <sys/stat.h>
#include <cerrno>

#include "ApiSupport.h"
#include "AtomicFile.h"
#include "CameraSettingsJson.h"
#include "ParameterFile.h"

using namespace vexo::sdk;

namespace {

std::string groupKeyOf(Camera& camera)
{
    return CameraLibrary::groupKey(camera.model(), camera.nickname(), camera.loadMode.load());
}

bool folderOfExists(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool recordCurrentGroup(Camera& camera, int group)
{
    return CameraLibrary::instance().userState().update(
        camera.model().identifier, [&](StoredCameraState& state) { state.currentGroup = group; });
}

// Reads the library's record of user group over settings. Returns OK, EMPTY_GROUP or
// FILE_CORRUPT; settings are untouched unless OK.
int readStoredGroup(Camera& camera, int group, CameraSettings& settings)
{
    const nlohmann::json saved =
        CameraLibrary::instance().userState().loadGroup(groupKeyOf(camera), group);
    if (saved.is_null())
        return static_cast<int>(VEXO_SDK_EMPTY_GROUP);
    return settingsFromJson(camera.model(), saved, kStoredGroupFields, settings)
               ? static_cast<int>(VEXO_SDK_OK)
               : static_cast<int>(VEXO_SDK_FILE_CORRUPT);
}

// The camera loaded one of its own user sets (result). Its sets hold only what the camera
// does itself; the rest (the image pipeline's settings) comes from the library's record of
// the group, and what the camera now holds is read back over it.
int loadedByCamera(Camera& camera, int group, int result)
{
    if (result != VEXO_SDK_OK)
        return result;
    if (!recordCurrentGroup(camera, group))
        return static_cast<int>(VEXO_SDK_FAILED);
    camera.currentGroup = group;
    CameraSettings base = camera.settings();
    if (group == VEXO_SDK_FACTORY_GROUP)
        base = factorySettings(camera.model());
    else
        readStoredGroup(camera, group, base);  // without a record: the settings as they are
    return camera.adoptHeldSettings(base);
}

}  // namespace

extern "C" {

int SdkSaveParameterGroup(int handle, int group)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!inRange(group, 0, 3))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        // A camera with user sets of its own keeps what it does itself; the library keeps
        // the whole group too, for the settings its image pipeline applies.
        if (const auto own = camera.withDevice([&](CameraDevice& d) { return d.saveGroup(group); });
            own && *own != VEXO_SDK_OK)
            return *own;
        UserState& state = CameraLibrary::instance().userState();
        if (!state.saveGroup(camera.model().identifier, groupKeyOf(camera), group,
                             settingsToJson(camera.settings())))
            return static_cast<int>(VEXO_SDK_FAILED);
        camera.currentGroup = group;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkLoadParameterGroup(int handle, int group)
{
    return withCamera(handle, [&](Camera& camera) {
        if (group != VEXO_SDK_FACTORY_GROUP && !inRange(group, 0, 3))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        if (const auto own = camera.withDevice([&](CameraDevice& d) { return d.loadGroup(group); }))
            return loadedByCamera(camera, group, *own);
        CameraSettings loaded = factorySettings(camera.model());
        if (group != VEXO_SDK_FACTORY_GROUP)
            if (const int read = readStoredGroup(camera, group, loaded); read != VEXO_SDK_OK)
                return read;
        // Recorded first: a camera must not run with a group it would not start with.
        if (!recordCurrentGroup(camera, group))
            return static_cast<int>(VEXO_SDK_FAILED);
        camera.change([&](CameraSettings& s) {
            s = loaded;
            return static_cast<int>(VEXO_SDK_OK);
        });
        camera.currentGroup = group;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkGetCurrentParameterGroup(int handle, int* group)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!group)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        *group = camera.currentGroup.load();
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkSetParameterLoadMode(int handle, int mode)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!inRange(mode, 0, 2))
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        const bool stored = CameraLibrary::instance().userState().update(
            camera.model().identifier, [&](StoredCameraState& state) { state.loadMode = mode; });
        if (!stored)
            return static_cast<int>(VEXO_SDK_FAILED);
        camera.loadMode = mode;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkGetParameterLoadMode(int handle, int* mode)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!mode)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        *mode = camera.loadMode.load();
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkExportParameterFile(int handle, const char* path)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!path || !*path)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        if (!folderOfExists(path))
            return static_cast<int>(VEXO_SDK_WRONG_PATH);
        const std::string bytes = encodeParameterFile(camera.model(), camera.settings());
        // A new file gets the permissions any program's new file gets (umask applies).
        switch (writeFileChecked(path, bytes, 0666)) {
            case FileWrite::Written:
                return static_cast<int>(VEXO_SDK_OK);
            case FileWrite::NotAFile:
                return static_cast<int>(VEXO_SDK_WRONG_PATH);
            case FileWrite::Failed:
                break;
        }
        return static_cast<int>(VEXO_SDK_FAILED);
    });
}

int SdkImportParameterFile(int handle, const char* path)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!path || !*path)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        std::string bytes;
        struct stat st {};
        // Only the start of an oversized file is read: enough to refuse it.
        if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode) ||
            !readFilePrefix(path, bytes, kLargestParameterFile + 1))
            return static_cast<int>(VEXO_SDK_WRONG_PATH);
        CameraSettings loaded = factorySettings(camera.model());
        const int result = decodeParameterFile(bytes, camera.model(), loaded);
        if (result != VEXO_SDK_OK)
            return result;
        return camera.change([&](CameraSettings& s) {
            s = loaded;
            return static_cast<int>(VEXO_SDK_OK);
        });
    });
}

}  // extern "C"
