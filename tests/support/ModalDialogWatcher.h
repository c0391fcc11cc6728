#pragma once
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

// Modal dialogs (message boxes, file and input dialogs) block the test that opened them.
// The watcher polls for the active modal widget, records what it showed and answers it.
class ModalDialogWatcher : public QObject {
    Q_OBJECT
public:
    struct Seen {
        QString className;
        QString title;
        QString text;
        QStringList buttons;
    };

    explicit ModalDialogWatcher(QObject* parent = nullptr);

    // Accept message boxes (their first button) and other dialogs, or reject them.
    void setAccept(bool accept) { acceptDialogs = accept; }
    // A file dialog selects this path and is accepted; without one it is cancelled.
    void setFileAnswer(const QString& path) { fileAnswer = path; }
    // An input dialog gets this text and is accepted.
    void setTextAnswer(const QString& text) { textAnswer = text; }

    const QList<Seen>& seen() const { return seenDialogs; }
    int count() const { return seenDialogs.size(); }
    void clear() { seenDialogs.clear(); }

private:
    void poll();

    QTimer timer;
    bool acceptDialogs = true;
    QString fileAnswer;
    QString textAnswer;
    QList<Seen> seenDialogs;
};
