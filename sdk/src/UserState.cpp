#include "UserState.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>

#include "AtomicFile.h"
#include "NetworkAddress.h"

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

// A whole number in [low, high]. Fractions, text and numbers past the range read as
// nothing stored: converting them as they are would wrap (4294967297 became group 1) or,
// for a fraction past an int such as 1e300, be undefined.
std::optional<int> storedInteger(const json& document, const char* key, int low, int high)
{
    auto it = document.find(key);
    if (it == document.end() || !it->is_number_integer())
        return std::nullopt;
    if (it->is_number_unsigned()) {
        const auto value = it->get<unsigned long long>();
        if (high < 0 || value > static_cast<unsigned long long>(high) ||
            static_cast<long long>(value) < low)
            return std::nullopt;
        return static_cast<int>(value);
    }
    const auto value = it->get<long long>();
    if (value < low || value > high)
        return std::nullopt;
    return static_cast<int>(value);
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

// Escaped keys up to this length keep the file names they always had; longer ones (long
// non-ASCII nicknames grow threefold) would pass the 255-byte limit of a file name and are
// filed under a hash of the key instead.
constexpr size_t kLongestPlainKey = 200;
// Hash collisions are told apart by the key stored in the file; this many slots per hash.
constexpr int kHashSlots = 16;

std::string keyHash(const std::string& key)
{
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : key) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

std::string dumpDocument(const json& document)
{
    return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
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

UserState::GroupFile UserState::findGroupFile(const std::string& key) const
{
    const std::string escaped = fileKey(key);
    const std::string legacy = stateFolder + "/groups/" + escaped + ".json";
    if (escaped.size() <= kLongestPlainKey)
        return {legacy, readJson(legacy), fileExists(legacy)};
    const std::string hash = keyHash(key);
    for (int slot = 0; slot < kHashSlots; ++slot) {
        const std::string path = stateFolder + "/groups/h-" + hash +
                                 (slot ? "-" + std::to_string(slot) : std::string()) + ".json";
        if (!fileExists(path)) {
            // Groups an earlier version managed to file under the escaped key move along.
            json document = escaped.size() + 5 <= 255 ? readJson(legacy) : json::object();
            document["key"] = key;
            return {path, document, false};
        }
        json document = readJson(path);
        if (auto stored = document.find("key"); stored != document.end() && *stored == key)
            return {path, document, true};
    }
    return {};
}

StoredCameraState UserState::load(const std::string& identifier) const
{
    const json document = readJson(cameraPath(identifier));
    StoredCameraState state;
    state.nickname = typed<std::string>(document, "nickname");
    if (auto version = storedInteger(document, "firmwareVersion", 0, 0xFFFF))
        state.firmwareVersion = static_cast<uint16_t>(*version);
    if (auto network = typed<json>(document, "network"); network && network->is_object()) {
        NetworkState n;
        n.ipAddress = typed<std::string>(*network, "ip").value_or("");
        n.subnetMask = typed<std::string>(*network, "mask").value_or("");
        n.gateway = typed<std::string>(*network, "gateway").value_or("");
        // A damaged or hand-edited address must not be shown as the camera's.
        n.addressMode = storedInteger(*network, "mode", 0, 1).value_or(-1);
        if (isValidStoredAddress(n.addressMode, n.ipAddress, n.subnetMask, n.gateway))
            state.network = n;
    }
    if (auto mode = storedInteger(document, "loadMode", 0, 2))
        state.loadMode = *mode;
    if (auto group = storedInteger(document, "currentGroup", 0, 0xFF); group && (*group <= 3 || *group == 0xFF))
        state.currentGroup = *group;
    return state;
}

bool UserState::update(const std::string& identifier, const std::function<void(StoredCameraState&)>& change)
{
    if (!ensureFolder())
        return false;
    FileLock lock(stateFolder + "/.lock");
    return updateLocked(identifier, change);
}

bool UserState::updateLocked(const std::string& identifier,
                             const std::function<void(StoredCameraState&)>& change)
{
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
    return writeFileAtomically(cameraPath(identifier), dumpDocument(document));
}

json UserState::loadGroup(const std::string& key, int group) const
{
    const GroupFile file = findGroupFile(key);
    auto it = file.document.find(std::to_string(group));
    if (it == file.document.end() || !it->is_object())
        return nullptr;
    return *it;
}

bool UserState::saveGroup(const std::string& identifier, const std::string& key, int group,
                          const json& parameters)
{
    if (!ensureFolder())
        return false;
    FileLock lock(stateFolder + "/.lock");
    GroupFile file = findGroupFile(key);
    std::string previous;
    if (file.path.empty() || (file.exists && !readWholeFile(file.path, previous)))
        return false;
    file.document[std::to_string(group)] = parameters;
    if (!writeFileAtomically(file.path, dumpDocument(file.document)))
        return false;
    if (updateLocked(identifier, [&](StoredCameraState& state) { state.currentGroup = group; }))
        return true;
    // The camera would not start with this group: leave the group as it was.
    if (file.exists)
        writeFileAtomically(file.path, previous);
    else
        ::unlink(file.path.c_str());
    return false;
}

}  // namespace vexo::sdk
