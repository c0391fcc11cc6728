#pragma once
#include <QString>
#include <QWidget>
#include <array>

#include "SettingsStore.h"

namespace Ui {
class ConfigWidget;
}
class CustomKeySequenceEdit;
class QLineEdit;
class SettingsStore;

// The viewer's preferences window: picture capture, video recording and hotkeys, one
// page each with its own reset (controls only) and OK. Every OK writes its own page and
// every other page the user changed, then closes: edits on a page out of sight are not
// lost. A top-level window that deletes itself when closed and follows language changes.
class ConfigWidget : public QWidget {
    Q_OBJECT
public:
    // page: shown first, 0 capture, 1 recording, 2 hotkeys.
    explicit ConfigWidget(int page, QWidget* parent = nullptr);
    ~ConfigWidget() override;

    static constexpr int kHotkeyCount = 8;
    // The camera the pre-trigger's memory is shown for: its picture size and frame rate.
    void setCameraFormat(int width, int height, double framesPerSecond);
    // Current text of each hotkey field, in settings order.
    const std::array<QString, kHotkeyCount>& currentHotkeyTexts() const { return hotkeyTexts; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void on_pushButton_init_clicked();
    void on_pushButton_save_clicked();
    void on_pushButton_openFile_clicked();
    void onRadioClickResult(bool checked);
    void on_pushButton_recordFileSelect_clicked();
    void on_pushButton_recordInit_clicked();
    void on_pushButton_recordSave_clicked();
    void listWidgetCurrentRow(int row);
    void on_pushButton_hotkeySave_clicked();
    void on_pushButton_hoykeyInit_clicked();

private:
    enum Page { CapturePage = 0, RecordPage = 1, HotkeyPage = 2 };
    static constexpr int kSequenceType = 2;  // comboBox_videoType: MP4, AVI, sequence

    void fillCapturePage();
    void fillRecordPage();
    // Options a sequence does not offer: no quality, the frame list always on.
    void showSequenceChoices();
    void showBitDepthChoice();
    // What the chosen pre-trigger costs; false when it is more than the limit.
    bool showPreTriggerCost();
    void fillHotkeyPage();
    // What each page would write now.
    CaptureSettings capturePageValues() const;
    RecordSettings recordPageValues() const;
    HotkeySettings hotkeyPageValues() const;
    // OK of page okPage: writes that page and every page changed since the window
    // opened, then closes. Refuses, saying why and showing the hotkeys, while changed
    // hotkeys clash.
    void saveAndClose(Page okPage);
    void retranslate();
    void fitPageList();
    std::array<CustomKeySequenceEdit*, kHotkeyCount> hotkeyFields() const;
    QString chooseFolder();
    // True when the folder in field can be saved (a missing one made once the user
    // agreed); otherwise the user has been told why, and field has the focus.
    bool acceptFolder(QLineEdit* field);
    void showResetDone();

    Ui::ConfigWidget* ui;
    int cameraWidth = 0;
    int cameraHeight = 0;
    double cameraRate = 0;
    int page;
    SettingsStore* store;
    std::array<QString, kHotkeyCount> hotkeyTexts;
    // The pages as they were filled, to tell which ones the user changed.
    CaptureSettings shownCapture;
    RecordSettings shownRecord;
    HotkeySettings shownHotkeys;
};
