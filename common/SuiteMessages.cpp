#include "SuiteMessages.h"

#include <QPushButton>

namespace suite {

void showMessage(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                 const QString& text, const QString& buttonText)
{
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    box.addButton(buttonText, QMessageBox::AcceptRole);
    box.exec();
}

bool askQuestion(QWidget* parent, const QString& title, const QString& text, const QString& yesText,
                 const QString& noText)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(yesText, QMessageBox::AcceptRole);
    QPushButton* no = box.addButton(noText, QMessageBox::RejectRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

}  // namespace suite
