#include "AravisBackend.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#ifdef VEXO_WITH_UDEV
#include <libudev.h>
#endif

#include "AravisDevice.h"
#include "UserState.h"
#include "VexoCameraApi.h"

namespace vexo::sdk::aravis {

namespace {

constexpr auto kDiscoveryInterval = std::chrono::seconds(3);
// A GigE camera busy streaming may miss a discovery reply; only two misses in a row
// count as gone.
constexpr int kMissesUntilGone = 2;

}  // namespace

std::mutex& aravisSystemMutex()
{
    static std::mutex mutex;
    return mutex;
}

AravisBackend::AravisBackend(Transport transport, DeviceFolder folder)
    : transport(transport), folder(std::move(folder))
{
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
    // The fake camera never comes or goes; real ones are watched from the start, so the
    // device folder follows them even before the first camera is opened.
    if (transport == Transport::Network && ::pipe2(stopPipe, O_CLOEXEC) == 0)
        watcher = std::thread([this] { watchLoop(); });
}

AravisBackend::~AravisBackend()
{
    if (watcher.joinable()) {
        const char stop = 1;
        if (::write(stopPipe[1], &stop, 1) == 1)
            watcher.join();
        else
            watcher.detach();  // cannot happen with a fresh pipe; never block the exit
    }
    for (int fd : stopPipe)
        if (fd >= 0)
            ::close(fd);
}

std::vector<DiscoveredCamera> AravisBackend::discover()
{
    std::vector<DiscoveredCamera> cameras;
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
    return cameras;
}

void AravisBackend::discoverNow()
{
    const std::vector<DiscoveredCamera> cameras = discover();
    const std::vector<CameraModel> identities = modelsFromDiscovery(cameras);
    std::vector<std::pair<std::string, bool>> changes;
    std::vector<std::shared_ptr<const CameraModel>> arrived;
    HotplugListener report;
    {
        std::lock_guard<std::mutex> guard(mutex);
        std::map<std::string, bool> seen;
        for (size_t i = 0; i < cameras.size(); ++i) {
            const CameraModel& identity = identities[i];
            if (identity.identifier.empty())
                continue;
            seen[identity.identifier] = true;
            Known& k = known[identity.identifier];
            if (!k.model) {
                auto model = std::make_shared<CameraModel>(identity);
                model->firmwareUpgrade = false;
                // GigE cameras keep their address settings in bootstrap registers.
                model->networkSettings = model->isGigE();
                k.model = std::move(model);
                order.push_back(identity.identifier);
            }
            k.deviceId = cameras[i].deviceId;
            k.misses = 0;
            if (!k.present) {
                k.present = true;
                changes.emplace_back(identity.identifier, true);
                arrived.push_back(k.model);
            } else if (auto open = openCameras.find(identity.identifier);
                       open != openCameras.end()) {
                // Lost and back before discovery missed it (a cable pulled for a moment,
                // a quick restart): the open device is dead, so the camera is reported as
                // arrived again for the library to reopen it. This ends when the library
                // lets go of the dead device.
                const std::shared_ptr<AravisCamera> camera = open->second.lock();
                if (camera && !camera->attached())
                    changes.emplace_back(identity.identifier, true);
            }
        }
        for (auto& [identifier, k] : known) {
            if (seen.count(identifier) || !k.present)
                continue;
            if (++k.misses >= kMissesUntilGone) {
                k.present = false;
                changes.emplace_back(identifier, false);
            }
        }
        report = listener;
    }
    for (const auto& m : arrived)
        folder.attach(*m);
    for (const auto& [identifier, attached] : changes) {
        if (!attached)
            folder.detach(identifier);
        if (report)
            report(identifier, attached);
    }
}

std::vector<std::shared_ptr<const CameraModel>> AravisBackend::models()
{
    std::lock_guard<std::mutex> guard(mutex);
    std::vector<std::shared_ptr<const CameraModel>> list;
    for (const std::string& identifier : order)
        list.push_back(known[identifier].model);
    return list;
}

bool AravisBackend::attached(const std::string& identifier)
{
    std::lock_guard<std::mutex> guard(mutex);
    auto it = known.find(identifier);
    return it != known.end() && it->second.present;
}

std::unique_ptr<CameraDevice> AravisBackend::openDevice(const CameraModel& model, int& error)
{
    std::string deviceId;
    std::shared_ptr<const CameraModel> identity;
    {
        std::lock_guard<std::mutex> guard(mutex);
        auto it = known.find(model.identifier);
        if (it == known.end() || !it->second.present) {
            error = VEXO_SDK_NOT_FOUND;
            return nullptr;
        }
        deviceId = it->second.deviceId;
        identity = it->second.model;
    }
    std::string message;
    std::unique_ptr<AravisCamera> camera;
    {
        std::lock_guard<std::mutex> guard(aravisSystemMutex());
        camera = AravisCamera::open(deviceId, message);
    }
    if (!camera) {
        // Seen by discovery but not to be opened: another program (outside this library)
        // has it, as far as we can tell.
        std::fprintf(stderr, "VexoCameraDLL: cannot open %s: %s\n", model.identifier.c_str(),
                     message.c_str());
        error = VEXO_SDK_OPEN_ELSEWHERE;
        return nullptr;
    }
    // Ours now; whatever it was doing for an earlier controller ends here.
    camera->stopLeftoverAcquisition();
    std::shared_ptr<const CameraModel> capabilities = describeCamera(*camera, *identity, message);
    if (!capabilities) {
        std::fprintf(stderr, "VexoCameraDLL: %s cannot be used: %s\n", model.identifier.c_str(),
                     message.c_str());
        error = VEXO_SDK_FAILED;
        return nullptr;
    }
    const std::string identifier = model.identifier;
    std::shared_ptr<AravisCamera> shared = std::move(camera);
    {
        std::lock_guard<std::mutex> guard(mutex);
        openCameras[identifier] = shared;
    }
    return std::make_unique<AravisDevice>(std::move(shared), std::move(capabilities),
                                          [this, identifier] { return attached(identifier); });
}

std::optional<int> AravisBackend::withNetworkCamera(const std::string& identifier,
                                                    const std::function<int(AravisCamera&)>& call)
{
    std::shared_ptr<AravisCamera> camera;
    std::string deviceId;
    {
        std::lock_guard<std::mutex> guard(mutex);
        auto it = known.find(identifier);
        if (it == known.end() || !it->second.model->isGigE())
            return std::nullopt;
        if (!it->second.present)
            return VEXO_SDK_NOT_FOUND;
        deviceId = it->second.deviceId;
        if (auto open = openCameras.find(identifier); open != openCameras.end())
            camera = open->second.lock();
    }
    if (!camera) {
        std::string message;
        std::lock_guard<std::mutex> guard(aravisSystemMutex());
        camera = AravisCamera::open(deviceId, message);
        if (!camera)
            return VEXO_SDK_OPEN_ELSEWHERE;
    }
    return call(*camera);
}

std::optional<int> AravisBackend::networkConfig(const std::string& identifier, NetworkState& state)
{
    return withNetworkCamera(identifier, [&](AravisCamera& camera) {
        AravisCamera::NetworkAddresses current, persistent;
        bool persistentOn = false, dhcpOn = false;
        if (int r = camera.currentAddress(current))
            return r;
        if (int r = camera.persistentAddress(persistent, persistentOn, dhcpOn))
            return r;
        // What the camera is set to: the address it starts with when it has a static one
        // (a change shows before the camera restarts), else the one it uses now.
        const bool fixed = persistentOn && persistent.ipAddress != "0.0.0.0";
        const AravisCamera::NetworkAddresses& shown = fixed ? persistent : current;
        state.addressMode = dhcpOn && !persistentOn ? 0 : 1;
        state.ipAddress = shown.ipAddress;
        state.subnetMask = shown.subnetMask;
        state.gateway = shown.gateway;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

std::optional<int> AravisBackend::setNetworkConfig(const std::string& identifier,
                                                   const NetworkState& state)
{
    return withNetworkCamera(identifier, [&](AravisCamera& camera) {
        return camera.setNetwork(state.addressMode == 0,
                                 {state.ipAddress, state.subnetMask, state.gateway});
    });
}

void AravisBackend::watch(HotplugListener hotplug)
{
    std::lock_guard<std::mutex> guard(mutex);
    listener = std::move(hotplug);
}

void AravisBackend::watchLoop()
{
#ifdef VEXO_WITH_UDEV
    struct udev* udev = udev_new();
    struct udev_monitor* monitor = udev ? udev_monitor_new_from_netlink(udev, "udev") : nullptr;
    if (monitor) {
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "usb", "usb_device");
        udev_monitor_enable_receiving(monitor);
    }
    const int usbFd = monitor ? udev_monitor_get_fd(monitor) : -1;
#else
    const int usbFd = -1;
#endif
    const int intervalMs = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(kDiscoveryInterval).count());
    for (;;) {
        // Sleeps until udev reports a USB change, the stop pipe is written or the interval
        // for GigE (which has no such event) is over.
        pollfd fds[2] = {{stopPipe[0], POLLIN, 0}, {usbFd, POLLIN, 0}};
        const int ready = ::poll(fds, usbFd >= 0 ? 2 : 1, intervalMs);
        if (ready > 0 && (fds[0].revents & POLLIN))
            break;
#ifdef VEXO_WITH_UDEV
        if (ready > 0 && usbFd >= 0 && (fds[1].revents & POLLIN))
            while (struct udev_device* d = udev_monitor_receive_device(monitor))
                udev_device_unref(d);
#endif
        discoverNow();
    }
#ifdef VEXO_WITH_UDEV
    if (monitor)
        udev_monitor_unref(monitor);
    if (udev)
        udev_unref(udev);
#endif
}

}  // namespace vexo::sdk::aravis
