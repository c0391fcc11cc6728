#include "SequencePicture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace sequencepicture {

namespace {

// Strips of about a megabyte: few writes per picture, and readers need not hold a
// whole large picture in one piece.
constexpr qint64 kStripBytes = 1 << 20;

// libtiff on a descriptor of ours, keeping the errno of the first failed write.
struct Sink {
    int fd = -1;
    qint64 position = 0;
    int lastErrno = 0;
    const WriteFault* fault = nullptr;

    static tmsize_t read(thandle_t h, void* data, tmsize_t size)
    {
        auto* self = static_cast<Sink*>(h);
        const auto n = ::read(self->fd, data, size_t(size));
        if (n > 0)
            self->position += n;
        return n;
    }
    static tmsize_t write(thandle_t h, void* data, tmsize_t size)
    {
        auto* self = static_cast<Sink*>(h);
        if (self->fault && *self->fault) {
            if (const int injected = (*self->fault)(self->position, int(size))) {
                self->lastErrno = injected;
                return -1;
            }
        }
        tmsize_t done = 0;
        while (done < size) {
            const auto n = ::write(self->fd, static_cast<char*>(data) + done, size_t(size - done));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                self->lastErrno = errno;
                return -1;
            }
            done += n;
            self->position += n;
        }
        return done;
    }
    static toff_t seek(thandle_t h, toff_t offset, int whence)
    {
        auto* self = static_cast<Sink*>(h);
        const auto at = ::lseek(self->fd, off_t(offset), whence);
        if (at < 0)
            return toff_t(-1);
        self->position = at;
        return toff_t(at);
    }
    static int close(thandle_t) { return 0; }
    static toff_t size(thandle_t h)
    {
        struct stat info {};
        return ::fstat(static_cast<Sink*>(h)->fd, &info) == 0 ? toff_t(info.st_size) : 0;
    }
    static int map(thandle_t, void**, toff_t*) { return 0; }
    static void unmap(thandle_t, void*, toff_t) {}
};

void quietWarning(const char*, const char*, va_list) {}

int encode(TIFF* tiff, const Picture& p, std::vector<uchar>& scratch)
{
    const bool deep = p.bits == 16;
    const int samples = p.grey || deep ? 1 : 3;
    const qint64 rowBytes = qint64(p.width) * samples * (deep ? 2 : 1);
    const int rowsPerStrip = int(qBound<qint64>(1, kStripBytes / rowBytes, p.height));
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(p.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(p.height));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(samples));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(deep ? 16 : 8));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                 samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(rowsPerStrip));

    // Rows packed as the strip wants them: 8-bit grey takes the red channel, rows with
    // padding are closed up. 16-bit values go in the machine's order, which the file's
    // header names.
    const bool pickRed = p.grey && !deep;
    const bool packed = !pickRed && p.bytesPerLine == rowBytes;
    if (!packed)
        scratch.resize(size_t(rowBytes) * size_t(rowsPerStrip));
    for (int first = 0, strip = 0; first < p.height; first += rowsPerStrip, ++strip) {
        const int rows = qMin(rowsPerStrip, p.height - first);
        const uchar* data = p.rgb + qint64(first) * p.bytesPerLine;
        if (!packed) {
            for (int y = 0; y < rows; ++y) {
                const uchar* from = p.rgb + qint64(first + y) * p.bytesPerLine;
                uchar* to = scratch.data() + qint64(y) * rowBytes;
                if (pickRed) {
                    for (int x = 0; x < p.width; ++x)
                        to[x] = from[3 * x];
                } else {
                    std::memcpy(to, from, size_t(rowBytes));
                }
            }
            data = scratch.data();
        }
        // Uncompressed, a strip is its bytes: written as they are, without libtiff's copy.
        if (TIFFWriteRawStrip(tiff, uint32_t(strip), const_cast<uchar*>(data),
                              tmsize_t(rowBytes * rows)) < 0)
            return EIO;
    }
    return TIFFFlush(tiff) ? 0 : EIO;
}

}  // namespace

QByteArray pictureName(qint64 position)
{
    char name[32];
    std::snprintf(name, sizeof name, "%06lld.tif", static_cast<long long>(position));
    return QByteArray(name);
}

int write(const QByteArray& folder, const QByteArray& name, const Picture& picture,
          std::vector<uchar>& scratch, const WriteFault& fault)
{
    const int pixelBytes = picture.bits == 16 ? 2 : 3;
    if (!picture.rgb || picture.width <= 0 || picture.height <= 0 ||
        (picture.bits != 8 && picture.bits != 16) || picture.bytesPerLine < picture.width * pixelBytes)
        return EINVAL;
    const QByteArray finalPath = folder + '/' + name;
    // Hidden, so nobody counting the pictures sees one that is still being written.
    const QByteArray temporary = folder + "/." + name + ".part";
    Sink sink;
    sink.fault = &fault;
    sink.fd = ::open(temporary.constData(), O_RDWR | O_CREAT | O_TRUNC, 0666);
    if (sink.fd < 0)
        return errno;
    // libtiff reports on stderr by default; the caller turns the errno into a message.
    static const TIFFErrorHandler silenced = [] {
        TIFFSetWarningHandler(quietWarning);
        return TIFFSetErrorHandler(quietWarning);
    }();
    Q_UNUSED(silenced);
    int result = 0;
    TIFF* tiff = TIFFClientOpen(name.constData(), "w", &sink, &Sink::read, &Sink::write,
                                &Sink::seek, &Sink::close, &Sink::size, &Sink::map, &Sink::unmap);
    if (!tiff) {
        result = sink.lastErrno ? sink.lastErrno : EIO;
    } else {
        result = encode(tiff, picture, scratch);
        TIFFClose(tiff);
        if (sink.lastErrno)
            result = sink.lastErrno;
    }
    if (::close(sink.fd) != 0 && result == 0)
        result = errno;
    if (result == 0 && ::rename(temporary.constData(), finalPath.constData()) != 0)
        result = errno;
    if (result != 0)
        ::unlink(temporary.constData());
    return result;
}

}  // namespace sequencepicture
