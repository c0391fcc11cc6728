// Picture files: BMP (written here), JPEG (libjpeg-turbo), PNG (libpng) and TIFF
// (libtiff). Every file is
// written to a temporary name in the target folder, flushed to disk and moved into place
// without replacing anything, so the final name only ever holds a complete picture and a
// picture taken earlier is never lost to a later one of the same name.
#include "FilePlacement.h"
#include "Imaging.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1u << 0)  // <linux/fs.h>; older C libraries do not define it
#endif

namespace vexo::imaging {
namespace {

// Pixel access for the writers: component order of the caller's format.
struct SourceLayout {
    size_t bpp;
    int redIndex, greenIndex, blueIndex;  // -1 for mono
};

bool sourceLayout(uint32_t fmt, SourceLayout& l)
{
    switch (fmt) {
        case kPixelRGB8:
            l = {3, 0, 1, 2};
            return true;
        case kPixelBGR8:
            l = {3, 2, 1, 0};
            return true;
        case kPixelBGRA8:
            l = {4, 2, 1, 0};
            return true;
        case kPixelMono8:
            l = {1, -1, -1, -1};
            return true;
        case kPixelMono16:
            l = {2, -1, -1, -1};
            return true;
        default:
            return false;
    }
}

void putLe16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void putLe32(uint8_t* p, uint32_t v)
{
    putLe16(p, v);
    putLe16(p + 2, v >> 16);
}

bool writeBmp(std::FILE* f, const uint8_t* pixels, int w, int h, const SourceLayout& l)
{
    const bool mono = l.redIndex < 0;
    const uint32_t outBpp = mono ? 1 : 3;
    const uint32_t stride = (static_cast<uint32_t>(w) * outBpp + 3u) & ~3u;
    const uint32_t paletteBytes = mono ? 1024 : 0;
    const uint32_t dataOffset = 14 + 40 + paletteBytes;
    const uint64_t fileSize = dataOffset + static_cast<uint64_t>(stride) * h;
    if (fileSize > 0xFFFFFFFFull)
        return false;

    uint8_t header[54] = {};
    header[0] = 'B';
    header[1] = 'M';
    putLe32(header + 2, static_cast<uint32_t>(fileSize));
    putLe32(header + 10, dataOffset);
    putLe32(header + 14, 40);
    putLe32(header + 18, static_cast<uint32_t>(w));
    putLe32(header + 22, static_cast<uint32_t>(h));  // positive: rows bottom-up
    putLe16(header + 26, 1);
    putLe16(header + 28, outBpp * 8);
    putLe32(header + 34, static_cast<uint32_t>(stride * static_cast<uint64_t>(h)));
    putLe32(header + 38, 2835);  // 72 dpi
    putLe32(header + 42, 2835);
    if (mono) {
        putLe32(header + 46, 256);
        putLe32(header + 50, 256);
    }
    if (std::fwrite(header, 1, sizeof header, f) != sizeof header)
        return false;
    if (mono) {
        uint8_t palette[1024];
        for (int i = 0; i < 256; ++i) {
            palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = static_cast<uint8_t>(i);
            palette[4 * i + 3] = 0;
        }
        if (std::fwrite(palette, 1, sizeof palette, f) != sizeof palette)
            return false;
    }
    std::vector<uint8_t> row(stride, 0);
    for (int y = h - 1; y >= 0; --y) {
        const uint8_t* src = pixels + static_cast<size_t>(y) * w * l.bpp;
        if (mono) {
            std::memcpy(row.data(), src, static_cast<size_t>(w));
        } else {
            for (int x = 0; x < w; ++x, src += l.bpp) {
                row[3 * x] = src[l.blueIndex];
                row[3 * x + 1] = src[l.greenIndex];
                row[3 * x + 2] = src[l.redIndex];
            }
        }
        if (std::fwrite(row.data(), 1, stride, f) != stride)
            return false;
    }
    return true;
}

// libpng reports errors by longjmp; nothing with a destructor lives in these frames.
void pngError(png_structp png, png_const_charp)
{
    std::longjmp(png_jmpbuf(png), 1);
}
void pngWarning(png_structp, png_const_charp) {}

bool writePng(std::FILE* f, const uint8_t* pixels, int w, int h, uint32_t fmt, size_t bpp)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    png_set_compression_level(png, 3);  // capture speed matters more than the last few percent
    const bool deep = fmt == kPixelMono16;
    const bool mono = fmt == kPixelMono8 || deep;
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), deep ? 16 : 8,
                 mono ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (deep)
        png_set_swap(png);  // PNG samples are big-endian, ours little-endian
    if (fmt == kPixelBGR8 || fmt == kPixelBGRA8)
        png_set_bgr(png);
    if (fmt == kPixelBGRA8)
        png_set_filler(png, 0, PNG_FILLER_AFTER);  // drops the alpha byte on write
    for (int y = 0; y < h; ++y)
        png_write_row(png, pixels + static_cast<size_t>(y) * w * bpp);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// libtiff writes through these, on the temporary file; errors are kept to this file
// (the programs may have set their own global libtiff handlers).
tmsize_t tiffRead(thandle_t h, void* data, tmsize_t size)
{
    return static_cast<tmsize_t>(
        std::fread(data, 1, static_cast<size_t>(size), static_cast<std::FILE*>(h)));
}
tmsize_t tiffWrite(thandle_t h, void* data, tmsize_t size)
{
    return static_cast<tmsize_t>(
        std::fwrite(data, 1, static_cast<size_t>(size), static_cast<std::FILE*>(h)));
}
toff_t tiffSeek(thandle_t h, toff_t offset, int whence)
{
    auto* f = static_cast<std::FILE*>(h);
#ifdef _WIN32
    if (_fseeki64(f, static_cast<__int64>(offset), whence) != 0)
        return static_cast<toff_t>(-1);
    return static_cast<toff_t>(_ftelli64(f));
#else
    if (fseeko(f, static_cast<off_t>(offset), whence) != 0)
        return static_cast<toff_t>(-1);
    return static_cast<toff_t>(ftello(f));
#endif
}
int tiffClose(thandle_t)
{
    return 0;  // the caller flushes and closes the file
}
toff_t tiffSize(thandle_t h)
{
    auto* f = static_cast<std::FILE*>(h);
    std::fflush(f);
#ifdef _WIN32
    struct _stat64 st {};
    return _fstat64(_fileno(f), &st) == 0 ? static_cast<toff_t>(st.st_size) : 0;
#else
    struct stat st {};
    return fstat(fileno(f), &st) == 0 ? static_cast<toff_t>(st.st_size) : 0;
#endif
}
int tiffMap(thandle_t, void**, toff_t*)
{
    return 0;
}
void tiffUnmap(thandle_t, void*, toff_t) {}
int tiffQuiet(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

// Uncompressed TIFF: 8-bit grey, 16-bit grey or 24-bit RGB.
bool writeTiff(std::FILE* f, const uint8_t* pixels, int w, int h, uint32_t fmt,
               const SourceLayout& l)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return false;
    TIFFOpenOptionsSetErrorHandlerExtR(options, tiffQuiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, tiffQuiet, nullptr);
    TIFF* tiff = TIFFClientOpenExt("picture", "w", f, tiffRead, tiffWrite, tiffSeek, tiffClose,
                                   tiffSize, tiffMap, tiffUnmap, options);
    TIFFOpenOptionsFree(options);
    if (!tiff)
        return false;
    const bool mono = l.redIndex < 0;
    const uint16_t bits = fmt == kPixelMono16 ? 16 : 8;
    const uint16_t samples = mono ? 1 : 3;
    bool ok =
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(w)) &&
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(h)) &&
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples) &&
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits) &&
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, mono ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB) &&
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE) &&
        TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(64));
    // Rows in the file's order of samples; 16-bit words are written in this machine's
    // byte order, which the file header records.
    std::vector<uint8_t> row(static_cast<size_t>(w) * samples * (bits / 8));
    for (int y = 0; ok && y < h; ++y) {
        const uint8_t* src = pixels + static_cast<size_t>(y) * w * l.bpp;
        if (mono) {
            if (bits == 16) {
                for (int x = 0; x < w; ++x) {
                    const uint16_t v = static_cast<uint16_t>(src[2 * x] | src[2 * x + 1] << 8);
                    std::memcpy(row.data() + 2 * static_cast<size_t>(x), &v, 2);
                }
            } else {
                std::memcpy(row.data(), src, static_cast<size_t>(w));
            }
        } else {
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = src + static_cast<size_t>(x) * l.bpp;
                uint8_t* q = row.data() + 3 * static_cast<size_t>(x);
                q[0] = p[l.redIndex];
                q[1] = p[l.greenIndex];
                q[2] = p[l.blueIndex];
            }
        }
        ok = TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), 0) == 1;
    }
    ok = ok && TIFFFlush(tiff) == 1;
    TIFFClose(tiff);
    return ok;
}

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};
void jpegErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}
void jpegSilence(j_common_ptr) {}

