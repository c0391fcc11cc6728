#pragma once
/*
 * VexoCameraDLL: the camera library every program of the suite uses to enumerate, open,
 * configure and acquire from cameras. Plain C interface, usable from C and C++.
 *
 * Conventions of every operation:
 * - Results are signed 32-bit codes; VEXO_SDK_OK (0) is success. A failed call changes
 *   nothing: no camera setting and no output argument is written.
 * - A camera handle comes from SdkOpenCamera; 0 is never a valid handle. Handles are not
 *   reused, so a closed handle stays invalid (VEXO_SDK_INVALID_HANDLE).
 * - Text in is NUL-terminated in the local 8-bit encoding; text out goes to caller buffers
 *   of VEXO_SDK_TEXT_BUFFER_SIZE bytes unless stated otherwise, always NUL-terminated.
 * - Every operation is safe to call from several threads: for different handles, and for
 *   one handle from a GUI thread and an acquisition thread at the same time.
 */
#include "VexoCameraRecords.h"

#if defined(_WIN32)
#if defined(VEXO_CAMERA_LIBRARY_BUILD)
#define VEXO_SDK_API __declspec(dllexport)
#else
#define VEXO_SDK_API __declspec(dllimport)
#endif
#else
#define VEXO_SDK_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Result codes --------------------------------------------------------------------- */
enum {
    VEXO_SDK_OK = 0,
    VEXO_SDK_FAILED = -1, /* the operation failed (for example a file could not be written) */
    VEXO_SDK_INVALID_HANDLE = -2,    /* unknown or closed camera handle */
    VEXO_SDK_INVALID_ARGUMENT = -3,  /* null pointer or a value the operation cannot take */
    VEXO_SDK_NOT_MATCHING = -4,      /* file or feature does not match this camera (no such feature,
                                        upgrade or parameter file for another camera) */
    VEXO_SDK_OUT_OF_RANGE = -5,      /* index, line, crosshair number or value outside its range */
    VEXO_SDK_NOT_FOUND = -7,         /* no attached camera with that identifier or index */
    VEXO_SDK_DETACHED = -8,          /* the camera is unplugged; the handle stays valid and
                                        resumes when the camera returns (see below) */
    VEXO_SDK_TIMEOUT = -9,           /* no frame within the time-out */
    VEXO_SDK_NOT_STARTED = -10,      /* acquisition is not running */
    VEXO_SDK_BUFFER_TOO_SMALL = -11, /* the caller's buffer cannot hold the result */
    VEXO_SDK_INVALID_FRAME = -12,    /* frame token or raw data not held by the caller */
    VEXO_SDK_WRONG_MODE = -13,       /* not possible in the camera's current mode */
    VEXO_SDK_EMPTY_GROUP = -14,      /* the parameter group holds no saved parameters */
    VEXO_SDK_FILE_CORRUPT = -15,     /* a file fails its checksum or holds invalid contents */
    VEXO_SDK_FILE_TRUNCATED = -16,   /* a file ends before its contents do */
    VEXO_SDK_FILE_FOREIGN = -17,     /* not a file of this kind, or of a newer format version */
    VEXO_SDK_OPEN_ELSEWHERE = -18,   /* the camera is already open (in this or another process) */
    VEXO_SDK_BUFFERS_HELD = -20,     /* every frame buffer is held by the caller: release one */
    VEXO_SDK_BUSY = -21,             /* the camera cannot take another software trigger yet */
    VEXO_SDK_WRONG_PATH = -22,       /* a file path is wrong, the file is unreadable, or the
                                        name belongs to a folder, FIFO or device */
    VEXO_SDK_FILE_EXISTS = -23       /* a file of that name exists already; nothing was written */
};

/* Unplug and replug. A camera unplugged while open keeps its handle. While it is away,
 * SdkGetFrame and SdkGrabFrameWithTimeout return VEXO_SDK_DETACHED at once (a waiting call
 * is woken), SdkStartAcquisition, SdkSoftwareTriggerOnce and SdkOneTouchWhiteBalance return
 * DETACHED, SdkStopAcquisition and SdkCloseCamera work, and parameter calls change the
 * handle's settings as usual. The handle keeps the camera locked, so no other program
 * takes it on its return. When a camera with the same identifier is attached again, the
 * library resumes the handle by itself: it opens the camera again, writes the handle's
 * settings (with the changes made while it was away) and restarts acquisition if it was
 * running; frame calls then deliver frames again. Frames not yet taken when the camera
 * went away are dropped; frames the caller holds stay valid until released. */

/* ---- Constants ------------------------------------------------------------------------ */
#define VEXO_SDK_PIXEL_MONO8 0x01080001u     /* 8-bit grey */
#define VEXO_SDK_PIXEL_BAYER_RG8 0x01080009u /* 8-bit Bayer mosaic, red first */
#define VEXO_SDK_PIXEL_RGB8 0x02180014u      /* 24-bit RGB, the viewer's output format */
#define VEXO_SDK_PIXEL_BGR8 0x02180015u      /* 24-bit BGR */
#define VEXO_SDK_PIXEL_BGRA8 0x02200017u     /* 32-bit BGRA */
/* Deep formats: one 16-bit little-endian word a sample. Raw frames (image formats) hold
 * the sensor's value in the low bits: 0 .. 1023 for 10 bits, 0 .. 4095 for 12 bits. As
 * output format (SdkSetOutputFormat), VEXO_SDK_PIXEL_MONO16 spans the full 16 bits. */
