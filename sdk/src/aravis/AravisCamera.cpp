#include "AravisCamera.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "AravisIdentity.h"
#include "AravisPixels.h"
#include "NetworkAddress.h"
#include "VexoCameraApi.h"

namespace vexo::sdk::aravis {

namespace {

// Frames of the pixel formats the pipeline reads as they are keep the stream's buffer
// (no copy) until the ring is done with them, so the ring can hold out as many buffers as
// it has slots; the stream keeps the rest to receive into.
constexpr int kBuffersReceiving = 8;
constexpr int kStreamBuffers = static_cast<int>(FrameRing::kDefaultSlotCount) + kBuffersReceiving;
// A camera's GainRaw has no unit; short ranges count whole multiples per step, long ones
// are spread over 1x .. 16x.
constexpr int64_t kGainRawMultiples = 15;

int64_t gainRawPerMultiple(int64_t min, int64_t max)
{
    return std::max<int64_t>(1, (max - min) / kGainRawMultiples);
}

const char* activationEntry(int activation)
{
    static const char* const entries[] = {"RisingEdge", "FallingEdge", "LevelHigh", "LevelLow"};
    return entries[std::clamp(activation, 0, 3)];
}

}  // namespace

// ---- Buffers lent to frames -------------------------------------------------------------

BufferReturn::BufferReturn(ArvStream* stream) : stream(ARV_STREAM(g_object_ref(stream))) {}

BufferReturn::~BufferReturn()
{
    close();
}

void BufferReturn::giveBack(ArvBuffer* buffer)
{
    std::lock_guard<std::mutex> guard(mutex);
    // Pushing is thread safe and the stream takes the buffer over; once the stream is
    // stopped it has no use for it.
    if (stream)
        arv_stream_push_buffer(stream, buffer);
    else
        g_object_unref(buffer);
}

void BufferReturn::close()
{
    ArvStream* closed = nullptr;
    {
        std::lock_guard<std::mutex> guard(mutex);
        std::swap(closed, stream);
    }
    if (closed)
        g_object_unref(closed);
}

std::unique_ptr<AravisCamera> AravisCamera::open(const std::string& deviceId, std::string& error)
{
    GErrorHolder e;
    GObjectPtr<ArvCamera> camera(arv_camera_new(deviceId.c_str(), e.out()));
    if (!camera) {
        error = e.failed() ? e.message() : "camera not found";
        return nullptr;
    }
    std::unique_ptr<AravisCamera> opened(new AravisCamera);
    opened->camera = std::move(camera);
    // Writes outside a feature's bounds are refused here rather than sent to the camera.
    arv_device_set_range_check_policy(opened->device(), ARV_RANGE_CHECK_POLICY_ENABLE);
    opened->controlLostHandler = g_signal_connect(
        opened->device(), "control-lost", G_CALLBACK(&AravisCamera::onControlLost), opened.get());
    opened->lineNames = opened->enumEntries("LineSelector");
    return opened;
}

AravisCamera::~AravisCamera()
{
    stopStream();
    if (camera && controlLostHandler)
        g_signal_handler_disconnect(device(), controlLostHandler);
}

void AravisCamera::onControlLost(ArvDevice*, gpointer self)
{
    static_cast<AravisCamera*>(self)->controlLost.store(true);
    static_cast<AravisCamera*>(self)->wakeWaiters();
}

void AravisCamera::onNewBuffer(ArvStream*, gpointer self)
{
    static_cast<AravisCamera*>(self)->wakeWaiters();
}

void AravisCamera::wakeWaiters()
{
    {
        std::lock_guard<std::mutex> guard(waitMutex);
        ++events;
    }
    eventSignal.notify_all();
}

void AravisCamera::stopLeftoverAcquisition()
{
    std::lock_guard<std::mutex> guard(mutex);
    GErrorHolder e;
    arv_camera_stop_acquisition(camera.get(), e.out());
}

ArvDevice* AravisCamera::device() const
{
    return arv_camera_get_device(camera.get());
}

bool AravisCamera::has(const char* feature)
{
    std::lock_guard<std::mutex> guard(mutex);
    GErrorHolder e;
    return arv_device_is_feature_available(device(), feature, e.out()) && !e.failed();
}

bool AravisCamera::writable(const char* feature)
{
    if (!has(feature))
        return false;
    std::lock_guard<std::mutex> guard(mutex);
    // The node's actual mode: arv_device_get_feature_access_mode answers WO for RW nodes.
    ArvGcNode* node = arv_device_get_feature(device(), feature);
    if (!ARV_IS_GC_FEATURE_NODE(node))
        return false;
    const ArvGcAccessMode mode = arv_gc_feature_node_get_actual_access_mode(ARV_GC_FEATURE_NODE(node));
    return mode == ARV_GC_ACCESS_MODE_RW || mode == ARV_GC_ACCESS_MODE_WO;
}

int AravisCamera::checkFeature(const char* feature)
{
    if (controlLost.load())
        return VEXO_SDK_DETACHED;
    GErrorHolder e;
    if (!arv_device_is_feature_available(device(), feature, e.out()) || e.failed())
        return VEXO_SDK_NOT_MATCHING;
    return VEXO_SDK_OK;
}

int AravisCamera::setInteger(const char* feature, int64_t value)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (int r = checkFeature(feature))
        return r;
    GErrorHolder e;
    int64_t min = 0, max = 0;
    arv_device_get_integer_feature_bounds(device(), feature, &min, &max, e.out());
    if (!e.failed() && (value < min || value > max))
        return VEXO_SDK_OUT_OF_RANGE;
    arv_device_set_integer_feature_value(device(), feature, value, e.out());
    return e.failed() ? VEXO_SDK_FAILED : VEXO_SDK_OK;
}

