#include "FrameInfoLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <cerrno>
#include <chrono>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include "VexoCameraApi.h"

namespace frameinfolog {

qint64 steadyNowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 wallNowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

QByteArray header()
{
    return QByteArrayLiteral(
        "position,frame_number,camera_timestamp_us,host_steady_us,host_wall_us,exposure_us,"
        "gain,width,height,pixel_format,dropped_before\n");
}

QByteArray pixelFormatName(quint32 pixelFormat)
{
    switch (pixelFormat) {
        case VEXO_SDK_PIXEL_MONO8:
            return QByteArrayLiteral("Mono8");
        case VEXO_SDK_PIXEL_BAYER_RG8:
            return QByteArrayLiteral("BayerRG8");
        case VEXO_SDK_PIXEL_RGB8:
            return QByteArrayLiteral("RGB8");
        case VEXO_SDK_PIXEL_BGR8:
            return QByteArrayLiteral("BGR8");
        case VEXO_SDK_PIXEL_BGRA8:
            return QByteArrayLiteral("BGRA8");
        case VEXO_SDK_PIXEL_MONO10:
            return QByteArrayLiteral("Mono10");
        case VEXO_SDK_PIXEL_MONO12:
            return QByteArrayLiteral("Mono12");
        case VEXO_SDK_PIXEL_MONO16:
            return QByteArrayLiteral("Mono16");
        case VEXO_SDK_PIXEL_BAYER_RG10:
            return QByteArrayLiteral("BayerRG10");
        case VEXO_SDK_PIXEL_BAYER_RG12:
            return QByteArrayLiteral("BayerRG12");
        case VEXO_SDK_PIXEL_BAYER_RG16:
            return QByteArrayLiteral("BayerRG16");
        default:
            return "0x" + QByteArray::number(pixelFormat, 16);
    }
}

bool isGreyFormat(quint32 pixelFormat)
{
    return pixelFormat == VEXO_SDK_PIXEL_MONO8 || pixelFormat == VEXO_SDK_PIXEL_MONO10 ||
           pixelFormat == VEXO_SDK_PIXEL_MONO12 || pixelFormat == VEXO_SDK_PIXEL_MONO16;
}

QByteArray row(const FrameRow& f)
{
    // Gain as a decimal with three places, from thousandths, without floating point.
    const qint64 gainAbs = qAbs(f.gainMilli);
    const QByteArray gain = (f.gainMilli < 0 ? "-" : "") + QByteArray::number(gainAbs / 1000) +
                            '.' + QByteArray::number(gainAbs % 1000).rightJustified(3, '0');
    QByteArray line;
    line.reserve(128);
    line += QByteArray::number(f.position) + ',' + QByteArray::number(f.frameNumber) + ',' +
            QByteArray::number(f.cameraTimeUs) + ',' + QByteArray::number(f.hostSteadyUs) + ',' +
            QByteArray::number(f.hostWallUs) + ',' + QByteArray::number(f.exposureUs) + ',' + gain +
            ',' + QByteArray::number(f.width) + ',' + QByteArray::number(f.height) + ',' +
            pixelFormatName(f.pixelFormat) + ',' + QByteArray::number(f.droppedBefore) + '\n';
    return line;
}

qint64 droppedBefore(qint64 firstNumber, qint64 frameNumber, qint64 position, qint64 previous)
{
    const qint64 numbered = qint64(quint32(quint64(frameNumber) - quint64(firstNumber)));
    // Numbers that went backwards (a restarted camera) look like a jump of billions.
    if (numbered < position || numbered >= (qint64(1) << 31))
        return previous;
    return qMax(previous, numbered - position);
}

FrameInfoLog::~FrameInfoLog()
{
    close();
}

int FrameInfoLog::open(const QByteArray& path)
{
    close();
    if (path.isEmpty() || path.contains('\0'))
        return EINVAL;
    fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND, 0666);
    if (fd < 0)
        return errno;
    written = 0;
    dropped = 0;
    return writeAll(header());
}

int FrameInfoLog::append(FrameRow frame)
{
    if (fd < 0)
        return EBADF;
    if (written == 0)
        firstNumber = frame.frameNumber;
    frame.position = written;
    dropped = droppedBefore(firstNumber, frame.frameNumber, written, dropped);
    frame.droppedBefore = dropped;
    const int result = writeAll(row(frame));
    if (result == 0)
        ++written;
    return result;
}

int FrameInfoLog::writeAll(const QByteArray& bytes)
{
    // One call for the whole line: killed between calls, the file holds whole lines.
    qint64 done = 0;
    while (done < bytes.size()) {
        const auto n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        done += n;
    }
    return 0;
}

void FrameInfoLog::close()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace frameinfolog
