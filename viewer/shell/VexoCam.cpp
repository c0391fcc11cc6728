#include "VexoCam.h"

#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLayout>
#include <QMenu>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolBox>
#include <QToolButton>
#include <QTranslator>
#include <QTreeWidgetItem>
#include <QUrl>
#include <algorithm>

#include "AboutWidget.h"
#include "CameraListWidget.h"
#include "ConfigWidget.h"
#include "ParameterPanelLogic.h"
#include "CameraThread.h"
#include "CustomWindowSettingWidget.h"
#include "SettingsStore.h"
#include "SuiteEnvironment.h"
#include "SuiteMessages.h"
#include "VexoCameraApi.h"
#include "WindowPlacement.h"
#include "ui_VexoCam.h"

namespace {
const int kSetAsidePage = 9;
// The camera windows keep at least this width when the panel grows to fit its texts.
const int kMinimumWindowsWidth = 320;
}  // namespace

VexoCam::VexoCam(QWidget* parent, const QString& programDir)
    : QMainWindow(parent),
      ui(new Ui::VexoCam),
      programDirectory(programDir.isEmpty() ? suite::programDirectory() : programDir)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_QuitOnClose);

    const bool english =
        suite::viewerUsesEnglish(settingsStore()->value(QStringLiteral("EDITION"),
                                                        QStringLiteral("Language")));
    qtTranslator = new QTranslator(this);
    suite::applyQtLanguage(qtTranslator, !english);
    translator = new QTranslator(this);
    if (!suite::loadAndInstall(translator, suite::translationFilePath(programDirectory,
                                                                      QStringLiteral("VexoCam"),
                                                                      english)))
        suite::showMessage(QMessageBox::Critical, this, tr("提示"), tr("切换语言失败"),
                           tr("确定"));
    ui->retranslateUi(this);

    refreshDeviceTree();

    ui->widget_settingToolbar->layout()->setSpacing(1);
    ui->widget_4->layout()->setSpacing(1);
    ui->tab_3->layout()->setSpacing(6);
    ui->widget_5->layout()->setSpacing(6);

    registerDeviceNotifications();
    buildScreenSwitchMenu();

    screenSwitchButton = new QToolButton(this);
    screenSwitchButton->setMenu(screenSwitchMenu);
    screenSwitchButton->setPopupMode(QToolButton::InstantPopup);
    screenSwitchButton->setText(tr("画面切换"));
    screenSwitchButton->setIcon(QIcon(QStringLiteral(":/images/ICO/FourScreen.png")));
    screenSwitchButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ui->toolBar->addWidget(screenSwitchButton);
    setUpAllCameraRecording();

    // The grid is built once the window is on screen.
    QTimer::singleShot(100, this, &VexoCam::restoreWindowGrid);

    ui->toolBox_2->setCurrentIndex(0);
    connectParameterPanel();
    ui->widget_devicewindows->installEventFilter(this);
    ui->tabWidget->setEnabled(false);
    ui->widget_settingToolbar->setEnabled(false);

    ui->splitter->setSizes({250, 625, 250});
    // A page opened, the camera's values or the language can make the open page wider.
    connect(ui->toolBox_2, &QToolBox::currentChanged, this,
            [this] { QTimer::singleShot(0, this, &VexoCam::fitParameterPanel); });

    parameterPageSetAside = ui->toolBox_2->widget(kSetAsidePage);
    ui->toolBox_2->removeItem(kSetAsidePage);
    parameterPageSetAside->hide();
    windowsContainerWidget = ui->widget_devicewindows;
    connect(ui->horizontalSlider_supportFocusing, SIGNAL(valueChanged(int)), this,
            SLOT(onSliderResult(int)));
}