int AravisCamera::getInteger(const char* feature, int64_t& value)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (int r = checkFeature(feature))
        return r;
    GErrorHolder e;
    const int64_t v = arv_device_get_integer_feature_value(device(), feature, e.out());
    if (e.failed())
        return VEXO_SDK_FAILED;
    value = v;
    return VEXO_SDK_OK;
}

int AravisCamera::integerBounds(const char* feature, int64_t& min, int64_t& max)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (int r = checkFeature(feature))
        return r;
    GErrorHolder e;
    arv_device_get_integer_feature_bounds(device(), feature, &min, &max, e.out());
    return e.failed() ? VEXO_SDK_FAILED : VEXO_SDK_OK;
}

int AravisCamera::setFloat(const char* feature, double value)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (int r = checkFeature(feature))
        return r;
    GErrorHolder e;
    double min = 0, max = 0;
    arv_device_get_float_feature_bounds(device(), feature, &min, &max, e.out());
    if (!e.failed() && (value < min || value > max))
        return VEXO_SDK_OUT_OF_RANGE;
    arv_device_set_float_feature_value(device(), feature, value, e.out());
    return e.failed() ? VEXO_SDK_FAILED : VEXO_SDK_OK;
}

int AravisCamera::getFloat(const char* feature, double& value)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (int r = checkFeature(feature))
        return r;
    GErrorHolder e;
    const double v = arv_device_get_float_feature_value(device(), feature, e.out());
    if (e.failed())
        return VEXO_SDK_FAILED;
    value = v;
    return VEXO_SDK_OK;
}

int AravisCamera::floatBounds(const char* feature, double& min, double& max)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (int r = checkFeature(feature))
        return r;
    GErrorHolder e;
    arv_device_get_float_feature_bounds(device(), feature, &min, &max, e.out());
    return e.failed() ? VEXO_SDK_FAILED : VEXO_SDK_OK;
}

int AravisCamera::setEnum(const char* feature, const char* entry)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (int r = checkFeature(feature))
        return r;
    GErrorHolder e;
    if (!arv_device_is_enumeration_entry_available(device(), feature, entry, e.out()))
        return VEXO_SDK_NOT_MATCHING;
    arv_device_set_string_feature_value(device(), feature, entry, e.out());
    return e.failed() ? VEXO_SDK_FAILED : VEXO_SDK_OK;
}

int AravisCamera::getString(const char* feature, std::string& value)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (int r = checkFeature(feature))
        return r;
    GErrorHolder e;
    const char* v = arv_device_get_string_feature_value(device(), feature, e.out());
    if (e.failed() || !v)
        return VEXO_SDK_FAILED;
    value = v;
    return VEXO_SDK_OK;
}

int AravisCamera::setString(const char* feature, const std::string& value)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (int r = checkFeature(feature))
        return r;
    GErrorHolder e;
    arv_device_set_string_feature_value(device(), feature, value.c_str(), e.out());
    return e.failed() ? VEXO_SDK_FAILED : VEXO_SDK_OK;
}

int AravisCamera::setBoolean(const char* feature, bool value)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (int r = checkFeature(feature))
        return r;
    GErrorHolder e;
    arv_device_set_boolean_feature_value(device(), feature, value, e.out());
    return e.failed() ? VEXO_SDK_FAILED : VEXO_SDK_OK;
}

int AravisCamera::getBoolean(const char* feature, bool& value)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (int r = checkFeature(feature))
        return r;
    GErrorHolder e;
    const gboolean v = arv_device_get_boolean_feature_value(device(), feature, e.out());
    if (e.failed())
        return VEXO_SDK_FAILED;
    value = v != FALSE;
    return VEXO_SDK_OK;
}

int AravisCamera::execute(const char* feature)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (int r = checkFeature(feature))
        return r;
    GErrorHolder e;
    arv_device_execute_command(device(), feature, e.out());
    return e.failed() ? VEXO_SDK_FAILED : VEXO_SDK_OK;
}

