#pragma once
// How frames are made and processed: the simulated sensor (scene, noise, timing-free
// rendering of one exposure) and the image pipeline that turns raw sensor data into the
// caller's output format. No Qt, no camera identity, no threads: the camera core owns
// those and calls in here once per frame.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vexo::imaging {

// Pixel format codes (GigE Vision PFNC values) understood by the pipeline.
constexpr uint32_t kPixelMono8 = 0x01080001;
constexpr uint32_t kPixelMono10 = 0x01100003;  // deep formats: one 16-bit little-endian word
constexpr uint32_t kPixelMono12 = 0x01100005;  // a sample, the value in its low bits
constexpr uint32_t kPixelMono16 = 0x01100007;
constexpr uint32_t kPixelBayerRG8 = 0x01080009;
constexpr uint32_t kPixelBayerRG10 = 0x0110000D;
constexpr uint32_t kPixelBayerRG12 = 0x01100011;
constexpr uint32_t kPixelBayerRG16 = 0x0110002F;
constexpr uint32_t kPixelRGB8 = 0x02180014;  // the viewer's 24-bit RGB
constexpr uint32_t kPixelBGR8 = 0x02180015;
constexpr uint32_t kPixelBGRA8 = 0x02200017;

// Result codes of ImagePipeline::process() and writeImageFile(); 0 is success.
constexpr int kImagingOk = 0;
constexpr int kImagingBadArgument = -1;     // null pointer, empty or oversized image, bad type code
constexpr int kImagingUnknownFormat = -2;   // pixel format the pipeline or the writer lacks
constexpr int kImagingBufferTooSmall = -3;  // output buffer shorter than width * height * bpp
constexpr int kImagingFileCreateFailed = -4;  // folder missing or not writable
constexpr int kImagingFileWriteFailed = -5;   // encoder or disk error while writing
constexpr int kImagingFileRenameFailed = -6;  // finished file could not be moved into place
constexpr int kImagingFileExists = -7;        // the final name is taken; nothing was written
constexpr int kImagingNotAFile = -8;          // the final name is a folder, FIFO, device...
constexpr int kImagingMaxDimension = 32768;   // larger widths or heights are rejected

// The mosaic of a raw frame: grey, or RGGB. The names keep their 8-bit spelling; the
// frame's bitDepth says how deep its samples are.
enum class RawLayout : uint8_t { Mono8, BayerRG8 };

struct RawFrame {
    int width = 0;  // pixels
    int height = 0;
    RawLayout layout = RawLayout::BayerRG8;
    // Significant bits of a sample: 8 (one byte a sample) or 10, 12, 16 (one 16-bit
    // little-endian word a sample, the value in its low bits, 0 .. 2^bitDepth - 1).
    int bitDepth = 8;
    // The frame's own samples: width * height of them, row-major, no padding. Scenes and
    // converters write here; everybody reads through pixelData() and pixelBytes(), since
    // a frame may show samples that live elsewhere instead (see borrow()).
    std::vector<uint8_t> pixels;
    uint64_t frameNumber = 0;
    int64_t timestampUs = 0;

    const uint8_t* pixelData() const { return borrowedData ? borrowedData : pixels.data(); }
    size_t pixelBytes() const { return borrowedData ? borrowedBytes : pixels.size(); }
    bool borrowed() const { return borrowedData != nullptr; }
    // Shows bytes (read only, laid out as `pixels` would be) that live elsewhere, such as
    // a camera driver's buffer. keeper keeps them valid: the frame (and every copy of
    // it) holds it until the view is dropped, so its deleter gives the memory back and
    // may run on any thread. `pixels` keeps its memory for the next owned frame.
    void borrow(const uint8_t* data, size_t bytes, std::shared_ptr<const void> keeper)
    {
        borrowedData = data;
        borrowedBytes = data ? bytes : 0;
        borrowedKeeper = data ? std::move(keeper) : nullptr;
    }
    // Drops a borrowed view and its keeper: the frame shows `pixels` again.
    void dropBorrowed() { borrow(nullptr, 0, nullptr); }

private:
    const uint8_t* borrowedData = nullptr;
    size_t borrowedBytes = 0;
    std::shared_ptr<const void> borrowedKeeper;
};