#define VEXO_SDK_PIXEL_MONO10 0x01100003u     /* 10-bit grey */
#define VEXO_SDK_PIXEL_MONO12 0x01100005u     /* 12-bit grey */
#define VEXO_SDK_PIXEL_MONO16 0x01100007u     /* 16-bit grey */
#define VEXO_SDK_PIXEL_BAYER_RG10 0x0110000Du /* 10-bit Bayer mosaic, red first */
#define VEXO_SDK_PIXEL_BAYER_RG12 0x01100011u /* 12-bit Bayer mosaic, red first */
#define VEXO_SDK_PIXEL_BAYER_RG16 0x0110002Fu /* 16-bit Bayer mosaic, red first */

/* Picture file types of SdkSaveImageFile. */
#define VEXO_SDK_FILE_JPG 1
#define VEXO_SDK_FILE_BMP 2
#define VEXO_SDK_FILE_PNG 8
#define VEXO_SDK_FILE_TIFF 16 /* ".tif", uncompressed; the one besides PNG that holds 16 bits */

#define VEXO_SDK_FACTORY_GROUP 0xFF     /* parameter group holding the factory defaults */
#define VEXO_SDK_CUSTOM_RESOLUTION 0xFF /* resolution index of a custom region */
#define VEXO_SDK_CROSSHAIR_COUNT 9

/* Extended parameter identifiers (SdkSetExtendedParameter, SdkGetExtendedParameter). */
#define VEXO_SDK_EXT_CHANNEL_MASK 0    /* read/write: bit i lights illumination channel i */
#define VEXO_SDK_EXT_FOCUS_POSITION 3  /* read/write: motorised focus position */
#define VEXO_SDK_EXT_FOCUS_MIN 4       /* read only */
#define VEXO_SDK_EXT_FOCUS_MAX 5       /* read only */
#define VEXO_SDK_EXT_FOCUS_DEFAULT 6   /* read only: factory focus position */
#define VEXO_SDK_EXT_FOCUS_SUPPORTED 7 /* read only: 1 when the lens has a focus drive */
#define VEXO_SDK_EXT_CHANNEL_COUNT 8   /* read only: number of illumination channels */

/* Firmware upgrade progress: percent 0 .. 100 and the caller's context. May be called on
 * any thread. */
typedef void (*VexoUpgradeProgressCallback)(int percent, void* context);

/* ==== Devices and identity ============================================================= */

/* Counts the attached cameras and takes a snapshot of them for SdkGetDeviceInfo.
 * count: receives the number of cameras (0 or more).
 * Returns OK, INVALID_ARGUMENT (count null). */
VEXO_SDK_API int SdkEnumerateDevices(int* count);

/* Fills the device information record of camera `index` (0 .. count - 1) of the last
 * enumeration, with its current nickname, firmware version and opened flag (1 when the
 * camera is open in any process).
 * Returns OK, INVALID_ARGUMENT (info null), OUT_OF_RANGE (index), NOT_FOUND (the camera
 * was detached since the enumeration). */
VEXO_SDK_API int SdkGetDeviceInfo(int index, VexoDeviceInfo* info);

/* Opens the attached camera with the given identifier for exclusive use.
 * handle: receives the new handle (written only on success).
 * Returns OK, INVALID_ARGUMENT, NOT_FOUND (no attached camera with that identifier),
 * OPEN_ELSEWHERE (open in this or another process), FAILED (the camera's open lock cannot
 * be created: the device node folder is missing or not writable; says nothing about the
 * camera being open elsewhere). */
VEXO_SDK_API int SdkOpenCamera(int* handle, const char* identifier);

/* Stops acquisition if it runs and closes the camera; the handle becomes invalid. Works
 * in every state: streaming, unplugged, and during SdkUpgradeFirmware (also from its
 * progress callback), where the camera stays locked until the upgrade has ended.
 * Returns OK, INVALID_HANDLE. */
VEXO_SDK_API int SdkCloseCamera(int handle);

/* Writes the camera identifier into buffer (VEXO_SDK_TEXT_BUFFER_SIZE bytes).
 * kind: 0 = the identifier the camera is opened by; other values are reserved.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT (buffer null, kind not 0). */
VEXO_SDK_API int SdkGetCameraIdentifier(int handle, char* buffer, int kind);

/* Writes the camera's display name (its nickname) into buffer (128 bytes).
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT. */
VEXO_SDK_API int SdkGetCameraName(int handle, char* buffer);

/* Writes the library version text ("major.minor.patch") into buffer (128 bytes).
 * Returns OK, INVALID_ARGUMENT. */
VEXO_SDK_API int SdkGetSdkVersion(char* buffer);

