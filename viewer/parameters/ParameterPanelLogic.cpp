#include "ParameterPanelLogic.h"

#include <algorithm>
#include <cmath>

#include "FileNames.h"
#include "VexoCameraApi.h"

namespace panel {

const QList<DispatchRow<RadioAction>>& radioTable()
{
    using A = RadioAction;
    static const QList<DispatchRow<A>> table = {
        {"radioButton_manualwb", A::ManualWhiteBalance, 0},
        {"radioButton_autowb", A::AutoWhiteBalance, 1},
        {"radioButton_low", A::FrameSpeed, 0},
        {"radioButton_medium", A::FrameSpeed, 1},
        {"radioButton_high", A::FrameSpeed, 2},
        {"radioButton_track", A::LutTrack, 0},
        {"radioButton_preset", A::LutPreset, 1},
        {"radioButton_autoExposure", A::AutoExposure, 1},
        {"radioButton_manualExposure", A::ManualExposure, 0},
        {"radioButton_50Hz", A::LightFrequency, 1},
        {"radioButton_60Hz", A::LightFrequency, 2},
        {"radioButton_continuity", A::TriggerContinuous, 0},
        {"radioButton_softrigger", A::TriggerSoftware, 1},
        {"radioButton_hardtirgger", A::TriggerHardware, 2},
        {"radioButton_model", A::LoadMode, 0},
        {"radioButton_name", A::LoadMode, 1},
        {"radioButton_number", A::LoadMode, 2},
        {"radioButton_A", A::ParameterGroup, 0},
        {"radioButton_B", A::ParameterGroup, 1},
        {"radioButton_C", A::ParameterGroup, 2},
        {"radioButton_D", A::ParameterGroup, 3},
    };
    return table;
}

const QList<DispatchRow<SliderAction>>& sliderTable()
{
    using A = SliderAction;
    static const QList<DispatchRow<A>> table = {
        {"horizontalSlider_gainred", A::WhiteBalanceGain, 0},
        {"horizontalSlider_gaingreen", A::WhiteBalanceGain, 1},
        {"horizontalSlider_gainblue", A::WhiteBalanceGain, 2},
        {"horizontalSlider_iContrast", A::Contrast, 0},
        {"horizontalSlider_iSharpness", A::Sharpness, 0},
        {"horizontalSlider_iSaturation", A::Saturation, 0},
        {"horizontalSlider_gamma", A::Gamma, 0},
        {"horizontalSlider_contrast", A::LutContrast, 0},
        {"horizontalSlider_light", A::TargetBrightness, 0},
        {"horizontalSlider_analogGain", A::AnalogGain, 0},
        {"horizontalSlider_exposureTime", A::ExposureTime, 0},
        {"horizontalSlider_supportFocusing", A::Focus, VEXO_SDK_EXT_FOCUS_POSITION},
    };
    return table;
}

const QList<DispatchRow<SpinBoxAction>>& spinBoxTable()
{
    using A = SpinBoxAction;
    static const QList<DispatchRow<A>> table = {
        {"doubleSpinBox_gainred", A::WhiteBalanceGain, 0},
        {"doubleSpinBox_gaingreen", A::WhiteBalanceGain, 1},
        {"doubleSpinBox_gainblue", A::WhiteBalanceGain, 2},
        {"doubleSpinBox_gamma", A::Gamma, 0},
        {"doubleSpinBox_contrast", A::LutContrast, 0},
        {"doubleSpinBox_analogGain", A::AnalogGain, 0},
        {"doubleSpinBox_exposureTime", A::ExposureTime, 0},
    };
    return table;
}

const QList<DispatchRow<LineEditAction>>& lineEditTable()
{
    using A = LineEditAction;
    static const QList<DispatchRow<A>> table = {
        {"lineEdit_maxExposureRange", A::ExposureRange, 0},
        {"lineEdit_minExposureRange", A::ExposureRange, 0},
        {"lineEdit_maxGainRange", A::GainRange, 0},
        {"lineEdit_minGainRange", A::GainRange, 0},
        {"lineEdit_tirggerframes", A::TriggerFrames, 0},
        {"lineEdit_tirggerdelay", A::TriggerDelay, 0},
    };
    return table;
}

const QList<DispatchRow<CheckAction>>& checkTable()
{
    using A = CheckAction;
    static const QList<DispatchRow<A>> table = {
        {"checkBox_mirror", A::Mirror, 0},      {"checkBox_vertical", A::Mirror, 1},
        {"checkBox_bwmode", A::Monochrome, 0},  {"checkBox_bPoint", A::DefectCorrection, 0},
        {"checkBox_display1", A::Crosshair, 1}, {"checkBox_display2", A::Crosshair, 2},
        {"checkBox_display3", A::Crosshair, 3}, {"checkBox_display4", A::Crosshair, 4},
        {"checkBox_display5", A::Crosshair, 5}, {"checkBox_display6", A::Crosshair, 6},
        {"checkBox_display7", A::Crosshair, 7}, {"checkBox_display8", A::Crosshair, 8},
        {"checkBox_display9", A::Crosshair, 9}, {"checkBox_flashScreen", A::AntiFlicker, 0},
        {"checkBox_channel0", A::Channel, 0},   {"checkBox_channel1", A::Channel, 1},
        {"checkBox_channel2", A::Channel, 2},   {"checkBox_channel3", A::Channel, 3},
        {"checkBox_channel4", A::Channel, 4},   {"checkBox_channel5", A::Channel, 5},
        {"checkBox_channel6", A::Channel, 6},   {"checkBox_channel7", A::Channel, 7},
    };
    return table;
}

const QList<DispatchRow<ComboAction>>& comboTable()
{
    using A = ComboAction;
    static const QList<DispatchRow<A>> table = {
        {"comboBox_preset", A::PresetLut, 0},        {"comboBox", A::ImageFormat, 0},
        {"comboBox_resolution", A::Resolution, 0},   {"comboBox_input", A::InputLine, 0},
        {"comboBox_output", A::OutputLine, 0},       {"comboBox_workmode", A::InputMode, 0},
        {"comboBox_tirggermode", A::TriggerEdge, 0}, {"comboBox_owordmode", A::OutputMode, 0},
        {"comboBox_imode", A::StrobeMode, 0},        {"comboBox_polarity", A::StrobePolarity, 0},
        {"comboBox_iostatus", A::OutputLevel, 0},
    };
    return table;
}

QStringList radioButtonsToConnect()
{
    return {"radioButton_autowb",
            "radioButton_manualwb",
            "radioButton_low",
            "radioButton_high",
            "radioButton_medium",
            "radioButton_track",
            "radioButton_preset",
            "radioButton_autoExposure",
            "radioButton_manualExposure",
            "radioButton_60Hz",
            "radioButton_50Hz",
            "radioButton_continuity",
            "radioButton_softrigger",
            "radioButton_hardtirgger",
            "radioButton_model",
            "radioButton_number",
            "radioButton_name",
            "radioButton_A",
            "radioButton_B",
            "radioButton_C",
            "radioButton_D"};
}

QStringList doubleSpinBoxesToConnect()
{
    return {"doubleSpinBox_gainred",     "doubleSpinBox_gaingreen", "doubleSpinBox_gainblue",
            "doubleSpinBox_gamma",       "doubleSpinBox_contrast",  "doubleSpinBox_analogGain",
            "doubleSpinBox_exposureTime"};
}

QStringList comboBoxesToConnect()
{
    return {"comboBox_resolution",  "comboBox",           "comboBox_preset",
            "comboBox_input",       "comboBox_output",    "comboBox_workmode",
            "comboBox_tirggermode", "comboBox_owordmode", "comboBox_imode",
            "comboBox_polarity",    "comboBox_iostatus"};
}

QStringList checkBoxesToConnect()
{
    QStringList names = {"checkBox_mirror", "checkBox_vertical", "checkBox_bPoint",
                         "checkBox_bwmode", "checkBox_flashScreen"};
    for (int n = 1; n <= 9; ++n)
        names << QStringLiteral("checkBox_display%1").arg(n);
    return names;
}

QStringList lineEditsToConnect()
{
    return {"lineEdit_maxExposureRange", "lineEdit_minExposureRange", "lineEdit_maxGainRange",
            "lineEdit_minGainRange",     "lineEdit_tirggerframes",    "lineEdit_tirggerdelay"};
}

QStringList readBackSliders()
{
    return {"horizontalSlider_iContrast",   "horizontalSlider_iSharpness",
            "horizontalSlider_iSaturation", "horizontalSlider_gainred",
            "horizontalSlider_gaingreen",   "horizontalSlider_gainblue",
            "horizontalSlider_gamma",       "horizontalSlider_contrast",
            "horizontalSlider_light",       "horizontalSlider_exposureTime",
            "horizontalSlider_analogGain"};
}

QStringList blockedControls()
{
    QStringList names = {"radioButton_autowb", "radioButton_manualwb", "comboBox_resolution",
                         "comboBox",           "radioButton_low",      "radioButton_high",
                         "radioButton_medium", "checkBox_mirror",      "checkBox_vertical",
                         "checkBox_bwmode",    "checkBox_bPoint"};
    for (int n = 1; n <= 9; ++n)
        names << QStringLiteral("checkBox_display%1").arg(n);
    names << QStringList{"radioButton_track",
                         "radioButton_preset",
                         "comboBox_preset",
                         "radioButton_autoExposure",
                         "radioButton_manualExposure",
                         "radioButton_50Hz",
                         "radioButton_60Hz",
                         "checkBox_flashScreen",
                         "lineEdit_maxExposureRange",
                         "lineEdit_minExposureRange",
                         "lineEdit_maxGainRange",
                         "lineEdit_minGainRange",
                         "radioButton_continuity",
                         "radioButton_softrigger",
                         "radioButton_hardtirgger",
                         "comboBox_input",
                         "comboBox_output",
                         "comboBox_workmode",
                         "comboBox_tirggermode",
                         "comboBox_owordmode",
                         "comboBox_imode",
                         "comboBox_polarity",
                         "comboBox_iostatus",
                         "lineEdit_tirggerframes",
                         "lineEdit_tirggerdelay",
                         "radioButton_model",
                         "radioButton_name",
                         "radioButton_number",
                         "radioButton_A",
                         "radioButton_B",
                         "radioButton_C",
                         "radioButton_D"};
    return names;
}

int sliderPosition(double value, double factor)
{
    const double product = value * factor;
    // A spin box holds its value rounded to its decimals; the product of such a value is
    // meant to be whole when it is within rounding noise of a whole number.
    const double nearest = std::round(product);
    if (std::fabs(product - nearest) < 1e-6 * std::max(1.0, std::fabs(nearest)))
        return static_cast<int>(nearest);
    return static_cast<int>(std::trunc(product));
}

int exposureSliderPosition(double exposureUs, double stepUs)
{
    if (!(stepUs > 0))
        return 0;
    return sliderPosition(exposureUs, 1.0 / stepUs);
}

int exposureSliderPositionForMilliseconds(double milliseconds, double stepUs, int decimals)
{
    const double halfUnitUs = 0.5 * std::pow(10.0, 3 - decimals);
    return exposureSliderPosition(milliseconds * 1000 + halfUnitUs, stepUs);
}

int integerOf(const QString& text)
{
    return text.toInt(nullptr, 10);
}

double doubleOf(const QString& text)
{
    return text.toDouble();
}

QString exposureRangeText(double microseconds)
{
    return QString::number(microseconds / 1000.0, 'g', 6);
}

QString gainRangeText(int thousandths)
{
    return limitText(thousandths / 1000.0, 3);
}

Entry parseNumber(const QString& text, double* value, const QLocale& locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return Entry::Empty;
    const QChar localePoint = locale.decimalPoint();
    QString plain;
    plain.reserve(trimmed.size());
    bool digits = false;
    bool point = false;
    for (int i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        if (c.isDigit() && c.unicode() < 128) {
            digits = true;
            plain += c;
        } else if ((c == QLatin1Char('.') || c == localePoint) && !point) {
            point = true;
            plain += QLatin1Char('.');
        } else if ((c == QLatin1Char('-') || c == QLatin1Char('+')) && i == 0) {
            plain += c;
        } else {
            return Entry::NotANumber;
        }
    }
    if (!digits)
        return Entry::NotANumber;
    bool ok = false;
    const double number = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(number))
        return Entry::NotANumber;
    if (value)
        *value = number;
    return Entry::Ok;
}

