#pragma once
// Whether a folder named in the settings can take pictures or recordings. The text comes
// from the settings file or a line edit, so it may hold anything: a NUL byte (which the
// 8-bit path handed to the camera library would end at, so every file of a run would go
// to one name before it), nothing at all (the names would start with "/"), a relative
// name (files in whatever the working directory is), or a folder that is not there. A
// folder that is missing is made only once the user has said so: it may be a typing
// error, or a drive that is not mounted, whose mount point must not fill up instead.
#include <QString>

namespace savefolder {

enum class Problem {
    None,
    Empty,             // nothing, or blanks only
    ControlCharacter,  // a NUL byte, a line break or another control character
    Relative,          // not an absolute path
    NotAFolder,        // the folder, or a folder above it, is a file (or FIFO, device ...)
    Missing,           // not there yet; can be made once the user agrees
    NotWritable,
};

struct Check {
    Problem problem = Problem::None;
    QString folder;   // the folder as it is used: cleaned ("a//b/." is "a/b"), no end slash
    QString blocker;  // NotAFolder: what exists in the way, the folder itself or one above
};

// The folder the text names and what stands against using it.
Check check(const QString& text);

// Makes a missing folder and the folders above it; true when the folder is there then.
bool create(const QString& folder);

// The text as it can be shown: control characters as \xHH, so a NUL is visible.
QString shown(const QString& text);

// What the user is told about a problem (translated), naming the folder.
QString problemText(const Check& checked);
// Question asked before a missing folder is made, and the text when it cannot be.
QString createQuestion(const QString& folder);
QString createFailedText(const QString& folder);

}  // namespace savefolder