struct DefectPixel {
    int x;
    int y;
    uint8_t value;  // 0 dead, 255 hot; on deeper sensors 255 stands for the largest value
};  // sensor coordinates

// Everything the simulated sensor needs to render one exposure.
struct SensorSettings {
    int sensorWidth = 0, sensorHeight = 0;  // full sensor, pixels
    int offsetX = 0, offsetY = 0;           // region of interest on the sensor
    int regionWidth = 0, regionHeight = 0;
    int outputWidth = 0, outputHeight = 0;  // after binning / skipping; == region when none
    RawLayout layout = RawLayout::BayerRG8;
    int bitDepth = 8;  // of the samples rendered: 8, 10, 12 or 16
    double exposureUs = 10000.0;
    int analogGainMilli = 1000;  // thousandths of a multiple
    bool antiFlicker = false;
    int lightFrequencyHz = 50;                             // mains frequency of the scene lighting
    int focusPosition = 0, focusBest = 0, focusRange = 0;  // focusRange 0: lens without focus drive
    int channelCount = 1;                                  // illumination channels
    uint32_t channelMask = 1;                              // bit i: channel i lit
    double noiseSigma = 1.5;                               // read noise, digital numbers
    std::vector<DefectPixel> defects;
};

// Geometry: output pixel (x, y) samples the sensor at the centre of its share of the
// region (offset + (x + 0.5) * region / output), so binning and regions of interest show
// the matching part of the scene. Missing or inconsistent sizes are repaired (region
// kept on the sensor, at least 1x1), never rejected. The Bayer mosaic is RGGB in output
// coordinates: pixel (0, 0) is red. Defect pixels inside the region replace their
// sample after everything else.
class Scene {
public:
    virtual ~Scene() = default;
    // Renders one exposure taken at timeSec into out (resized as needed). A scene keeps
    // caches between calls: one scene object belongs to one thread at a time.
    virtual void render(const SensorSettings& sensor, double timeSec, uint64_t frameNumber,
                        RawFrame& out) = 0;
};

// The moving demonstration scene (colour chart, gradients, fine detail, moving object,
// frame counter and time stamp). `seed` makes each camera's scene a little different.
// - Brightness: proportional to exposure time x analog gain; 10 ms at gain 1.0 under full
//   light averages about 115 of 255. The lamps are slightly warm (blue about 10 % low).
// - Flicker: lamps on mains light modulate at twice lightFrequencyHz; with antiFlicker
//   off and an exposure that is not a whole number of half mains periods, the rolling
//   shutter (1/60 s top to bottom) shows horizontal bands that move between frames.
// - Focus: with focusRange > 0 the static scene blurs in proportion to
//   |focusPosition - focusBest| / focusRange (sharp within 1 % of the range).
// - Light channels: channel i of channelCount lights the scene from angle
//   180° + i * 360° / channelCount, clockwise in the picture (of four: left, top, right,
//   bottom); all lit gives even light, none leaves a 3 % ambient. A single-channel
//   camera is lit when bit 0 is set.
// - Noise: Gaussian, sigma = sqrt((noiseSigma * gain)^2 + 2.5 * gain) digital numbers.
// - Depth: with bitDepth above 8 the frame holds 16-bit words; brightness and noise are
//   the same as at 8 bits, times 2^(bitDepth - 8), rounded at the finer step, so the low
//   bits carry real detail (the 8-bit frame is the deep one's top eight bits, within the
//   rounding of noise).
// - The same settings, time and frame number give the same frame.
// The static part is rebuilt when geometry, layout, light channels or focus change (a
// few tens of milliseconds); other frames only redraw the ball, the text and the noise.
std::unique_ptr<Scene> makeDemoScene(uint32_t seed);
// A fixed pattern for tests: value(x, y, c) with c = 0 red, 1 green, 2 blue in sensor
// coordinates; sampled through the Bayer mosaic (or as luminance
// (77 r + 150 g + 29 b + 128) >> 8 for mono sensors), without noise, flicker, blur or
// exposure scaling. The sensor's defect pixels are applied (pass none for exact values).
// A deeper sensor gets value << (bitDepth - 8).
std::unique_ptr<Scene> makePatternScene(std::function<uint8_t(int x, int y, int c)> value);

