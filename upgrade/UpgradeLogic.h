#pragma once
#include <QColor>
#include <QMessageBox>
#include <QString>

#include <cstdint>

// The rules of the firmware upgrade tool that need no widget.
namespace upgradetool {

// Status cell of a camera: "已打开" on green for an opened flag of exactly 1, else "空闲".
struct StatusCell {
    QString text;
    QColor background;  // invalid: no background
};
StatusCell cameraStatusCell(int openedFlag);

// The box an upgrade result is reported with; codes without a message end silently.
struct ResultMessage {
    bool shown = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
};
ResultMessage upgradeResultMessage(int resultCode);

// Filter of the upgrade file dialog. Qt reads patterns only from inside parentheses
// ("Description (*.a *.b)"); a filter without them is split at spaces and every word
// becomes a pattern, which hides the upgrade files.
QString upgradeFileFilter();

}  // namespace upgradetool
