#include "SimulatorCommands.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "AtomicFile.h"
#include "CameraLock.h"
#include "DeviceFolder.h"
#include "FirmwareFile.h"
#include "SimulatedBackend.h"
#include "UserState.h"
#include "VexoCameraApi.h"

namespace vexo::sdk {

namespace {

using Clock = std::chrono::steady_clock;

struct Simulator {
    std::vector<CameraModel> models;
    DeviceFolder folder{defaultDeviceFolder()};

    explicit Simulator(std::ostream& err)
    {
        std::string error;
        models = simulatedCameraModels(error);
        if (!error.empty())
            err << "vexocam-sim: " << error << "; using the built-in cameras\n";
        folder.publish(models);
    }

    const CameraModel* find(const std::string& identifier) const
    {
        for (const CameraModel& m : models)
            if (m.identifier == identifier)
                return &m;
        return nullptr;
    }
};

bool parseInt(const std::string& text, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || parsed < -1000000000 || parsed > 1000000000)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

int listCameras(Simulator& sim, std::ostream& out)
{
    UserState state(defaultStateFolder());
    for (const CameraModel& m : sim.models) {
        const bool attached = sim.folder.attached(m.identifier);
        const bool open = CameraLock::isHeld(sim.folder.lockPath(m.identifier));
        out << m.identifier << "\t" << m.productName << "\t" << m.interfaceText << "\t"
            << m.sensorWidth << "x" << m.sensorHeight << (m.colorSensor ? " colour" : " mono")
            << "\t" << (attached ? "attached" : "detached") << "\t" << (open ? "open" : "closed")
            << "\t"
            << firmwareVersionText(
                   state.load(m.identifier).firmwareVersion.value_or(m.firmwareVersion))
            << "\t";
        VexoNetworkConfig network{};
        if (SdkGetNetworkConfig(m.identifier.c_str(), &network) == VEXO_SDK_OK)
            out << network.ipAddress << (network.addressMode ? " static" : " dhcp");
        else
            out << "-";
        out << "\t" << state.load(m.identifier).nickname.value_or(m.nickname) << "\n";
    }
    return 0;
}

// attach / detach one camera or "all".
int plug(Simulator& sim, const std::string& identifier, bool attach, std::ostream& err)
{
    std::vector<const CameraModel*> targets;
    if (identifier == "all") {
        for (const CameraModel& m : sim.models)
            targets.push_back(&m);
    } else if (const CameraModel* m = sim.find(identifier)) {
        targets.push_back(m);
    } else {
        err << "vexocam-sim: no camera " << identifier << "\n";
        return 1;
    }
    int result = 0;
    for (const CameraModel* m : targets) {
        if (attach ? sim.folder.attached(m->identifier) : !sim.folder.attached(m->identifier))
            continue;  // already in the requested state
        if (!(attach ? sim.folder.attach(*m) : sim.folder.detach(m->identifier))) {
            err << "vexocam-sim: cannot " << (attach ? "attach " : "detach ") << m->identifier
                << " in " << sim.folder.path() << "\n";
            result = 1;
        }
    }
    return result;
}

// Waits until stdin reaches end of file or `seconds` pass (negative: no limit).
void waitForRelease(double seconds)
{
    const Clock::time_point end =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(seconds < 0 ? 1e9 : seconds));
    while (Clock::now() < end) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (::poll(&input, 1, 50) > 0) {
            char buffer[64];
            if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
                return;
        }
    }
}

