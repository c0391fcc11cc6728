#include "CustomLayoutLogic.h"


#include <algorithm>

namespace customlayout {

bool parseRectangle(const QString& text, GridRect& rect)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    int numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    rect = GridRect{numbers[0], numbers[1], numbers[2], numbers[3]};
    return true;
}

QString rectangleText(const GridRect& rect)
{
    return QStringLiteral("%1,%2,%3,%4").arg(rect.row).arg(rect.column).arg(rect.rowSpan).arg(rect.columnSpan);
}

CellSet cellsOf(const GridRect& rect)
{
    CellSet cells;
    // Spans are bounded so that a garbage rectangle cannot produce millions of cells.
    if (rect.rowSpan <= 0 || rect.columnSpan <= 0 || rect.rowSpan > kMaxGridSize * 4 ||
        rect.columnSpan > kMaxGridSize * 4)
        return cells;
    for (int r = 0; r < rect.rowSpan; ++r)
        for (int c = 0; c < rect.columnSpan; ++c)
            cells.insert(GridCell{rect.row + r, rect.column + c});
    return cells;
}

GridRect boundingBox(const CellSet& cells)
{
    if (cells.empty())
        return GridRect{0, 0, 0, 0};
    int rowMin = cells.begin()->row, rowMax = rowMin;
    int columnMin = cells.begin()->column, columnMax = columnMin;
    for (const GridCell& cell : cells) {
        rowMin = std::min(rowMin, cell.row);
        rowMax = std::max(rowMax, cell.row);
        columnMin = std::min(columnMin, cell.column);
        columnMax = std::max(columnMax, cell.column);
    }
    return GridRect{rowMin, columnMin, rowMax - rowMin + 1, columnMax - columnMin + 1};
}

bool isFilledRectangle(const CellSet& cells)
{
    if (cells.empty())
        return false;
    const GridRect box = boundingBox(cells);
    return static_cast<long long>(cells.size()) == static_cast<long long>(box.rowSpan) * box.columnSpan;
}

QStringList splitRectangle(const GridRect& rect)
{
    QStringList texts;
    for (const GridCell& cell : cellsOf(rect))
        texts << rectangleText(GridRect{cell.row, cell.column, 1, 1});
    return texts;
}

QStringList defaultRectangles(int rows, int columns)
{
    if (rows <= 0 || columns <= 0 || rows > kMaxGridSize || columns > kMaxGridSize)
        return {};
    return splitRectangle(GridRect{0, 0, rows, columns});
}

bool isAcceptableLayoutName(const QString& name, const QStringList& existingNames)
{
    if (name.isEmpty() || existingNames.contains(name, Qt::CaseSensitive))
        return false;
    for (const QChar forbidden : {QLatin1Char(','), QLatin1Char('|'), QLatin1Char('/'), QLatin1Char('\\')})
        if (name.contains(forbidden))
            return false;
    return true;
}

SceneFrameLayout sanitizedLayout(const SceneFrameLayout& layout)
{
    SceneFrameLayout result;
    result.name = layout.name;
    if (layout.rows < 1 || layout.rows > kMaxGridSize || layout.columns < 1 || layout.columns > kMaxGridSize)
        return result;
    result.rows = layout.rows;
    result.columns = layout.columns;
    CellSet covered;
    for (const QString& text : layout.rectangles) {
        GridRect rect;
        if (!parseRectangle(text, rect))
            continue;
        if (rect.row < 0 || rect.column < 0 || rect.rowSpan < 1 || rect.columnSpan < 1 ||
            rect.rowSpan > result.rows - rect.row || rect.columnSpan > result.columns - rect.column)
            continue;
        const CellSet cells = cellsOf(rect);
        const bool overlaps = std::any_of(cells.begin(), cells.end(),
                                          [&](const GridCell& cell) { return covered.count(cell) != 0; });
        if (overlaps)
            continue;
        covered.insert(cells.begin(), cells.end());
        result.rectangles << rectangleText(rect);
    }
    // Nothing usable left: treat it like a layout that was never sized, so the editor
    // offers a fresh grid and no one builds a layout without windows.
    if (result.rectangles.isEmpty()) {
        result.rows = 0;
        result.columns = 0;
    }
    return result;
}

}  // namespace customlayout
