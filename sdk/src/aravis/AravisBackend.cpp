#include "AravisBackend.h"

#include <poll.h>
#include <algorithm>
#include <chrono>
#include <cstdio>

#ifdef VEXO_WITH_UDEV
#include <libudev.h>
#endif

#include "AravisPixels.h"
#include "VexoCameraApi.h"

namespace vexo::sdk::aravis {

namespace {

// The library's models stay where they are for the life of the process (open cameras
// refer to them), so the list has a fixed capacity.
constexpr size_t kMaxCameras = 256;
constexpr auto kDiscoveryInterval = std::chrono::seconds(3);
constexpr int kFrameWaitMs = 1000;

// One open camera under the current backend boundary: frames come from the camera's
// stream; the sensor settings the library passes with each capture are written to the
// camera when they differ from what it has.
class AravisDevice : public CameraDevice {
public:
    explicit AravisDevice(std::unique_ptr<AravisCamera> camera) : camera(std::move(camera)) {}
    ~AravisDevice() override { camera->stopStream(); }

    bool attached() override { return camera->attached(); }

    void capture(const imaging::SensorSettings& sensor, double, uint64_t,
                 imaging::RawFrame& out) override
    {
        apply(sensor);
        if (!camera->streaming() && camera->startStream() != VEXO_SDK_OK)
            return;
        FrameMeta meta;
        if (camera->nextFrame(out, meta, kFrameWaitMs) != VEXO_SDK_OK)
            return;
    }

    InputLineState inputLine(int) override { return {}; }

private:
    void apply(const imaging::SensorSettings& s)
    {
        const bool geometry = !written || s.offsetX != last.offsetX || s.offsetY != last.offsetY ||
                              s.regionWidth != last.regionWidth ||
                              s.regionHeight != last.regionHeight ||
                              s.outputWidth != last.outputWidth || s.layout != last.layout;
        if (geometry) {
            // Size and pixel format are locked while the camera streams.
            const bool wasStreaming = camera->streaming();
            camera->stopStream();
            const int binning = s.outputWidth > 0 && s.regionWidth / s.outputWidth >= 2 ? 2 : 1;
            const int r =
                camera->setRegion(s.offsetX, s.offsetY, s.regionWidth, s.regionHeight, binning);
            if (r != VEXO_SDK_OK)
                std::fprintf(stderr, "VexoCameraDLL: region %dx%d+%d+%d refused (%d)\n",
                             s.regionWidth, s.regionHeight, s.offsetX, s.offsetY, r);
            choosePixelFormat(s.layout);
            if (wasStreaming)
                camera->startStream();
        }
        if (!written || s.exposureUs != last.exposureUs)
            camera->setExposureUs(s.exposureUs);
        if (!written || s.analogGainMilli != last.analogGainMilli)
            camera->setGainMilli(s.analogGainMilli);
        last = s;
        written = true;
    }

    void choosePixelFormat(imaging::RawLayout layout)
    {
        const bool colour = layout == imaging::RawLayout::BayerRG8;
        uint32_t best = 0;
        int bestScore = 0;
        for (uint32_t code : camera->pixelFormats()) {
            PixelLayout l;
            if (!describePixelFormat(code, l) ||
                (l.mosaic != Mosaic::None || l.threeColours) != colour)
                continue;
            const int score = pixelFormatPreference(code);
            if (score > bestScore) {
                best = code;
                bestScore = score;
            }
        }
        if (best)
            camera->setPixelFormat(best);
    }

