#include "SimulatedBackend.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <utility>

#include "AtomicFile.h"
#include "VexoCameraApi.h"

namespace vexo::sdk {

namespace {

using Clock = std::chrono::steady_clock;

Clock::duration microseconds(double us)
{
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::micro>(us));
}

// Triggers a camera keeps while it is busy; more are refused (software) or dropped (edges).
constexpr size_t kMaxPendingTriggers = 64;

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Which folder a path names now (device and inode), or zeros when there is none.
std::pair<dev_t, ino_t> folderIdentity(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {0, 0};
    return {st.st_dev, st.st_ino};
}

class SimulatedDevice : public CameraDevice {
public:
    SimulatedDevice(std::shared_ptr<const CameraModel> model, SimulatedBackend& backend,
                    std::unique_ptr<imaging::Scene> scene)
        : cameraModel(std::move(model)), backend(backend), scene(std::move(scene))
    {
        backend.listenToInputs(cameraModel->identifier, this, [this] {
            {
                std::lock_guard<std::mutex> guard(mutex);
                inputsDirty = true;
            }
            wake.notify_all();
        });
    }

    ~SimulatedDevice() override
    {
        backend.stopListening(cameraModel->identifier, this);
        stopStream();
    }

    std::shared_ptr<const CameraModel> model() override { return cameraModel; }

    DeviceFeatures features() const override
    {
        // The sensor side; the library's pipeline does the rest, as a real camera's
        // driver would.
        return DeviceFeature::Exposure | DeviceFeature::Gain | DeviceFeature::Region |
               DeviceFeature::PixelFormat | DeviceFeature::FrameRate | DeviceFeature::Trigger |
               DeviceFeature::Lighting | DeviceFeature::Lens;
    }

    int apply(const CameraSettings& wanted, const CameraSettings*, CameraSettings& taken) override
    {
        {
            std::lock_guard<std::mutex> guard(mutex);
            const bool enteringHardwareTrigger =
                wanted.triggerMode == 2 && applied.triggerMode != 2;
            applied = wanted;
            if (wanted.triggerMode != 2)
                inputsKnown = false;
            else if (enteringHardwareTrigger && streaming)
                readInputs(Clock::now());  // edges from before the switch do not count
        }
        wake.notify_all();
        taken = wanted;
        return VEXO_SDK_OK;
    }

    int startStream(FrameSink& frameSink) override
    {
        std::lock_guard<std::mutex> guard(mutex);
        if (streaming)
            return VEXO_SDK_OK;
        if (!backend.attached(cameraModel->identifier))
            return VEXO_SDK_DETACHED;
        sink = &frameSink;
        stopRequested = false;
        pendingTriggers.clear();
        inputsKnown = false;
        if (applied.triggerMode == 2)
            readInputs(Clock::now());
        streaming = true;
        thread = std::thread([this] { run(); });
        return VEXO_SDK_OK;
    }

    void stopStream() override
    {
        {
            std::lock_guard<std::mutex> guard(mutex);
            if (!streaming)
                return;
            stopRequested = true;
        }
        wake.notify_all();
        thread.join();
        std::lock_guard<std::mutex> guard(mutex);
        streaming = false;
        sink = nullptr;
        pendingTriggers.clear();
    }

    int triggerSoftware() override
    {
        {
            std::lock_guard<std::mutex> guard(mutex);
            if (!streaming)
                return VEXO_SDK_FAILED;
            if (pendingTriggers.size() >= kMaxPendingTriggers)
                return VEXO_SDK_BUSY;
            pendingTriggers.push_back(Clock::now() + microseconds(applied.triggerDelayUs));
        }
        wake.notify_all();
        return VEXO_SDK_OK;
    }

    int captureOne(const CameraSettings& settings, CapturedFrame& frame) override
    {
        if (!attached())
            return VEXO_SDK_DETACHED;
        render(settings, frame);
        return VEXO_SDK_OK;
    }

