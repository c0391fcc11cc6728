#pragma once
/*
 * Records exchanged with the camera library (VexoCameraApi.h). Callers allocate them and
 * pass a pointer; the library fills them. Every offset a program relies on is fixed below
 * and checked at compile time; the reserved bytes belong to the library and are passed
 * back unchanged.
 */
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define VEXO_STATIC_ASSERT(condition, message) static_assert(condition, message)
#else
#define VEXO_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif

typedef unsigned char BYTE;

/* Sizes of the caller buffers for text the library writes. */
#define VEXO_SDK_TEXT_BUFFER_SIZE 128 /* name, identifier, versions, interface text */
#define VEXO_SDK_NICKNAME_MAX_LENGTH 127 /* bytes, without the terminating NUL */
#define VEXO_SDK_IDENTIFIER_MAX_LENGTH 35 /* bytes, without the terminating NUL */

/* Device information record: one attached camera (SdkGetDeviceInfo). */
typedef struct VexoDeviceInfo {
    char productSeries[32];    /*   0 */
    char productName[32];      /*  32 */
    char deviceName[192];      /*  64 nickname, local 8-bit encoding */
    char editionText[32];      /* 256 edition text; driver version in the parameter record */
    char sensorText[32];       /* 288 */
    char interfaceText[36];    /* 320 contains "GigE" for network cameras */
    char cameraIdentifier[36]; /* 356 ASCII key of the camera */
    uint16_t firmwareVersion;  /* 392 four 4-bit parts, most significant first */
    uint16_t reserved394;
    uint32_t deviceTypeCode;   /* 396 */
    BYTE reserved400[196];
    int32_t opened;            /* 596 1 while the camera is open in any process */
} VexoDeviceInfo;

VEXO_STATIC_ASSERT(sizeof(VexoDeviceInfo) == 600, "device information record is 600 bytes");
VEXO_STATIC_ASSERT(offsetof(VexoDeviceInfo, productSeries) == 0, "product series");
VEXO_STATIC_ASSERT(offsetof(VexoDeviceInfo, productName) == 32, "product name");
VEXO_STATIC_ASSERT(offsetof(VexoDeviceInfo, deviceName) == 64, "device name");
VEXO_STATIC_ASSERT(offsetof(VexoDeviceInfo, editionText) == 256, "edition text");
VEXO_STATIC_ASSERT(offsetof(VexoDeviceInfo, sensorText) == 288, "sensor text");
VEXO_STATIC_ASSERT(offsetof(VexoDeviceInfo, interfaceText) == 320, "interface text");
VEXO_STATIC_ASSERT(offsetof(VexoDeviceInfo, cameraIdentifier) == 356, "camera identifier");
VEXO_STATIC_ASSERT(offsetof(VexoDeviceInfo, firmwareVersion) == 392, "firmware version");
VEXO_STATIC_ASSERT(offsetof(VexoDeviceInfo, opened) == 596, "opened flag");

/* Image information record of one frame (SdkGetRawImage, SdkProcessImage). */
typedef struct VexoImageInfo {
    int32_t width;          /*  0 pixels */
    int32_t height;         /*  4 pixels */
    int32_t rawFormat;      /*  8 pixel format of the sensor data the frame came from */
    uint32_t pixelFormat;   /* 12 format of the data described: raw before, output after processing */
    int32_t frameNumber;    /* 16 the camera's running frame number (low 32 bits) */
    int32_t timestampMs;    /* 20 exposure start, milliseconds since acquisition start */
    int32_t exposureUs;     /* 24 exposure time of the frame, microseconds */
    int32_t analogGainMilli; /* 28 analog gain of the frame, thousandths */
    int32_t dataSize;       /* 32 bytes of the data described */
    int32_t reserved36;
} VexoImageInfo;
/* The name the programs register the record under. */
typedef VexoImageInfo stImageInfo;

VEXO_STATIC_ASSERT(sizeof(VexoImageInfo) == 40, "image information record is 40 bytes");
VEXO_STATIC_ASSERT(offsetof(VexoImageInfo, width) == 0, "width");
VEXO_STATIC_ASSERT(offsetof(VexoImageInfo, height) == 4, "height");
VEXO_STATIC_ASSERT(offsetof(VexoImageInfo, pixelFormat) == 12, "pixel format");