int holdCamera(const std::string& identifier, double seconds, bool stream, std::ostream& out,
               std::ostream& err)
{
    int handle = 0;
    const int result = SdkOpenCamera(&handle, identifier.c_str());
    if (result != VEXO_SDK_OK) {
        err << "vexocam-sim: open " << identifier << " failed: " << result << "\n";
        out << "result " << result << std::endl;
        return 1;
    }
    if (!stream) {
        out << "opened " << identifier << std::endl;
        waitForRelease(seconds);
        SdkCloseCamera(handle);
        return 0;
    }
    // Stream until the time is up or a frame call fails, then report how it ended.
    SdkStartAcquisition(handle);
    out << "streaming " << identifier << std::endl;
    const Clock::time_point end =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(seconds < 0 ? 1e9 : seconds));
    int frames = 0;
    int last = VEXO_SDK_OK;
    while (Clock::now() < end) {
        uint32_t token = 0;
        last = SdkGetFrame(handle, &token, 200);
        if (last == VEXO_SDK_OK) {
            SdkReleaseFrame(handle, token);
            if (++frames == 1)
                out << "first frame" << std::endl;  // lets a test act once frames flow
        } else if (last != VEXO_SDK_TIMEOUT) {
            break;
        }
    }
    const int closed = SdkCloseCamera(handle);
    out << "frames " << frames << " last " << last << " close " << closed << std::endl;
    return 0;
}

int snapshot(const std::string& identifier, const std::string& baseName, int typeCode,
             std::ostream& out, std::ostream& err)
{
    int handle = 0;
    int result = SdkOpenCamera(&handle, identifier.c_str());
    if (result != VEXO_SDK_OK) {
        err << "vexocam-sim: open " << identifier << " failed: " << result << "\n";
        return 1;
    }
    // Let automatic exposure and white balance settle before taking the picture.
    SdkStartAcquisition(handle);
    const Clock::time_point settle = Clock::now() + std::chrono::milliseconds(1500);
    std::vector<BYTE> pixels;
    result = VEXO_SDK_TIMEOUT;
    while (Clock::now() < settle || result != VEXO_SDK_OK) {
        uint32_t token = 0;
        if (SdkGetFrame(handle, &token, 2000) != VEXO_SDK_OK)
            break;
        VexoImageInfo info{};
        BYTE* raw = SdkGetRawImage(handle, token, &info);
        pixels.resize(static_cast<size_t>(info.width) * static_cast<size_t>(info.height) * 4);
        result = raw ? SdkProcessImage(handle, &info, raw, pixels.data()) : VEXO_SDK_FAILED;
        SdkReleaseFrame(handle, token);
        if (result == VEXO_SDK_OK && Clock::now() >= settle) {
            result = SdkSaveImageFile(handle, baseName.c_str(), pixels.data(), &info, typeCode, 95);
            break;
        }
    }
    SdkCloseCamera(handle);
    if (result == VEXO_SDK_FILE_EXISTS) {
        err << "vexocam-sim: " << baseName << " has a picture already; nothing was written\n";
        return 1;
    }
    if (result != VEXO_SDK_OK) {
        err << "vexocam-sim: snapshot of " << identifier << " failed: " << result << "\n";
        return 1;
    }
    out << "saved " << baseName << "\n";
    return 0;
}

}  // namespace

std::string simulatorUsage()
{
    return "usage: vexocam-sim <command>\n"
           "  list                          cameras: attached/open state, firmware, IP address, "
           "nickname\n"
           "  attach <id>|all               plug a camera in\n"
           "  detach <id>|all               unplug a camera\n"
           "  pulse <id> [line] [count]     pulse an input line (hardware trigger)\n"
           "  line <id> <line> <0|1>        hold an input line low or high\n"
           "  hold <id> [seconds]           keep the camera open until stdin closes or time is up\n"
           "  stream <id> [seconds]         open, stream and report how streaming ended\n"
           "  snapshot <id> <base> [png|jpg|bmp]  save one settled picture\n"
           "  make-upgrade <id> <version> <file> [broken]\n"
           "                                write a firmware upgrade file (*.upg) for that "
           "camera's\n"
           "                                product with version like 1.3.0.0; 'broken' spoils its "
           "checksum\n"
           "  folders                       print the device node and state folders\n"
           "Environment: VEXOCAM_CAMERAS (camera list file), VEXOCAM_DEVICE_DIR, "
           "VEXOCAM_STATE_DIR.\n";
}

