#pragma once
// Small file helpers shared by the state store, device nodes and input-line files.
#include <sys/types.h>
#include <string>

namespace vexo::sdk {

enum class FileWrite {
    Written,
    NotAFile,  // the path (or what its symbolic link points to) is a folder, FIFO, device...
    Failed,
};

// Writes data to a hidden temporary file beside path and renames it into place, so
// readers see either the old or the new content, never a partial file. A file that is
// replaced keeps its permission bits; a new file is created with newFileMode (less the
// umask); a file the user cannot write is not replaced, nor is anything that is not a
// regular file (a symbolic link is followed first). Temporary files that a killed writer
// left in the folder are removed first. On any failure the temporary file is removed and
// what has the name is untouched.
FileWrite writeFileChecked(const std::string& path, const std::string& data,
                           mode_t newFileMode = 0600);
// The same, true only for FileWrite::Written.
bool writeFileAtomically(const std::string& path, const std::string& data,
                         mode_t newFileMode = 0600);

// Name of the temporary file a writer with process id pid uses for path (hidden, in the
// same folder), serial telling apart several writes of one process.
std::string temporaryFileName(const std::string& path, long pid, unsigned serial);

// Reads a whole file; false when it cannot be read, is not a regular file (a FIFO would
// block the reader for good) or is longer than maxBytes.
bool readWholeFile(const std::string& path, std::string& data, size_t maxBytes = 16u << 20);
// Reads at most the first maxBytes of a regular file; false when it cannot be read.
bool readFilePrefix(const std::string& path, std::string& data, size_t maxBytes);
// Opens a regular file for reading without waiting for a FIFO's writer: -1 (errno set) for
// anything else. The descriptor blocks as usual and closes on exec.
int openRegularFileForReading(const std::string& path);

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
