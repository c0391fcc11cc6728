#pragma once
#include <QList>
#include <QMainWindow>

#include "SceneFrameLayout.h"

namespace Ui {
class VexoCam;
}
class CameraThread;
class QAction;
class QMenu;
class QToolButton;
class QTranslator;
class QTreeWidgetItem;

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

public slots:
    void cameraWindowSetting(SceneFrameLayout& layout);

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
    void on_action_help_triggered();
    void on_action_about_triggered();
    void on_action_language_CH_triggered();
    void on_action_language_EN_triggered();
    void onCustomLayoutTriggered();
    void restoreWindowGrid();

private:
    void switchLanguage(bool english);
    void buildScreenSwitchMenu();
    bool startCompanion(const QString& programName);

    // Pieces of the window that other parts of the viewer provide.
    void refreshDeviceTree();
    void registerDeviceNotifications();
    void connectParameterPanel();
    void readBack(int cameraHandle);
    void openSettingsDialog(int page);

    Ui::VexoCam* ui;
    QString programDirectory;
    QTreeWidgetItem* gigeRoot = nullptr;
    QTreeWidgetItem* usbRoot = nullptr;
    QList<CameraThread*> cameraWindows;
    int currentCamera = 0;
    QTranslator* translator = nullptr;
    QMenu* screenSwitchMenu = nullptr;
    QToolButton* screenSwitchButton = nullptr;
    QList<QAction*> customFrameActions;
    QWidget* parameterPageSetAside = nullptr;
    QWidget* windowsContainerWidget = nullptr;
};