std::vector<std::string> AravisCamera::enumEntries(const char* feature)
{
    std::lock_guard<std::mutex> guard(mutex);
    std::vector<std::string> entries;
    if (checkFeature(feature) != VEXO_SDK_OK)
        return entries;
    GErrorHolder e;
    guint n = 0;
    const char** values = arv_device_dup_available_enumeration_feature_values_as_strings(
        device(), feature, &n, e.out());
    for (guint i = 0; values && i < n; ++i)
        entries.emplace_back(values[i]);
    g_free(values);
    return entries;
}

std::vector<uint32_t> AravisCamera::pixelFormats()
{
    std::lock_guard<std::mutex> guard(mutex);
    std::vector<uint32_t> codes;
    GErrorHolder e;
    guint n = 0;
    gint64* formats = arv_camera_dup_available_pixel_formats(camera.get(), &n, e.out());
    for (guint i = 0; formats && i < n; ++i)
        codes.push_back(static_cast<uint32_t>(formats[i]));
    g_free(formats);
    return codes;
}

int AravisCamera::setSelected(const char* selector, const char* selectorEntry, const char* feature,
                              const char* entry)
{
    if (has(selector))
        if (int r = setEnum(selector, selectorEntry))
            return r;
    return setEnum(feature, entry);
}

// ---- Mapped features -------------------------------------------------------------------

int AravisCamera::setExposureUs(double us)
{
    const char* feature = has("ExposureTime") ? "ExposureTime" : "ExposureTimeAbs";
    return setFloat(feature, us);
}

int AravisCamera::exposureUs(double& us)
{
    return getFloat(has("ExposureTime") ? "ExposureTime" : "ExposureTimeAbs", us);
}

int AravisCamera::exposureBoundsUs(double& min, double& max)
{
    return floatBounds(has("ExposureTime") ? "ExposureTime" : "ExposureTimeAbs", min, max);
}

int AravisCamera::setExposureAuto(bool on)
{
    return setEnum("ExposureAuto", on ? "Continuous" : "Off");
}

int AravisCamera::setGainMilli(int milli)
{
    if (milli <= 0)
        return VEXO_SDK_OUT_OF_RANGE;
    if (has("Gain")) {
        // SFNC gain is in dB.
        return setFloat("Gain", 20.0 * std::log10(milli / 1000.0));
    }
    int64_t min = 0, max = 0;
    if (int r = integerBounds("GainRaw", min, max))
        return r;
    const int64_t raw = min + std::llround((milli - 1000) / 1000.0 *
                                           static_cast<double>(gainRawPerMultiple(min, max)));
    return setInteger("GainRaw", raw);
}

int AravisCamera::gainMilli(int& milli)
{
    if (has("Gain")) {
        double db = 0;
        if (int r = getFloat("Gain", db))
            return r;
        milli = static_cast<int>(std::lround(1000.0 * std::pow(10.0, db / 20.0)));
        return VEXO_SDK_OK;
    }
    int64_t min = 0, max = 0, raw = 0;
    if (int r = integerBounds("GainRaw", min, max))
        return r;
    if (int r = getInteger("GainRaw", raw))
        return r;
    milli = static_cast<int>(1000 + (raw - min) * 1000 / gainRawPerMultiple(min, max));
    return VEXO_SDK_OK;
}

int AravisCamera::gainBoundsMilli(int& minMilli, int& maxMilli)
{
    if (has("Gain")) {
        double min = 0, max = 0;
        if (int r = floatBounds("Gain", min, max))
            return r;
        minMilli = static_cast<int>(std::lround(1000.0 * std::pow(10.0, min / 20.0)));
        maxMilli =
            static_cast<int>(std::lround(1000.0 * std::pow(10.0, std::min(max, 60.0) / 20.0)));
        return VEXO_SDK_OK;
    }
    int64_t min = 0, max = 0;
    if (int r = integerBounds("GainRaw", min, max))
        return r;
    minMilli = 1000;
    maxMilli = static_cast<int>(1000 + std::min<int64_t>(max - min, 1000000) * 1000 /
                                           gainRawPerMultiple(min, max));
    return VEXO_SDK_OK;
}

int AravisCamera::setGainAuto(bool on)
{
    return setEnum("GainAuto", on ? "Continuous" : "Off");
}

int AravisCamera::selectBalanceChannel(int channel)
{
    static const char* const channels[] = {"Red", "Green", "Blue"};
    if (channel < 0 || channel > 2)
        return VEXO_SDK_OUT_OF_RANGE;
    return has("BalanceRatioSelector") ? setEnum("BalanceRatioSelector", channels[channel])
                                       : VEXO_SDK_OK;
}

int AravisCamera::setBalanceRatio(int channel, int hundredths)
{
    if (int r = selectBalanceChannel(channel))
        return r;
    return has("BalanceRatio") ? setFloat("BalanceRatio", hundredths / 100.0)
                               : setFloat("BalanceRatioAbs", hundredths / 100.0);
}