bool Limits::contains(double value) const
{
    // Limits come from products of steps and step lengths; a typed limit hits them only
    // up to rounding noise.
    const double slack = 1e-9 * std::max({1.0, std::fabs(lowest), std::fabs(highest)});
    return value >= lowest - slack && value <= highest + slack;
}

Entry checkValue(const QString& text, const Limits& limits, bool whole, double* value,
                 const QLocale& locale)
{
    double number = 0;
    const Entry parsed = parseNumber(text, &number, locale);
    if (parsed != Entry::Ok)
        return parsed;
    if (whole && number != std::trunc(number))
        return Entry::NotWhole;
    if (!limits.contains(number))
        return Entry::OutOfRange;
    if (value)
        *value = std::clamp(number, limits.lowest, limits.highest);
    return Entry::Ok;
}

RangeEntry checkRange(const QString& minimumText, const QString& maximumText, const Limits& limits,
                      const QLocale& locale)
{
    RangeEntry range;
    range.entry = checkValue(minimumText, limits, false, &range.minimum, locale);
    if (range.entry != Entry::Ok)
        return range;
    range.field = 1;
    range.entry = checkValue(maximumText, limits, false, &range.maximum, locale);
    if (range.entry == Entry::Ok && range.minimum > range.maximum)
        range.entry = Entry::MinAboveMax;
    return range;
}