/* Device type code of the camera model (shown in hexadecimal).
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT. */
VEXO_SDK_API int SdkGetDeviceTypeCode(int handle, uint32_t* code);

/* Writes the firmware version as "v%d.%d.%d.%d" into buffer (128 bytes).
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT. */
VEXO_SDK_API int SdkGetFirmwareVersion(int handle, char* buffer);

/* Writes the interface text (contains "GigE" for network cameras) into buffer (128 bytes).
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT. */
VEXO_SDK_API int SdkGetInterfaceText(int handle, char* buffer);

/* Writes the per-user folder that holds the library's camera state and parameter groups
 * into buffer (size bytes), creating the folder if it is missing.
 * Returns OK, INVALID_ARGUMENT (buffer null), BUFFER_TOO_SMALL, FAILED (cannot create). */
VEXO_SDK_API int SdkGetParameterFolder(char* buffer, int size);

/* Writes the folder in which the library publishes one node file per attached camera
 * into buffer (size bytes), creating the folder if it is missing. Programs watch it to
 * learn of cameras plugged in or out. Returns OK, INVALID_ARGUMENT (buffer null),
 * BUFFER_TOO_SMALL, FAILED (cannot create). */
VEXO_SDK_API int SdkGetDeviceNodeFolder(char* buffer, int size);

/* ==== Acquisition and frames =========================================================== */

/* Starts the camera's frame production. Frames go into a small ring of buffers; when the
 * caller is too slow the oldest frames are overwritten (counted as lost).
 * Returns OK (also when already running), INVALID_HANDLE, DETACHED (unplugged; start
 * again when it is back). */
VEXO_SDK_API int SdkStartAcquisition(int handle);

/* Stops frame production; frames not yet taken are dropped, frames the caller holds stay
 * valid until released. Also while unplugged (the camera then returns stopped).
 * Returns OK, INVALID_HANDLE. */
VEXO_SDK_API int SdkStopAcquisition(int handle);

/* Waits up to timeoutMs milliseconds for the oldest frame not yet taken and holds it.
 * token: receives the frame token for SdkGetRawImage and SdkReleaseFrame.
 * Returns OK, INVALID_HANDLE (also when the handle is closed during the wait),
 * INVALID_ARGUMENT, NOT_STARTED, TIMEOUT, DETACHED (unplugged, at once),
 * BUFFERS_HELD (the caller holds every buffer of the ring, so no frame can come: release
 * one). */
VEXO_SDK_API int SdkGetFrame(int handle, uint32_t* token, int timeoutMs);

/* Takes one fresh frame whether or not acquisition runs: waits up to timeoutMs for the
 * next frame produced after the call (in software trigger mode the call triggers it).
 * While acquisition runs the grab takes nothing from the stream: the same frame still
 * reaches SdkGetFrame, and a thread waiting in SdkGetFrame cannot take the grab's frame
 * from it. Release it with SdkReleaseFrame like a frame of SdkGetFrame (each call's token
 * once).
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT, TIMEOUT, DETACHED (unplugged, at once),
 * BUFFERS_HELD (every buffer of the ring is held by the caller: release one),
 * BUSY (software trigger mode and too many triggers waiting). */
VEXO_SDK_API int SdkGrabFrameWithTimeout(int handle, uint32_t* token, int timeoutMs);

/* Returns the raw sensor data of a held frame (valid until SdkReleaseFrame) and fills
 * info: width, height, rawFormat and pixelFormat (both the sensor format), frame number,
 * time stamp, exposure, gain and data size. The sensor format keeps the camera's depth:
 * MONO8 or BAYER_RG8 (width * height bytes), or MONO10/12/16, BAYER_RG10/12/16
 * (width * height 16-bit little-endian words, the value in the low bits; dataSize =
 * width * height * 2). Returns NULL for an invalid handle, a token not held or a null
 * info. */
VEXO_SDK_API BYTE* SdkGetRawImage(int handle, uint32_t token, VexoImageInfo* info);

/* Converts raw data of a held frame (from SdkGetRawImage, with its info) into the output
 * format chosen with SdkSetOutputFormat, applying every image parameter. out must hold
 * width * height * bytes-per-pixel of that format (4 bytes per pixel is always enough).
 * On success info->pixelFormat and info->dataSize describe the output; info->rawFormat
 * still names the frame's own format (and so its depth).
 * Frames deeper than 8 bits give the 8-bit outputs (RGB8, BGR8, BGRA8, MONO8) from their
 * top eight bits, value >> (depth - 8), then every image parameter as for an 8-bit frame.
 * See SdkSetOutputFormat for MONO16.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT, INVALID_FRAME (raw not held), WRONG_MODE
 * (MONO16 output and a colour mosaic frame; nothing is written). */
VEXO_SDK_API int SdkProcessImage(int handle, VexoImageInfo* info, BYTE* raw, BYTE* out);

/* Like SdkProcessImage, but into pixelFormat (an output format SdkSetOutputFormat takes)
 * for this call only: the handle's output format stays as it is. For a part of a program
 * that needs its own format without changing the one other parts of it rely on.
 * Returns as SdkProcessImage; INVALID_ARGUMENT also for a format that is no output format,
 * WRONG_MODE for MONO16 and a colour mosaic frame. */