int AravisCamera::balanceRatio(int channel, int& hundredths)
{
    if (int r = selectBalanceChannel(channel))
        return r;
    double ratio = 0;
    if (int r = getFloat(has("BalanceRatio") ? "BalanceRatio" : "BalanceRatioAbs", ratio))
        return r;
    hundredths = static_cast<int>(std::lround(ratio * 100.0));
    return VEXO_SDK_OK;
}

int AravisCamera::setBalanceWhiteAuto(bool continuous)
{
    return setEnum("BalanceWhiteAuto", continuous ? "Continuous" : "Off");
}

int AravisCamera::setRegion(int offsetX, int offsetY, int width, int height, int binning)
{
    if (binning < 1 || width <= 0 || height <= 0 || offsetX < 0 || offsetY < 0)
        return VEXO_SDK_OUT_OF_RANGE;
    if (has("BinningHorizontal")) {
        if (int r = setInteger("BinningHorizontal", binning))
            return r;
        if (has("BinningVertical"))
            if (int r = setInteger("BinningVertical", binning))
                return r;
    } else if (binning != 1) {
        return VEXO_SDK_NOT_MATCHING;
    }
    // Offsets to zero first so the new size fits whatever the old offsets were.
    if (has("OffsetX"))
        setInteger("OffsetX", 0);
    if (has("OffsetY"))
        setInteger("OffsetY", 0);
    if (int r = setInteger("Width", width / binning))
        return r;
    if (int r = setInteger("Height", height / binning))
        return r;
    if (offsetX > 0)
        if (int r = setInteger("OffsetX", offsetX / binning))
            return r;
    if (offsetY > 0)
        if (int r = setInteger("OffsetY", offsetY / binning))
            return r;
    return VEXO_SDK_OK;
}

int AravisCamera::setMirror(bool horizontal, bool vertical)
{
    if (!has("ReverseX") && !has("ReverseY"))
        return VEXO_SDK_NOT_MATCHING;
    int r = VEXO_SDK_OK;
    if (has("ReverseX"))
        r = setBoolean("ReverseX", horizontal);
    if (r == VEXO_SDK_OK && has("ReverseY"))
        r = setBoolean("ReverseY", vertical);
    return r;
}

int AravisCamera::mirror(bool& horizontal, bool& vertical)
{
    if (!has("ReverseX") && !has("ReverseY"))
        return VEXO_SDK_NOT_MATCHING;
    horizontal = vertical = false;
    int r = VEXO_SDK_OK;
    if (has("ReverseX"))
        r = getBoolean("ReverseX", horizontal);
    if (r == VEXO_SDK_OK && has("ReverseY"))
        r = getBoolean("ReverseY", vertical);
    return r;
}

int AravisCamera::setFrameRate(double framesPerSecond)
{
    if (has("AcquisitionFrameRateEnable"))
        setBoolean("AcquisitionFrameRateEnable", true);
    const char* feature =
        has("AcquisitionFrameRate") ? "AcquisitionFrameRate" : "AcquisitionFrameRateAbs";
    double min = 0, max = 0;
    if (int r = floatBounds(feature, min, max))
        return r;
    return setFloat(feature, std::clamp(framesPerSecond, min, max));
}

int AravisCamera::setPixelFormat(uint32_t pfnc)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (int r = checkFeature("PixelFormat"))
        return r;
    GErrorHolder e;
    arv_device_set_integer_feature_value(device(), "PixelFormat", pfnc, e.out());
    return e.failed() ? VEXO_SDK_FAILED : VEXO_SDK_OK;
}

int AravisCamera::pixelFormat(uint32_t& pfnc)
{
    int64_t value = 0;
    if (int r = getInteger("PixelFormat", value))
        return r;
    pfnc = static_cast<uint32_t>(value);
    return VEXO_SDK_OK;
}

int AravisCamera::setTrigger(int mode, const std::string& line, int activation, int delayUs)
{
    if (mode == 0)
        return has("TriggerMode")
                   ? setSelected("TriggerSelector", "FrameStart", "TriggerMode", "Off")
                   : VEXO_SDK_OK;
    if (!has("TriggerMode"))
        return VEXO_SDK_NOT_MATCHING;
    if (has("TriggerSelector"))
        if (int r = setEnum("TriggerSelector", "FrameStart"))
            return r;
    const std::string source = mode == 1 ? "Software" : line;
    if (int r = setEnum("TriggerSource", source.c_str()))
        return r;
    if (mode == 2 && has("TriggerActivation"))
        if (int r = setEnum("TriggerActivation", activationEntry(activation)))
            return r;
    if (has("TriggerDelay"))
        setFloat("TriggerDelay", delayUs);
    else if (has("TriggerDelayAbs"))
        setFloat("TriggerDelayAbs", delayUs);
    return setEnum("TriggerMode", "On");
}

