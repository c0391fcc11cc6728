#include "UserState.h"

#include <cstdlib>

#include "AtomicFile.h"

namespace vexo::sdk {

using nlohmann::json;

std::string defaultStateFolder()
{
    if (const char* dir = std::getenv("VEXOCAM_STATE_DIR"); dir && *dir)
        return dir;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return std::string(data) + "/VexoConfig";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/share/VexoConfig";
}

namespace {

json readJson(const std::string& path)
{
    std::string text;
    if (!readWholeFile(path, text))
        return json::object();
    json document = json::parse(text, nullptr, false);
    return document.is_object() ? document : json::object();
}

template <typename T>
std::optional<T> typed(const json& document, const char* key)
{
    auto it = document.find(key);
    if (it == document.end())
        return std::nullopt;
    try {
        return it->get<T>();
    } catch (const json::exception&) {
        return std::nullopt;
    }
}

// Keys become file names; anything outside a safe set is hex-escaped.
std::string fileKey(const std::string& key)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : key) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '_';
        if (safe) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out.empty() ? "%" : out;
}

}  // namespace

UserState::UserState(std::string folder) : stateFolder(std::move(folder)) {}

bool UserState::ensureFolder() const
{
    return makeFolders(stateFolder + "/cameras") && makeFolders(stateFolder + "/groups");
}

std::string UserState::cameraPath(const std::string& identifier) const
{
    return stateFolder + "/cameras/" + identifier + ".json";
}

std::string UserState::groupPath(const std::string& key) const
{
    return stateFolder + "/groups/" + fileKey(key) + ".json";
}

StoredCameraState UserState::load(const std::string& identifier) const
{
    const json document = readJson(cameraPath(identifier));
    StoredCameraState state;
    state.nickname = typed<std::string>(document, "nickname");
    if (auto version = typed<int>(document, "firmwareVersion"); version && *version >= 0 && *version <= 0xFFFF)
        state.firmwareVersion = static_cast<uint16_t>(*version);
    if (auto network = typed<json>(document, "network"); network && network->is_object()) {
        NetworkState n;
        n.addressMode = typed<int>(*network, "mode").value_or(1) ? 1 : 0;
        n.ipAddress = typed<std::string>(*network, "ip").value_or("");
        n.subnetMask = typed<std::string>(*network, "mask").value_or("");
        n.gateway = typed<std::string>(*network, "gateway").value_or("");
        if (!n.ipAddress.empty())
            state.network = n;
    }
    if (auto mode = typed<int>(document, "loadMode"); mode && *mode >= 0 && *mode <= 2)
        state.loadMode = *mode;
    if (auto group = typed<int>(document, "currentGroup"); group && ((*group >= 0 && *group <= 3) || *group == 0xFF))
        state.currentGroup = *group;
    return state;
}

bool UserState::update(const std::string& identifier, const std::function<void(StoredCameraState&)>& change)
{
    if (!ensureFolder())
        return false;
    FileLock lock(stateFolder + "/.lock");
    StoredCameraState state = load(identifier);
    change(state);
    json document = json::object();
    if (state.nickname)
        document["nickname"] = *state.nickname;
    if (state.firmwareVersion)
        document["firmwareVersion"] = *state.firmwareVersion;
    if (state.network)
        document["network"] = {{"mode", state.network->addressMode},
                               {"ip", state.network->ipAddress},
                               {"mask", state.network->subnetMask},
                               {"gateway", state.network->gateway}};
    document["loadMode"] = state.loadMode;
    document["currentGroup"] = state.currentGroup;
    // Nicknames are the user's own bytes; do not let a stray byte sequence stop the write.
    return writeFileAtomically(cameraPath(identifier),
                               document.dump(2, ' ', false, json::error_handler_t::replace) + "\n");
}

json UserState::loadGroup(const std::string& key, int group) const
{
    const json document = readJson(groupPath(key));
    auto it = document.find(std::to_string(group));
    if (it == document.end() || !it->is_object())
        return nullptr;
    return *it;
}

bool UserState::storeGroup(const std::string& key, int group, const json& parameters)
{
    if (!ensureFolder())
        return false;
    FileLock lock(stateFolder + "/.lock");
    json document = readJson(groupPath(key));
    document[std::to_string(group)] = parameters;
    return writeFileAtomically(groupPath(key), document.dump(2) + "\n");
}

}  // namespace vexo::sdk