VEXO_SDK_API int SdkProcessImageAs(int handle, VexoImageInfo* info, BYTE* raw, BYTE* out,
                                   uint32_t pixelFormat);

/* Finishing step after SdkProcessImage: the conversion already applies every setting,
 * so this checks that buffer and info describe a processed image.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT. */
VEXO_SDK_API int SdkPostProcessImage(int handle, BYTE* buffer, VexoImageInfo* info);

/* Gives a held frame back to the ring. Returns OK, INVALID_HANDLE, INVALID_FRAME. */
VEXO_SDK_API int SdkReleaseFrame(int handle, uint32_t token);

/* Frame counters since the camera was opened. Returns OK, INVALID_HANDLE, INVALID_ARGUMENT. */
VEXO_SDK_API int SdkGetFrameStatistics(int handle, VexoFrameStatistics* statistics);

/* Stream statistics since the camera was opened: frames received, lost and incomplete,
 * buffer underruns, network packets missing and resent, image bytes (see the record).
 * Never waits for the camera: a camera busy with a setting reports what its stream
 * counted last. Returns OK, INVALID_HANDLE, INVALID_ARGUMENT (statistics null). */
VEXO_SDK_API int SdkGetStreamStatistics(int handle, VexoStreamStatistics* statistics);

/* Whether the way this PC receives the camera's stream costs frames or CPU, and the
 * figures behind it (see the record); all zero for cameras whose stream needs no set-up
 * (USB, simulated). Never waits for the camera. Returns OK, INVALID_HANDLE,
 * INVALID_ARGUMENT (advice null). */
VEXO_SDK_API int SdkGetStreamAdvice(int handle, VexoStreamAdvice* advice);

/* Output format of SdkProcessImage: VEXO_SDK_PIXEL_RGB8 (default), _BGR8, _BGRA8, _MONO8,
 * or _MONO16 for grey frames.
 * MONO16 is for measurement: 16-bit little-endian words holding the frame's own values
 * moved up to fill 16 bits, out = value << (16 - depth) with the depth of info->rawFormat
 * (a 12-bit value v gives v * 16, so 4095 gives 65520; an 8-bit frame gives v * 256); the
 * native value is out >> (16 - depth). The mirrors apply (the region is the frame's own).
 * Gamma, contrast, the lookup tables (gamma / contrast mode and preset tables),
 * sharpening, defect pixel correction and crosshairs are not applied, since they would
 * change what is measured; white balance, saturation and monochrome concern colour only.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT (format not offered; MONO16 while the
 * camera's image format is a colour mosaic: choose a grey image format first). */
VEXO_SDK_API int SdkSetOutputFormat(int handle, uint32_t pixelFormat);

/* Writes a processed image (buffer described by info: width, height, pixelFormat) to
 * baseName plus ".jpg", ".bmp", ".png" or ".tif" for typeCode 1, 2, 8, 16 (VEXO_SDK_FILE_...).
 * quality 1 .. 100 (JPEG). A MONO16 image makes a 16-bit grey PNG or TIFF with the
 * buffer's values; JPG and BMP cannot hold 16 bits and give INVALID_ARGUMENT.
 * The file appears complete or not at all, and never replaces anything: when the name is
 * taken nothing is written (pick another name and call again). Of several callers saving
 * to one name at the same time exactly one gets OK. A MONO8 image, and on a mono camera an
 * image whose every pixel is grey, makes an 8-bit grey file (BMP with a grey palette, PNG
 * grey, JPEG with one component); anything coloured in it keeps the file 24-bit.
 * Like every path of this interface, baseName ends at its first NUL byte: a caller whose
 * text may hold one must refuse it before, or the file gets the name before the NUL.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT (no buffer or record, an empty baseName,
 * an unknown type code, MONO16 as JPG or BMP),
 * OUT_OF_RANGE (quality), FILE_EXISTS (a file or symbolic link of that name exists
 * already), WRONG_PATH (a folder, FIFO or device has the name, or baseName ends with a
 * path separator and so names no file), FAILED (cannot write, for example the folder is
 * missing). */
VEXO_SDK_API int SdkSaveImageFile(int handle, const char* baseName, BYTE* buffer,
                                  const VexoImageInfo* info, int typeCode, int quality);

/* Size of the images the camera currently produces, pixels.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT. */
VEXO_SDK_API int SdkGetResolution(int handle, int* width, int* height);

/* ==== Exposure ========================================================================= */

/* mode: 0 manual, 1 automatic (exposure and gain follow the target brightness).
 * Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetExposureMode(int handle, int mode);

/* Exposure time in microseconds, within the capability range (exposure steps times the
 * step length); rounded to a whole number of steps. Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetExposureTime(int handle, double exposureUs);

/* Length of one exposure step in microseconds. Returns OK, INVALID_HANDLE, INVALID_ARGUMENT. */
VEXO_SDK_API int SdkGetExposureStepTime(int handle, double* stepUs);