/* Network configuration of a GigE camera (SdkGetNetworkConfig, SdkSetNetworkConfig).
 * Addresses are NUL-terminated dotted-decimal text. */
typedef struct VexoNetworkConfig {
    char cameraIdentifier[36];  /*   0 */
    BYTE reserved36[28];
    char interfaceAddress[16];  /*  64 PC interface the camera is seen through */
    char interfaceMask[16];     /*  80 */
    char interfaceName[16];     /*  96 */
    int32_t addressMode;        /* 112 0 DHCP, 1 static */
    char ipAddress[16];         /* 116 */
    char subnetMask[16];        /* 132 */
    char gateway[16];           /* 148 */
    uint8_t macAddress[6];      /* 164 */
    BYTE reserved170[2];
} VexoNetworkConfig;

VEXO_STATIC_ASSERT(sizeof(VexoNetworkConfig) == 172, "network configuration record is 172 bytes");
VEXO_STATIC_ASSERT(offsetof(VexoNetworkConfig, interfaceAddress) == 64, "interface address");
VEXO_STATIC_ASSERT(offsetof(VexoNetworkConfig, interfaceMask) == 80, "interface mask");
VEXO_STATIC_ASSERT(offsetof(VexoNetworkConfig, addressMode) == 112, "address mode");
VEXO_STATIC_ASSERT(offsetof(VexoNetworkConfig, ipAddress) == 116, "ip address");
VEXO_STATIC_ASSERT(offsetof(VexoNetworkConfig, subnetMask) == 132, "subnet mask");
VEXO_STATIC_ASSERT(offsetof(VexoNetworkConfig, gateway) == 148, "gateway");
VEXO_STATIC_ASSERT(offsetof(VexoNetworkConfig, macAddress) == 164, "mac address");

/* Current parameters of an open camera (SdkGetCameraParameters). The first 600 bytes
 * are laid out as the device information record; there editionText holds the driver
 * version and interfaceText the communication type. */
typedef struct VexoCameraParameters {
    VexoDeviceInfo device;          /*   0 */
    int32_t exposureMode;           /* 600 1 automatic */
    int32_t triggerMode;            /* 604 0 continuous, 1 software, 2 hardware */
    double exposureTimeUs;          /* 608 */
    int32_t analogGainMilli;        /* 616 */
    int32_t targetBrightness;       /* 620 */
    int32_t reserved624[2];
    double autoExposureMinTimeUs;   /* 632 */
    double autoExposureMaxTimeUs;   /* 640 */
    int32_t autoExposureMinGainMilli; /* 648 */
    int32_t autoExposureMaxGainMilli; /* 652 */
    int32_t antiFlicker;            /* 656 1 on */
    int32_t lightFrequency;         /* 660 1 50 Hz, 2 60 Hz */
    int32_t reserved664[4];
    int32_t whiteBalanceMode;       /* 680 1 automatic */
    uint32_t redGain;               /* 684 hundredths */
    uint32_t greenGain;             /* 688 hundredths */
    uint32_t blueGain;              /* 692 hundredths */
    int32_t reserved696[16];
    int32_t frameSpeed;             /* 760 0 low, 1 medium, 2 high */
    int32_t sharpness;              /* 764 */
    int32_t saturation;             /* 768 */
    int32_t contrast;               /* 772 */
    int32_t reserved776[11];
    int32_t mirrorHorizontal;       /* 820 1 on */
    int32_t mirrorVertical;         /* 824 1 on */
    int32_t monochrome;             /* 828 1 on */
    int32_t reserved832;
    uint8_t defectPixelCorrection;  /* 836 1 on */
    uint8_t reserved837[3];
} VexoCameraParameters;