int AravisCamera::trigger(int& mode, std::string& line, int& activation, int& delayUs)
{
    mode = 0;
    line.clear();
    if (!has("TriggerMode"))
        return VEXO_SDK_OK;
    if (has("TriggerSelector"))
        if (int r = setEnum("TriggerSelector", "FrameStart"))
            return r;
    std::string text;
    if (int r = getString("TriggerMode", text))
        return r;
    if (text == "Off")
        return VEXO_SDK_OK;
    if (int r = getString("TriggerSource", text))
        return r;
    if (text == "Software") {
        mode = 1;
    } else {
        mode = 2;
        line = text;
    }
    activation = 0;
    if (has("TriggerActivation") && getString("TriggerActivation", text) == VEXO_SDK_OK) {
        for (int a = 0; a < 4; ++a)
            if (text == activationEntry(a))
                activation = a;
    }
    double delay = 0;
    if ((has("TriggerDelay") && getFloat("TriggerDelay", delay) == VEXO_SDK_OK) ||
        (has("TriggerDelayAbs") && getFloat("TriggerDelayAbs", delay) == VEXO_SDK_OK))
        delayUs = static_cast<int>(std::lround(delay));
    return VEXO_SDK_OK;
}

int AravisCamera::softwareTrigger()
{
    return execute("TriggerSoftware");
}

int AravisCamera::setOutputLine(const std::string& line, int mode, bool inverted, int level)
{
    if (!has("LineSelector"))
        return VEXO_SDK_NOT_MATCHING;
    if (int r = setEnum("LineSelector", line.c_str()))
        return r;
    if (has("LineMode"))
        if (int r = setEnum("LineMode", "Output"))
            return r;
    if (has("LineInverter"))
        setBoolean("LineInverter", inverted);
    if (mode == 0)  // strobe: follows the exposure
        return setEnum("LineSource", "ExposureActive");
    // A plain level: the line follows a user output of the same number.
    const std::string user =
        "UserOutput" + line.substr(line.find_first_of("0123456789") == std::string::npos
                                       ? line.size()
                                       : line.find_first_of("0123456789"));
    if (has("LineSource"))
        setEnum("LineSource", user.c_str());
    if (has("UserOutputSelector"))
        if (int r = setEnum("UserOutputSelector", user.c_str()))
            return r;
    return setBoolean("UserOutputValue", level != 0);
}

bool AravisCamera::hasUserSets()
{
    if (!has("UserSetSelector") || !has("UserSetLoad"))
        return false;
    const std::vector<std::string> sets = enumEntries("UserSetSelector");
    return std::find(sets.begin(), sets.end(), "UserSet1") != sets.end();
}

int AravisCamera::loadUserSet(int group)
{
    const std::string set = group == 0xFF ? "Default" : "UserSet" + std::to_string(group + 1);
    if (int r = setEnum("UserSetSelector", set.c_str()))
        return r;
    return execute("UserSetLoad");
}

int AravisCamera::saveUserSet(int group)
{
    if (group < 0 || group > 3)
        return VEXO_SDK_OUT_OF_RANGE;
    const std::string set = "UserSet" + std::to_string(group + 1);
    if (int r = setEnum("UserSetSelector", set.c_str()))
        return r;
    return execute("UserSetSave");
}

int AravisCamera::userId(std::string& name)
{
    return getString("DeviceUserID", name);
}

int AravisCamera::setUserId(const std::string& name)
{
    return setString("DeviceUserID", name);
}

namespace {

// Aravis maps the GigE Vision bootstrap registers (which every GigE camera has) as
// Arv-prefixed features; cameras describe the same registers under the SFNC names.
std::string networkFeature(AravisCamera& camera, const char* name)
{
    const std::string aravisName = std::string("Arv") + name;
    return camera.has(aravisName.c_str()) ? aravisName : std::string(name);
}

int readAddress(AravisCamera& camera, const char* name, std::string& text)
{
    int64_t value = 0;
    if (int r = camera.getInteger(networkFeature(camera, name).c_str(), value))
        return r;
    text = formatIpv4(static_cast<uint32_t>(value));
    return VEXO_SDK_OK;
}

int writeAddress(AravisCamera& camera, const char* name, const std::string& text)
{
    uint32_t value = 0;
    if (!parseIpv4(text, value))
        return VEXO_SDK_INVALID_ARGUMENT;
    return camera.setInteger(networkFeature(camera, name).c_str(), value);
}

int readFlag(AravisCamera& camera, const char* name, bool& on)
{
    return camera.getBoolean(networkFeature(camera, name).c_str(), on);
}

}  // namespace

int AravisCamera::currentAddress(NetworkAddresses& current)
{
    if (int r = readAddress(*this, "GevCurrentIPAddress", current.ipAddress))
        return r;
    if (int r = readAddress(*this, "GevCurrentSubnetMask", current.subnetMask))
        return r;
    return readAddress(*this, "GevCurrentDefaultGateway", current.gateway);
}