    bool attached() override { return backend.attached(cameraModel->identifier); }

private:
    void render(const CameraSettings& s, CapturedFrame& frame)
    {
        const imaging::SensorSettings sensor = sensorSettings(*cameraModel, s);
        std::lock_guard<std::mutex> guard(sceneMutex);
        const double timeSec = std::chrono::duration<double>(Clock::now() - openTime).count();
        scene->render(sensor, timeSec, frameNumber, frame.raw);
        frame.raw.frameNumber = frameNumber;
        frame.raw.timestampUs = static_cast<int64_t>(timeSec * 1e6);
        ++frameNumber;
        frame.exposureUs = s.exposureUs;
        frame.gainMilli = s.gainMilli;
        frame.status = FrameStatus::Complete;
    }

    // Reads the trigger inputs (mutex held): queues one trigger per new matching edge
    // and notes whether a level-triggered input is active. The first read after hardware
    // trigger mode was chosen only notes the lines' state.
    void readInputs(Clock::time_point now)
    {
        const size_t lines = applied.inputs.size();
        std::vector<InputLineState> states(lines);
        for (size_t i = 0; i < lines; ++i)
            states[i] =
                backend.deviceFolder().inputLine(cameraModel->identifier, static_cast<int>(i));
        if (!inputsKnown || lastInputs.size() != lines) {
            lastInputs = states;
            inputsKnown = true;
        }
        levelActive = false;
        uint32_t edges = 0;
        for (size_t i = 0; i < lines; ++i) {
            const InputLineSetting& line = applied.inputs[i];
            if (line.mode != 0)
                continue;
            const uint32_t rising = states[i].risingEdges - lastInputs[i].risingEdges;
            const uint32_t falling = states[i].fallingEdges - lastInputs[i].fallingEdges;
            if (line.edge == 0 || line.edge == 2)
                edges += rising;
            if (line.edge == 1 || line.edge == 3)
                edges += falling;
            if ((line.edge == 2 && states[i].level == 1) ||
                (line.edge == 3 && states[i].level == 0))
                levelActive = true;
        }
        lastInputs = states;
        for (uint32_t e = 0; e < edges && pendingTriggers.size() < kMaxPendingTriggers; ++e)
            pendingTriggers.push_back(now + microseconds(applied.triggerDelayUs));
    }

    // The camera's stream: free-running, one burst per trigger, or while a level input
    // is active. Sleeps until the next frame is due or something happens.
    void run()
    {
        Clock::time_point nextFrame = Clock::now();
        int burstFramesLeft = 0;
        std::unique_lock<std::mutex> guard(mutex);
        for (;;) {
            if (stopRequested)
                return;
            Clock::time_point now = Clock::now();
            if (applied.triggerMode == 2 && (inputsDirty || !inputsKnown))
                readInputs(now);
            inputsDirty = false;
            if (applied.triggerMode != 2)
                levelActive = false;
            if (applied.triggerMode == 0) {
                burstFramesLeft = 0;
                pendingTriggers.clear();
            }
            const bool streamingNow =
                applied.triggerMode == 0 || (applied.triggerMode == 2 && levelActive);
            bool wakeAtSet = false;
            Clock::time_point wakeAt = Clock::time_point::max();
            if (!streamingNow && burstFramesLeft == 0 && !pendingTriggers.empty()) {
                const Clock::time_point due = pendingTriggers.front();
                if (due <= now) {
                    pendingTriggers.pop_front();
                    burstFramesLeft = std::max(applied.triggerFrames, 1);
                    nextFrame = std::max(nextFrame, due);
                } else {
                    wakeAt = due;
                    wakeAtSet = true;
                }
            }
            if (streamingNow || burstFramesLeft > 0) {
                if (now >= nextFrame) {
                    if (!streamingNow)
                        --burstFramesLeft;
                    const CameraSettings s = applied;
                    const Clock::duration period = microseconds(framePeriodUs(*cameraModel, s));
                    FrameSink* target = sink;
                    guard.unlock();
                    if (CapturedFrame* frame = target->acquireBuffer()) {
                        render(s, *frame);
                        target->deliver(frame);
                    }
                    guard.lock();
                    nextFrame += period;
                    // A camera that fell behind (slow rendering, long pause) restarts its
                    // schedule instead of rushing out the frames it missed.
                    now = Clock::now();
                    if (nextFrame < now - period)
                        nextFrame = now;
                    continue;
                }
                wakeAt = std::min(wakeAt, nextFrame);
                wakeAtSet = true;
            }
            if (wakeAtSet)
                wake.wait_until(guard, wakeAt);
            else
                wake.wait(guard);
        }
    }