VEXO_STATIC_ASSERT(sizeof(VexoCameraParameters) == 840, "camera parameter record is 840 bytes");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, exposureMode) == 600, "exposure mode");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, exposureTimeUs) == 608, "exposure time");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, analogGainMilli) == 616, "analog gain");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, targetBrightness) == 620, "target brightness");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, autoExposureMinTimeUs) == 632, "ae min time");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, autoExposureMaxTimeUs) == 640, "ae max time");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, autoExposureMinGainMilli) == 648, "ae min gain");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, autoExposureMaxGainMilli) == 652, "ae max gain");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, antiFlicker) == 656, "anti-flicker");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, lightFrequency) == 660, "light frequency");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, whiteBalanceMode) == 680, "white balance mode");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, redGain) == 684, "red gain");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, greenGain) == 688, "green gain");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, blueGain) == 692, "blue gain");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, frameSpeed) == 760, "frame speed");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, sharpness) == 764, "sharpness");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, saturation) == 768, "saturation");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, contrast) == 772, "contrast");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, mirrorHorizontal) == 820, "horizontal mirror");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, mirrorVertical) == 824, "vertical mirror");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, monochrome) == 828, "monochrome");
VEXO_STATIC_ASSERT(offsetof(VexoCameraParameters, defectPixelCorrection) == 836, "defect correction");

/* Resolution descriptor: a preset or a custom region (index VEXO_SDK_CUSTOM_RESOLUTION). */
typedef struct VexoResolution {
    int32_t index;          /*  0 preset index, or 0xFF for a custom region */
    char name[48];          /*  4 Latin-1; NUL-terminated unless the name fills all 48 bytes */
    int32_t offsetX;        /* 52 horizontal offset on the sensor, pixels */
    int32_t offsetY;        /* 56 vertical offset */
    int32_t regionWidth;    /* 60 */
    int32_t regionHeight;   /* 64 */
    int32_t outputWidth;    /* 68 equals the region, or half of it when binning 2x2 */
    int32_t outputHeight;   /* 72 */
    int32_t binning;        /* 76 1 none, 2 two by two; follows from region and output sizes */
    int32_t reserved80[3];
} VexoResolution;

VEXO_STATIC_ASSERT(sizeof(VexoResolution) == 92, "resolution descriptor is 92 bytes");
VEXO_STATIC_ASSERT(offsetof(VexoResolution, name) == 4, "name");
VEXO_STATIC_ASSERT(offsetof(VexoResolution, offsetX) == 52, "horizontal offset");
VEXO_STATIC_ASSERT(offsetof(VexoResolution, offsetY) == 56, "vertical offset");
VEXO_STATIC_ASSERT(offsetof(VexoResolution, regionWidth) == 60, "region width");
VEXO_STATIC_ASSERT(offsetof(VexoResolution, regionHeight) == 64, "region height");
VEXO_STATIC_ASSERT(offsetof(VexoResolution, outputWidth) == 68, "output width");
VEXO_STATIC_ASSERT(offsetof(VexoResolution, outputHeight) == 72, "output height");

/* Image format entry of the capability record. */
typedef struct VexoImageFormat {
    int32_t index;          /*  0 */
    char name[32];          /*  4 Latin-1 */
    uint32_t formatId;      /* 36 pixel format code of the sensor data */
} VexoImageFormat;

VEXO_STATIC_ASSERT(sizeof(VexoImageFormat) == 40, "image format entry is 40 bytes");
VEXO_STATIC_ASSERT(offsetof(VexoImageFormat, name) == 4, "format name");
VEXO_STATIC_ASSERT(offsetof(VexoImageFormat, formatId) == 36, "format identifier");

/* Preset lookup table entry of the capability record. */
typedef struct VexoPresetLut {
    int32_t identifier;     /* 0 */
    char name[32];          /* 4 local 8-bit encoding */
} VexoPresetLut;

VEXO_STATIC_ASSERT(sizeof(VexoPresetLut) == 36, "preset lookup table entry is 36 bytes");
VEXO_STATIC_ASSERT(offsetof(VexoPresetLut, name) == 4, "lookup table name");

/* What a camera can do (SdkGetCapabilities). The arrays belong to the library and stay
 * valid until the camera is closed. Pointers take their natural size, so the offsets
 * below hold as listed only where pointers are 4 bytes. */