VexoCam::~VexoCam()
{
    // The windows close their cameras while the tree and the list still exist; the
    // container has no parent while it is in full screen, so it is not ours to rely on.
    // Closing waits for acquisition threads while timers still run: a layout asked for
    // meanwhile (the start-up restore, say) is put off, which here means never.
    applyingLayout = true;
    const QList<CameraThread*> windows = cameraWindows;
    cameraWindows.clear();
    for (CameraThread* window : windows) {
        disconnect(window, nullptr, this, nullptr);
        delete window;
    }
    if (windowsContainerWidget && !windowsContainerWidget->parent())
        delete windowsContainerWidget;
    freeDeviceRecords();
    removeCustomLayoutActions();
    // The set-aside page has no parent while it is out of the tool box.
    if (parameterPageSetAside && !parameterPageSetAside->parent())
        delete parameterPageSetAside;
    delete ui;
}

void VexoCam::buildScreenSwitchMenu()
{
    screenSwitchMenu = new QMenu(this);
    screenSwitchMenu->addAction(ui->action_oneframe);
    screenSwitchMenu->addAction(ui->action_fourframe);
    screenSwitchMenu->addAction(ui->action_nineframe);
    screenSwitchMenu->addSeparator();
    screenSwitchMenu->addAction(ui->action_customframe);
    screenSwitchMenu->addAction(ui->action_fullScreen);
    screenSwitchMenu->addSeparator();
    addCustomLayoutActions();
}

void VexoCam::addCustomLayoutActions()
{
    for (const SceneFrameLayout& layout : settingsStore()->loadCustomLayouts()) {
        auto* action = new QAction(QIcon(QStringLiteral(":/images/ICO/FourScreen.png")),
                                   layout.name, this);
        // The action keeps its own copy of the layout for as long as the window lives.
        action->setData(QVariant::fromValue<void*>(new SceneFrameLayout(layout)));
        connect(action, &QAction::triggered, this, &VexoCam::onCustomLayoutTriggered);
        screenSwitchMenu->addAction(action);
        customFrameActions.append(action);
    }
}

void VexoCam::removeCustomLayoutActions()
{
    for (QAction* action : qAsConst(customFrameActions)) {
        delete static_cast<SceneFrameLayout*>(action->data().value<void*>());
        screenSwitchMenu->removeAction(action);
        delete action;
    }
    customFrameActions.clear();
}

void VexoCam::on_action_customframe_triggered()
{
    CustomWindowSettingWidget editor(settingsStore()->loadCustomLayouts(), this);
    if (editor.exec() != QDialog::Accepted)
        return;
    removeCustomLayoutActions();
    addCustomLayoutActions();
    if (settingsStore()->widgetCount() == 4)
        applyUsedCustomLayout();
}

void VexoCam::on_action_opencamera_triggered()
{
    auto* dialog = new CameraListWidget;
    connect(dialog, SIGNAL(cameraWidget_open(const QString)), this,
            SLOT(cameraWidget_open(const QString)));
    suite::showAttached(dialog, this);
}

void VexoCam::on_action_about_triggered()
{
    suite::showAttached(new AboutWidget, this);
}

// Widens the parameter panel, at the cost of the camera windows, until the open page fits
// without scrolling sideways (English texts are longer); the user can still drag the
// splitter. Only the open page is measured: a page's sizes are right once it is shown.
void VexoCam::fitParameterPanel()
{
    QWidget* open = ui->toolBox_2->currentWidget();
    auto* area = open && open->parentWidget()
                     ? qobject_cast<QScrollArea*>(open->parentWidget()->parentWidget())
                     : nullptr;
    if (!area || !area->isVisible())
        return;
    const int shortfall = open->minimumSizeHint().width() - area->viewport()->width();
    if (shortfall <= 0)
        return;
    const QList<int> sizes = ui->splitter->sizes();
    ui->splitter->setSizes(
        panel::paneSizesFittingPanel(sizes, sizes.value(2) + shortfall, kMinimumWindowsWidth));
}

