#pragma once
#include <QMetaType>
#include <QString>
#include <QStringList>

// One arrangement of camera windows: a rows x columns grid and, per window in window
// order, the rectangle it covers written "row,column,rowSpan,columnSpan".
struct SceneFrameLayout {
    QString name;             // empty for the built-in one, four and nine window grids
    int rows = 0;
    int columns = 0;
    QStringList rectangles;
};

Q_DECLARE_METATYPE(SceneFrameLayout)