typedef struct VexoCapabilities {
    int32_t sensorWidth;            /*   0 pixels */
    int32_t sensorHeight;           /*   4 */
    int32_t colorSensor;            /*   8 1 Bayer colour, 0 monochrome */
    int32_t reserved12[29];
    VexoResolution* resolutions;    /* 128 */
    int32_t resolutionCount;        /* 132 */
    int32_t reserved136[2];
    VexoImageFormat* imageFormats;  /* 144 */
    int32_t imageFormatCount;       /* 148 */
    int32_t reserved152[6];
    int32_t outputLineCount;        /* 176 */
    int32_t inputLineCount;         /* 180 */
    VexoPresetLut* presetLuts;      /* 184 */
    int32_t presetLutCount;         /* 188 */
    int32_t reserved192[12];
    int32_t analogGainMinMilli;     /* 240 */
    int32_t analogGainMaxMilli;     /* 244 */
    int32_t exposureMinSteps;       /* 248 exposure steps, see SdkGetExposureStepTime */
    int32_t exposureMaxSteps;       /* 252 */
    int32_t reserved256[24];
} VexoCapabilities;

#if UINTPTR_MAX == 0xFFFFFFFFu
VEXO_STATIC_ASSERT(sizeof(VexoCapabilities) <= 384, "capability record is at most 384 bytes");
VEXO_STATIC_ASSERT(offsetof(VexoCapabilities, resolutions) == 128, "resolutions");
VEXO_STATIC_ASSERT(offsetof(VexoCapabilities, resolutionCount) == 132, "resolution count");
VEXO_STATIC_ASSERT(offsetof(VexoCapabilities, imageFormats) == 144, "image formats");
VEXO_STATIC_ASSERT(offsetof(VexoCapabilities, imageFormatCount) == 148, "image format count");
VEXO_STATIC_ASSERT(offsetof(VexoCapabilities, outputLineCount) == 176, "output lines");
VEXO_STATIC_ASSERT(offsetof(VexoCapabilities, inputLineCount) == 180, "input lines");
VEXO_STATIC_ASSERT(offsetof(VexoCapabilities, presetLuts) == 184, "preset lookup tables");
VEXO_STATIC_ASSERT(offsetof(VexoCapabilities, presetLutCount) == 188, "lookup table count");
VEXO_STATIC_ASSERT(offsetof(VexoCapabilities, analogGainMinMilli) == 240, "gain minimum");
VEXO_STATIC_ASSERT(offsetof(VexoCapabilities, analogGainMaxMilli) == 244, "gain maximum");
VEXO_STATIC_ASSERT(offsetof(VexoCapabilities, exposureMinSteps) == 248, "exposure minimum");
VEXO_STATIC_ASSERT(offsetof(VexoCapabilities, exposureMaxSteps) == 252, "exposure maximum");
#endif

/* Frame statistics (SdkGetFrameStatistics). */
typedef struct VexoFrameStatistics {
    uint32_t lostFrames;      /* frames the camera delivered that no one took before they were overwritten */
    uint32_t deliveredFrames; /* running count of frames the camera delivered */
} VexoFrameStatistics;

VEXO_STATIC_ASSERT(sizeof(VexoFrameStatistics) == 8, "frame statistics record is two words");
VEXO_STATIC_ASSERT(offsetof(VexoFrameStatistics, deliveredFrames) == 4, "delivered frames");

/* Camera features (SdkGetFeatureInfo). */
#define VEXO_SDK_FEATURE_VALUE_SIZE 256  /* value text buffers of SdkGetFeatureValue */
#define VEXO_SDK_FEATURE_REASON_SIZE 256 /* reason buffers of the feature writes */

#define VEXO_SDK_FEATURE_INTEGER 1
#define VEXO_SDK_FEATURE_FLOAT 2
#define VEXO_SDK_FEATURE_ENUMERATION 3
#define VEXO_SDK_FEATURE_BOOLEAN 4
#define VEXO_SDK_FEATURE_COMMAND 5
#define VEXO_SDK_FEATURE_STRING 6

#define VEXO_SDK_ACCESS_NOT_AVAILABLE 0
#define VEXO_SDK_ACCESS_READ_ONLY 1
#define VEXO_SDK_ACCESS_READ_WRITE 2

