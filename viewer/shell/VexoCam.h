#pragma once
#include <QPointer>
#include <QList>
#include <QMainWindow>
#include <QSet>

#include "ParameterPanelLogic.h"
#include "SceneFrameLayout.h"

namespace Ui {
class VexoCam;
}
class CameraThread;
class ConfigWidget;
class DeviceNotifier;
class QAbstractSpinBox;
class QAction;
class QCheckBox;
class QGridLayout;
class QMenu;
class QToolButton;
class QTranslator;
class QTreeWidgetItem;
class RoiWidget;

// The viewer's main window: device tree, camera window grid and parameter panel.
class VexoCam : public QMainWindow {
    Q_OBJECT
public:
    // programDir is where translations, the manual and the companion programs lie.
    explicit VexoCam(QWidget* parent = nullptr, const QString& programDir = QString());
    ~VexoCam() override;

    int currentCameraHandle() const { return currentCamera; }
    QWidget* windowsContainer() const { return windowsContainerWidget; }
    QWidget* setAsideParameterPage() const { return parameterPageSetAside; }
    const QList<QAction*>& customLayoutActions() const { return customFrameActions; }
    const QList<CameraThread*>& cameraWindowList() const { return cameraWindows; }
    // "全部录像" / "停止全部录像" (VexoCam_Recording.cpp).
    QAction* allRecordingAction() const { return allRecording; }
    // The summary file of the last all-camera recording; empty before one ended.
    QString lastAllCameraSummary() const { return allRecordingSummary; }

public slots:
    void cameraWindowSetting(SceneFrameLayout& layout);
    void cameraWidget_open(const QString cameraSn);
    void onOpenCamera(const QString& identifier);
    void onCloseCamera(const QString& identifier);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override;

private slots:
    void on_action_opencamera_triggered();
    void on_action_defaultParPath_triggered();
    void on_action_capturesetting_triggered();
    void on_action_videosetting_triggered();
    void on_action_hotkey_triggered();
    void on_action_ipSettingTool_triggered();
    void on_action_update_triggered();
    // The feature browser of the selected camera window's camera (VexoCam_Features.cpp).
    void on_action_cameraFeatures_triggered();
    void on_action_help_triggered();
    void on_action_about_triggered();
    void on_action_language_CH_triggered();
    void on_action_language_EN_triggered();
    void onCustomLayoutTriggered();
    void restoreWindowGrid();
    void on_action_oneframe_triggered();
    void on_action_fourframe_triggered();
    void on_action_nineframe_triggered();
    void on_action_customframe_triggered();
    void on_action_fullScreen_triggered();
    void onCameraWidgetEnterFullScreen();
    void onCameraWidgetExitFullScreen();
    void onWindowMoving(int& oldRow, int& oldColumn, int& newRow, int& newColumn);

    void on_treeWidget_devicelist_itemClicked(QTreeWidgetItem* item, int column);
    void on_treeWidget_devicelist_itemDoubleClicked(QTreeWidgetItem* item, int column);
    void on_pushButton_onoff_clicked();
    void on_pushButton_refresh_clicked();
    void on_pushButton_expand_clicked();
    void on_pushButton_collapse_clicked();
    void on_pushButton_deviceName_clicked();
    void onDeviceChanged(unsigned event, bool hasHeader, unsigned headerDeviceType);

    // Parameter panel: generic slots dispatching by the sender's object name.
    void onRadioClickResult(bool status);
    void onSliderResult(int value);
    void onCheckStatsResult(bool checked);
    void onLineEditResult(QString text);
    void onLineEditFinished();
    void onDoubleSpinBoxFruits(double value);
    void onConboxResult(int index);
    void on_pushButton_tirggeronce_clicked();
    void on_pushButton_onetouth_clicked();
    void on_pushButton_roi_clicked();
    void on_pushButton_restore_clicked();
    void on_pushButton_ipsett_clicked();
    // Parameter groups and files.
    void on_pushButton_save_clicked();
    void on_pushButton_saveInfo_clicked();
    void on_pushButton_recove_clicked();
    void on_pushButton_restoreDefaultParameters_clicked();
    void on_pushButton_load_clicked();
    void on_pushButton_loadParametersToFile_clicked();
    void on_pushButton_savefile_clicked();
    void on_pushButton_saveParametersToFile_clicked();

private:
    void switchLanguage(bool english);
    void buildScreenSwitchMenu();
    void addCustomLayoutActions();
    void removeCustomLayoutActions();
    QGridLayout* grid() const;
    void applyBuiltInLayout(int n);
    void applyUsedCustomLayout();
    void leaveContainerFullScreen();
    bool startCompanion(const QString& programName);
    // Forgets a camera window that was deleted outside the layout procedure.
    void forgetCameraWindow(QObject* window);