/* Analog gain in thousandths of a multiple, within the capability range.
 * Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetAnalogGain(int handle, int gainMilli);

/* Mean brightness automatic exposure aims at, 0 .. 255. Returns OK, INVALID_HANDLE, OUT_OF_RANGE.
 */
VEXO_SDK_API int SdkSetTargetBrightness(int handle, int brightness);

/* Exposure time range of automatic exposure, microseconds, min <= max, inside the
 * camera's exposure range. Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetAutoExposureTimeRange(int handle, double minUs, double maxUs);

/* Gain range of automatic exposure, thousandths, min <= max, inside the gain range.
 * Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetAutoExposureGainRange(int handle, int minMilli, int maxMilli);

/* on: 1 keeps exposures in step with the mains light so no flicker bands show.
 * Returns OK, INVALID_HANDLE, OUT_OF_RANGE (not 0 or 1). */
VEXO_SDK_API int SdkSetAntiFlicker(int handle, int on);

/* frequency: 1 = 50 Hz, 2 = 60 Hz. Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetLightFrequency(int handle, int frequency);

/* ==== White balance ==================================================================== */

/* mode: 0 manual, 1 automatic. Returns OK, INVALID_HANDLE, OUT_OF_RANGE, NOT_MATCHING (mono camera
 * asked for automatic white balance). */
VEXO_SDK_API int SdkSetWhiteBalanceMode(int handle, int mode);

/* Manual gains in hundredths (100 = 1.00), each 0 .. 400. Returns OK, INVALID_HANDLE, OUT_OF_RANGE.
 */
VEXO_SDK_API int SdkSetWhiteBalanceGains(int handle, int red, int green, int blue);

/* Computes white balance gains once from the current picture and stores them as the
 * manual gains (read them back with SdkGetCameraParameters). Without a colour frame to
 * measure (stopped, or a mono image format) the camera takes one colour exposure for it,
 * pausing the stream for that moment.
 * Returns OK, INVALID_HANDLE, NOT_MATCHING (mono camera), DETACHED, FAILED. */
VEXO_SDK_API int SdkOneTouchWhiteBalance(int handle);

/* ==== Image processing ================================================================= */

/* speed: 0 low, 1 medium, 2 high (sets the sensor readout rate). Returns OK, INVALID_HANDLE,
 * OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetFrameSpeed(int handle, int speed);
/* contrast 0 .. 100 (50 neutral). Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetContrast(int handle, int contrast);
/* sharpness 0 (off) .. 100. Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetSharpness(int handle, int sharpness);
/* saturation 0 (grey) .. 255; 100 neutral, stronger saturation levels off above 200.
 * Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetSaturation(int handle, int saturation);
/* direction 0 horizontal, 1 vertical; on 0 or 1. Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetMirror(int handle, int direction, int on);
/* on 0 or 1. Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetMonochrome(int handle, int on);
/* on 0 or 1. Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetDefectPixelCorrection(int handle, int on);

/* ==== Crosshairs ======================================================================= */

/* Crosshair index 0 .. 8 at (x, y) in image pixels (0 .. 65535), colour packed as
 * red + green * 256 + blue * 65536, enabled 0 or 1.
 * Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetCrosshair(int handle, int index, int x, int y, uint32_t colour, int enabled);
/* Reads crosshair index 0 .. 8; every pointer must be non-null.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT, OUT_OF_RANGE. */
VEXO_SDK_API int SdkGetCrosshair(int handle, int index, int* x, int* y, uint32_t* colour,
                                 int* enabled);

/* ==== Lookup tables ==================================================================== */

/* mode: 0 gamma and contrast, 1 preset table. Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetLutMode(int handle, int mode);
VEXO_SDK_API int SdkGetLutMode(int handle, int* mode);
/* gamma in hundredths, 1 .. 1000 (100 = 1.0). Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetGamma(int handle, int gamma);
VEXO_SDK_API int SdkGetGamma(int handle, int* gamma);
/* lookup table contrast in hundredths, 0 .. 200 (100 neutral). Returns OK, INVALID_HANDLE,
 * OUT_OF_RANGE. */
VEXO_SDK_API int SdkSetLutContrast(int handle, int contrast);
VEXO_SDK_API int SdkGetLutContrast(int handle, int* contrast);
/* identifier of a preset table from the capability record. Returns OK, INVALID_HANDLE,
 * OUT_OF_RANGE. */
VEXO_SDK_API int SdkSelectPresetLut(int handle, int identifier);
VEXO_SDK_API int SdkGetPresetLut(int handle, int* identifier);
/* (The getters above return OK, INVALID_HANDLE, INVALID_ARGUMENT.) */

/* ==== Image format and resolution ====================================================== */

/* formatId of an entry of the capability record's image formats (sensor data format).
 * Returns OK, INVALID_HANDLE, OUT_OF_RANGE (format not offered). */
VEXO_SDK_API int SdkSetImageFormat(int handle, uint32_t formatId);
VEXO_SDK_API int SdkGetImageFormat(int handle, uint32_t* formatId);