int AravisCamera::persistentAddress(NetworkAddresses& persistent, bool& persistentOn, bool& dhcpOn)
{
    if (int r = readAddress(*this, "GevPersistentIPAddress", persistent.ipAddress))
        return r;
    if (int r = readAddress(*this, "GevPersistentSubnetMask", persistent.subnetMask))
        return r;
    if (int r = readAddress(*this, "GevPersistentDefaultGateway", persistent.gateway))
        return r;
    if (int r = readFlag(*this, "GevCurrentIPConfigurationPersistentIP", persistentOn))
        return r;
    return readFlag(*this, "GevCurrentIPConfigurationDHCP", dhcpOn);
}

int AravisCamera::setNetwork(bool dhcp, const NetworkAddresses& persistent)
{
    const std::string persistentFlag = networkFeature(*this, "GevCurrentIPConfigurationPersistentIP");
    const std::string dhcpFlag = networkFeature(*this, "GevCurrentIPConfigurationDHCP");
    if (!writable(persistentFlag.c_str()) || !writable(dhcpFlag.c_str()))
        return VEXO_SDK_NOT_MATCHING;
    if (!dhcp) {
        if (int r = writeAddress(*this, "GevPersistentIPAddress", persistent.ipAddress))
            return r;
        if (int r = writeAddress(*this, "GevPersistentSubnetMask", persistent.subnetMask))
            return r;
        if (int r = writeAddress(*this, "GevPersistentDefaultGateway", persistent.gateway))
            return r;
    }
    if (int r = setBoolean(dhcpFlag.c_str(), dhcp))
        return r;
    return setBoolean(persistentFlag.c_str(), !dhcp);
}

int AravisCamera::setPacketSize(int bytes)
{
    return setInteger("GevSCPSPacketSize", bytes);
}

int AravisCamera::setPacketDelay(int ticks)
{
    return setInteger("GevSCPD", ticks);
}

// ---- Capabilities ----------------------------------------------------------------------

void AravisCamera::describe(CameraModel& m)
{
    int64_t value = 0, min = 0;
    if (getInteger("SensorWidth", value) == VEXO_SDK_OK ||
        getInteger("WidthMax", value) == VEXO_SDK_OK ||
        integerBounds("Width", min, value) == VEXO_SDK_OK)
        m.sensorWidth = static_cast<int>(value);
    if (getInteger("SensorHeight", value) == VEXO_SDK_OK ||
        getInteger("HeightMax", value) == VEXO_SDK_OK ||
        integerBounds("Height", min, value) == VEXO_SDK_OK)
        m.sensorHeight = static_cast<int>(value);
    // The library's presets want even sizes within 64 .. 8192.
    m.sensorWidth = std::clamp(m.sensorWidth & ~1, 64, 8192);
    m.sensorHeight = std::clamp(m.sensorHeight & ~1, 64, 8192);

    bool colour = false;
    for (uint32_t code : pixelFormats()) {
        PixelLayout l;
        if (describePixelFormat(code, l) && (l.mosaic != Mosaic::None || l.threeColours))
            colour = true;
    }
    m.colorSensor = colour;

    double lowUs = 1, highUs = 1e6;
    if (exposureBoundsUs(lowUs, highUs) == VEXO_SDK_OK) {
        m.exposureStepUs = 1;
        m.exposureMinSteps = std::max(1, static_cast<int>(std::ceil(lowUs)));
        m.exposureMaxSteps = static_cast<int>(
            std::clamp(std::floor(highUs), static_cast<double>(m.exposureMinSteps), 2e9));
    }
    int gainLow = 1000, gainHigh = 1000;
    if (gainBoundsMilli(gainLow, gainHigh) == VEXO_SDK_OK) {
        m.gainMinMilli = std::max(1, gainLow);
        m.gainMaxMilli = std::max(m.gainMinMilli, gainHigh);
    } else {
        m.gainMinMilli = m.gainMaxMilli = 1000;
    }
    double fpsLow = 0, fpsHigh = 0;
    if (floatBounds("AcquisitionFrameRate", fpsLow, fpsHigh) == VEXO_SDK_OK ||
        floatBounds("AcquisitionFrameRateAbs", fpsLow, fpsHigh) == VEXO_SDK_OK)
        m.maxFramesPerSecond = std::clamp(fpsHigh, 1.0, 2000.0);

    inputs.clear();
    outputs.clear();
    if (!lineNames.empty()) {
        for (const std::string& line : lineNames) {
            if (line.rfind("Line", 0) != 0)
                continue;
            // Lines that can be outputs are counted as outputs; the rest are inputs.
            std::vector<std::string> modes;
            if (setEnum("LineSelector", line.c_str()) == VEXO_SDK_OK)
                modes = enumEntries("LineMode");
            if (std::find(modes.begin(), modes.end(), "Output") != modes.end())
                outputs.push_back(line);
            else
                inputs.push_back(line);
        }
    } else {
        for (const std::string& source : enumEntries("TriggerSource"))
            if (source.rfind("Line", 0) == 0)
                inputs.push_back(source);
    }
    inputs.resize(std::min<size_t>(inputs.size(), 8));
    outputs.resize(std::min<size_t>(outputs.size(), 8));
    m.inputLines = static_cast<int>(inputs.size());
    m.outputLines = static_cast<int>(outputs.size());
    m.channelCount = 1;
    m.focusDrive = false;

    std::string text;
    if (getString("DeviceFirmwareVersion", text) == VEXO_SDK_OK ||
        getString("DeviceVersion", text) == VEXO_SDK_OK)
        if (const uint16_t word = firmwareWordFromText(text))
            m.firmwareVersion = word;
    if (getString("DeviceModelName", text) == VEXO_SDK_OK && !text.empty())
        m.sensorText = text.substr(0, 31);
    m.imageFormats.clear();
    m.resolutions.clear();
}