    const std::shared_ptr<const CameraModel> cameraModel;
    SimulatedBackend& backend;
    const Clock::time_point openTime = Clock::now();

    std::mutex sceneMutex;  // the scene renders one exposure at a time
    std::unique_ptr<imaging::Scene> scene;
    uint64_t frameNumber = 0;

    std::mutex mutex;  // guards everything below
    std::condition_variable wake;
    CameraSettings applied;
    bool streaming = false;
    bool stopRequested = false;
    FrameSink* sink = nullptr;
    std::thread thread;
    std::deque<Clock::time_point> pendingTriggers;
    std::vector<InputLineState> lastInputs;
    bool inputsKnown = false;
    bool inputsDirty = false;
    bool levelActive = false;
};

}  // namespace

std::vector<CameraModel> simulatedCameraModels(std::string& error)
{
    error.clear();
    if (const char* path = std::getenv("VEXOCAM_CAMERAS"); path && *path) {
        std::vector<CameraModel> models;
        if (readCameraListFile(path, models, error))
            return models;
    }
    return defaultCameraModels();
}

namespace {

std::vector<std::shared_ptr<const CameraModel>> shared(std::vector<CameraModel> models)
{
    std::vector<std::shared_ptr<const CameraModel>> result;
    for (CameraModel& m : models)
        result.push_back(std::make_shared<const CameraModel>(std::move(m)));
    return result;
}

}  // namespace

SimulatedBackend::SimulatedBackend() : folder(defaultDeviceFolder())
{
    std::string error;
    cameraModels = shared(simulatedCameraModels(error));
    if (!error.empty())
        std::fprintf(stderr, "VexoCameraDLL: %s; using the built-in cameras\n", error.c_str());
    std::vector<CameraModel> plain;
    for (const auto& m : cameraModels)
        plain.push_back(*m);
    folder.publish(plain);
}

SimulatedBackend::SimulatedBackend(std::vector<CameraModel> models, DeviceFolder deviceFolder)
    : folder(std::move(deviceFolder))
{
    folder.publish(models);
    cameraModels = shared(std::move(models));
}

SimulatedBackend::~SimulatedBackend()
{
    if (watcher.joinable()) {
        const uint64_t one = 1;
        if (::write(stopFd, &one, sizeof one) != sizeof one)
            std::fprintf(stderr, "VexoCameraDLL: cannot stop the device folder watch\n");
        watcher.join();
    }
    if (stopFd >= 0)
        ::close(stopFd);
}

bool SimulatedBackend::attached(const std::string& identifier)
{
    return folder.attached(identifier);
}

std::unique_ptr<CameraDevice> SimulatedBackend::openDevice(const CameraModel& model, int& error)
{
    std::shared_ptr<const CameraModel> known;
    for (const auto& m : cameraModels)
        if (m->identifier == model.identifier)
            known = m;
    if (!known || !attached(model.identifier)) {
        error = VEXO_SDK_NOT_FOUND;
        return nullptr;
    }
    std::unique_ptr<imaging::Scene> scene =
        sceneFactory ? sceneFactory(*known) : imaging::makeDemoScene(known->sceneSeed);
    error = VEXO_SDK_OK;
    return std::make_unique<SimulatedDevice>(known, *this, std::move(scene));
}

void SimulatedBackend::listenToInputs(const std::string& identifier, const void* owner,
                                      InputListener listener)
{
    std::lock_guard<std::mutex> guard(listenersMutex);
    inputListeners[identifier][owner] = std::move(listener);
}

void SimulatedBackend::stopListening(const std::string& identifier, const void* owner)
{
    std::lock_guard<std::mutex> guard(listenersMutex);
    auto it = inputListeners.find(identifier);
    if (it == inputListeners.end())
        return;
    it->second.erase(owner);
    if (it->second.empty())
        inputListeners.erase(it);
}