/* Selects preset resolution index 0 .. count - 1. Returns OK, INVALID_HANDLE, OUT_OF_RANGE. */
VEXO_SDK_API int SdkSelectPresetResolution(int handle, int index);

/* Applies a descriptor: a preset index applies that preset, VEXO_SDK_CUSTOM_RESOLUTION
 * applies the descriptor's region as SdkSetRegionOfInterest does.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT, OUT_OF_RANGE. */
VEXO_SDK_API int SdkApplyResolution(int handle, const VexoResolution* resolution);

/* Applies the descriptor's region as a custom region (index becomes 0xFF). The region
 * (offsets, width, height > 0) must lie on the sensor; the output size equals the region
 * or half of it in both directions (binning).
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT (null, bad sizes), OUT_OF_RANGE (off the sensor). */
VEXO_SDK_API int SdkSetRegionOfInterest(int handle, const VexoResolution* resolution);

/* Current resolution index: a preset index or 0xFF for a custom region.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT. */
VEXO_SDK_API int SdkGetResolutionIndex(int handle, int* index);

/* Descriptor of preset `index`, or of the current custom region for 0xFF (the current
 * preset geometry when no custom region was set). A custom region's name comes back byte
 * for byte as it was set; one of 48 bytes fills the name field without a terminator.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT, OUT_OF_RANGE. */
VEXO_SDK_API int SdkGetResolutionDescriptor(int handle, int index, VexoResolution* resolution);

/* ==== Records ========================================================================== */

/* Returns OK, INVALID_HANDLE, INVALID_ARGUMENT. */
VEXO_SDK_API int SdkGetCameraParameters(int handle, VexoCameraParameters* parameters);
/* The arrays stay valid until the camera is closed. Returns OK, INVALID_HANDLE, INVALID_ARGUMENT.
 */
VEXO_SDK_API int SdkGetCapabilities(int handle, VexoCapabilities* capabilities);

/* ==== Trigger and I/O lines ============================================================ */
/* Getters return OK, INVALID_HANDLE, INVALID_ARGUMENT (null pointer) and, for lines,
 * OUT_OF_RANGE. Setters return OK, INVALID_HANDLE, OUT_OF_RANGE. Lines count from 0 up to
 * the capability record's line counts. */

/* mode: 0 continuous, 1 software trigger, 2 hardware trigger (needs an input line).
 * Returns OK, INVALID_HANDLE, OUT_OF_RANGE, NOT_MATCHING (a camera without triggers). */
VEXO_SDK_API int SdkSetTriggerMode(int handle, int mode);
VEXO_SDK_API int SdkGetTriggerMode(int handle, int* mode);
/* Software trigger: the camera delivers the trigger frame count after the trigger delay.
 * Triggers not yet served wait in a bounded queue (64); stopping acquisition empties it.
 * Returns OK, INVALID_HANDLE, WRONG_MODE (not in software trigger mode), NOT_STARTED,
 * DETACHED, BUSY (the queue is full). */
VEXO_SDK_API int SdkSoftwareTriggerOnce(int handle);
/* frames per trigger, 1 .. 1000. */
VEXO_SDK_API int SdkSetTriggerFrameCount(int handle, int frames);
VEXO_SDK_API int SdkGetTriggerFrameCount(int handle, int* frames);
/* delay between trigger and exposure, microseconds, 0 .. 10 000 000. */
VEXO_SDK_API int SdkSetTriggerDelay(int handle, int delayUs);
VEXO_SDK_API int SdkGetTriggerDelay(int handle, int* delayUs);

/* input line mode: 0 trigger input, 1 plain input. */
VEXO_SDK_API int SdkSetInputMode(int handle, int line, int mode);
VEXO_SDK_API int SdkGetInputMode(int handle, int line, int* mode);
/* trigger edge: 0 rising, 1 falling, 2 high level, 3 low level. */
VEXO_SDK_API int SdkSetInputTriggerEdge(int handle, int line, int edge);
VEXO_SDK_API int SdkGetInputTriggerEdge(int handle, int line, int* edge);
/* input debounce time, microseconds. */
VEXO_SDK_API int SdkGetInputDebounceTime(int handle, int line, int* debounceUs);

/* output line mode: 0 strobe, 1 plain output, 2 PWM. */
VEXO_SDK_API int SdkSetOutputMode(int handle, int line, int mode);
VEXO_SDK_API int SdkGetOutputMode(int handle, int line, int* mode);
/* strobe mode: 0 automatic (follows exposure), 1 semi-automatic (delay and pulse width). */
VEXO_SDK_API int SdkSetStrobeMode(int handle, int line, int mode);
VEXO_SDK_API int SdkGetStrobeMode(int handle, int line, int* mode);
/* strobe polarity: 0 active low, 1 active high. */
VEXO_SDK_API int SdkSetStrobePolarity(int handle, int line, int polarity);
VEXO_SDK_API int SdkGetStrobePolarity(int handle, int line, int* polarity);
/* strobe delay and pulse width, microseconds. */
VEXO_SDK_API int SdkGetStrobeDelay(int handle, int line, int* delayUs);
VEXO_SDK_API int SdkGetStrobePulseWidth(int handle, int line, int* widthUs);
/* output level of a plain output line: 0 low, 1 high. */
VEXO_SDK_API int SdkSetOutputLevel(int handle, int line, int level);
VEXO_SDK_API int SdkGetOutputLevel(int handle, int line, int* level);
/* PWM period and high time, microseconds. */
VEXO_SDK_API int SdkGetPwmParameters(int handle, int line, int* periodUs, int* highUs);

