#include "DeviceFolder.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "AtomicFile.h"

namespace vexo::sdk {

std::string defaultDeviceFolder()
{
    if (const char* dir = std::getenv("VEXOCAM_DEVICE_DIR"); dir && *dir)
        return dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/vexocam";
    return "/tmp/vexocam-" + std::to_string(getuid());
}

DeviceFolder::DeviceFolder(std::string path) : folder(std::move(path)) {}

bool DeviceFolder::prepare() const
{
    return makeFolders(folder + "/.locks") && makeFolders(folder + "/.seen") &&
           makeFolders(folder + "/.io");
}

std::string DeviceFolder::nodePath(const std::string& identifier) const
{
    return folder + "/" + identifier + ".node";
}

std::string DeviceFolder::lockPath(const std::string& identifier) const
{
    prepare();
    return folder + "/.locks/" + identifier + ".lock";
}

std::string DeviceFolder::inputLinePath(const std::string& identifier, int line) const
{
    return folder + "/.io/" + identifier + ".in" + std::to_string(line);
}

void DeviceFolder::publish(const std::vector<CameraModel>& models)
{
    if (!prepare())
        return;
    for (const CameraModel& m : models) {
        const std::string seen = folder + "/.seen/" + m.identifier;
        if (fileExists(seen))
            continue;
        // Node first: a crash between the two writes must not leave a camera unplugged.
        if (attach(m))
            writeFileAtomically(seen, "");
    }
}

bool DeviceFolder::attached(const std::string& identifier) const
{
    return fileExists(nodePath(identifier));
}

bool DeviceFolder::attach(const CameraModel& m)
{
    if (!prepare())
        return false;
    const std::string content = "identifier=" + m.identifier + "\nproduct=" + m.productName +
                                "\ninterface=" + m.interfaceText + "\n";
    return writeFileAtomically(nodePath(m.identifier), content) &&
           (fileExists(folder + "/.seen/" + m.identifier) ||
            writeFileAtomically(folder + "/.seen/" + m.identifier, ""));
}

bool DeviceFolder::detach(const std::string& identifier)
{
    prepare();
    writeFileAtomically(folder + "/.seen/" + identifier, "");
    return std::remove(nodePath(identifier).c_str()) == 0;
}

InputLineState DeviceFolder::inputLine(const std::string& identifier, int line) const
{
    InputLineState state;
    std::string text;
    if (!readWholeFile(inputLinePath(identifier, line), text))
        return state;
    unsigned rising = 0, falling = 0;
    int level = 0;
    if (std::sscanf(text.c_str(), "%u %u %d", &rising, &falling, &level) == 3) {
        state.risingEdges = rising;
        state.fallingEdges = falling;
        state.level = level ? 1 : 0;
    }
    return state;
}

bool DeviceFolder::changeInputLine(const std::string& identifier, int line, int pulses, int level)
{
    if (!prepare())
        return false;
    FileLock lock(folder + "/.io/.lock");
    InputLineState state = inputLine(identifier, line);
    if (pulses > 0) {
        // A pulse starts from the line's resting level and returns to it.
        state.risingEdges += static_cast<uint32_t>(pulses);
        state.fallingEdges += static_cast<uint32_t>(pulses);
    } else if (level != state.level) {
        if (level)
            ++state.risingEdges;
        else
            ++state.fallingEdges;
        state.level = level;
    }
    const std::string text = std::to_string(state.risingEdges) + " " +
                             std::to_string(state.fallingEdges) + " " + std::to_string(state.level) + "\n";
    return writeFileAtomically(inputLinePath(identifier, line), text);
}

bool DeviceFolder::pulseInputLine(const std::string& identifier, int line)
{
    return changeInputLine(identifier, line, 1, 0);
}

bool DeviceFolder::setInputLevel(const std::string& identifier, int line, int level)
{
    return changeInputLine(identifier, line, 0, level ? 1 : 0);
}

}  // namespace vexo::sdk