// A crosshair is a full-width horizontal and a full-height vertical line through (x, y),
// crosshairThickness() pixels thick (centred on x and y), so it stays visible when the
// viewer scales a large frame down. Lines outside the image are not drawn.
struct Crosshair {
    bool enabled = false;
    int x = 0, y = 0;  // output image coordinates
    uint8_t r = 255, g = 0, b = 0;
};

// Tone convention: out = in^(1 / (gamma / 100)), so gamma > 100 brightens mid-grey;
// lutContrast and contrast stretch around mid-grey (0 gives flat grey). Preset tables:
// 0 "直线" straight, 1 "曲线1" S-curve, 2 "曲线2" shadow-lifting log curve; an unknown
// preset index counts as 0. White balance gains are clamped to 0..16. Sharpness is an
// unsharp mask of gain 0..3 (sharpness 0..100). Defect correction replaces samples that
// stand more than 40 above or below all four nearest samples of the same colour.
// Monochrome wins over saturation. Mono sensors ignore the white balance gains.
struct PipelineSettings {
    double wbRed = 1.0, wbGreen = 1.0, wbBlue = 1.0;  // white balance gains, 1.0 neutral
    int saturation = 100;                             // 0 grey .. 100 neutral .. 200
    int sharpness = 0;                                // 0 off .. 100
    int contrast = 100;                               // 0 .. 100 neutral .. 200
    int lutMode = 0;                                  // 0 gamma / contrast, 1 preset table
    int gamma = 100;                                  // hundredths (100 = 1.0)
    int lutContrast = 100;                            // hundredths (100 = 1.0)
    int presetLut = 0;                                // index into presetLutNames()
    bool mirrorHorizontal = false, mirrorVertical = false;
    bool monochrome = false;
    bool defectCorrection = false;
    std::array<Crosshair, 9> crosshairs{};
    uint32_t outputFormat = kPixelRGB8;
};

struct FrameStatistics {
    double meanLuma = 0;                              // 0..255
    double meanRed = 0, meanGreen = 0, meanBlue = 0;  // raw colour means, 0..255
};

// Names of the preset lookup tables, index = preset number ("直线", "曲线1", "曲线2").
const std::vector<std::string>& presetLutNames();

size_t bytesPerPixel(uint32_t pixelFormat);  // 0 for formats the pipeline lacks
// Sample depth of a raw pixel format (8 for Mono8 / BayerRG8, 10, 12 or 16 for the deep
// ones), 0 for any other format.
int rawBitDepth(uint32_t pixelFormat);
// Whether a raw pixel format is a colour mosaic (BayerRG8 .. BayerRG16).
bool isBayerFormat(uint32_t pixelFormat);
// The raw pixel format of a frame: its mosaic and depth (Mono12, BayerRG16, ...).
uint32_t rawPixelFormat(RawLayout layout, int bitDepth);
// Sample i of a raw frame's data, whatever its depth.
inline unsigned rawSample(const RawFrame& raw, size_t i)
{
    const uint8_t* p = raw.pixelData();
    if (raw.bitDepth <= 8)
        return p[i];
    return static_cast<unsigned>(p[2 * i]) | static_cast<unsigned>(p[2 * i + 1]) << 8;
}
// Line thickness of the crosshairs for an image of this size (1 up to 1079 rows, 2 from
// 1080, ...).
int crosshairThickness(int width, int height);