bool writeJpeg(std::FILE* f, const uint8_t* pixels, int w, int h, uint32_t fmt, size_t bpp,
               int quality)
{
    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegErrorExit;
    err.mgr.output_message = jpegSilence;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    switch (fmt) {
        case kPixelMono8:
            cinfo.input_components = 1;
            cinfo.in_color_space = JCS_GRAYSCALE;
            break;
        case kPixelBGR8:
            cinfo.input_components = 3;
            cinfo.in_color_space = JCS_EXT_BGR;
            break;
        case kPixelBGRA8:
            cinfo.input_components = 4;
            cinfo.in_color_space = JCS_EXT_BGRX;
            break;
        default:
            cinfo.input_components = 3;
            cinfo.in_color_space = JCS_EXT_RGB;
            break;
    }
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(pixels + static_cast<size_t>(cinfo.next_scanline) * w * bpp);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

std::string temporaryName(const std::string& finalName)
{
    static std::atomic<unsigned> counter{0};
    const auto now = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%llx-%x.part", now & 0xFFFFFFFFFFull,
                  counter.fetch_add(1));
    // Hidden, so that folder views and anyone counting the pictures never see a half
    // written one.
    const std::string::size_type slash = finalName.find_last_of('/');
    const std::string::size_type nameStart = slash == std::string::npos ? 0 : slash + 1;
    return finalName.substr(0, nameStart) + "." + finalName.substr(nameStart) + suffix;
}

