#include "CameraLibrary.h"

#include <cstring>

#include "BackendSelection.h"
#include "CameraSettingsJson.h"

#include "VexoCameraApi.h"

namespace vexo::sdk {

CameraLibrary& CameraLibrary::instance()
{
    // Never destroyed: programs may exit with cameras still streaming, and tearing down
    // producer threads during static destruction would race with other globals.
    static CameraLibrary* library = new CameraLibrary;
    return *library;
}

CameraLibrary::CameraLibrary()
    : cameraBackend(makeSelectedBackend()),
      state(defaultStateFolder()),
      locks(defaultDeviceFolder())
{
}

const CameraModel* CameraLibrary::model(const std::string& identifier) const
{
    // The backend keeps every model it handed out alive, so the pointer stays valid.
    for (const auto& m : cameraBackend->models())
        if (m->identifier == identifier)
            return m.get();
    return nullptr;
}

void CameraLibrary::hotplug(const std::string& identifier, bool attached)
{
    std::vector<std::shared_ptr<Camera>> open;
    {
        std::lock_guard<std::mutex> guard(mutex);
        for (const auto& entry : cameras)
            if (entry.second->model().identifier == identifier)
                open.push_back(entry.second);
    }
    for (const auto& camera : open) {
        if (attached)
            camera->deviceReturned();
        else
            camera->deviceGone();
    }
}

std::string CameraLibrary::groupKey(const CameraModel& m, const std::string& nickname, int loadMode)
{
    switch (loadMode) {
    case 1:
        return "nickname-" + nickname;
    case 2:
        return "serial-" + m.identifier;
    default:
        return "model-" + m.productName;
    }
}

std::string CameraLibrary::storedNickname(const CameraModel& m)
{
    return state.load(m.identifier).nickname.value_or(m.nickname);
}

uint16_t CameraLibrary::storedFirmware(const CameraModel& m)
{
    return state.load(m.identifier).firmwareVersion.value_or(m.firmwareVersion);
}

void CameraLibrary::fillIdentity(const CameraModel& m, const std::string& nickname, uint16_t firmware,
                                 VexoDeviceInfo& info)
{
    std::memset(&info, 0, sizeof info);
    copyText(info.productSeries, m.productSeries);
    copyText(info.productName, m.productName);
    copyText(info.deviceName, nickname);
    copyText(info.editionText, m.edition);
    copyText(info.sensorText, m.sensorText);
    copyText(info.interfaceText, m.interfaceText);
    copyText(info.cameraIdentifier, m.identifier);
    info.firmwareVersion = firmware;
    info.deviceTypeCode = m.deviceTypeCode;
}

int CameraLibrary::enumerate(int& count)
{
    std::vector<std::string> attached;
    for (const auto& m : cameraBackend->models())
        if (cameraBackend->attached(m->identifier))
            attached.push_back(m->identifier);
    std::lock_guard<std::mutex> guard(mutex);
    snapshot = std::move(attached);
    count = static_cast<int>(snapshot.size());
    return VEXO_SDK_OK;
}

int CameraLibrary::deviceInfo(int index, VexoDeviceInfo& info)
{
    std::string identifier;
    {
        std::lock_guard<std::mutex> guard(mutex);
        if (index < 0 || index >= static_cast<int>(snapshot.size()))
            return VEXO_SDK_OUT_OF_RANGE;
        identifier = snapshot[static_cast<size_t>(index)];
    }
    const CameraModel* m = model(identifier);
    if (!m || !cameraBackend->attached(m->identifier))
        return VEXO_SDK_NOT_FOUND;
    const StoredCameraState stored = state.load(m->identifier);
    fillIdentity(*m, stored.nickname.value_or(m->nickname), stored.firmwareVersion.value_or(m->firmwareVersion),
                 info);
    info.opened = CameraLock::isHeld(locks.lockPath(m->identifier)) ? 1 : 0;
    return VEXO_SDK_OK;
}

int CameraLibrary::open(const std::string& identifier, int& handle)
{
    std::call_once(watching, [this] {
        cameraBackend->watch(
            [this](const std::string& id, bool attached) { hotplug(id, attached); });
    });
    const CameraModel* m = model(identifier);
    if (!m || !cameraBackend->attached(m->identifier))
        return VEXO_SDK_NOT_FOUND;
    std::unique_ptr<CameraLock> lock;
    if (const int locked = CameraLock::tryAcquire(locks.lockPath(identifier), lock);
        locked != VEXO_SDK_OK)
        return locked;
    int error = VEXO_SDK_OK;
    std::unique_ptr<CameraDevice> device = cameraBackend->openDevice(*m, error);
    if (!device)
        return error != VEXO_SDK_OK ? error : VEXO_SDK_FAILED;
    // From here on the camera's own view of itself: its capabilities.
    const std::shared_ptr<const CameraModel> capabilities = device->model();
    m = capabilities.get();
    const StoredCameraState stored = state.load(identifier);
    const std::string nickname = stored.nickname.value_or(m->nickname);
    // Like a real camera powering up with its chosen user set.
    CameraSettings initial = factorySettings(*m);
    int group = 0xFF;
    if (stored.currentGroup != 0xFF) {
        const nlohmann::json saved = state.loadGroup(groupKey(*m, nickname, stored.loadMode), stored.currentGroup);
        if (!saved.is_null() && settingsFromJson(*m, saved, kStoredGroupFields, initial))
            group = stored.currentGroup;
        else
            initial = factorySettings(*m);
    }
    auto camera =
        std::make_shared<Camera>(*cameraBackend, std::move(device), std::move(lock), initial);
    if (const int result = camera->initialise(); result != VEXO_SDK_OK)
        return result;
    camera->setNickname(nickname);
    camera->setFirmwareVersion(stored.firmwareVersion.value_or(m->firmwareVersion));
    camera->currentGroup = group;
    camera->loadMode = stored.loadMode;
    // A camera with user sets of its own starts with the one it last loaded.
    if (stored.currentGroup != 0xFF && camera->withDevice([&](CameraDevice& d) {
            return d.loadGroup(stored.currentGroup);
        }) == std::optional<int>(VEXO_SDK_OK) &&
        camera->adoptHeldSettings(camera->settings()) == VEXO_SDK_OK)
        camera->currentGroup = stored.currentGroup;
    std::lock_guard<std::mutex> guard(mutex);
    handle = nextHandle++;
    cameras[handle] = std::move(camera);
    return VEXO_SDK_OK;
}

int CameraLibrary::close(int handle)
{
    std::shared_ptr<Camera> camera;
    {
        std::lock_guard<std::mutex> guard(mutex);
        auto it = cameras.find(handle);
        if (it == cameras.end())
            return VEXO_SDK_INVALID_HANDLE;
        camera = std::move(it->second);
        cameras.erase(it);
    }
    camera->close();
    return VEXO_SDK_OK;
}

std::shared_ptr<Camera> CameraLibrary::find(int handle)
{
    std::lock_guard<std::mutex> guard(mutex);
    auto it = cameras.find(handle);
    return it == cameras.end() ? nullptr : it->second;
}

bool CameraLibrary::openHere(const std::string& identifier)
{
    std::lock_guard<std::mutex> guard(mutex);
    for (const auto& entry : cameras)
        if (entry.second->model().identifier == identifier)
            return true;
    return false;
}

const CapabilityArrays& CameraLibrary::capabilityArrays(const Camera& camera)
{
    const CameraModel& m = camera.model();
    std::lock_guard<std::mutex> guard(mutex);
    auto& slot = arrays[&m];
    if (slot.second)
        return *slot.second;
    slot.first = camera.sharedModel();
    slot.second = std::make_unique<CapabilityArrays>();
    std::unique_ptr<CapabilityArrays>& entry = slot.second;
    for (size_t i = 0; i < m.resolutions.size(); ++i) {
        const ResolutionPreset& p = m.resolutions[i];
        VexoResolution r{};
        r.index = static_cast<int32_t>(i);
        copyField(r.name, p.name);
        r.offsetX = p.offsetX;
        r.offsetY = p.offsetY;
        r.regionWidth = p.regionWidth;
        r.regionHeight = p.regionHeight;
        r.outputWidth = p.outputWidth;
        r.outputHeight = p.outputHeight;
        r.binning = p.outputWidth == p.regionWidth ? 1 : 2;
        entry->resolutions.push_back(r);
    }
    for (size_t i = 0; i < m.imageFormats.size(); ++i) {
        VexoImageFormat f{};
        f.index = static_cast<int32_t>(i);
        copyText(f.name, m.imageFormats[i].name);
        f.formatId = m.imageFormats[i].formatId;
        entry->imageFormats.push_back(f);
    }
    const std::vector<std::string>& names = imaging::presetLutNames();
    for (size_t i = 0; i < names.size(); ++i) {
        VexoPresetLut l{};
        l.identifier = static_cast<int32_t>(i);
        copyText(l.name, names[i]);
        entry->presetLuts.push_back(l);
    }
    return *entry;
}

}  // namespace vexo::sdk