bool AravisCamera::currentRegion(ResolutionPreset& r)
{
    int64_t width = 0, height = 0, x = 0, y = 0, binning = 1;
    if (getInteger("Width", width) != VEXO_SDK_OK || getInteger("Height", height) != VEXO_SDK_OK)
        return false;
    getInteger("OffsetX", x);
    getInteger("OffsetY", y);
    getInteger("BinningHorizontal", binning);
    if (binning != 1 && binning != 2)
        return false;
    r.offsetX = static_cast<int>(x * binning);
    r.offsetY = static_cast<int>(y * binning);
    r.outputWidth = static_cast<int>(width);
    r.outputHeight = static_cast<int>(height);
    r.regionWidth = static_cast<int>(width * binning);
    r.regionHeight = static_cast<int>(height * binning);
    r.name = std::to_string(width) + "X" + std::to_string(height) + (binning == 2 ? " BIN2" : "");
    return true;
}

// ---- Stream ----------------------------------------------------------------------------

int AravisCamera::startStream()
{
    std::lock_guard<std::mutex> guard(mutex);
    if (controlLost.load())
        return VEXO_SDK_DETACHED;
    if (isStreaming.load())
        return VEXO_SDK_OK;
    GErrorHolder e;
    arv_camera_set_acquisition_mode(camera.get(), ARV_ACQUISITION_MODE_CONTINUOUS, e.out());
    e.clear();
    payload = arv_camera_get_payload(camera.get(), e.out());
    if (e.failed() || payload == 0)
        return VEXO_SDK_FAILED;
    lastPayload.store(payload);
    stream.reset(arv_camera_create_stream(camera.get(), nullptr, nullptr, e.out()));
    if (!stream)
        return VEXO_SDK_FAILED;
    for (int i = 0; i < kStreamBuffers; ++i)
        arv_stream_push_buffer(stream.get(), arv_buffer_new(payload, nullptr));
    // Waiting for frames sleeps until Aravis reports one.
    newBufferHandler =
        g_signal_connect(stream.get(), "new-buffer", G_CALLBACK(&AravisCamera::onNewBuffer), this);
    arv_stream_set_emit_signals(stream.get(), TRUE);
    arv_camera_start_acquisition(camera.get(), e.out());
    if (e.failed()) {
        arv_stream_set_emit_signals(stream.get(), FALSE);
        g_signal_handler_disconnect(stream.get(), newBufferHandler);
        newBufferHandler = 0;
        stream.reset();
        return controlLost.load() ? VEXO_SDK_DETACHED : VEXO_SDK_FAILED;
    }
    returns = std::make_shared<BufferReturn>(stream.get());
    isStreaming.store(true);
    return VEXO_SDK_OK;
}

int AravisCamera::stopStream()
{
    std::lock_guard<std::mutex> guard(mutex);
    if (!isStreaming.load())
        return VEXO_SDK_OK;
    GErrorHolder e;
    if (!controlLost.load())
        arv_camera_stop_acquisition(camera.get(), e.out());
    guint64 completed = 0, failures = 0, underruns = 0;
    arv_stream_get_statistics(stream.get(), &completed, &failures, &underruns);
    before.completed += completed;
    before.failures += failures;
    before.underruns += underruns;
    if (ARV_IS_GV_STREAM(stream.get())) {
        guint64 resent = 0, missing = 0;
        arv_gv_stream_get_statistics(ARV_GV_STREAM(stream.get()), &resent, &missing);
        before.missingPackets += missing;
        before.resentPackets += resent;
    }
    arv_stream_set_emit_signals(stream.get(), FALSE);
    g_signal_handler_disconnect(stream.get(), newBufferHandler);
    newBufferHandler = 0;
    {
        std::unique_lock<std::mutex> lock(waitMutex);
        eventSignal.wait(lock, [this] { return streamUsers == 0; });
    }
    // Buffers still lent to frames are freed when those let go: none goes into the stream
    // again, and frames never keep the stream itself (a GigE stream dropped late would
    // stop the camera's stream channel under the next one).
    returns->close();
    returns.reset();
    stream.reset();
    isStreaming.store(false);
    wakeWaiters();
    return e.failed() && !controlLost.load() ? VEXO_SDK_FAILED : VEXO_SDK_OK;
}

