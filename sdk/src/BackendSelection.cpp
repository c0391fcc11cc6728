#include "BackendSelection.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

#include "SimulatedBackend.h"
#include "VexoCameraApi.h"
#ifdef VEXO_WITH_ARAVIS
#include "aravis/AravisBackend.h"
#endif

namespace vexo::sdk {

namespace {

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
}

std::vector<std::shared_ptr<const CameraModel>> CompositeBackend::models()
{
    std::vector<std::shared_ptr<const CameraModel>> all;
    std::set<std::string> identifiers;
    for (const auto& backend : backends)
        for (auto& m : backend->models())
            if (identifiers.insert(m->identifier).second)
                all.push_back(std::move(m));
    return all;
}

CameraBackend* CompositeBackend::owner(const std::string& identifier)
{
    for (const auto& backend : backends)
        for (const auto& m : backend->models())
            if (m->identifier == identifier)
                return backend.get();
    return nullptr;
}

bool CompositeBackend::attached(const std::string& identifier)
{
    CameraBackend* b = owner(identifier);
    return b && b->attached(identifier);
}

std::optional<int> CompositeBackend::networkConfig(const std::string& identifier,
                                                   NetworkState& state)
{
    CameraBackend* b = owner(identifier);
    return b ? b->networkConfig(identifier, state) : std::nullopt;
}

std::optional<int> CompositeBackend::setNetworkConfig(const std::string& identifier,
                                                      const NetworkState& state)
{
    CameraBackend* b = owner(identifier);
    return b ? b->setNetworkConfig(identifier, state) : std::nullopt;
}

std::unique_ptr<CameraDevice> CompositeBackend::openDevice(const CameraModel& model, int& error)
{
    CameraBackend* b = owner(model.identifier);
    if (!b) {
        error = VEXO_SDK_NOT_FOUND;
        return nullptr;
    }
    return b->openDevice(model, error);
}

void CompositeBackend::watch(HotplugListener listener)
{
    // A camera known to two backends belongs to the first; the other's reports of it
    // are not passed on.
    for (const auto& backend : backends) {
        CameraBackend* self = backend.get();
        backend->watch([this, self, listener](const std::string& identifier, bool attached) {
            if (owner(identifier) == self)
                listener(identifier, attached);
        });
    }
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
