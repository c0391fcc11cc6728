#pragma once
#include <QList>
#include <QString>
#include <QVariant>

#include "SceneFrameLayout.h"

class QSettings;

// Picture capture preferences, group CAPTURE.
struct CaptureSettings {
    QString savePath;
    int autoSaveState = 0;    // 0 ask for a folder, 2 save into savePath (check-box state)
    int pictureType = 0;      // 0 BMP, 1 JPG, 2 PNG, 3 TIFF
    QString nameRulePrefix;
    int nameRuleFormat = 0;   // 0 prefix + date and time, 1 prefix + running index
    int nameRuleIndex = 0;
    int captureMode = 0;      // continuous capture: 0 by frame count, 1 by time
    int grapNumberRadix = 0;
    int grapNumberStop = 0;
    int grapNumberCount = 0;
    int grapTimeRadix = 0;    // milliseconds
    int grapTimeStop = 0;
    int grapTimeCount = 0;    // milliseconds
    // 2: pictures of grey cameras deeper than 8 bits keep the camera's depth (16-bit PNG or
    // TIFF); 0: every picture is the 8-bit image shown.
    int keepBitDepth = 0;
};

// Video recording preferences, group RECORDINFO.
struct RecordSettings {
    QString savePath;
    int autoSaveState = 0;
    int videoType = 0;        // 0 MP4, 1 AVI, 2 image sequence (TIFF pictures)
    int videoQuality = 0;     // 0 normal, 1 better, 2 best
    int playSpeed = 0;        // 1 camera's own frame rate, 0 autoFrameRate
    int autoFrameRate = 0;    // frames per second
    QString nameRulePrefix;
    int nameRuleFormat = 0;
    int nameRuleIndex = 0;
    int frameInfoState = 0;   // 2: a per-frame CSV beside video files (sequences always)
    int frameStop = 0;        // 2: stop after frameStopCount frames
    int frameStopCount = 100;
    int timeStop = 0;         // 2: stop after timeStopSeconds
    int timeStopSeconds = 10;
    int preTriggerSeconds = 0;  // newest seconds kept to start recordings with, 0 to 10
};

// The running file-name index that follows index (NameRuleIndex of both groups). Past
// the largest index the setting can hold it starts again at 1, the index a reset gives:
// names stay defined, and a name already taken gets a suffix as any other.
int nextNameRuleIndex(int index);

// Custom playback rates of recordings (RECORDINFO/AutoFrameRate), frames per second.
// 240 is as fast as the suite's fastest camera runs; faster rates squeezed seconds of
// recording into milliseconds, and the largest gave files without a duration.
constexpr int kLowestCustomFrameRate = 1;
constexpr int kHighestCustomFrameRate = 240;
// The custom rate as a recording uses it: above the highest it is the highest; below the
// lowest it is 0, no rate, which recording refuses with its own message.
int boundedCustomFrameRate(int autoFrameRate);

// Key combinations of the camera window, group HOTKEYINFO, as portable texts.
struct HotkeySettings {
    QString windowSize;
    QString originalSize;
    QString enlarge;
    QString narrow;
    QString recording;
    QString photogrape;
    QString onoff;
    QString displaySwitch;
};

// The viewer's preferences in Config.ini. One instance lives for the whole process, from
// its first use to the process's end (see settingsStore()); it mirrors the capture, recording and
// hotkey groups in memory and resets them when the file is new or from another version.
class SettingsStore {
public:
    SettingsStore();                                // the user's Config.ini
    explicit SettingsStore(const QString& filePath);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    static QString defaultFilePath();
    QString filePath() const;

    QVariant value(const QString& group, const QString& key) const;
    void setValue(const QString& group, const QString& key, const QVariant& value);

    CaptureSettings& captureSettings() { return captureMirror; }
    RecordSettings& recordSettings() { return recordMirror; }
    HotkeySettings& hotkeySettings() { return hotkeyMirror; }

    bool saveCaptureSettings(const CaptureSettings& capture);
    bool saveRecordSettings(const RecordSettings& record);
    bool saveHotkeySettings(const HotkeySettings& hotkeys);
    bool loadCaptureSettings(CaptureSettings& capture);
    bool loadRecordSettings(RecordSettings& record);
    bool loadHotkeySettings(HotkeySettings& hotkeys);
    void resetCaptureSettings();
    void resetRecordSettings();
    void resetHotkeySettings();

    void writeVersion();
    void resetWidgetCount();
    // The stored window grid, WIDGETINFO/WidgetCount: 1, 2 or 3 (n x n windows) or 4 (the
    // custom layout in use). Anything else, the key missing included, reads as 1: the
    // viewer never comes up without a window to open a camera in.
    int widgetCount() const;

    // Custom window layouts, group CUSTOMWIDGET, in stored order.
    QList<SceneFrameLayout> loadCustomLayouts() const;
    void saveCustomLayouts(const QList<SceneFrameLayout>& layouts);

    // Writes pending changes to disk now (the store otherwise writes when Qt's event
    // loop gets to it or at exit).
    void sync();

    static CaptureSettings defaultCaptureSettings();
    static RecordSettings defaultRecordSettings();
    static HotkeySettings defaultHotkeySettings();
    static QString defaultPictureFolder();
    static QString defaultVideoFolder();

private:
    void open(const QString& filePath);

    QSettings* settings = nullptr;
    QString version;
    RecordSettings recordMirror;
    CaptureSettings captureMirror;
    HotkeySettings hotkeyMirror;
};

// The process-wide store. Its file is the one AppDataLocation names during static
// initialisation; the file is opened (and written when new) on the first call.
SettingsStore* settingsStore();