Limits exposureLimitsMs(int minimumSteps, int maximumSteps, double stepUs)
{
    return {minimumSteps * stepUs / 1000.0, maximumSteps * stepUs / 1000.0};
}

Limits gainLimits(int minimumMilli, int maximumMilli)
{
    return {minimumMilli / 1000.0, maximumMilli / 1000.0};
}

QString limitText(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString limitsText(const Limits& limits, int decimals)
{
    return limitText(limits.lowest, decimals) + QChar(0x2013) + limitText(limits.highest, decimals);
}

SettingRefusal settingRefusal(int result)
{
    switch (result) {
        case VEXO_SDK_OK:
            return SettingRefusal::None;
        case VEXO_SDK_OUT_OF_RANGE:
        case VEXO_SDK_INVALID_ARGUMENT:
            return SettingRefusal::OutOfRange;
        case VEXO_SDK_WRONG_MODE:
            return SettingRefusal::WrongMode;
        case VEXO_SDK_NOT_MATCHING:
            return SettingRefusal::NotSupported;
        case VEXO_SDK_INVALID_HANDLE:
            return SettingRefusal::CameraClosed;
        default:
            return SettingRefusal::Other;
    }
}

uint32_t packedColour(const QColor& colour)
{
    return uint32_t(colour.red()) + uint32_t(colour.green()) * 256u +
           uint32_t(colour.blue()) * 65536u;
}

QColor unpackedColour(uint32_t packed)
{
    return QColor(int(packed & 0xFF), int((packed >> 8) & 0xFF), int((packed >> 16) & 0xFF));
}

QString colourStyleSheet(const QColor& colour)
{
    return QStringLiteral("background-color:rgb(%1,%2,%3)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue());
}

int channelMask(const QList<bool>& checked)
{
    int mask = 0;
    for (int i = 0; i < checked.size(); ++i)
        mask |= (checked[i] ? 1 : 0) << i;
    return mask;
}

SpecialPage specialPageChange(int channelResult, int channels, int focusResult, int focusSupported)
{
    if (channelResult != VEXO_SDK_OK ||
        (focusResult != VEXO_SDK_OK && focusResult != VEXO_SDK_NOT_MATCHING))
        return SpecialPage::Keep;
    if (channels <= 1 && focusSupported != 1)
        return SpecialPage::Hide;
    return SpecialPage::Show;
}

namespace {

bool parseDotted(const QString& text, uint32_t& address)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    address = 0;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        const int value = part.toInt();
        if (value > 255)
            return false;
        address = (address << 8) | uint32_t(value);
    }
    return true;
}

bool contiguousMask(uint32_t mask)
{
    const uint32_t inverted = ~mask;
    return mask != 0 && (inverted & (inverted + 1)) == 0;
}

bool usableHost(uint32_t address, uint32_t mask)
{
    const uint32_t host = address & ~mask;
    const uint32_t first = address >> 24;
    return host != 0 && host != ~mask && first != 0 && first != 127 && first < 224;
}

}  // namespace

