// Parameter groups A to D, the factory defaults and parameter files (tab "参数保存" and
// the panel's toolbar).
#include <QCoreApplication>
#include <QDebug>
#include <QFileDialog>
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

}  // namespace

// A radio button of the group box runs both when it is unchecked and when it is checked,
// so leaving one group loads it once more before the new one is loaded. Loading a group,
// or the factory defaults a failed load falls back to, changes every camera value, so the
// panel is read back once the new group is in.
void VexoCam::selectParameterGroup(int group, bool checked)
{
    const int result = SdkLoadParameterGroup(currentCamera, group);
    if (result != VEXO_SDK_OK) {
        qDebug() << "SdkLoadParameterGroup" << group << "failed:" << result
                 << "- loading the factory defaults";
        SdkLoadParameterGroup(currentCamera, VEXO_SDK_FACTORY_GROUP);
    }
    if (checked && currentCamera != 0)
        readBack(currentCamera);
}

void VexoCam::saveParameterGroup()
{
    const QList<QRadioButton*> groups = {ui->radioButton_A, ui->radioButton_B, ui->radioButton_C,
                                         ui->radioButton_D};
    for (int g = 0; g < groups.size(); ++g) {
        if (groups[g]->isChecked()) {
            const int result = SdkSaveParameterGroup(currentCamera, g);
            if (result != VEXO_SDK_OK) {
                qWarning() << "SdkSaveParameterGroup" << g << "failed:" << result;
                suite::showMessage(QMessageBox::Critical, this, tr("提示"),
                                   tr("保存参数失败（错误码%1）").arg(result), tr("确定"));
            }
            return;
        }
    }
}

void VexoCam::restoreDefaultParameters()
{
    const int result = SdkLoadParameterGroup(currentCamera, VEXO_SDK_FACTORY_GROUP);
    if (result != VEXO_SDK_OK)
        qDebug() << "SdkLoadParameterGroup(factory) failed:" << result;
    readBack(currentCamera);
}

void VexoCam::importParameterFile()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("打开"), fileDialogStartFolder(),
                                                      tr("Camera config files(*.Bin)"));
    if (path.isEmpty())
        return;
    const int result = SdkImportParameterFile(currentCamera, path.toLocal8Bit().constData());
    if (result == VEXO_SDK_OK) {
        readBack(currentCamera);
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
    if (folder.isEmpty())
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
            letter = QString(QLatin1Char(char('A' + g)));
    }
    const QString name = panel::exportFileName(folder, hasLoadMode, key, letter);
    const int result = SdkExportParameterFile(currentCamera, name.toLocal8Bit().constData());
    if (result != VEXO_SDK_OK) {
        qWarning() << "SdkExportParameterFile" << name << "failed:" << result;
        suite::showMessage(QMessageBox::Critical, this, tr("提示"),
                           tr("导出参数文件失败：无法写入%1").arg(QDir::toNativeSeparators(name)),
                           tr("确定"));
    }
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
