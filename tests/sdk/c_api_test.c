/* Drives the camera library from plain C through its public header only: if the header
 * stops being valid C, or the records stop matching their documented layout, this
 * program no longer builds or fails. */
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "VexoCameraApi.h"

static int failures = 0;

#define CHECK_EQ(actual, expected)                                                          \
    do {                                                                                    \
        long long a_ = (long long)(actual), e_ = (long long)(expected);                     \
        if (a_ != e_) {                                                                     \
            fprintf(stderr, "%s:%d: %s is %lld, expected %lld\n", __FILE__, __LINE__,       \
                    #actual, a_, e_);                                                       \
            ++failures;                                                                     \
        }                                                                                   \
    } while (0)

static void checkRecordOffsets(void)
{
    /* The programs read these fields at these byte offsets. */
    CHECK_EQ(sizeof(VexoDeviceInfo), 600);
    CHECK_EQ(offsetof(VexoDeviceInfo, cameraIdentifier), 356);
    CHECK_EQ(offsetof(VexoDeviceInfo, opened), 596);
    CHECK_EQ(sizeof(VexoImageInfo), 40);
    CHECK_EQ(sizeof(VexoNetworkConfig), 172);
    CHECK_EQ(sizeof(VexoCameraParameters), 840);
    CHECK_EQ(offsetof(VexoCameraParameters, defectPixelCorrection), 836);
    CHECK_EQ(sizeof(VexoResolution), 92);
    CHECK_EQ(sizeof(VexoFrameStatistics), 8);
}

static void checkBadInput(void)
{
    int count = 0;
    int handle = 0;
    uint32_t token = 0;
    VexoDeviceInfo info;
    char text[VEXO_SDK_TEXT_BUFFER_SIZE];

    CHECK_EQ(SdkEnumerateDevices(NULL), VEXO_SDK_INVALID_ARGUMENT);
    CHECK_EQ(SdkEnumerateDevices(&count), VEXO_SDK_OK);
    CHECK_EQ(SdkGetDeviceInfo(count, &info), VEXO_SDK_OUT_OF_RANGE);
    CHECK_EQ(SdkGetDeviceInfo(-1, &info), VEXO_SDK_OUT_OF_RANGE);
    CHECK_EQ(SdkGetDeviceInfo(0, NULL), VEXO_SDK_INVALID_ARGUMENT);
    CHECK_EQ(SdkOpenCamera(&handle, "no such camera"), VEXO_SDK_NOT_FOUND);
    CHECK_EQ(handle, 0);
    CHECK_EQ(SdkOpenCamera(NULL, "x"), VEXO_SDK_INVALID_ARGUMENT);
    CHECK_EQ(SdkOpenCamera(&handle, NULL), VEXO_SDK_INVALID_ARGUMENT);
    CHECK_EQ(SdkCloseCamera(12345), VEXO_SDK_INVALID_HANDLE);
    CHECK_EQ(SdkGetFrame(0, &token, 10), VEXO_SDK_INVALID_HANDLE);
    CHECK_EQ(SdkGetCameraName(0, text), VEXO_SDK_INVALID_HANDLE);
    CHECK_EQ(SdkGetRawImage(0, 1, NULL) == NULL, 1);
    CHECK_EQ(SdkGetSdkVersion(NULL), VEXO_SDK_INVALID_ARGUMENT);
}

static void checkFrameCycle(void)
{
    int count = 0;
    int handle = 0;
    int width = 0, height = 0;
    uint32_t token = 0;
    VexoDeviceInfo info;
    VexoImageInfo image;
    VexoFrameStatistics statistics;
    BYTE* raw;
    BYTE* rgb;
    char name[VEXO_SDK_TEXT_BUFFER_SIZE];

    CHECK_EQ(SdkEnumerateDevices(&count), VEXO_SDK_OK);
    if (count < 1) {
        fprintf(stderr, "no camera to test with\n");
        ++failures;
        return;
    }
    CHECK_EQ(SdkGetDeviceInfo(0, &info), VEXO_SDK_OK);
    CHECK_EQ(info.opened, 0);
    CHECK_EQ(SdkOpenCamera(&handle, info.cameraIdentifier), VEXO_SDK_OK);
    CHECK_EQ(SdkGetDeviceInfo(0, &info), VEXO_SDK_OK);
    CHECK_EQ(info.opened, 1);
    memset(name, 0, sizeof name);
    CHECK_EQ(SdkGetCameraIdentifier(handle, name, 0), VEXO_SDK_OK);
    CHECK_EQ(strcmp(name, info.cameraIdentifier), 0);

    CHECK_EQ(SdkSetOutputFormat(handle, VEXO_SDK_PIXEL_RGB8), VEXO_SDK_OK);
    CHECK_EQ(SdkStartAcquisition(handle), VEXO_SDK_OK);
    CHECK_EQ(SdkGetFrame(handle, &token, 30000), VEXO_SDK_OK);
    raw = SdkGetRawImage(handle, token, &image);
    CHECK_EQ(raw != NULL, 1);
    CHECK_EQ(SdkGetResolution(handle, &width, &height), VEXO_SDK_OK);
    CHECK_EQ(image.width, width);
    CHECK_EQ(image.height, height);
    rgb = (BYTE*)malloc((size_t)image.width * (size_t)image.height * 4u);
    CHECK_EQ(SdkProcessImage(handle, &image, raw, rgb), VEXO_SDK_OK);
    CHECK_EQ(image.pixelFormat, VEXO_SDK_PIXEL_RGB8);
    CHECK_EQ(SdkPostProcessImage(handle, rgb, &image), VEXO_SDK_OK);
    CHECK_EQ(SdkReleaseFrame(handle, token), VEXO_SDK_OK);
    CHECK_EQ(SdkReleaseFrame(handle, token), VEXO_SDK_INVALID_FRAME);
    free(rgb);
    CHECK_EQ(SdkGetFrameStatistics(handle, &statistics), VEXO_SDK_OK);
    CHECK_EQ(statistics.deliveredFrames >= 1, 1);
    CHECK_EQ(SdkStopAcquisition(handle), VEXO_SDK_OK);
    CHECK_EQ(SdkCloseCamera(handle), VEXO_SDK_OK);
    CHECK_EQ(SdkCloseCamera(handle), VEXO_SDK_INVALID_HANDLE);
    CHECK_EQ(SdkGetDeviceInfo(0, &info), VEXO_SDK_OK);
    CHECK_EQ(info.opened, 0);
}

/* The 12-bit camera from C: raw frames of 16-bit words and the 16-bit grey output. */
static void checkDeepFrame(void)
{
    int handle = 0;
    uint32_t token = 0;
    VexoImageInfo image;
    BYTE* raw;
    BYTE* grey;
    size_t pixels;

    CHECK_EQ(SdkOpenCamera(&handle, "VXU1212M0001"), VEXO_SDK_OK);
    CHECK_EQ(SdkSetOutputFormat(handle, VEXO_SDK_PIXEL_MONO16), VEXO_SDK_OK);
    CHECK_EQ(SdkStartAcquisition(handle), VEXO_SDK_OK);
    CHECK_EQ(SdkGetFrame(handle, &token, 30000), VEXO_SDK_OK);
    raw = SdkGetRawImage(handle, token, &image);
    CHECK_EQ(raw != NULL, 1);
    pixels = (size_t)image.width * (size_t)image.height;
    CHECK_EQ(image.rawFormat, (int32_t)VEXO_SDK_PIXEL_MONO12);
    CHECK_EQ(image.dataSize, (int32_t)(pixels * 2u));
    grey = (BYTE*)malloc(pixels * 4u);
    CHECK_EQ(SdkProcessImage(handle, &image, raw, grey), VEXO_SDK_OK);
    CHECK_EQ(image.pixelFormat, VEXO_SDK_PIXEL_MONO16);
    CHECK_EQ(image.dataSize, (int32_t)(pixels * 2u));
    CHECK_EQ(SdkReleaseFrame(handle, token), VEXO_SDK_OK);
    free(grey);
    CHECK_EQ(VEXO_SDK_FILE_TIFF, 16);
    CHECK_EQ(SdkCloseCamera(handle), VEXO_SDK_OK);
}

int main(void)
{
    checkRecordOffsets();
    checkBadInput();
    checkFrameCycle();
    checkDeepFrame();
    if (failures)
        fprintf(stderr, "%d check(s) failed\n", failures);
    else
        printf("all checks passed\n");
    return failures ? EXIT_FAILURE : EXIT_SUCCESS;
}
