#pragma once
// Shared plumbing of the C entry points: handle look-up, argument checks and the rule
// that no C++ exception ever crosses the C interface.
#include <memory>

#include "CameraLibrary.h"
#include "VexoCameraApi.h"

namespace vexo::sdk {

// Runs body and turns any escaping exception (out of memory, a file system error) into
// VEXO_SDK_FAILED.
template <typename Body>
int guarded(Body body) noexcept
{
    try {
        return body();
    } catch (...) {
        return VEXO_SDK_FAILED;
    }
}

// Runs body with the open camera of handle, or returns VEXO_SDK_INVALID_HANDLE.
template <typename Body>
int withCamera(int handle, Body body) noexcept
{
    return guarded([&] {
        std::shared_ptr<Camera> camera = CameraLibrary::instance().find(handle);
        if (!camera)
            return static_cast<int>(VEXO_SDK_INVALID_HANDLE);
        return static_cast<int>(body(*camera));
    });
}

// Changes settings of handle's camera through edit (see Camera::change).
template <typename Edit>
int changeSettings(int handle, Edit edit) noexcept
{
    return withCamera(handle, [&](Camera& camera) { return camera.change(edit); });
}

// Reads one value from the settings into *out.
template <typename T, typename Read>
int readSetting(int handle, T* out, Read read) noexcept
{
    return withCamera(handle, [&](Camera& camera) {
        if (!out)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        *out = static_cast<T>(read(camera.settings(), camera));
        return static_cast<int>(VEXO_SDK_OK);
    });
}

inline bool inRange(long long value, long long low, long long high)
{
    return value >= low && value <= high;
}

inline bool isFlag(int value)
{
    return value == 0 || value == 1;
}

}  // namespace vexo::sdk
