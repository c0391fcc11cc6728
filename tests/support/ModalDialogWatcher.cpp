#include "ModalDialogWatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

ModalDialogWatcher::ModalDialogWatcher(QObject* parent) : QObject(parent)
{
    connect(&timer, &QTimer::timeout, this, &ModalDialogWatcher::poll);
    timer.start(20);
}

void ModalDialogWatcher::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    Seen seen;
    seen.className = QString::fromLatin1(modal->metaObject()->className());
    seen.title = modal->windowTitle();

    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen.text = box->text();
        for (QAbstractButton* button : box->buttons())
            seen.buttons.append(button->text());
        seenDialogs.append(seen);
        if (acceptDialogs && !box->buttons().isEmpty())
            box->buttons().first()->click();
        else
            box->reject();
        return;
    }
    if (auto* files = qobject_cast<QFileDialog*>(modal)) {
        seenDialogs.append(seen);
        if (fileAnswer.isEmpty()) {
            files->reject();
            return;
        }
        const QFileDialog::FileMode mode = files->fileMode();
        const bool choosesFiles = mode == QFileDialog::AnyFile || mode == QFileDialog::ExistingFile ||
                                  mode == QFileDialog::ExistingFiles;
        if (!choosesFiles) {
            files->setDirectory(fileAnswer);
        } else {
            files->setDirectory(QFileInfo(fileAnswer).absolutePath());
            // selectFile does not reach the name field of a dialog that is already shown
            // and has focus there, so the name is typed into it.
            if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(QFileInfo(fileAnswer).fileName());
            else
                files->selectFile(QFileInfo(fileAnswer).fileName());
        }
        QMetaObject::invokeMethod(files, "accept");
        return;
    }
    if (auto* input = qobject_cast<QInputDialog*>(modal)) {
        seen.text = input->labelText();
        seenDialogs.append(seen);
        if (acceptDialogs) {
            input->setTextValue(textAnswer);
            input->accept();
        } else {
            input->reject();
        }
        return;
    }
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        seenDialogs.append(seen);
        if (acceptDialogs)
            dialog->accept();
        else
            dialog->reject();
    }
}
