#include <QtTest>

#include "CustomLayoutLogic.h"
#include "DeviceText.h"

using namespace customlayout;

namespace {

CellSet cellsFromText(const QString& text)
{
    // "r,c;r,c;..."
    CellSet cells;
    for (const QString& pair : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList parts = pair.split(QLatin1Char(','));
        cells.insert(GridCell{parts.at(0).toInt(), parts.at(1).toInt()});
    }
    return cells;
}

SceneFrameLayout layoutOf(int rows, int columns, const QStringList& rectangles)
{
    SceneFrameLayout layout;
    layout.name = QStringLiteral("L");
    layout.rows = rows;
    layout.columns = columns;
    layout.rectangles = rectangles;
    return layout;
}

}  // namespace

class CustomLayoutLogicTest : public QObject {
    Q_OBJECT
private slots:
    void firmwareText_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<QString>("text");
        QTest::newRow("groups with a zero") << 0x1203 << "v1.2.0.3";
        QTest::newRow("all zero") << 0x0000 << "v0.0.0.0";
        QTest::newRow("groups above nine are decimal") << 0xA1B2 << "v10.1.11.2";
        QTest::newRow("all ones") << 0xFFFF << "v15.15.15.15";
    }
    void firmwareText()
    {
        QFETCH(int, word);
        QFETCH(QString, text);
        QCOMPARE(firmwareVersionText(static_cast<uint16_t>(word)), text);
    }

    void macText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("single hex digit gets a leading zero")
            << QByteArray::fromHex("0a0b0c0d0e0f") << "0a:0b:0c:0d:0e:0f";
        QTest::newRow("zero bytes") << QByteArray::fromHex("000000000000") << "00:00:00:00:00:00";
        QTest::newRow("two digits in lower case")
            << QByteArray::fromHex("001AFF10A0C3") << "00:1a:ff:10:a0:c3";
        QTest::newRow("small and large bytes mixed")
            << QByteArray::fromHex("000a1b012301") << "00:0a:1b:01:23:01";
    }
    void macText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(macAddressText(reinterpret_cast<const uint8_t*>(bytes.constData())), text);
    }

    void recordTextStopsAtFieldEnd()
    {
        const char terminated[8] = {'a', 'b', '\0', 'x', 'y', 'z', 'w', 'v'};
        QCOMPARE(recordText(terminated), QStringLiteral("ab"));
        const char unterminated[4] = {'c', 'a', 'm', '1'};
        QCOMPARE(recordText(unterminated), QStringLiteral("cam1"));
        QCOMPARE(recordText(nullptr, 10), QString());
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("normalised");
        QTest::newRow("plain") << "0,2,1,1" << true << "0,2,1,1";
        QTest::newRow("blanks around numbers") << " 1, 2 ,1 ,1" << true << "1,2,1,1";
        QTest::newRow("wide window") << "0,0,2,3" << true << "0,0,2,3";
        QTest::newRow("three numbers") << "1,2,3" << false << "";
        QTest::newRow("five numbers") << "1,2,3,4,5" << false << "";
        QTest::newRow("letter") << "a,0,1,1" << false << "";
        QTest::newRow("fraction") << "0.5,0,1,1" << false << "";
        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("empty part") << "0,,1,1" << false << "";
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, normalised);
        GridRect rect{7, 7, 7, 7};
        QCOMPARE(parseRectangle(text, rect), ok);
        if (ok)
            QCOMPARE(rectangleText(rect), normalised);
    }

    void rectangleTest_data()
    {
        QTest::addColumn<QString>("cells");
        QTest::addColumn<bool>("filled");
        QTest::addColumn<QString>("box");
        QTest::newRow("no cell") << "" << false << "0,0,0,0";
        QTest::newRow("single cell") << "1,1" << true << "1,1,1,1";
        QTest::newRow("four corners of 3x3") << "0,0;0,2;2,0;2,2" << false << "0,0,3,3";
        QTest::newRow("2x2 window and two cells to its right")
            << "0,0;0,1;1,0;1,1;0,2;1,2" << true << "0,0,2,3";
        QTest::newRow("L shape") << "0,0;1,0;1,1" << false << "0,0,2,2";
        QTest::newRow("two cells with a gap") << "0,0;0,2" << false << "0,0,1,3";
        QTest::newRow("diagonal") << "0,0;1,1" << false << "0,0,2,2";
        QTest::newRow("bottom row") << "2,0;2,1;2,2" << true << "2,0,1,3";
        QTest::newRow("whole 3x3") << "0,0;0,1;0,2;1,0;1,1;1,2;2,0;2,1;2,2" << true << "0,0,3,3";
    }
    void rectangleTest()
    {
        QFETCH(QString, cells);
        QFETCH(bool, filled);
        QFETCH(QString, box);
        const CellSet set = cellsFromText(cells);
        QCOMPARE(isFilledRectangle(set), filled);
        QCOMPARE(rectangleText(boundingBox(set)), box);
    }

    void cellsOfRectangle_data()
    {
        QTest::addColumn<QString>("rectangle");
        QTest::addColumn<QString>("cells");
        QTest::newRow("one cell") << "2,1,1,1" << "2,1";
        QTest::newRow("2x3 window") << "0,0,2,3" << "0,0;0,1;0,2;1,0;1,1;1,2";
        QTest::newRow("zero span") << "0,0,0,2" << "";
        QTest::newRow("negative span") << "0,0,-2,2" << "";
        QTest::newRow("giant span") << "0,0,100000,100000" << "";
    }
    void cellsOfRectangle()
    {
        QFETCH(QString, rectangle);
        QFETCH(QString, cells);
        GridRect rect;
        QVERIFY(parseRectangle(rectangle, rect));
        QVERIFY(cellsOf(rect) == cellsFromText(cells));
    }

    void split_data()
    {
        QTest::addColumn<QString>("rectangle");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("single cell stays") << "1,2,1,1" << QStringList{"1,2,1,1"};
        QTest::newRow("2x2 window at the top left")
            << "0,0,2,2" << QStringList{"0,0,1,1", "0,1,1,1", "1,0,1,1", "1,1,1,1"};
        QTest::newRow("bottom row") << "2,0,1,3" << QStringList{"2,0,1,1", "2,1,1,1", "2,2,1,1"};
    }
    void split()
    {
        QFETCH(QString, rectangle);
        QFETCH(QStringList, cells);
        GridRect rect;
        QVERIFY(parseRectangle(rectangle, rect));
        QCOMPARE(splitRectangle(rect), cells);
    }

    void defaultCells_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QStringList>("rectangles");
        QTest::newRow("2x2") << 2 << QStringList{"0,0,1,1", "0,1,1,1", "1,0,1,1", "1,1,1,1"};
        QTest::newRow("3x3") << 3
                             << QStringList{"0,0,1,1", "0,1,1,1", "0,2,1,1", "1,0,1,1", "1,1,1,1",
                                            "1,2,1,1", "2,0,1,1", "2,1,1,1", "2,2,1,1"};
        QTest::newRow("no size") << 0 << QStringList{};
        QTest::newRow("beyond 3x3") << 4 << QStringList{};
    }
    void defaultCells()
    {
        QFETCH(int, size);
        QFETCH(QStringList, rectangles);
        QCOMPARE(defaultRectangles(size, size), rectangles);
    }

    void layoutName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("new name") << "Line A" << true;
        QTest::newRow("Chinese name") << "产线一" << true;
        QTest::newRow("differs only in case") << "a" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("already used") << "A" << false;
        QTest::newRow("comma splits the name list") << "a,b" << false;
        QTest::newRow("bar splits the rectangle list") << "a|b" << false;
        QTest::newRow("slash is a key separator") << "a/b" << false;
        QTest::newRow("backslash is a key separator") << "a\\b" << false;
    }
    void layoutName()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        QCOMPARE(isAcceptableLayoutName(name, {"A", "B"}), accepted);
    }

    void sanitize_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QStringList>("rectangles");
        QTest::addColumn<int>("keptRows");
        QTest::addColumn<QStringList>("kept");
        const QStringList stored = {"0,0,2,2", "0,2,1,1", "1,2,1,1", "2,0,1,1", "2,1,1,1", "2,2,1,1"};
        QTest::newRow("stored layout unchanged") << 3 << 3 << stored << 3 << stored;
        QTest::newRow("row outside the grid") << 3 << 3 << QStringList{"0,0,1,1", "3,0,1,1"} << 3
                                              << QStringList{"0,0,1,1"};
        QTest::newRow("negative column") << 3 << 3 << QStringList{"0,-1,1,1", "0,0,1,1"} << 3
                                         << QStringList{"0,0,1,1"};
        QTest::newRow("span reaching outside") << 3 << 3 << QStringList{"2,2,2,1", "1,1,1,1"} << 3
                                               << QStringList{"1,1,1,1"};
        QTest::newRow("zero span") << 2 << 2 << QStringList{"0,0,0,1", "1,1,1,1"} << 2
                                   << QStringList{"1,1,1,1"};
        QTest::newRow("nothing usable left") << 2 << 2 << QStringList{"0,0,-1,1", "1,1,0,0"} << 0
                                             << QStringList{};
        QTest::newRow("no rectangles") << 3 << 3 << QStringList{} << 0 << QStringList{};
        QTest::newRow("giant span") << 3 << 3 << QStringList{"0,0,100000,100000", "2,2,1,1"} << 3
                                    << QStringList{"2,2,1,1"};
        QTest::newRow("unparsable texts") << 2 << 2 << QStringList{"x", "1,2", "", "0,0,1,1"} << 2
                                          << QStringList{"0,0,1,1"};
        QTest::newRow("outside its own 2x2 grid") << 2 << 2 << QStringList{"0,0,1,1", "2,2,1,1"} << 2
                                                  << QStringList{"0,0,1,1"};
        QTest::newRow("same window twice") << 2 << 2 << QStringList{"0,0,1,1", "0,0,1,1"} << 2
                                           << QStringList{"0,0,1,1"};
        QTest::newRow("overlapping window") << 3 << 3 << QStringList{"0,0,2,2", "1,1,1,1", "2,2,1,1"} << 3
                                            << QStringList{"0,0,2,2", "2,2,1,1"};
        QTest::newRow("blanks normalised") << 2 << 2 << QStringList{" 0, 1,1,1"} << 2
                                           << QStringList{"0,1,1,1"};
        QTest::newRow("column outside the grid")
            << 3 << 3 << QStringList{"0,0,1,1", "0,3,1,1"} << 3 << QStringList{"0,0,1,1"};
        QTest::newRow("column span reaching outside")
            << 3 << 3 << QStringList{"1,2,1,2", "1,1,1,1"} << 3 << QStringList{"1,1,1,1"};
        QTest::newRow("wide window one column too wide")
            << 2 << 2 << QStringList{"0,0,1,3", "1,0,1,2"} << 2 << QStringList{"1,0,1,2"};
        // Rows and columns differ: each is checked against its own count.
        QTest::newRow("three rows two columns")
            << 3 << 2 << QStringList{"2,1,1,1", "0,2,1,1", "0,0,3,1"} << 3
            << QStringList{"2,1,1,1", "0,0,3,1"};
        QTest::newRow("two rows three columns")
            << 2 << 3 << QStringList{"0,0,2,3", "2,0,1,1"} << 2 << QStringList{"0,0,2,3"};
        QTest::newRow("two rows three columns, tall window")
            << 2 << 3 << QStringList{"0,2,3,1", "1,2,1,1"} << 2 << QStringList{"1,2,1,1"};
        QTest::newRow("giant grid") << 1000 << 1000 << QStringList{"0,0,1,1"} << 0 << QStringList{};
        QTest::newRow("no size") << 0 << 0 << QStringList{"0,0,1,1"} << 0 << QStringList{};
        QTest::newRow("negative size") << -2 << 3 << QStringList{"0,0,1,1"} << 0 << QStringList{};
    }
    void sanitize()
    {
        QFETCH(int, rows);
        QFETCH(int, columns);
        QFETCH(QStringList, rectangles);
        QFETCH(int, keptRows);
        QFETCH(QStringList, kept);
        const SceneFrameLayout result = sanitizedLayout(layoutOf(rows, columns, rectangles));
        QCOMPARE(result.name, QStringLiteral("L"));
        QCOMPARE(result.rows, keptRows);
        QCOMPARE(result.columns, keptRows == 0 ? 0 : columns);
        QCOMPARE(result.rectangles, kept);
    }
};

QTEST_GUILESS_MAIN(CustomLayoutLogicTest)
#include "tst_customlayoutlogic.moc"
