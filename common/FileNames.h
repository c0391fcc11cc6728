#pragma once
#include <QString>

// A text made usable as (part of) one file or folder name: path separators, the
// characters file systems refuse (\ / : * ? " < > |) and control characters become "_".
// Dots and blanks are left alone; callers decide what a name may start or end with.
QString withFileNameCharacters(const QString& text);
