#pragma once
// What a camera remembers across processes and restarts, kept per user in the state
// folder: nickname, network settings, firmware version and parameter groups. Every
// write replaces a whole file atomically under a folder-wide lock; a missing or corrupt
// file reads as "nothing stored", so the camera falls back to its defaults.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace vexo::sdk {

// VEXOCAM_STATE_DIR, else $XDG_DATA_HOME/VexoConfig, else $HOME/.local/share/VexoConfig.
std::string defaultStateFolder();

struct NetworkState {
    int addressMode = 1;   // 0 DHCP, 1 static
    std::string ipAddress, subnetMask, gateway;
};

struct StoredCameraState {
    std::optional<std::string> nickname;
    std::optional<uint16_t> firmwareVersion;
    std::optional<NetworkState> network;
    int loadMode = 0;                 // key of the parameter groups: 0 model, 1 nickname, 2 serial
    int currentGroup = 0xFF;          // group the camera starts with
};

class UserState {
public:
    explicit UserState(std::string folder);
    const std::string& folder() const { return stateFolder; }
    bool ensureFolder() const;

    // A stored network setting that breaks the address rules reads as "nothing stored".
    StoredCameraState load(const std::string& identifier) const;
    // Loads, lets change modify and stores the camera's state as one step across processes.
    bool update(const std::string& identifier, const std::function<void(StoredCameraState&)>& change);

    // Parameter groups, filed under a key (model, nickname or serial): a JSON object per
    // group number, or null when the group is empty.
    nlohmann::json loadGroup(const std::string& key, int group) const;
    // Stores parameters into group and records it as the camera's current group in one
    // step: when either write fails, false, and the group keeps its earlier content.
    bool saveGroup(const std::string& identifier, const std::string& key, int group,
                   const nlohmann::json& parameters);

private:
    struct GroupFile {
        std::string path;         // where the groups of the key are written
        nlohmann::json document;  // what is stored for the key now (an object)
        bool exists = false;      // path holds the key's groups already
    };
    GroupFile findGroupFile(const std::string& key) const;
    bool updateLocked(const std::string& identifier,
                      const std::function<void(StoredCameraState&)>& change);
    std::string cameraPath(const std::string& identifier) const;
    std::string stateFolder;
};

}  // namespace vexo::sdk