AddressRefusal addressRefusal(int result, const QString& address, const QString& mask,
                              const QString& gateway)
{
    if (result == VEXO_SDK_OK)
        return AddressRefusal::None;
    if (result == VEXO_SDK_OPEN_ELSEWHERE)
        return AddressRefusal::OpenElsewhere;
    if (result != VEXO_SDK_INVALID_ARGUMENT)
        return AddressRefusal::Other;
    uint32_t ip = 0, netMask = 0, gate = 0;
    if (!parseDotted(address, ip))
        return AddressRefusal::Address;
    if (!parseDotted(mask, netMask) || !contiguousMask(netMask))
        return AddressRefusal::Mask;
    if (!usableHost(ip, netMask))
        return AddressRefusal::Address;
    if (!parseDotted(gateway, gate) ||
        (gate != 0 && ((gate & netMask) != (ip & netMask) || !usableHost(gate, netMask))))
        return AddressRefusal::Gateway;
    return AddressRefusal::Other;
}

FileRefusal fileRefusal(int result)
{
    switch (result) {
        case VEXO_SDK_OK:
            return FileRefusal::None;
        case VEXO_SDK_WRONG_PATH:
            return FileRefusal::Missing;
        case VEXO_SDK_FILE_FOREIGN:
            return FileRefusal::Foreign;
        case VEXO_SDK_FILE_TRUNCATED:
            return FileRefusal::Truncated;
        case VEXO_SDK_FILE_CORRUPT:
            return FileRefusal::Corrupt;
        case VEXO_SDK_NOT_MATCHING:
            return FileRefusal::OtherModel;
        default:
            return FileRefusal::Other;
    }
}