size_t AravisCamera::streamPayload()
{
    return lastPayload.load();
}

StreamCounters AravisCamera::counters()
{
    std::lock_guard<std::mutex> guard(mutex);
    StreamCounters c = before;
    if (stream) {
        guint64 completed = 0, failures = 0, underruns = 0;
        arv_stream_get_statistics(stream.get(), &completed, &failures, &underruns);
        c.completed += completed;
        c.failures += failures;
        c.underruns += underruns;
        if (ARV_IS_GV_STREAM(stream.get())) {
            guint64 resent = 0, missing = 0;
            arv_gv_stream_get_statistics(ARV_GV_STREAM(stream.get()), &resent, &missing);
            c.missingPackets += missing;
            c.resentPackets += resent;
        }
    }
    c.bytes = bytesReceived.load();
    return c;
}

int AravisCamera::nextFrame(imaging::RawFrame& out, FrameMeta& meta, int timeoutMs)
{
    return popFrame([&out] { return &out; }, meta, timeoutMs);
}

int AravisCamera::popFrame(const std::function<imaging::RawFrame*()>& target, FrameMeta& meta,
                           int timeoutMs, const std::function<bool()>& cancelled)
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        uint64_t seen = 0;
        {
            std::lock_guard<std::mutex> guard(waitMutex);
            seen = events;
        }
        if (controlLost.load())
            return VEXO_SDK_DETACHED;
        // The stream is used without the feature lock; stopStream waits for its users
        // before it drops the stream (a stream dropped late would reset the camera's
        // stream channel under the next one).
        ArvStream* s = nullptr;
        std::shared_ptr<BufferReturn> lender;
        {
            std::lock_guard<std::mutex> guard(mutex);
            if (!stream)
                return VEXO_SDK_NOT_STARTED;
            s = stream.get();
            lender = returns;
            std::lock_guard<std::mutex> users(waitMutex);
            ++streamUsers;
        }
        const int result = takeBuffer(s, lender, target, meta);
        {
            std::lock_guard<std::mutex> users(waitMutex);
            --streamUsers;
        }
        eventSignal.notify_all();
        if (result != VEXO_SDK_TIMEOUT)
            return result;
        // No buffer: sleep until an event (a buffer, a stop or restart, a loss, a wake-up).
        std::unique_lock<std::mutex> lock(waitMutex);
        const bool woken = eventSignal.wait_until(
            lock, deadline, [&] { return events != seen || (cancelled && cancelled()); });
        if (!woken || (cancelled && cancelled()))
            return VEXO_SDK_TIMEOUT;
    }
}

int AravisCamera::takeBuffer(ArvStream* s, const std::shared_ptr<BufferReturn>& lender,
                             const std::function<imaging::RawFrame*()>& target, FrameMeta& meta)
{
    ArvBuffer* buffer = arv_stream_try_pop_buffer(s);
    if (!buffer)
        return VEXO_SDK_TIMEOUT;
    int result = VEXO_SDK_FAILED;  // incomplete: Aravis counts it among its failures
    bool lent = false;
    if (arv_buffer_get_status(buffer) == ARV_BUFFER_STATUS_SUCCESS) {
        imaging::RawFrame* out = target();
        if (!out) {
            result = VEXO_SDK_BUFFERS_HELD;
        } else {
            size_t size = 0;
            const auto* data =
                static_cast<const uint8_t*>(arv_buffer_get_image_data(buffer, &size));
            const uint32_t format =
                static_cast<uint32_t>(arv_buffer_get_image_pixel_format(buffer));
            const int width = arv_buffer_get_image_width(buffer);
            const int height = arv_buffer_get_image_height(buffer);
            bytesReceived.fetch_add(size);
            bool filled = false;
            if (const size_t bytes = describeInPlace(format, width, height, data, size, *out)) {
                // The frame shows the buffer itself; the keeper gives it back (even when
                // making the keeper fails).
                lent = true;
                std::shared_ptr<const void> keeper(buffer, [lender](const void* lentBuffer) {
                    lender->giveBack(ARV_BUFFER(const_cast<void*>(lentBuffer)));
                });
                out->borrow(data, bytes, std::move(keeper));
                filled = true;
            } else {
                filled = convertPixels(format, width, height, data, size, *out);
            }
            if (filled) {
                meta.frameId = arv_buffer_get_frame_id(buffer);
                meta.timestampUs = static_cast<int64_t>(arv_buffer_get_timestamp(buffer) / 1000);
                meta.pixelFormat = format;
                out->frameNumber = meta.frameId;
                out->timestampUs = meta.timestampUs;
                result = VEXO_SDK_OK;
            }
        }
    }
    if (!lent)
        arv_stream_push_buffer(s, buffer);
    return result;
}

}  // namespace vexo::sdk::aravis
