// Devices and identity: enumeration, open and close, names and versions.
#include <cstring>
#include <filesystem>

#include "ApiSupport.h"

#ifndef VEXO_SDK_VERSION_TEXT
#define VEXO_SDK_VERSION_TEXT "0.0.0"
#endif

using namespace vexo::sdk;

namespace {

int writeText(char* buffer, const std::string& text)
{
    if (!buffer)
        return VEXO_SDK_INVALID_ARGUMENT;
    const size_t n = std::min(text.size(), static_cast<size_t>(VEXO_SDK_TEXT_BUFFER_SIZE - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return VEXO_SDK_OK;
}

}  // namespace

extern "C" {

int SdkEnumerateDevices(int* count)
{
    return guarded([&] {
        if (!count)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        return CameraLibrary::instance().enumerate(*count);
    });
}

int SdkGetDeviceInfo(int index, VexoDeviceInfo* info)
{
    return guarded([&] {
        if (!info)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        VexoDeviceInfo filled;
        const int result = CameraLibrary::instance().deviceInfo(index, filled);
        if (result == VEXO_SDK_OK)
            *info = filled;
        return result;
    });
}

int SdkOpenCamera(int* handle, const char* identifier)
{
    return guarded([&] {
        if (!handle || !identifier)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        int opened = 0;
        const int result = CameraLibrary::instance().open(identifier, opened);
        if (result == VEXO_SDK_OK)
            *handle = opened;
        return result;
    });
}

int SdkCloseCamera(int handle)
{
    return guarded([&] { return CameraLibrary::instance().close(handle); });
}

int SdkGetCameraIdentifier(int handle, char* buffer, int kind)
{
    return withCamera(handle, [&](Camera& camera) {
        if (kind != 0)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        return writeText(buffer, camera.model().identifier);
    });
}

int SdkGetCameraName(int handle, char* buffer)
{
    return withCamera(handle, [&](Camera& camera) { return writeText(buffer, camera.nickname()); });
}

int SdkGetSdkVersion(char* buffer)
{
    return guarded([&] { return writeText(buffer, VEXO_SDK_VERSION_TEXT); });
}

int SdkGetDeviceTypeCode(int handle, uint32_t* code)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!code)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        *code = camera.model().deviceTypeCode;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkGetFirmwareVersion(int handle, char* buffer)
{
    return withCamera(handle,
                      [&](Camera& camera) { return writeText(buffer, firmwareVersionText(camera.firmwareVersion())); });
}

int SdkGetInterfaceText(int handle, char* buffer)
{
    return withCamera(handle, [&](Camera& camera) { return writeText(buffer, camera.model().interfaceText); });
}

int SdkGetParameterFolder(char* buffer, int size)
{
    return guarded([&] {
        if (!buffer || size <= 0)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        UserState& state = CameraLibrary::instance().userState();
        const std::string& folder = state.folder();
        if (folder.size() + 1 > static_cast<size_t>(size))
            return static_cast<int>(VEXO_SDK_BUFFER_TOO_SMALL);
        if (!state.ensureFolder())
            return static_cast<int>(VEXO_SDK_FAILED);
        std::memcpy(buffer, folder.c_str(), folder.size() + 1);
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkGetDeviceNodeFolder(char* buffer, int size)
{
    return guarded([&] {
        if (!buffer || size <= 0)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        const std::string& folder = CameraLibrary::instance().lockFolder().path();
        if (folder.size() + 1 > static_cast<size_t>(size))
            return static_cast<int>(VEXO_SDK_BUFFER_TOO_SMALL);
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error)
            return static_cast<int>(VEXO_SDK_FAILED);
        std::memcpy(buffer, folder.c_str(), folder.size() + 1);
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkSetDeviceNickname(int handle, const char* nickname)
{
    return withCamera(handle, [&](Camera& camera) {
        if (!nickname)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        const std::string name(nickname);
        if (name.size() > VEXO_SDK_NICKNAME_MAX_LENGTH)
            return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
        // Stored as text; on this platform the local 8-bit encoding is UTF-8.
        if (!isUtf8(name))
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        // A camera with a writable name of its own keeps it; the name it reads back is
        // also remembered for the device list, which is made without opening cameras.
        std::string written = name;
        if (const auto own =
                camera.withDevice([&](CameraDevice& d) { return d.writeNickname(name, written); });
            own && *own != VEXO_SDK_OK)
            return *own;
        const bool stored = CameraLibrary::instance().userState().update(
            camera.model().identifier, [&](StoredCameraState& state) { state.nickname = written; });
        if (!stored)
            return static_cast<int>(VEXO_SDK_FAILED);
        camera.setNickname(written);
        return static_cast<int>(VEXO_SDK_OK);
    });
}

}  // extern "C"