int runSimulatorCommand(const std::vector<std::string>& arguments, std::ostream& out,
                        std::ostream& err)
{
    if (arguments.empty() || arguments[0] == "-h" || arguments[0] == "--help") {
        (arguments.empty() ? err : out) << simulatorUsage();
        return arguments.empty() ? 2 : 0;
    }
    const std::string& command = arguments[0];
    const size_t count = arguments.size();
    Simulator sim(err);
    auto usage = [&] {
        err << simulatorUsage();
        return 2;
    };

    if (command == "list" && count == 1)
        return listCameras(sim, out);
    if (command == "folders" && count == 1) {
        out << "devices " << sim.folder.path() << "\nstate " << defaultStateFolder() << "\n";
        return 0;
    }
    if ((command == "attach" || command == "detach") && count == 2)
        return plug(sim, arguments[1], command == "attach", err);
    if (command == "pulse" && count >= 2 && count <= 4) {
        int line = 0, pulses = 1;
        if ((count >= 3 && !parseInt(arguments[2], line)) ||
            (count == 4 && !parseInt(arguments[3], pulses)) || line < 0 || line > 7 || pulses < 1 ||
            pulses > 1000)
            return usage();
        if (!sim.find(arguments[1])) {
            err << "vexocam-sim: no camera " << arguments[1] << "\n";
            return 1;
        }
        for (int i = 0; i < pulses; ++i)
            if (!sim.folder.pulseInputLine(arguments[1], line))
                return 1;
        return 0;
    }
    if (command == "line" && count == 4) {
        int line = 0, level = 0;
        if (!parseInt(arguments[2], line) || !parseInt(arguments[3], level) || line < 0 ||
            line > 7 || (level != 0 && level != 1))
            return usage();
        if (!sim.find(arguments[1])) {
            err << "vexocam-sim: no camera " << arguments[1] << "\n";
            return 1;
        }
        return sim.folder.setInputLevel(arguments[1], line, level) ? 0 : 1;
    }
    if ((command == "hold" || command == "stream") && (count == 2 || count == 3)) {
        int seconds = -1;
        if (count == 3 && !parseInt(arguments[2], seconds))
            return usage();
        return holdCamera(arguments[1], seconds, command == "stream", out, err);
    }
    if (command == "snapshot" && (count == 3 || count == 4)) {
        int type = VEXO_SDK_FILE_PNG;
        if (count == 4) {
            if (arguments[3] == "jpg")
                type = VEXO_SDK_FILE_JPG;
            else if (arguments[3] == "bmp")
                type = VEXO_SDK_FILE_BMP;
            else if (arguments[3] != "png")
                return usage();
        }
        return snapshot(arguments[1], arguments[2], type, out, err);
    }
    if (command == "make-upgrade" && (count == 4 || (count == 5 && arguments[4] == "broken"))) {
        const CameraModel* m = sim.find(arguments[1]);
        uint16_t version = 0;
        if (!m || !parseFirmwareVersion(arguments[2], version)) {
            err << "vexocam-sim: need a known camera and a version like 1.3.0.0\n";
            return 2;
        }
        // A firmware image of some size with recognisable content.
        std::string image;
        for (int i = 0; i < 4096; ++i)
            image += static_cast<char>((i * 31 + version) & 0xFF);
        std::string file = encodeFirmwareFile(m->productName, version, image);
        if (count == 5)
            file[file.size() / 2] = static_cast<char>(file[file.size() / 2] ^ 0x5A);
        if (!writeFileAtomically(arguments[3], file)) {
            err << "vexocam-sim: cannot write " << arguments[3] << "\n";
            return 1;
        }
        out << "wrote " << arguments[3] << " for " << m->productName << " "
            << firmwareVersionText(version) << "\n";
        return 0;
    }
    return usage();
}

}  // namespace vexo::sdk
