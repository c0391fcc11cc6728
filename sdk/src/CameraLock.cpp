#include "CameraLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "VexoCameraApi.h"

namespace vexo::sdk {

namespace {

struct flock wholeFile(short type)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    lock.l_pid = 0;
    return lock;
}

}  // namespace

int CameraLock::tryAcquire(const std::string& lockPath, std::unique_ptr<CameraLock>& lock)
{
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return VEXO_SDK_FAILED;
#ifdef F_OFD_SETLK
    struct flock request = wholeFile(F_WRLCK);
    const bool ok = ::fcntl(fd, F_OFD_SETLK, &request) == 0;
    const bool held = !ok && (errno == EAGAIN || errno == EACCES);
#else
    const bool ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    const bool held = !ok && errno == EWOULDBLOCK;
#endif
    if (!ok) {
        ::close(fd);
        return held ? VEXO_SDK_OPEN_ELSEWHERE : VEXO_SDK_FAILED;
    }
    lock.reset(new CameraLock(fd));
    return VEXO_SDK_OK;
}

bool CameraLock::isHeld(const std::string& lockPath)
{
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;   // never opened since the folder was made
#ifdef F_OFD_GETLK
    struct flock lock = wholeFile(F_WRLCK);
    const bool held = ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
#else
    // Without a test-only query, probe with a shared lock and give it back at once.
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
#endif
    ::close(fd);
    return held;
}

CameraLock::~CameraLock()
{
    ::close(fd);
}

}  // namespace vexo::sdk