    std::unique_ptr<AravisCamera> camera;
    imaging::SensorSettings last;
    bool written = false;
};

}  // namespace

std::mutex& aravisSystemMutex()
{
    static std::mutex mutex;
    return mutex;
}

AravisBackend::AravisBackend(Transport transport, DeviceFolder folder)
    : transport(transport), folder(std::move(folder))
{
    cameraModels.reserve(kMaxCameras);
    {
        // Aravis enables GigE Vision and USB3 Vision by default; a process that asked for
        // the fake camera alone must not broadcast discovery packets on any network.
        static bool networkWanted = false, fakeWanted = false;
        std::lock_guard<std::mutex> guard(aravisSystemMutex());
        networkWanted = networkWanted || transport == Transport::Network;
        fakeWanted = fakeWanted || transport == Transport::Fake;
        for (const char* name : {"GigEVision", "USB3Vision"}) {
            if (networkWanted)
                arv_enable_interface(name);
            else
                arv_disable_interface(name);
        }
        if (fakeWanted)
            arv_enable_interface("Fake");
        else
            arv_disable_interface("Fake");
    }
    discoverNow();
    refresh();
    if (transport == Transport::Network)
        watcher = std::thread([this] { watch(); });
}

AravisBackend::~AravisBackend()
{
    {
        std::lock_guard<std::mutex> guard(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (watcher.joinable())
        watcher.join();
}

std::vector<AravisBackend::Found> AravisBackend::discover()
{
    std::vector<DiscoveredCamera> cameras;
    {
        std::lock_guard<std::mutex> guard(aravisSystemMutex());
        arv_update_device_list();
        const unsigned n = arv_get_n_devices();
        for (unsigned i = 0; i < n; ++i) {
            auto text = [](const char* t) { return t ? std::string(t) : std::string(); };
            DiscoveredCamera c;
            c.protocol = text(arv_get_device_protocol(i));
            const bool wanted =
                transport == Transport::Fake ? c.protocol == "Fake" : c.protocol != "Fake";
            if (!wanted)
                continue;
            c.deviceId = text(arv_get_device_id(i));
            c.vendor = text(arv_get_device_vendor(i));
            c.model = text(arv_get_device_model(i));
            c.serial = text(arv_get_device_serial_nbr(i));
            c.address = text(arv_get_device_address(i));
            c.physicalId = text(arv_get_device_physical_id(i));
            cameras.push_back(std::move(c));
        }
    }
    const std::vector<CameraModel> identities = modelsFromDiscovery(cameras);
    std::vector<Found> found;
    for (size_t i = 0; i < cameras.size(); ++i)
        if (!identities[i].identifier.empty())
            found.push_back({cameras[i], identities[i]});
    return found;
}

bool AravisBackend::describe(const DiscoveredCamera& discovered, CameraModel& m)
{
    std::string error;
    std::unique_ptr<AravisCamera> camera;
    {
        std::lock_guard<std::mutex> guard(aravisSystemMutex());
        camera = AravisCamera::open(discovered.deviceId, error);
    }
    if (!camera)
        return false;
    camera->describe(m);
    if (!completeCameraModel(m).empty())
        return false;
    // A camera starts with the region it was left with (set up with the maker's tools,
    // for example); the full sensor and the standard regions follow.
    ResolutionPreset current;
    if (camera->currentRegion(current) && current.regionWidth <= m.sensorWidth &&
        current.regionHeight <= m.sensorHeight &&
        (current.regionWidth != m.sensorWidth || current.regionHeight != m.sensorHeight)) {
        CameraModel withCurrent = m;
        withCurrent.resolutions.insert(withCurrent.resolutions.begin(), current);
        if (completeCameraModel(withCurrent).empty())
            m = std::move(withCurrent);
    }
    return true;
}

void AravisBackend::discoverNow()
{
    std::vector<Found> found = discover();
    std::map<std::string, Found> now;
    for (Found& f : found) {
        {
            // A camera seen before keeps the description taken then; describing means
            // opening it, which a camera open elsewhere may refuse.
            std::lock_guard<std::mutex> guard(mutex);
            auto known = present.find(f.model.identifier);
            if (known != present.end() && known->second.model.sensorWidth > 0) {
                now[f.model.identifier] = known->second;
                continue;
            }
            for (const CameraModel& m : cameraModels)
                if (m.identifier == f.model.identifier) {
                    f.model = m;
                    break;
                }
        }
        if (f.model.sensorWidth == 0 && !describe(f.discovered, f.model))
            continue;  // tried again at the next discovery
        now[f.model.identifier] = std::move(f);
    }
    std::vector<CameraModel> arrived;
    std::vector<std::string> left;
    {
        std::lock_guard<std::mutex> guard(mutex);
        for (const auto& entry : now)
            if (!present.count(entry.first))
                arrived.push_back(entry.second.model);
        for (const auto& entry : present)
            if (!now.count(entry.first))
                left.push_back(entry.first);
        for (const auto& entry : now)
            deviceIds[entry.first] = entry.second.discovered.deviceId;
        present = std::move(now);
    }
    for (const CameraModel& m : arrived)
        folder.attach(m);
    for (const std::string& id : left)
        folder.detach(id);
}

void AravisBackend::refresh()
{
    std::lock_guard<std::mutex> guard(mutex);
    for (const auto& entry : present) {
        const bool known =
            std::any_of(cameraModels.begin(), cameraModels.end(),
                        [&](const CameraModel& m) { return m.identifier == entry.first; });
        if (!known && cameraModels.size() < cameraModels.capacity())
            cameraModels.push_back(entry.second.model);
    }
}

bool AravisBackend::attached(const CameraModel& model)
{
    std::lock_guard<std::mutex> guard(mutex);
    return present.count(model.identifier) > 0;
}

std::unique_ptr<CameraDevice> AravisBackend::openDevice(const CameraModel& model)
{
    std::string deviceId;
    {
        std::lock_guard<std::mutex> guard(mutex);
        auto it = deviceIds.find(model.identifier);
        if (it == deviceIds.end())
            return nullptr;
        deviceId = it->second;
    }
    std::string error;
    std::unique_ptr<AravisCamera> camera;
    {
        std::lock_guard<std::mutex> guard(aravisSystemMutex());
        camera = AravisCamera::open(deviceId, error);
    }
    if (!camera) {
        std::fprintf(stderr, "VexoCameraDLL: cannot open %s: %s\n", model.identifier.c_str(),
                     error.c_str());
        return nullptr;
    }
    return std::make_unique<AravisDevice>(std::move(camera));
}

void AravisBackend::watch()
{
#ifdef VEXO_WITH_UDEV
    struct udev* udev = udev_new();
    struct udev_monitor* monitor = udev ? udev_monitor_new_from_netlink(udev, "udev") : nullptr;
    if (monitor) {
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "usb", "usb_device");
        udev_monitor_enable_receiving(monitor);
    }
    const int fd = monitor ? udev_monitor_get_fd(monitor) : -1;
#else
    const int fd = -1;
#endif
    auto next = std::chrono::steady_clock::now() + kDiscoveryInterval;
    for (;;) {
        {
            std::unique_lock<std::mutex> guard(mutex);
            if (stopping)
                break;
        }
        bool usbChanged = false;
        if (fd >= 0) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 200) > 0) {
#ifdef VEXO_WITH_UDEV
                while (struct udev_device* d = udev_monitor_receive_device(monitor)) {
                    udev_device_unref(d);
                    usbChanged = true;
                }
#endif
            }
        } else {
            std::unique_lock<std::mutex> guard(mutex);
            wake.wait_for(guard, std::chrono::milliseconds(200), [this] { return stopping; });
        }
        if (usbChanged || std::chrono::steady_clock::now() >= next) {
            discoverNow();
            next = std::chrono::steady_clock::now() + kDiscoveryInterval;
        }
    }
#ifdef VEXO_WITH_UDEV
    if (monitor)
        udev_monitor_unref(monitor);
    if (udev)
        udev_unref(udev);
#endif
}

}  // namespace vexo::sdk::aravis