/* ==== Transport and extended parameters ================================================ */

/* GigE packet size in bytes, 576 .. 9000. Returns OK, INVALID_HANDLE, OUT_OF_RANGE,
 * NOT_MATCHING (USB camera). */
VEXO_SDK_API int SdkSetPacketSize(int handle, int bytes);
VEXO_SDK_API int SdkGetPacketSize(int handle, int* bytes);
/* GigE inter-packet delay, microseconds, 0 .. 100 000. Same results as SdkSetPacketSize. */
VEXO_SDK_API int SdkSetPacketInterval(int handle, int intervalUs);
VEXO_SDK_API int SdkGetPacketInterval(int handle, int* intervalUs);

/* Extended parameters by identifier (VEXO_SDK_EXT_...). Channel mask: bits of existing
 * channels only. Focus position: between focus minimum and maximum.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT (value null), OUT_OF_RANGE (value),
 * NOT_MATCHING (the camera lacks the feature, unknown identifier or read-only identifier
 * on set). */
VEXO_SDK_API int SdkSetExtendedParameter(int handle, int id, int value);
VEXO_SDK_API int SdkGetExtendedParameter(int handle, int id, int* value);

/* ==== Parameter groups and files ======================================================= */

/* Saves every current parameter into user group 0 .. 3 (A .. D) of the camera's memory,
 * filed under the key the load mode chooses (any nickname the camera accepts works as a
 * key); the camera starts with that group when it is opened next. Region names are kept
 * byte for byte. Returns OK, INVALID_HANDLE, OUT_OF_RANGE, FAILED (the group or the choice
 * of the start group cannot be stored; the group keeps its earlier content and the
 * current group does not change). */
VEXO_SDK_API int SdkSaveParameterGroup(int handle, int group);
/* Loads user group 0 .. 3, or the factory defaults with VEXO_SDK_FACTORY_GROUP, and makes
 * it the group the camera starts with.
 * Returns OK, INVALID_HANDLE, OUT_OF_RANGE, EMPTY_GROUP (nothing saved there; nothing
 * changes), FILE_CORRUPT (the stored group is damaged or incomplete; nothing changes),
 * FAILED (the choice of the start group cannot be stored; nothing changes). */
VEXO_SDK_API int SdkLoadParameterGroup(int handle, int group);
/* The group last loaded or saved (0 .. 3, or 0xFF). Returns OK, INVALID_HANDLE, INVALID_ARGUMENT.
 */
VEXO_SDK_API int SdkGetCurrentParameterGroup(int handle, int* group);
/* Key the groups are filed under: 0 model (cameras of one model share groups), 1 nickname,
 * 2 serial number (identifier). Persists. Returns OK, INVALID_HANDLE, OUT_OF_RANGE, FAILED. */
VEXO_SDK_API int SdkSetParameterLoadMode(int handle, int mode);
VEXO_SDK_API int SdkGetParameterLoadMode(int handle, int* mode);
/* Writes every current parameter to a parameter file (format in sdk/src/ParameterFile.h),
 * replacing an existing file atomically; the replaced file's permissions are kept, a file
 * the user cannot write is not replaced. A symbolic link is followed; a folder, FIFO or
 * device at the path (or at the link's end) is never replaced and nothing is written.
 * A write that is cut short (the process killed) leaves at most a hidden temporary file,
 * removed by the next write into that folder.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT (no path), WRONG_PATH (folder missing, or
 * the path is a folder, FIFO or device), FAILED. */
VEXO_SDK_API int SdkExportParameterFile(int handle, const char* path);
/* Loads a parameter file; on any error nothing changes. Returns OK, INVALID_HANDLE,
 * INVALID_ARGUMENT, WRONG_PATH (missing or unreadable), FILE_FOREIGN, FILE_TRUNCATED,
 * FILE_CORRUPT (checksum, a value out of range or a parameter missing), NOT_MATCHING (file
 * of another camera model). */
VEXO_SDK_API int SdkImportParameterFile(int handle, const char* path);

/* ==== Nickname, network configuration, firmware ======================================== */

/* Sets the camera's nickname (at most VEXO_SDK_NICKNAME_MAX_LENGTH bytes, may be empty);
 * it persists and every process sees it at its next enumeration.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT (null), OUT_OF_RANGE (too long), FAILED. */
VEXO_SDK_API int SdkSetDeviceNickname(int handle, const char* nickname);

/* Network configuration of the attached GigE camera with the given identifier, open or
 * not. A stored configuration that breaks the address rules of SdkSetNetworkConfig is
 * ignored (the camera's default configuration is reported).
 * Returns OK, INVALID_ARGUMENT, NOT_FOUND (no such camera, or it is unplugged),
 * NOT_MATCHING (USB camera). */