bool flushToDisk(std::FILE* f)
{
    if (std::fflush(f) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

// Whether the final name is free: kImagingOk, kImagingFileExists (a file or a symbolic
// link has it) or kImagingNotAFile (a folder, FIFO, device or socket has it). Asked before
// encoding, so a name that is taken costs no work; the move into place asks again.
int finalNameState(const std::string& finalName)
{
#ifdef _WIN32
    std::error_code ec;
    const auto status = std::filesystem::status(finalName, ec);
    if (ec || !std::filesystem::exists(status))
        return kImagingOk;
    return std::filesystem::is_regular_file(status) ? kImagingFileExists : kImagingNotAFile;
#else
    struct stat st {};
    if (::lstat(finalName.c_str(), &st) != 0)
        return kImagingOk;  // missing; other errors show when the file is created
    // A symbolic link to a folder or FIFO is refused like the folder or FIFO itself.
    struct stat target {};
    if (::stat(finalName.c_str(), &target) == 0 && !S_ISREG(target.st_mode))
        return kImagingNotAFile;
    return kImagingFileExists;
#endif
}

}  // namespace

int placeWithoutReplacing(const std::string& from, const std::string& to, Placement first)
{
#ifdef _WIN32
    // Windows' rename never replaces an existing file.
    (void)first;
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return kImagingOk;
    return finalNameState(to) != kImagingOk ? kImagingFileExists : kImagingFileRenameFailed;
#else
    if (first == Placement::Rename) {
#ifdef SYS_renameat2
        // Through syscall(): the C library's renameat2() wrapper is younger than some of
        // the systems this runs on.
        if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                      RENAME_NOREPLACE) == 0)
            return kImagingOk;
        if (errno == EEXIST)
            return kImagingFileExists;
        if (errno != EINVAL && errno != ENOSYS)
            return kImagingFileRenameFailed;
#endif
        first = Placement::Link;
    }
    if (first == Placement::Link) {
        // link() never replaces: the second name appears only where there was none.
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return kImagingOk;
        }
        if (errno == EEXIST)
            return kImagingFileExists;
        if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
            return kImagingFileRenameFailed;
    }
    // No hard links either (FAT-like file systems behind FUSE, some network shares): once
    // O_EXCL has created the name it is ours, so the rename replaces only our own empty
    // file. A reader may see that empty file for a moment; nobody's picture is lost.
    const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno == EEXIST ? kImagingFileExists : kImagingFileRenameFailed;
    ::close(fd);
    if (::rename(from.c_str(), to.c_str()) == 0)
        return kImagingOk;
    ::unlink(to.c_str());
    return kImagingFileRenameFailed;
