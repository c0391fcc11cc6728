#pragma once
// Small file helpers shared by the state store, device nodes and input-line files.
#include <string>

namespace vexo::sdk {

// Writes data to a temporary file beside path and renames it into place, so readers see
// either the old or the new content, never a partial file. False on any failure (the
// temporary file is removed).
bool writeFileAtomically(const std::string& path, const std::string& data);

// Reads a whole file; false when it cannot be read.
bool readWholeFile(const std::string& path, std::string& data);

// Creates a folder and its missing parents (mode 0700 for new ones).
bool makeFolders(const std::string& path);

bool fileExists(const std::string& path);

// An advisory lock on a file held while the object lives; released by the operating
// system if the process dies.
class FileLock {
public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool locked() const { return fd >= 0; }

private:
    int fd = -1;
};

}  // namespace vexo::sdk
