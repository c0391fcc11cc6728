#pragma once
#include <QString>
#include <QStringList>

#include <set>

#include "SceneFrameLayout.h"

// Rules of the custom window layouts: the rectangle texts "row,column,rowSpan,columnSpan",
// the cells they cover and the checks applied to names and to layouts read from disk.
namespace customlayout {

// Layouts never exceed a 3 x 3 grid of windows.
constexpr int kMaxGridSize = 3;

struct GridRect {
    int row = 0;
    int column = 0;
    int rowSpan = 1;
    int columnSpan = 1;
};

struct GridCell {
    int row = 0;
    int column = 0;
    bool operator<(const GridCell& other) const
    {
        return row != other.row ? row < other.row : column < other.column;
    }
    bool operator==(const GridCell& other) const { return row == other.row && column == other.column; }
};

using CellSet = std::set<GridCell>;

// Parses "r,c,rs,cs" (blanks around the numbers allowed). False for anything else.
bool parseRectangle(const QString& text, GridRect& rect);
QString rectangleText(const GridRect& rect);

// Every cell of a rectangle; empty for a non-positive span.
CellSet cellsOf(const GridRect& rect);

// Bounding box of a set of cells (a 0 x 0 rectangle for an empty set).
GridRect boundingBox(const CellSet& cells);

// True when the cells fill their bounding box completely; false for no cells.
bool isFilledRectangle(const CellSet& cells);

// One 1 x 1 rectangle text per cell of the rectangle, row-major: what splitting a merged
// window gives back.
QStringList splitRectangle(const GridRect& rect);

// One 1 x 1 rectangle text per cell of a rows x columns grid, row-major.
QStringList defaultRectangles(int rows, int columns);

// Names are stored joined with "," and used in settings keys, and the rectangle lists are
// joined with "|"; a name with any of these characters would break the stored layouts.
bool isAcceptableLayoutName(const QString& name, const QStringList& existingNames);

// A layout read from the settings file made safe to build: a size outside 1 .. 3 makes
// the layout empty (rows = columns = 0, no rectangles); a rectangle that does not parse,
// has a non-positive span, reaches outside the layout's grid or overlaps an earlier
// rectangle is skipped. Valid rectangles keep their order (blanks around the numbers are
// dropped). When no rectangle is left the layout is empty as well.
SceneFrameLayout sanitizedLayout(const SceneFrameLayout& layout);

}  // namespace customlayout