#endif
}

bool greyLevelsOf(const uint8_t* pixels, int width, int height, uint32_t pixelFormat,
                  std::vector<uint8_t>& grey)
{
    if (!pixels || width <= 0 || height <= 0 || width > kImagingMaxDimension ||
        height > kImagingMaxDimension)
        return false;
    SourceLayout layout;
    if (!sourceLayout(pixelFormat, layout) || layout.redIndex < 0)
        return false;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    grey.resize(count);
    const uint8_t* p = pixels;
    for (size_t i = 0; i < count; ++i, p += layout.bpp) {
        if (p[0] != p[1] || p[1] != p[2])
            return false;
        grey[i] = p[0];
    }
    return true;
}

int writeImageFile(const std::string& baseName, const uint8_t* pixels, int width, int height,
                   uint32_t pixelFormat, int typeCode, int quality)
{
    if (!pixels || baseName.empty() || width <= 0 || height <= 0 || width > kImagingMaxDimension ||
        height > kImagingMaxDimension)
        return kImagingBadArgument;
    SourceLayout layout;
    if (!sourceLayout(pixelFormat, layout))
        return kImagingUnknownFormat;
    const char* extension = nullptr;
    switch (static_cast<ImageFileType>(typeCode)) {
        case ImageFileType::Jpeg:
            extension = ".jpg";
            break;
        case ImageFileType::Bmp:
            extension = ".bmp";
            break;
        case ImageFileType::Png:
            extension = ".png";
            break;
        case ImageFileType::Tiff:
            extension = ".tif";
            break;
        default:
            return kImagingBadArgument;
    }
    // 16-bit grey fits only PNG and TIFF.
    if (pixelFormat == kPixelMono16 && typeCode != static_cast<int>(ImageFileType::Png) &&
        typeCode != static_cast<int>(ImageFileType::Tiff))
        return kImagingUnknownFormat;
    const std::string finalName = baseName + extension;
    if (const int taken = finalNameState(finalName); taken != kImagingOk)
        return taken;
    const std::string tempName = temporaryName(finalName);

    std::FILE* f = std::fopen(tempName.c_str(), "wbx");
    if (!f)
        return kImagingFileCreateFailed;
    bool ok = false;
    switch (static_cast<ImageFileType>(typeCode)) {
        case ImageFileType::Jpeg:
            ok = writeJpeg(f, pixels, width, height, pixelFormat, layout.bpp,
                           quality >= 1 && quality <= 100 ? quality : 90);
            break;
        case ImageFileType::Bmp:
            ok = writeBmp(f, pixels, width, height, layout);
            break;
        case ImageFileType::Png:
            ok = writePng(f, pixels, width, height, pixelFormat, layout.bpp);
            break;
        case ImageFileType::Tiff:
            ok = writeTiff(f, pixels, width, height, pixelFormat, layout);
            break;
    }
    ok = ok && flushToDisk(f);
    ok = (std::fclose(f) == 0) && ok;
    std::error_code ec;
    if (!ok) {
        std::filesystem::remove(tempName, ec);
        return kImagingFileWriteFailed;
    }
    const int placed = placeWithoutReplacing(tempName, finalName);
    if (placed == kImagingOk)
        return kImagingOk;
    std::filesystem::remove(tempName, ec);
    if (placed == kImagingFileExists && finalNameState(finalName) == kImagingNotAFile)
        return kImagingNotAFile;  // a folder or FIFO took the name while we wrote
    return placed;
}

}  // namespace vexo::imaging