VEXO_SDK_API int SdkGetNetworkConfig(const char* identifier, VexoNetworkConfig* config);
/* Writes mode, address, mask and gateway of an attached GigE camera; persists.
 * Returns OK, INVALID_ARGUMENT (malformed address, invalid mask, gateway outside the
 * subnet), NOT_FOUND (no such camera, or it is unplugged), NOT_MATCHING (USB camera),
 * OPEN_ELSEWHERE, FAILED (cannot store). */
VEXO_SDK_API int SdkSetNetworkConfig(const char* identifier, const VexoNetworkConfig* config);

/* Writes a firmware upgrade file (format in sdk/src/FirmwareFile.h, images of 1 byte to
 * 64 MiB) into the camera, calling progress(percent 0 .. 100, context) from a library
 * thread over about two seconds; progress may be NULL. On success the new firmware
 * version persists. The file is checked block by block, never held in memory whole.
 * Returns OK, INVALID_HANDLE, WRONG_PATH (-22, no such readable file), NOT_MATCHING (-4,
 * file for another product, damaged, empty or oversized image, not an upgrade file; also
 * any too-large file), FAILED (-1, the camera was unplugged during the upgrade; the old
 * firmware stays). Closing the handle meanwhile (from another thread or from progress)
 * does not interrupt the write: the camera stays locked, for this and every other
 * process, until the upgrade has ended. */
VEXO_SDK_API int SdkUpgradeFirmware(int handle, const char* path,
                                    VexoUpgradeProgressCallback progress, void* context);

/* ==== Camera features ================================================================== */
/* Every setting the camera itself offers, by name: for GenICam cameras the features of
 * their description (their SFNC and vendor names), for simulated cameras the settings
 * the library holds for them, which go through the same checks as the operations above
 * (so both always show the same value). Values travel as text:
 *   integer      decimal ("1920")          float    decimal ("10000.5")
 *   enumeration  the entry's name ("Mono8") boolean  "true" / "false" (also "1" / "0")
 *   string       the text itself           command  no value (SdkExecuteFeature)
 * reason buffers are VEXO_SDK_FEATURE_REASON_SIZE bytes; on a refused write they receive
 * the camera's (or the library's) own words, on success an empty text. They are the one
 * output written when a call fails. */

/* Takes a snapshot of the camera's feature list for SdkGetFeatureInfo and
 * SdkGetFeatureEntry, in the order of the camera's description (categories depth first;
 * this is also the order in which settings are best applied).
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT (count null), DETACHED. */
VEXO_SDK_API int SdkGetFeatureCount(int handle, int* count);

/* Fills the description of feature `index` (0 .. count - 1) of the last snapshot. access
 * is what the camera said when the snapshot was taken (see SdkGetFeatureValue for now).
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT (info null), OUT_OF_RANGE (index). */
VEXO_SDK_API int SdkGetFeatureInfo(int handle, int index, VexoFeatureInfo* info);

/* Writes the name of entry `entry` (0 .. entryCount - 1) of enumeration feature `index`
 * of the last snapshot into buffer (VEXO_SDK_TEXT_BUFFER_SIZE bytes).
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT (buffer null), OUT_OF_RANGE. */
VEXO_SDK_API int SdkGetFeatureEntry(int handle, int index, int entry, char* buffer);

/* Reads the value of the named feature as text into buffer (VEXO_SDK_FEATURE_VALUE_SIZE
 * bytes) and its access now (VEXO_SDK_ACCESS_...) into *access (may be NULL). A
 * not-available feature reads as an empty text. May wait for the camera (a network
 * camera's time-out): call it off a user interface thread.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT, NOT_MATCHING (no such feature, or a
 * command), DETACHED, FAILED (the camera did not answer; nothing written). */
VEXO_SDK_API int SdkGetFeatureValue(int handle, const char* name, char* buffer, int* access);

/* Writes the named feature from text (see above). Before anything is sent the value is
 * checked against the feature's type, range and increment and its access now.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT (value not of the feature's type),
 * NOT_MATCHING (no such feature, a command, or no such enumeration entry), OUT_OF_RANGE
 * (outside minimum .. maximum or off the increment), WRONG_MODE (read-only or not
 * available now, for example locked while the camera streams; the features that change
 * the frames' size or layout, Width, Height, Binning..., Decimation... and PixelFormat,
 * are refused while acquisition runs), DETACHED, FAILED (the camera refused it). reason says why whenever the result is not OK. */
VEXO_SDK_API int SdkSetFeatureValue(int handle, const char* name, const char* value, char* reason);

/* Executes the named command feature.
 * Returns OK, INVALID_HANDLE, INVALID_ARGUMENT, NOT_MATCHING (no such command),
 * WRONG_MODE (not available now), DETACHED, FAILED; reason as for SdkSetFeatureValue. */
VEXO_SDK_API int SdkExecuteFeature(int handle, const char* name, char* reason);

#ifdef __cplusplus
}
#endif
