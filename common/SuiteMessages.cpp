#include "SuiteMessages.h"

namespace suite {

void showMessage(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                 const QString& text, const QString& buttonText)
{
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    box.addButton(buttonText, QMessageBox::AcceptRole);
    box.exec();
}

}  // namespace suite
