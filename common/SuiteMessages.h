#pragma once
#include <QMessageBox>
#include <QString>

namespace suite {

// A message box with one button whose text is ours ("确定") rather than the
// platform's "OK". Blocks until the user answers.
void showMessage(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                 const QString& text, const QString& buttonText);

// A question with two buttons of our own texts; true when the user chose yesText.
// Closing the box counts as no.
bool askQuestion(QWidget* parent, const QString& title, const QString& text, const QString& yesText,
                 const QString& noText);

}  // namespace suite