void SimulatedBackend::inputsChanged(const std::string& identifier)
{
    std::lock_guard<std::mutex> guard(listenersMutex);
    for (auto& entry : inputListeners) {
        if (!identifier.empty() && entry.first != identifier)
            continue;
        for (auto& listener : entry.second)
            listener.second();
    }
}

void SimulatedBackend::reportAll()
{
    for (const auto& m : cameraModels)
        hotplug(m->identifier, attached(m->identifier));
    inputsChanged(std::string());
}

void SimulatedBackend::watch(HotplugListener listener)
{
    if (watcher.joinable())
        return;
    hotplug = std::move(listener);
    stopFd = ::eventfd(0, EFD_CLOEXEC);
    if (stopFd < 0) {
        std::fprintf(stderr, "VexoCameraDLL: no hot-plug events (eventfd failed)\n");
        return;
    }
    watcher = std::thread([this] { watchFolder(); });
}

// Follows the device node folder: node files appearing and going (cameras plugged in and
// out) and input-line files changing. Without inotify it looks twice a second instead.
void SimulatedBackend::watchFolder()
{
    const int events = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (events < 0)
        std::fprintf(
            stderr,
            "VexoCameraDLL: inotify unavailable, looking at the device folder twice a second\n");
    int nodeWatch = -1, ioWatch = -1;
    std::pair<dev_t, ino_t> watchedFolder{0, 0};
    // The input-line folder is watched once it exists (vexocam-sim makes it on first use);
    // making it here would fight anyone removing the device folder.
    auto addInputWatch = [&] {
        ioWatch = ::inotify_add_watch(
            events, (folder.path() + "/.io").c_str(),
            IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
    };
    auto addWatches = [&] {
        // Watching a folder again gives the same watch; a folder made anew gives a new one.
        if (events < 0)
            return false;
        nodeWatch =
            ::inotify_add_watch(events, folder.path().c_str(),
                                IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM |
                                    IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
        if (nodeWatch >= 0)
            addInputWatch();
        watchedFolder = folderIdentity(folder.path());
        return nodeWatch >= 0;
    };
    bool watching = addWatches();
    if (watching)
        reportAll();  // anything that changed before the watch began
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {events, POLLIN, 0}};
        // Waits for events only; the time-out serves a folder that went away (to watch it
        // again when it is back) and systems without inotify.
        const int timeoutMs = events < 0 ? 500 : (watching ? -1 : 1000);
        const int ready = ::poll(fds, events < 0 ? 1 : 2, timeoutMs);
        if (ready < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN)
            break;
        if (ready == 0) {
            if (events >= 0)
                watching = addWatches();
            if (events < 0 || watching)
                reportAll();
            continue;
        }
        if (events < 0 || !(fds[1].revents & POLLIN))
            continue;
        const ssize_t length = ::read(events, buffer, sizeof buffer);
        if (length <= 0)
            continue;
        bool rescan = false;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                rescan = true;
                continue;
            }
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
                if (event->wd == nodeWatch)
                    watching = false;
                else if (event->wd == ioWatch)
                    ioWatch = -1;
                continue;
            }
            const std::string name = event->len ? std::string(event->name) : std::string();
            if (event->wd == nodeWatch && name == ".io" && ioWatch < 0) {
                addInputWatch();
                inputsChanged(std::string());
            } else if (event->wd == nodeWatch && endsWith(name, ".node")) {
                const std::string identifier = name.substr(0, name.size() - 5);
                hotplug(identifier, attached(identifier));
            } else if (event->wd == ioWatch) {
                const size_t in = name.rfind(".in");
                if (in != std::string::npos && in > 0 && name.find(".tmp.") == std::string::npos)
                    inputsChanged(name.substr(0, in));
            }
        }
        // A removed folder reports its own deletion only once nothing inside it is open
        // any more (an open lock file keeps it), so look whether it is still the one
        // watched.
        if (watching && folderIdentity(folder.path()) != watchedFolder)
            watching = false;
        if (!watching) {
            watching = addWatches();
            rescan = rescan || watching;
        }
        if (rescan)
            reportAll();
    }
    if (events >= 0)
        ::close(events);
}

}  // namespace vexo::sdk
