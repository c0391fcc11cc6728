// Parameter groups A to D, the factory defaults and parameter files (tab "参数保存" and
// the panel's toolbar).
#include <QCoreApplication>
#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QRadioButton>
#include <QStandardPaths>

#include "ParameterPanelLogic.h"
#include "SuiteMessages.h"
#include "VexoCam.h"
#include "VexoCameraApi.h"
#include "ui_VexoCam.h"

namespace {

QString fileDialogStartFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("D:");
#else
    return QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
#endif
}

QString groupLetter(int group)
{
    return QString(QLatin1Char(char('A' + group)));
}

}  // namespace

// Only the button being checked loads its group; the one being unchecked loads nothing,
// so leaving a group never replaces the camera's parameters twice. A group that cannot be
// loaded falls back to the factory defaults. Either way the panel is read back and the
// status line says what the camera now holds, and whether edits not saved were replaced.
void VexoCam::selectParameterGroup(int group, bool checked)
{
    if (!checked || currentCamera == 0)
        return;
    const int camera = currentCamera;
    const bool hadEdits = editedCameras.contains(camera);
    const int result = SdkLoadParameterGroup(camera, group);
    int factoryResult = VEXO_SDK_OK;
    if (result != VEXO_SDK_OK) {
        qDebug() << "SdkLoadParameterGroup" << group << "failed:" << result
                 << "- loading the factory defaults";
        factoryResult = SdkLoadParameterGroup(camera, VEXO_SDK_FACTORY_GROUP);
        if (factoryResult != VEXO_SDK_OK)
            qWarning() << "SdkLoadParameterGroup(factory) failed:" << factoryResult;
    }
    const QString letter = groupLetter(group);
    QString text;
    switch (panel::groupLoad(result, factoryResult)) {
        case panel::GroupLoad::Loaded:
            text = tr("已加载参数组%1").arg(letter);
            break;
        case panel::GroupLoad::EmptyGroupDefaults:
            text = tr("参数组%1还没有保存过参数，已加载出厂默认参数").arg(letter);
            break;
        case panel::GroupLoad::DamagedGroupDefaults:
            text = tr("参数组%1已损坏，已加载出厂默认参数").arg(letter);
            break;
        case panel::GroupLoad::GroupFailedDefaults:
            text = tr("无法加载参数组%1（错误码%2），已加载出厂默认参数").arg(letter).arg(result);
            break;
        case panel::GroupLoad::Failed:
            text = tr("无法加载参数组%1（错误码%2），相机参数未改变").arg(letter).arg(result);
            break;
    }
    const bool replaced = result == VEXO_SDK_OK || factoryResult == VEXO_SDK_OK;
    if (replaced) {
        editedCameras.remove(camera);
        if (hadEdits)
            text += tr("；之前未保存的修改已被替换");
    }
    readBack(camera);
    showPanelStatus(text);
}

void VexoCam::saveParameterGroup()
{
    if (currentCamera == 0)
        return;
    const QList<QRadioButton*> groups = {ui->radioButton_A, ui->radioButton_B, ui->radioButton_C,
                                         ui->radioButton_D};
    for (int g = 0; g < groups.size(); ++g) {
        if (groups[g]->isChecked()) {
            const int result = SdkSaveParameterGroup(currentCamera, g);
            if (result != VEXO_SDK_OK) {
                qWarning() << "SdkSaveParameterGroup" << g << "failed:" << result;
                suite::showMessage(QMessageBox::Critical, this, tr("提示"),
                                   tr("保存参数失败（错误码%1）").arg(result), tr("确定"));
            } else {
                editedCameras.remove(currentCamera);
                showPanelStatus(tr("参数已保存到参数组%1").arg(groupLetter(g)));
            }
            return;
        }
    }
    showPanelStatus(tr("请先选择要保存到的参数组"));
}

void VexoCam::restoreDefaultParameters()
{
    if (currentCamera == 0)
        return;
    const int camera = currentCamera;
    const int result = SdkLoadParameterGroup(camera, VEXO_SDK_FACTORY_GROUP);
    if (result != VEXO_SDK_OK)
        qDebug() << "SdkLoadParameterGroup(factory) failed:" << result;
    else
        editedCameras.remove(camera);
    readBack(camera);
    showPanelStatus(result == VEXO_SDK_OK ? tr("已加载出厂默认参数")
                                          : tr("无法加载出厂默认参数（错误码%1）").arg(result));
}

