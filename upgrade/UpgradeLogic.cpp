#include "UpgradeLogic.h"

#include <QCoreApplication>

namespace upgradetool {

StatusCell cameraStatusCell(int openedFlag)
{
    StatusCell cell;
    if (openedFlag == 1) {
        cell.text = QCoreApplication::translate("Flashmere", "已打开");
        cell.background = QColor(117, 241, 60);
    } else {
        cell.text = QCoreApplication::translate("Flashmere", "空闲");
    }
    return cell;
}

ResultMessage upgradeResultMessage(int resultCode)
{
    ResultMessage message;
    message.shown = true;
    message.icon = QMessageBox::Critical;
    switch (resultCode) {
    case 0:
        message.icon = QMessageBox::Information;
        message.text = QCoreApplication::translate("Flashmere", "升级成功,请断电重启相机");
        break;
    case -22:
        message.text = QCoreApplication::translate("Flashmere", "升级失败,升级文件路径错误");
        break;
    case -18:
        message.text = QCoreApplication::translate("Flashmere", "升级失败,设备已经打开");
        break;
    case -4:
        message.text = QCoreApplication::translate("Flashmere", "升级失败,升级文件不匹配");
        break;
    case -1:
        message.text = QCoreApplication::translate("Flashmere", "升级失败,操作失败");
        break;
    default:
        message = ResultMessage();
        break;
    }
    return message;
}

QString upgradeFileFilter()
{
    return QStringLiteral("Camera upgrade file (*.upg)");
}

}  // namespace upgradetool