#define VEXO_SDK_VISIBILITY_BEGINNER 0
#define VEXO_SDK_VISIBILITY_EXPERT 1
#define VEXO_SDK_VISIBILITY_GURU 2

/* One feature of a camera. Texts are UTF-8, NUL-terminated (cut at a character
 * boundary when longer). */
typedef struct VexoFeatureInfo {
    char name[64];          /*    0 the name values are read and written by */
    char displayName[128];  /*   64 */
    char category[256];     /*  192 category path, parts separated by '/' */
    char description[512];  /*  448 */
    char unit[32];          /*  960 */
    int32_t type;           /*  992 VEXO_SDK_FEATURE_... */
    int32_t access;         /*  996 VEXO_SDK_ACCESS_... */
    int32_t visibility;     /* 1000 VEXO_SDK_VISIBILITY_... */
    int32_t entryCount;     /* 1004 enumeration entries (SdkGetFeatureEntry) */
    double minimum;         /* 1008 integer and float features */
    double maximum;         /* 1016 */
    double increment;       /* 1024 0 when any value in the range goes */
} VexoFeatureInfo;

VEXO_STATIC_ASSERT(sizeof(VexoFeatureInfo) == 1032, "feature record is 1032 bytes");
VEXO_STATIC_ASSERT(offsetof(VexoFeatureInfo, type) == 992, "feature type");
VEXO_STATIC_ASSERT(offsetof(VexoFeatureInfo, minimum) == 1008, "feature minimum");

/* Stream statistics of an open camera since it was opened (SdkGetStreamStatistics). Counters
 * only grow (until the handle closes); rates follow from two readings. */
typedef struct VexoStreamStatistics {
    uint64_t framesReceived;   /*  0 frames that arrived complete in the library's buffers */
    uint64_t framesLost;       /*  8 frames never handed out: the lostFrames of SdkGetFrameStatistics */
    uint64_t framesIncomplete; /* 16 frames that arrived with data missing (counted lost too) */
    uint64_t bufferUnderruns;  /* 24 frames with no free buffer: in the camera's stream or the
                                     library's (counted lost too) */
    uint64_t packetsMissing;   /* 32 GigE Vision packets that never arrived (0 for other cameras) */
    uint64_t packetsResent;    /* 40 GigE Vision packets the camera sent again on request */
    uint64_t bytesReceived;    /* 48 image bytes as the camera sent them */
} VexoStreamStatistics;

VEXO_STATIC_ASSERT(sizeof(VexoStreamStatistics) == 56, "stream statistics record is 56 bytes");
VEXO_STATIC_ASSERT(offsetof(VexoStreamStatistics, bytesReceived) == 48, "bytes received");

/* How the PC receives a camera's stream, where that costs frames or CPU
 * (SdkGetStreamAdvice). flags: */
#define VEXO_SDK_STREAM_UDP_SOCKET 0x1u          /* a GigE Vision stream goes through an ordinary
                                                    UDP socket: the program may not open a packet
                                                    socket (it lacks CAP_NET_RAW), which costs
                                                    more CPU per packet */
#define VEXO_SDK_STREAM_SMALL_SOCKET_BUFFER 0x2u /* ... and the system's limit on socket receive
                                                    buffers (net.core.rmem_max) is below one frame,
                                                    so a busy PC loses packets */
typedef struct VexoStreamAdvice {
    uint32_t flags;             /*  0 VEXO_SDK_STREAM_..., 0 when nothing needs saying */
    uint32_t reserved;          /*  4 0 */
    uint64_t socketBufferLimit; /*  8 the system's receive buffer limit in bytes (GigE only) */
    uint64_t frameBytes;        /* 16 bytes of one frame as the camera sends it (GigE only) */
} VexoStreamAdvice;

VEXO_STATIC_ASSERT(sizeof(VexoStreamAdvice) == 24, "stream advice record is 24 bytes");
VEXO_STATIC_ASSERT(offsetof(VexoStreamAdvice, frameBytes) == 16, "stream advice frame bytes");
