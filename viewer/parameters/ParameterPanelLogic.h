#pragma once
#include <QColor>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstring>

// The rules of the viewer's parameter panel that need no widget: which control does what
// (the dispatch tables of the generic slots), the unit conversions between controls and
// the camera library, and the names and texts the panel builds.
namespace panel {

// ---- Dispatch tables -------------------------------------------------------------------
// Each generic slot of the main window looks its sender up by object name in its table;
// the first row with that name wins. `value` is the row's fixed argument (a mode, a
// direction, a line or crosshair number), or the channel a row stands for.

enum class RadioAction {
    ManualWhiteBalance,
    AutoWhiteBalance,
    FrameSpeed,
    LutTrack,
    LutPreset,
    AutoExposure,
    ManualExposure,
    LightFrequency,
    TriggerContinuous,
    TriggerSoftware,
    TriggerHardware,
    LoadMode,
    ParameterGroup,
};

enum class SliderAction {
    WhiteBalanceGain,  // value: 0 red, 1 green, 2 blue
    Contrast,
    Sharpness,
    Saturation,
    Gamma,
    LutContrast,
    TargetBrightness,
    AnalogGain,
    ExposureTime,
    Focus,
};

enum class SpinBoxAction { WhiteBalanceGain, Gamma, LutContrast, AnalogGain, ExposureTime };

enum class LineEditAction { ExposureRange, GainRange, TriggerFrames, TriggerDelay };

enum class CheckAction { Mirror, Monochrome, DefectCorrection, Crosshair, AntiFlicker, Channel };

enum class ComboAction {
    PresetLut,
    ImageFormat,
    Resolution,
    InputLine,
    OutputLine,
    InputMode,
    TriggerEdge,
    OutputMode,
    StrobeMode,
    StrobePolarity,
    OutputLevel,
};

template <typename Action>
struct DispatchRow {
    const char* sender;
    Action action;
    int value;
};

const QList<DispatchRow<RadioAction>>& radioTable();
const QList<DispatchRow<SliderAction>>& sliderTable();
const QList<DispatchRow<SpinBoxAction>>& spinBoxTable();
const QList<DispatchRow<LineEditAction>>& lineEditTable();
const QList<DispatchRow<CheckAction>>& checkTable();
const QList<DispatchRow<ComboAction>>& comboTable();

// The first row of table whose sender name equals name (case-sensitive), or null.
template <typename Action>
const DispatchRow<Action>* findRow(const QList<DispatchRow<Action>>& table, const QString& name)
{
    for (const DispatchRow<Action>& row : table) {
        if (name == QLatin1String(row.sender))
            return &row;
    }
    return nullptr;
}

// ---- Wiring ----------------------------------------------------------------------------
// Controls connected once at construction, per generic slot, in connection order.
QStringList radioButtonsToConnect();
QStringList doubleSpinBoxesToConnect();
QStringList comboBoxesToConnect();
QStringList checkBoxesToConnect();
QStringList lineEditsToConnect();
// The eleven sliders the read-back disconnects while it fills the panel.
QStringList readBackSliders();
// The 52 controls whose signals the read-back blocks.
QStringList blockedControls();

// ---- Unit conversions ------------------------------------------------------------------

// Slider position for a spin-box value times factor, truncated toward zero. Values the
// spin box shows exactly (0.29 × 100) land on their own position although the product
// in binary floating point falls just short of it.
int sliderPosition(double value, double factor);

// Exposure slider position for an exposure time: whole steps, truncated toward zero.
int exposureSliderPosition(double exposureUs, double stepUs);

// Exposure slider position for a time shown in milliseconds with `decimals` digits. The
// spin box shows a slider position's time rounded to its digits, possibly down by half a
// unit; that time still belongs to the same position, so slider and spin box settle at
// once instead of walking the slider back one step at a time.
int exposureSliderPositionForMilliseconds(double milliseconds, double stepUs, int decimals);

// Line-edit texts as the panel sends them: text that does not parse counts as 0.
int integerOf(const QString& text);
double doubleOf(const QString& text);

// Auto-exposure range texts: milliseconds with six significant digits; gain in multiples
// with the thousandths the camera holds (15 999 is "15.999", 2000 is "2").
QString exposureRangeText(double microseconds);
QString gainRangeText(int thousandths);

// ---- Typed values ----------------------------------------------------------------------
// A field's text goes to the camera only as a complete value, once editing has finished;
// these rules say whether it is one and what is sent.

enum class Entry {
    Ok,
    Empty,
    NotANumber,   // letters, two decimal points, group separators, a lone "."
    NotWhole,     // a fraction where the camera takes whole numbers
    OutOfRange,   // outside the camera's range
    MinAboveMax,  // a range whose minimum lies above its maximum
};

// A number as a user types it: optional sign, digits and at most one decimal point, which
// may be "." or the locale's decimal point ("," in many European locales) whatever the
// locale. Group separators and exponents are refused, so "1,500" never becomes 1500.
// Surrounding blanks do not count.
Entry parseNumber(const QString& text, double* value, const QLocale& locale = QLocale());

// Inclusive limits of a value, in the unit of the field.
struct Limits {
    double lowest = 0;
    double highest = 0;
    bool contains(double value) const;
};

// One typed value checked against its limits; whole asks for a whole number.
Entry checkValue(const QString& text, const Limits& limits, bool whole, double* value,
                 const QLocale& locale = QLocale());

// A range typed into two fields (minimum, maximum), each inside limits, minimum not above
// maximum. *field tells which field is at fault: 0 the minimum, 1 the maximum.
struct RangeEntry {
    Entry entry = Entry::Ok;
    int field = 0;
    double minimum = 0;
    double maximum = 0;
};
RangeEntry checkRange(const QString& minimumText, const QString& maximumText, const Limits& limits,
                      const QLocale& locale = QLocale());

// Limits of the panel's fields as the camera reports them: exposure in milliseconds (the
// capability's step range times the step length), gain in multiples.
Limits exposureLimitsMs(int minimumSteps, int maximumSteps, double stepUs);
Limits gainLimits(int minimumMilli, int maximumMilli);
// The library's fixed ranges of the trigger fields.
constexpr Limits kTriggerFrameLimits{1, 1000};
constexpr Limits kTriggerDelayLimitsUs{0, 10000000};

// A limit as the hints show it: at most `decimals` decimals, trailing zeros dropped.
QString limitText(double value, int decimals);
// "lowest–highest" for hints.
QString limitsText(const Limits& limits, int decimals);

// Why the camera refused a setting, from the library's result.
enum class SettingRefusal { None, OutOfRange, WrongMode, NotSupported, CameraClosed, Other };
SettingRefusal settingRefusal(int result);

// Crosshair colours as the camera stores them: red + green × 256 + blue × 65536.
uint32_t packedColour(const QColor& colour);
QColor unpackedColour(uint32_t packed);
QString colourStyleSheet(const QColor& colour);

// Mask of the checked illumination channels: bit i for channel i.
int channelMask(const QList<bool>& checked);

// ---- Decisions -------------------------------------------------------------------------

// Hardware trigger needs a line to trigger from, so it is offered by input lines.
inline bool hardwareTriggerOffered(int inputLines)
{
    return inputLines > 0;
}

// What the read-back does with the special page ("特殊设置").
enum class SpecialPage { Keep, Show, Hide };
SpecialPage specialPageChange(int channelResult, int channels, int focusResult, int focusSupported);

// Result of the two GigE transport writes: which values the camera refused.
struct TransportRefusal {
    bool packetSize = false;
    bool interval = false;
    bool any() const { return packetSize || interval; }
};
inline TransportRefusal transportRefusal(int packetSizeResult, int intervalResult)
{
    return {packetSizeResult != 0, intervalResult != 0};
}

// Why a static address was refused, judged from the three texts and the library's result.
enum class AddressRefusal { None, Address, Mask, Gateway, OpenElsewhere, Other };
AddressRefusal addressRefusal(int result, const QString& address, const QString& mask,
                              const QString& gateway);

// Why a parameter file was refused, from the library's result.
enum class FileRefusal { None, Missing, Foreign, Truncated, Corrupt, OtherModel, Other };
FileRefusal fileRefusal(int result);

// Why an export failed: the library's result and what the folder chosen looks like.
enum class ExportRefusal {
    None,
    FolderMissing,
    NotAFile,
    FolderReadOnly,
    CannotWrite,
    CameraClosed,
    Other
};
ExportRefusal exportRefusal(int result, bool folderExists, bool folderWritable);

// What loading a parameter group came to. A group that cannot be loaded falls back to
// the factory defaults; the user is told which of them the camera now holds.
enum class GroupLoad {
    Loaded,
    EmptyGroupDefaults,
    DamagedGroupDefaults,
    GroupFailedDefaults,
    Failed
};
GroupLoad groupLoad(int groupResult, int factoryResult);

// A default focus position is known only when the library gives one within the focus
// range; anything else must not drive the focus anywhere.
bool focusDefaultKnown(int result, int position, int minimum, int maximum);

// ---- Names and record texts ------------------------------------------------------------

// A text that is to become part of a file name: path separators, characters not allowed
// in file names and leading dots become "_", so the name stays in the folder it is built
// for and the file is not hidden there.
QString fileNamePart(const QString& text);

// Export file name: folder + "/" + (key + "_Cfg_" when a load mode is chosen) + group
// letter + ".bin". An empty key with a load mode still adds "_Cfg_".
QString exportFileName(const QString& folder, bool hasLoadMode, const QString& key,
                       const QString& groupLetter);

// A Latin-1 text field of a library record, read up to its NUL or the end of the field.
template <std::size_t N>
QString latin1Field(const char (&field)[N])
{
    const void* end = std::memchr(field, '\0', N);
    return QString::fromLatin1(field, end ? int(static_cast<const char*>(end) - field) : int(N));
}

// Writes text into a 16-byte address field character by character: characters above
// U+00FF become 0, the rest of the field is zero-filled, the last byte always stays 0.
void setAddressField(char (&field)[16], const QString& text);

// Splitter sizes (device pane, windows, panel) that give the panel at least
// panelWidth, taken from the windows in the middle as far as they can give without
// going below minimumMiddle. Sizes that already fit come back unchanged.
QList<int> paneSizesFittingPanel(const QList<int>& sizes, int panelWidth, int minimumMiddle);

}  // namespace panel
