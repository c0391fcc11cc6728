#pragma once
// The folder a picture or recording is about to be written to, asked about where needed:
// the rules are those of SaveFolderLogic; a missing folder is made only after the user
// agreed in a question box.
#include <QString>

class QWidget;

namespace savefolder {

struct Prepared {
    bool ready = false;
    QString folder;         // ready: the folder to write into, there and cleaned
    QString refusal;        // not ready: what the user is told (translated)
    bool declined = false;  // not ready because the user chose not to make the folder
};

// Checks text and, when the folder is missing, asks over parent whether to make it.
Prepared prepare(QWidget* parent, const QString& text);

}  // namespace savefolder