class ImagePipeline {
public:
    ImagePipeline();
    ~ImagePipeline();
    void configure(const PipelineSettings& settings);  // rebuilds tables only when needed
    const PipelineSettings& settings() const;
    // Processes raw into out. Returns 0, or a negative value when the format is
    // unknown or outSize is smaller than width * height * bytesPerPixel.
    // Output formats: RGB8, BGR8, BGRA8 (alpha 255), Mono8, and BayerRG8 as a raw
    // passthrough of a Bayer frame (no processing at all). Safe to call from several
    // threads at once on one pipeline as long as nobody calls configure() meanwhile.
    // Deep frames (bitDepth above 8) are first reduced to their top eight bits
    // (sample >> (bitDepth - 8), at most 255); everything then runs as for an 8-bit frame.
    // Mono16 output is for measurement and takes only grey frames (a Bayer frame gives
    // kImagingUnknownFormat): out = sample << (16 - bitDepth) (at most 65535), 16-bit
    // little-endian words, so the full range of any depth spans 0 .. 65535 and the
    // native value is out >> (16 - bitDepth). Of the settings only the mirrors apply;
    // tone curve, contrast, lookup tables, sharpening, defect correction and crosshairs
    // would change the values measured and are left out.
    int process(const RawFrame& raw, uint8_t* out, size_t outSize) const;
    // Cheap, subsampled statistics of the raw frame for automatic exposure and white
    // balance (whole 2x2 cells on an even grid, about 40 000 cells at most), on the
    // 0..255 scale whatever the frame's depth.
    static FrameStatistics statistics(const RawFrame& raw);

private:
    template <typename Sample>
    static FrameStatistics statisticsOf(const RawFrame& raw, Sample at);
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Closed-loop controllers, called once per frame by the camera core.
struct AutoExposureLimits {
    double minExposureUs, maxExposureUs;
    int minGainMilli, maxGainMilli;
};
// Moves exposure (first) and gain (second) a step towards the target mean luminance
// (targetBrightness on the same 0..255 scale as meanLuma). Values are clamped into the
// limits; within a dead band of max(2, 3 % of target) nothing changes; otherwise the
// exposure x gain product moves 80 % of the way (in log terms), so the brightness
// approaches from one side without oscillating. Gain rises above its minimum only when
// the exposure is at its maximum, and falls first when darkening.
void autoExposureStep(const FrameStatistics& stats, int targetBrightness,
                      const AutoExposureLimits& limits, double& exposureUs, int& gainMilli);
// Gains (1.0 = neutral) that make the frame's grey average neutral (grey world): green
// stays 1.0, red and blue within 0.25 .. 4. A frame too dark to judge gives 1.0 for all.
void whiteBalanceGains(const FrameStatistics& stats, double& red, double& green, double& blue);

enum class ImageFileType { Jpeg = 1, Bmp = 2, Png = 8, Tiff = 16 };
// Writes an image (pixels in pixelFormat: RGB8, BGR8, BGRA8, Mono8 or Mono16) to baseName
// + ".bmp" / ".jpg" / ".png" / ".tif" through a temporary file that is renamed into place, so a
// failed write never leaves a partial file. quality 1..100 for JPEG (others: 90).
// Returns 0 or a negative kImaging... code. Nothing that has the final name is ever
// replaced: kImagingFileExists when a file (or a symbolic link) has it, kImagingNotAFile
// when a folder, FIFO or device has it; in both cases nothing is written and no temporary
// file is left. Of two writers racing for one name exactly one succeeds.
// Type codes: 1 JPEG, 2 BMP (24-bit, or 8-bit grey for Mono8), 8 PNG, 16 TIFF
// (uncompressed, one strip per 64 rows). BGRA8 drops alpha.
// Mono8 makes an 8-bit grey file of every type (BMP with a grey palette, PNG colour type
// grey, JPEG with one component, TIFF min-is-black). Mono16 (16-bit little-endian words)
// makes a 16-bit grey PNG or TIFF; JPEG and BMP cannot hold it (kImagingUnknownFormat).
int writeImageFile(const std::string& baseName, const uint8_t* pixels, int width, int height,
                   uint32_t pixelFormat, int typeCode, int quality);

// When every pixel of an RGB8, BGR8 or BGRA8 image is grey (red, green and blue equal),
// fills grey with the width * height grey levels and returns true; false (grey then holds
// nothing useful) as soon as one pixel has colour, or for other formats.
bool greyLevelsOf(const uint8_t* pixels, int width, int height, uint32_t pixelFormat,
                  std::vector<uint8_t>& grey);

}  // namespace vexo::imaging