void VexoCam::switchLanguage(bool english)
{
    const QString qmFile =
        suite::translationFilePath(programDirectory, QStringLiteral("VexoCam"), english);
    suite::applyQtLanguage(qtTranslator, !english);
    if (!suite::loadAndInstall(translator, qmFile))
        suite::showMessage(QMessageBox::Critical, this, tr("提示"), tr("设置失败"), tr("确定"));

    ui->retranslateUi(this);
    showPanelHints();
    screenSwitchButton->setText(tr("画面切换"));
    retranslateAllCameraRecording();
    if (gigeRoot)
        gigeRoot->setText(0, tr("网络相机"));
    if (usbRoot)
        usbRoot->setText(0, tr("USB相机"));
    for (CameraThread* window : qAsConst(cameraWindows))
        window->retranslate();
    if (currentCamera != 0)
        readBack(currentCamera);
    QTimer::singleShot(0, this, &VexoCam::fitParameterPanel);
    if (QTreeWidgetItem* item = ui->treeWidget_devicelist->currentItem())
        emit ui->treeWidget_devicelist->itemClicked(item, ui->treeWidget_devicelist->currentColumn());

    settingsStore()->setValue(QStringLiteral("EDITION"), QStringLiteral("Language"),
                              english ? 1 : 0);
}

void VexoCam::on_action_language_CH_triggered()
{
    switchLanguage(false);
}

void VexoCam::on_action_language_EN_triggered()
{
    switchLanguage(true);
}

void VexoCam::on_action_help_triggered()
{
    const QString manual = suite::manualFilePath(programDirectory);
    // Desktop services report success as soon as a viewer is launched, even for a file
    // that is not there, so the file is checked first.
    if (!QFileInfo(manual).isFile())
        suite::showMessage(QMessageBox::Critical, this, tr("提示"),
                           tr("请检查执行目录下是否存在软件使用说明书.pdf"), tr("确定"));
    else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(manual)))
        suite::showMessage(QMessageBox::Critical, this, tr("提示"),
                           tr("没有可以打开PDF文件的程序，请安装PDF阅读器后再打开软件使用说明书"),
                           tr("确定"));
}

bool VexoCam::startCompanion(const QString& programName)
{
    return QProcess::startDetached(suite::companionProgramPath(programDirectory, programName),
                                   QStringList());
}

void VexoCam::on_action_ipSettingTool_triggered()
{
    if (!startCompanion(QStringLiteral("Addrwright")))
        suite::showMessage(QMessageBox::Critical, this, tr("错误"),
                           tr("打开失败,请检查程序执行目录下是否存在IP配置程序"), tr("确定"));
}

void VexoCam::on_action_update_triggered()
{
    if (!startCompanion(QStringLiteral("Flashmere")))
        suite::showMessage(QMessageBox::Critical, this, tr("错误"),
                           tr("打开失败,请检查程序执行目录下是否存在升级程序"), tr("确定"));
}

void VexoCam::on_action_defaultParPath_triggered()
{
#ifdef Q_OS_WIN
    QString path = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                   QStringLiteral("/AppData/Roaming/VexoConfig");
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QProcess::startDetached(QStringLiteral("explorer ") + path);
#else
    char buffer[1024] = {};
    const int result = SdkGetParameterFolder(buffer, static_cast<int>(sizeof buffer));
    const QString folder = result == 0 ? QString::fromLocal8Bit(buffer) : QString();
    if (result != 0)
        qWarning() << "SdkGetParameterFolder failed:" << result;
    if (folder.isEmpty() || !QDir().mkpath(folder) ||
        !QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        suite::showMessage(
            QMessageBox::Critical, this, tr("提示"),
            tr("无法打开相机参数默认保存目录:%1").arg(QDir::toNativeSeparators(folder)),
            tr("确定"));
#endif
}

void VexoCam::on_action_capturesetting_triggered()
{
    openSettingsDialog(0);
}

void VexoCam::on_action_videosetting_triggered()
{
    openSettingsDialog(1);
}

void VexoCam::on_action_hotkey_triggered()
{
    openSettingsDialog(2);
}

void VexoCam::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
}

// ---------------------------------------------------------------------------------------
void VexoCam::openSettingsDialog(int page)
{
    // Non-modal: several may be open, each deletes itself on close.
    auto* dialog = new ConfigWidget(page, nullptr);
    showCameraFormatIn(dialog);
    suite::showAttached(dialog, this);
}

