#include "AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <algorithm>
#include <atomic>

namespace vexo::sdk {

namespace {

const char kTemporaryMarker[] = ".vxtmp-";
// Room left in a 255-byte file name for the marker, a process id and a serial number.
constexpr size_t kTemporaryBaseLimit = 200;

bool allDigits(const std::string& text)
{
    if (text.empty() || text.size() > 10)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool processGone(const std::string& pidText)
{
    const long pid = std::strtol(pidText.c_str(), nullptr, 10);
    if (pid <= 0 || pid > INT_MAX || pid == static_cast<long>(::getpid()))
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// The process id in a temporary file name of this library: ".<base>.vxtmp-<pid>-<serial>",
// or "<base>.tmp.<pid>.<serial>" as earlier versions named them. Empty when name is not one.
std::string writerOf(const std::string& name, const std::string& base)
{
    const size_t marker = name.rfind(kTemporaryMarker);
    if (!name.empty() && name[0] == '.' && marker != std::string::npos) {
        const std::string rest = name.substr(marker + sizeof kTemporaryMarker - 1);
        const size_t dash = rest.find('-');
        if (dash != std::string::npos && allDigits(rest.substr(0, dash)) &&
            allDigits(rest.substr(dash + 1)))
            return rest.substr(0, dash);
    }
    const std::string legacy = base + ".tmp.";
    if (name.compare(0, legacy.size(), legacy) == 0) {
        const std::string rest = name.substr(legacy.size());
        const size_t dot = rest.find('.');
        if (dot != std::string::npos && allDigits(rest.substr(0, dot)) &&
            allDigits(rest.substr(dot + 1)))
            return rest.substr(0, dot);
    }
    return {};
}

// Removes the temporary files of writers that died before renaming them into place.
void removeStaleTemporaries(const std::string& folder, const std::string& base)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const std::string writer = writerOf(name, base);
        if (!writer.empty() && processGone(writer))
            ::unlink((folder + "/" + name).c_str());
    }
    ::closedir(dir);
}

bool writeAll(int fd, const std::string& data)
{
    size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::string temporaryFileName(const std::string& path, long pid, unsigned serial)
{
    const size_t slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + base.substr(0, kTemporaryBaseLimit) + kTemporaryMarker +
           std::to_string(pid) + "-" + std::to_string(serial);
}

namespace {

// Renaming over a FIFO or a device node would put a regular file in its place (as root,
// even over /dev/null); over a folder it fails anyway. Only a missing name or a regular
// file may be written.
bool writableName(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode);
}

}  // namespace

bool writeFileAtomically(const std::string& path, const std::string& data, mode_t newFileMode)
{
    return writeFileChecked(path, data, newFileMode) == FileWrite::Written;
}

FileWrite writeFileChecked(const std::string& requestedPath, const std::string& data,
                           mode_t newFileMode)
{
    static std::atomic<unsigned> counter{0};
    // Replacing a symbolic link would cut it; write to the file it points to.
    std::string path = requestedPath;
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            path = resolved;
            std::free(resolved);
        }
    }
    if (!writableName(path))
        return FileWrite::NotAFile;
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    removeStaleTemporaries(folder, slash == std::string::npos ? path : path.substr(slash + 1));

    const std::string temporary =
        temporaryFileName(path, static_cast<long>(::getpid()), counter.fetch_add(1));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, newFileMode);
    if (fd < 0)
        return FileWrite::Failed;
    bool ok = writeAll(fd, data);
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        ::access(path.c_str(), W_OK) != 0)
        ok = false;  // a file the user protected against writing is not replaced
    if (ok && ::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        // The replacement keeps the owner and permissions the user gave the old file.
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
            (void)!::fchown(fd, existing.st_uid, existing.st_gid);
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    // Asked again: the write may have taken a while.
    const bool stillWritable = writableName(path);
    if (ok && stillWritable && ::rename(temporary.c_str(), path.c_str()) == 0)
        return FileWrite::Written;
    ::unlink(temporary.c_str());
    return stillWritable ? FileWrite::Failed : FileWrite::NotAFile;
}

int openRegularFileForReading(const std::string& path)
{
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool readFilePrefix(const std::string& path, std::string& data, size_t maxBytes)
{
    const int fd = openRegularFileForReading(path);
    if (fd < 0)
        return false;
    std::string result;
    char buffer[8192];
    while (result.size() < maxBytes) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, maxBytes - result.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        result.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    data = std::move(result);
    return true;
}

bool readWholeFile(const std::string& path, std::string& data, size_t maxBytes)
{
    std::string result;
    if (!readFilePrefix(path, result, maxBytes + 1) || result.size() > maxBytes)
        return false;
    data = std::move(result);
    return true;
}

bool makeFolders(const std::string& path)
{
    if (path.empty())
        return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeFolders(path.substr(0, slash)))
        return false;
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)
        return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    return false;
}

bool fileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

FileLock::FileLock(const std::string& path)
{
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(fd);
            fd = -1;
            return;
        }
    }
}

FileLock::~FileLock()
{
    if (fd >= 0)
        ::close(fd);
}

}  // namespace vexo::sdk