    void refreshDeviceTree();
    void freeDeviceRecords();
    void registerDeviceNotifications();
    bool openCameraInWindow(const QString& identifier);
    QTreeWidgetItem* findDeviceItem(const QString& identifier) const;
    void markDeviceOpen(QTreeWidgetItem* item, bool open);

    // Pieces of the window that other parts of the viewer provide.
    void connectParameterPanel();
    void readBack(int cameraHandle);
    void openSettingsDialog(int page);
    void openFeatureBrowser(CameraThread* window);

    // Parameter panel (VexoCam_Parameters.cpp, VexoCam_ReadBack.cpp,
    // VexoCam_ParameterGroups.cpp).
    void blockPanelSignals();
    void unblockPanelSignals();
    void setPanelSignalsBlocked(bool blocked);
    void connectReadBackSliders(bool connected);
    void showTriggerMode(int mode, int inputLines, int outputLines);
    void showInputLine(int line, bool onlyWhenRead);
    void showOutputLine(int line, bool onlyWhenRead);
    void changeResolution(int index);
    void showResolutionLabels();
    void chooseCrosshairColour(int crosshair);
    void applyTransportSettings();
    void selectParameterGroup(int group, bool checked);
    void showPanelHints();
    void showPanelStatus(const QString& text);
    void fitParameterPanel();
    QString refusedInputText(QAbstractSpinBox* spin, const QString& attempted) const;
    void disableParameterPanel();
    // parameterEdit: a change that a parameter group would hold (all but the load mode).
    bool reportSetting(const char* operation, int result, const QString& what,
                       bool parameterEdit = true);
    void reportEntry(const QString& what, panel::Entry entry, const QString& text,
                     const QString& limits);
    void showHeldValue(panel::SliderAction action);
    void showHeldTexts(panel::LineEditAction action);
    bool showNetworkConfig(const QByteArray& identifier);
    void showAddressModeFields();
    RoiWidget* openRegionDialog();
    void readBackSpecialPage();
    void rebuildChannelBoxes(int channels);
    void saveParameterGroup();
    void restoreDefaultParameters();
    void importParameterFile();
    void exportParameterFile();

    Ui::VexoCam* ui;
    QString programDirectory;
    QTreeWidgetItem* gigeRoot = nullptr;
    QTreeWidgetItem* usbRoot = nullptr;
    DeviceNotifier* deviceNotifier = nullptr;
    QList<CameraThread*> cameraWindows;
    int currentCamera = 0;
    QTranslator* translator = nullptr;
    // Qt's own texts (file dialogs, standard buttons) in Chinese; not installed for English.
    QTranslator* qtTranslator = nullptr;
    QMenu* screenSwitchMenu = nullptr;
    QToolButton* screenSwitchButton = nullptr;
    QList<QAction*> customFrameActions;
    // The current camera's size and rate, for what the recording page's options cost.
    void showCameraFormatIn(ConfigWidget* dialog) const;
    void setUpAllCameraRecording();
    void retranslateAllCameraRecording();
    void toggleAllCameraRecording();
    void startAllCameraRecording();
    void stopAllCameraRecording();
    QAction* allRecording = nullptr;
    QString allRecordingFolder;  // where the running all-camera recording writes
    QString allRecordingSummary;
    QList<QPointer<CameraThread>> allRecordingWindows;
    QWidget* parameterPageSetAside = nullptr;
    QWidget* windowsContainerWidget = nullptr;
    QList<QCheckBox*> channelBoxes;
    // Cameras changed from the panel since their parameters were last loaded or saved.
    QSet<int> editedCameras;
    bool fillingPanel = false;
    bool readBackPending = false;
    QString lastPanelStatus;
    bool applyingLayout = false;
};