ExportRefusal exportRefusal(int result, bool folderExists, bool folderWritable)
{
    switch (result) {
        case VEXO_SDK_OK:
            return ExportRefusal::None;
        case VEXO_SDK_WRONG_PATH:
            return folderExists ? ExportRefusal::NotAFile : ExportRefusal::FolderMissing;
        case VEXO_SDK_FAILED:
            return folderWritable ? ExportRefusal::CannotWrite : ExportRefusal::FolderReadOnly;
        case VEXO_SDK_INVALID_HANDLE:
            return ExportRefusal::CameraClosed;
        default:
            return ExportRefusal::Other;
    }
}

GroupLoad groupLoad(int groupResult, int factoryResult)
{
    if (groupResult == VEXO_SDK_OK)
        return GroupLoad::Loaded;
    if (factoryResult != VEXO_SDK_OK)
        return GroupLoad::Failed;
    if (groupResult == VEXO_SDK_EMPTY_GROUP)
        return GroupLoad::EmptyGroupDefaults;
    if (groupResult == VEXO_SDK_FILE_CORRUPT)
        return GroupLoad::DamagedGroupDefaults;
    return GroupLoad::GroupFailedDefaults;
}

bool focusDefaultKnown(int result, int position, int minimum, int maximum)
{
    return result == VEXO_SDK_OK && minimum <= maximum && position >= minimum &&
           position <= maximum;
}

QString fileNamePart(const QString& text)
{
    QString part = withFileNameCharacters(text);
    // Leading dots would make "." or ".." of the name, or hide the file.
    for (int i = 0; i < part.size() && part.at(i) == QLatin1Char('.'); ++i)
        part[i] = QLatin1Char('_');
    return part;
}

QString exportFileName(const QString& folder, bool hasLoadMode, const QString& key,
                       const QString& groupLetter)
{
    QString name = folder + QLatin1Char('/');
    if (hasLoadMode)
        name += fileNamePart(key) + QLatin1String("_Cfg_");
    return name + groupLetter + QLatin1String(".bin");
}

void setAddressField(char (&field)[16], const QString& text)
{
    std::memset(field, 0, sizeof field);
    for (int i = 0; i < text.size() && i < int(sizeof field) - 1; ++i) {
        const ushort u = text.at(i).unicode();
        field[i] = u > 0xFF ? '\0' : static_cast<char>(u);
    }
}

QList<int> paneSizesFittingPanel(const QList<int>& sizes, int panelWidth, int minimumMiddle)
{
    if (sizes.size() != 3 || sizes[2] >= panelWidth)
        return sizes;
    const int spare = std::max(0, sizes[1] - minimumMiddle);
    const int moved = std::min(spare, panelWidth - sizes[2]);
    return {sizes[0], sizes[1] - moved, sizes[2] + moved};
}

}  // namespace panel
