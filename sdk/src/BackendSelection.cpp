#include "BackendSelection.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "SimulatedBackend.h"
#ifdef VEXO_WITH_ARAVIS
#include "aravis/AravisBackend.h"
#endif

namespace vexo::sdk {

namespace {

constexpr size_t kMaxModels = 512;

std::string trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::vector<BackendKind> parseBackendList(const std::string& text, std::string& error)
{
    error.clear();
    std::vector<BackendKind> kinds;
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ',')) {
        const std::string name = trimmed(item);
        if (name.empty())
            continue;
        BackendKind kind;
        if (name == "simulated") {
            kind = BackendKind::Simulated;
        } else if (name == "aravis" || name == "aravis-fake") {
#ifdef VEXO_WITH_ARAVIS
            kind = name == "aravis" ? BackendKind::Aravis : BackendKind::AravisFake;
#else
            error += (error.empty() ? "" : "; ") +
                     ("\"" + name + "\" needs a library built with Aravis");
            continue;
#endif
        } else {
            error += (error.empty() ? "" : "; ") + ("unknown backend \"" + name + "\"");
            continue;
        }
        if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end())
            kinds.push_back(kind);
    }
    if (kinds.empty())
        kinds.push_back(BackendKind::Simulated);
    return kinds;
}

CompositeBackend::CompositeBackend(std::vector<std::unique_ptr<CameraBackend>> list)
    : backends(std::move(list))
{
    cameraModels.reserve(kMaxModels);
    refresh();
}

void CompositeBackend::refresh()
{
    for (size_t b = 0; b < backends.size(); ++b) {
        backends[b]->refresh();
        for (const CameraModel& m : backends[b]->models()) {
            const bool known =
                std::any_of(cameraModels.begin(), cameraModels.end(),
                            [&](const CameraModel& c) { return c.identifier == m.identifier; });
            if (!known && cameraModels.size() < cameraModels.capacity()) {
                cameraModels.push_back(m);
                owners.push_back(b);
            }
        }
    }
}

CameraBackend* CompositeBackend::owner(const CameraModel& model)
{
    for (size_t i = 0; i < cameraModels.size(); ++i)
        if (cameraModels[i].identifier == model.identifier)
            return backends[owners[i]].get();
    return nullptr;
}

bool CompositeBackend::attached(const CameraModel& model)
{
    CameraBackend* b = owner(model);
    return b && b->attached(model);
}

std::unique_ptr<CameraDevice> CompositeBackend::openDevice(const CameraModel& model)
{
    CameraBackend* b = owner(model);
    return b ? b->openDevice(model) : nullptr;
}

std::unique_ptr<CameraBackend> makeSelectedBackend()
{
    const char* variable = std::getenv("VEXOCAM_BACKENDS");
    std::string error;
    const std::vector<BackendKind> kinds = parseBackendList(variable ? variable : "", error);
    if (!error.empty())
        std::fprintf(stderr, "VexoCameraDLL: VEXOCAM_BACKENDS: %s\n", error.c_str());
    std::vector<std::unique_ptr<CameraBackend>> backends;
    for (BackendKind kind : kinds) {
        switch (kind) {
            case BackendKind::Simulated:
                backends.push_back(std::make_unique<SimulatedBackend>());
                break;
#ifdef VEXO_WITH_ARAVIS
            case BackendKind::Aravis:
                backends.push_back(std::make_unique<aravis::AravisBackend>(
                    aravis::Transport::Network, DeviceFolder(defaultDeviceFolder())));
                break;
            case BackendKind::AravisFake:
                backends.push_back(std::make_unique<aravis::AravisBackend>(
                    aravis::Transport::Fake, DeviceFolder(defaultDeviceFolder())));
                break;
#endif
            default:
                break;
        }
    }
    if (backends.size() == 1)
        return std::move(backends.front());
    return std::make_unique<CompositeBackend>(std::move(backends));
}

}  // namespace vexo::sdk