void VexoCam::importParameterFile()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("打开"), fileDialogStartFolder(),
                                                      tr("Camera config files(*.Bin)"));
    if (path.isEmpty() || currentCamera == 0)
        return;
    const int result = SdkImportParameterFile(currentCamera, path.toLocal8Bit().constData());
    if (result == VEXO_SDK_OK) {
        editedCameras.remove(currentCamera);
        readBack(currentCamera);
        showPanelStatus(tr("已加载参数文件%1").arg(QDir::toNativeSeparators(path)));
        return;
    }
    // The library changed nothing, so neither does the panel; the user learns why.
    QString reason;
    switch (panel::fileRefusal(result)) {
        case panel::FileRefusal::Missing:
            reason = tr("文件不存在或无法读取");
            break;
        case panel::FileRefusal::Foreign:
            reason = tr("不是参数文件");
            break;
        case panel::FileRefusal::Truncated:
            reason = tr("文件不完整");
            break;
        case panel::FileRefusal::Corrupt:
            reason = tr("文件已损坏");
            break;
        case panel::FileRefusal::OtherModel:
            reason = tr("文件属于其它型号的相机");
            break;
        case panel::FileRefusal::None:
        case panel::FileRefusal::Other:
            reason = tr("错误码%1").arg(result);
            break;
    }
    suite::showMessage(QMessageBox::Critical, this, tr("提示"),
                       tr("加载参数文件失败：%1").arg(reason), tr("确定"));
}

void VexoCam::exportParameterFile()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("选择"), QCoreApplication::applicationDirPath(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty() || currentCamera == 0)
        return;
    VexoCameraParameters parameters{};
    SdkGetCameraParameters(currentCamera, &parameters);
    const VexoDeviceInfo& device = parameters.device;
    QString key;
    bool hasLoadMode = true;
    if (ui->radioButton_model->isChecked())
        key = panel::latin1Field(device.productName);
    else if (ui->radioButton_name->isChecked())
        key = QString::fromLocal8Bit(device.deviceName,
                                     int(qstrnlen(device.deviceName, sizeof device.deviceName)));
    else if (ui->radioButton_number->isChecked())
        key = panel::latin1Field(device.cameraIdentifier);
    else
        hasLoadMode = false;
    QString letter;
    const QList<QRadioButton*> groups = {ui->radioButton_A, ui->radioButton_B, ui->radioButton_C,
                                         ui->radioButton_D};
    for (int g = 0; g < groups.size() && letter.isEmpty(); ++g) {
        if (groups[g]->isChecked())
            letter = groupLetter(g);
    }
    const QString name = panel::exportFileName(folder, hasLoadMode, key, letter);
    const int result = SdkExportParameterFile(currentCamera, name.toLocal8Bit().constData());
    if (result == VEXO_SDK_OK) {
        showPanelStatus(tr("参数已导出到%1").arg(QDir::toNativeSeparators(name)));
        return;
    }
    qWarning() << "SdkExportParameterFile" << name << "failed:" << result;
    const QFileInfo folderInfo(folder);
    const QString nativeName = QDir::toNativeSeparators(name);
    QString reason;
    switch (panel::exportRefusal(result, folderInfo.isDir(), folderInfo.isWritable())) {
        case panel::ExportRefusal::FolderMissing:
            reason = tr("文件夹%1不存在").arg(QDir::toNativeSeparators(folder));
            break;
        case panel::ExportRefusal::NotAFile:
            reason = tr("%1是文件夹或设备，不能作为参数文件").arg(nativeName);
            break;
        case panel::ExportRefusal::FolderReadOnly:
            reason = tr("没有写入文件夹%1的权限").arg(QDir::toNativeSeparators(folder));
            break;
        case panel::ExportRefusal::CannotWrite:
            reason = tr("无法写入%1（文件只读或磁盘已满）").arg(nativeName);
            break;
        case panel::ExportRefusal::CameraClosed:
            reason = tr("相机已关闭");
            break;
        case panel::ExportRefusal::None:
        case panel::ExportRefusal::Other:
            reason = tr("%1（错误码%2）").arg(nativeName).arg(result);
            break;
    }
    suite::showMessage(QMessageBox::Critical, this, tr("提示"),
                       tr("导出参数文件失败：%1").arg(reason), tr("确定"));
}

void VexoCam::on_pushButton_save_clicked()
{
    saveParameterGroup();
}

void VexoCam::on_pushButton_saveInfo_clicked()
{
    saveParameterGroup();
}

void VexoCam::on_pushButton_recove_clicked()
{
    restoreDefaultParameters();
}

void VexoCam::on_pushButton_restoreDefaultParameters_clicked()
{
    restoreDefaultParameters();
}

void VexoCam::on_pushButton_load_clicked()
{
    importParameterFile();
}

void VexoCam::on_pushButton_loadParametersToFile_clicked()
{
    importParameterFile();
}

void VexoCam::on_pushButton_savefile_clicked()
{
    exportParameterFile();
}

void VexoCam::on_pushButton_saveParametersToFile_clicked()
{
    exportParameterFile();
}
