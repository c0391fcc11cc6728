#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <memory>

#include "CustomWindowSettingWidget.h"
#include "ModalDialogWatcher.h"
#include "SettingsStore.h"

namespace {

const QString kRefused = QStringLiteral("创建失败，请检查名称是否重复或者为空");
const QStringList kTopLeftWide = {"0,0,2,2", "0,2,1,1", "1,2,1,1", "2,0,1,1", "2,1,1,1", "2,2,1,1"};

SceneFrameLayout makeLayout(const QString& name, int size, const QStringList& rectangles)
{
    SceneFrameLayout layout;
    layout.name = name;
    layout.rows = size;
    layout.columns = size;
    layout.rectangles = rectangles;
    return layout;
}

QStringList grid(int size)
{
    QStringList cells;
    for (int r = 0; r < size; ++r)
        for (int c = 0; c < size; ++c)
            cells << QStringLiteral("%1,%2,1,1").arg(r).arg(c);
    return cells;
}

QStringList cellList(const QString& text)
{
    return text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

QString stored(const QString& key)
{
    return settingsStore()->value("CUSTOMWIDGET", key).toString();
}

}  // namespace

class CustomWindowSettingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CustomWindowSettingWidget> dialog;

    template <typename T>
    T* child(const char* name)
    {
        T* object = dialog->findChild<T*>(QLatin1String(name));
        if (!object)
            qFatal("missing form object %s", name);
        return object;
    }
    QListWidget* list() { return child<QListWidget>("listWidget"); }
    QGridLayout* gridLayout() { return child<QGridLayout>("gridLayout_fram"); }
    QPushButton* button(const char* name) { return child<QPushButton>(name); }

    void open(const QList<SceneFrameLayout>& layouts)
    {
        dialog = std::make_unique<CustomWindowSettingWidget>(layouts, nullptr);
    }

    // The windows shown in the grid, as rectangle texts in text order.
    QStringList shownRectangles()
    {
        QStringList texts;
        QGridLayout* layout = gridLayout();
        for (int i = 0; i < layout->count(); ++i) {
            int r, c, rs, cs;
            layout->getItemPosition(i, &r, &c, &rs, &cs);
            texts << QStringLiteral("%1,%2,%3,%4").arg(r).arg(c).arg(rs).arg(cs);
        }
        texts.sort();
        return texts;
    }
    QLabel* cellAt(int row, int column)
    {
        QLayoutItem* item = gridLayout()->itemAtPosition(row, column);
        return item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
    }
    // Clicks the cells named "r,c" in the list.
    bool clickCells(const QStringList& cells)
    {
        for (const QString& cell : cells) {
            const QStringList parts = cell.split(QLatin1Char(','));
            QLabel* label = cellAt(parts.at(0).toInt(), parts.at(1).toInt());
            if (!label)
                return false;
            QTest::mouseClick(label, Qt::LeftButton);
        }
        return true;
    }

private slots:
    void init()
    {
        settingsStore()->saveCustomLayouts({});
        settingsStore()->setValue("CUSTOMWIDGET", "UsedCustomWidget", QString());
    }
    void cleanup() { dialog.reset(); }

    void formAndStartState()
    {
        open({makeLayout("A", 2, grid(2)), makeLayout("B", 3, kTopLeftWide)});
        QCOMPARE(dialog->windowTitle(), QStringLiteral("自定义画面分割"));
        QVERIFY(dialog->isModal());
        QCOMPARE(button("pushButton_addFram")->text(), QStringLiteral("添加"));
        QCOMPARE(button("pushButton_deleteFram")->text(), QStringLiteral("删除"));
        QCOMPARE(button("pushButton_merge")->text(), QStringLiteral("合并"));
        QCOMPARE(button("pushButton_division")->text(), QStringLiteral("分割"));
        QCOMPARE(button("pushButton_save")->text(), QStringLiteral("保存"));
        QVERIFY(!button("pushButton_merge")->isEnabled());
        auto* combo = child<QComboBox>("comboBox_framdivision");
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("2x2"));
        QCOMPARE(combo->itemText(1), QStringLiteral("3x3"));
        bool labelFound = false;
        for (QLabel* label : dialog->findChildren<QLabel*>())
            labelFound = labelFound || label->text() == QStringLiteral("画面分割");
        QVERIFY(labelFound);

        QListWidget* items = list();
        QCOMPARE(items->viewMode(), QListView::IconMode);
        QCOMPARE(items->iconSize(), QSize(70, 70));
        QCOMPARE(items->spacing(), 10);
        QCOMPARE(items->resizeMode(), QListView::Adjust);
        QCOMPARE(items->movement(), QListView::Static);
        QCOMPARE(items->count(), 2);
        QCOMPARE(items->item(0)->text(), QStringLiteral("A"));
        QCOMPARE(items->item(1)->text(), QStringLiteral("B"));
        QCOMPARE(items->item(0)->sizeHint(), QSize(100, 100));
        QVERIFY(!items->item(0)->icon().isNull());
        QVERIFY(items->item(0)->data(Qt::UserRole).value<void*>() != nullptr);
        // Nothing selected, no grid until the user picks a layout.
        QVERIFY(items->selectedItems().isEmpty());
        QCOMPARE(gridLayout()->count(), 0);

        items->setCurrentRow(1);
        QCOMPARE(shownRectangles(), kTopLeftWide);
        QCOMPARE(combo->currentIndex(), 1);
        QLabel* cell = cellAt(2, 2);
        QVERIFY(cell);
        QCOMPARE(cell->frameShape(), QFrame::Box);
        QCOMPARE(cell->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
        QCOMPARE(cell->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
        QVERIFY(!cell->pixmap(Qt::ReturnByValue).isNull());
        QCOMPARE(cell->property("ischeck").toBool(), false);
    }

    void cellClickTogglesCheck()
    {
        open({makeLayout("A", 2, grid(2))});
        list()->setCurrentRow(0);
        QLabel* cell = cellAt(1, 0);
        QTest::mouseClick(cell, Qt::LeftButton);
        QCOMPARE(cell->property("ischeck").toBool(), true);
        QCOMPARE(cell->styleSheet(), QStringLiteral("border: 1px solid red;"));
        QVERIFY(button("pushButton_merge")->isEnabled());
        QTest::mouseClick(cell, Qt::LeftButton);
        QCOMPARE(cell->property("ischeck").toBool(), false);
        QCOMPARE(cell->styleSheet(), QStringLiteral("border: 1px solid black;"));
        QVERIFY(!button("pushButton_merge")->isEnabled());
    }

    void merge_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<bool>("mergeEnabled");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("checkedAfter");
        QTest::newRow("single cell changes nothing") << 2 << grid(2) << "1,1" << true << grid(2) << 0;
        QTest::newRow("four corners of 3x3") << 3 << grid(3) << "0,0;0,2;2,0;2,2" << false << grid(3) << 4;
        QTest::newRow("2x2 window and the two cells to its right")
            << 3 << kTopLeftWide << "0,0;0,2;1,2" << true
            << QStringList{"0,0,2,3", "2,0,1,1", "2,1,1,1", "2,2,1,1"} << 0;
        QTest::newRow("top-left square of four cells")
            << 3 << grid(3) << "0,0;0,1;1,0;1,1" << true << kTopLeftWide << 0;
        QTest::newRow("L shape") << 3 << grid(3) << "0,0;1,0;1,1" << false << grid(3) << 3;
        QTest::newRow("two cells with a gap") << 3 << grid(3) << "0,0;0,2" << false << grid(3) << 2;
        QTest::newRow("whole grid") << 2 << grid(2) << "0,0;0,1;1,0;1,1" << true << QStringList{"0,0,2,2"} << 0;
        QTest::newRow("cell checked and unchecked again") << 2 << grid(2) << "0,0;0,0" << false << grid(2) << 0;
    }
    void merge()
    {
        QFETCH(int, size);
        QFETCH(QStringList, start);
        QFETCH(QString, clicks);
        QFETCH(bool, mergeEnabled);
        QFETCH(QStringList, after);
        QFETCH(int, checkedAfter);
        open({makeLayout("A", size, start)});
        list()->setCurrentRow(0);
        QVERIFY(clickCells(cellList(clicks)));
        QCOMPARE(button("pushButton_merge")->isEnabled(), mergeEnabled);
        QTest::mouseClick(button("pushButton_merge"), Qt::LeftButton);
        QCOMPARE(shownRectangles(), after);
        QVERIFY(!button("pushButton_merge")->isEnabled());
        int checked = 0;
        for (QLabel* label : dialog->findChildren<QLabel*>())
            checked += label->property("ischeck").toBool() ? 1 : 0;
        QCOMPARE(checked, checkedAfter);
    }

    void mergeWithNothingCheckedDoesNothing()
    {
        open({makeLayout("A", 2, grid(2))});
        list()->setCurrentRow(0);
        QMetaObject::invokeMethod(dialog.get(), "on_pushButton_merge_clicked");
        QCOMPARE(shownRectangles(), grid(2));
    }

    void split_data()
    {
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("wide window back to cells") << kTopLeftWide << "0,0" << grid(3);
        QTest::newRow("two windows at once")
            << QStringList{"0,0,1,3", "1,0,2,3"} << "0,0;2,2" << grid(3);
        QTest::newRow("unchecked windows stay") << kTopLeftWide << "2,2" << kTopLeftWide;
        QTest::newRow("nothing checked") << kTopLeftWide << "" << kTopLeftWide;
    }
    void split()
    {
        QFETCH(QStringList, start);
        QFETCH(QString, clicks);
        QFETCH(QStringList, after);
        open({makeLayout("A", 3, start)});
        list()->setCurrentRow(0);
        QVERIFY(clickCells(cellList(clicks)));
        QTest::mouseClick(button("pushButton_division"), Qt::LeftButton);
        QCOMPARE(shownRectangles(), after);
        QVERIFY(!button("pushButton_merge")->isEnabled());
    }

    void gridSwitchDiscardsMerges_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("3x3 with a wide window to 2x2") << 3 << kTopLeftWide << 0 << grid(2);
        QTest::newRow("merged 2x2 to 3x3") << 2 << QStringList{"0,0,2,2"} << 1 << grid(3);
    }
    void gridSwitchDiscardsMerges()
    {
        QFETCH(int, size);
        QFETCH(QStringList, start);
        QFETCH(int, index);
        QFETCH(QStringList, after);
        open({makeLayout("A", size, start)});
        list()->setCurrentRow(0);
        child<QComboBox>("comboBox_framdivision")->setCurrentIndex(index);
        QCOMPARE(shownRectangles(), after);
        QTest::mouseClick(button("pushButton_save"), Qt::LeftButton);
        const QList<SceneFrameLayout> saved = settingsStore()->loadCustomLayouts();
        QCOMPARE(saved.size(), 1);
        QCOMPARE(saved.first().rows, index == 0 ? 2 : 3);
        QCOMPARE(saved.first().columns, index == 0 ? 2 : 3);
        QCOMPARE(saved.first().rectangles, after);
    }

    void gridSwitchWithoutLayoutDoesNothing()
    {
        open({makeLayout("A", 2, grid(2))});
        child<QComboBox>("comboBox_framdivision")->setCurrentIndex(1);
        QCOMPARE(gridLayout()->count(), 0);
        list()->setCurrentRow(0);
        QCOMPARE(shownRectangles(), grid(2));
    }

    void switchingLayoutsKeepsEdits()
    {
        open({makeLayout("A", 3, grid(3)), makeLayout("B", 2, grid(2))});
        list()->setCurrentRow(0);
        QVERIFY(clickCells({"0,0", "0,1", "1,0", "1,1"}));
        QTest::mouseClick(button("pushButton_merge"), Qt::LeftButton);
        list()->setCurrentRow(1);
        QCOMPARE(shownRectangles(), grid(2));
        list()->setCurrentRow(0);
        QCOMPARE(shownRectangles(), kTopLeftWide);
    }

    void savedFormat()
    {
        ModalDialogWatcher watcher;
        watcher.setTextAnswer("A");
        open({});
        child<QComboBox>("comboBox_framdivision")->setCurrentIndex(1);
        QTest::mouseClick(button("pushButton_addFram"), Qt::LeftButton);
        QCOMPARE(watcher.count(), 1);
        QCOMPARE(watcher.seen().first().title, QStringLiteral("自定义画面分割"));
        QCOMPARE(watcher.seen().first().text, QStringLiteral("画面分割名称"));
        QCOMPARE(list()->count(), 1);
        QCOMPARE(list()->currentItem()->text(), QStringLiteral("A"));
        QCOMPARE(shownRectangles(), grid(3));
        // Nothing is stored before Save.
        QCOMPARE(stored("names"), QString());

        QVERIFY(clickCells({"0,0", "0,1", "1,0", "1,1"}));
        QTest::mouseClick(button("pushButton_merge"), Qt::LeftButton);
        QTest::mouseClick(button("pushButton_save"), Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));

        QCOMPARE(stored("names"), QStringLiteral("A"));
        QCOMPARE(settingsStore()->value("CUSTOMWIDGET", "row_A").toInt(), 3);
        QCOMPARE(settingsStore()->value("CUSTOMWIDGET", "column_A").toInt(), 3);
        QCOMPARE(stored("frameLayoutList_A"), kTopLeftWide.join('|'));
        // Loaded again: six windows, the wide one first.
        const QList<SceneFrameLayout> loaded = settingsStore()->loadCustomLayouts();
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(loaded.first().rectangles.size(), 6);
        QCOMPARE(loaded.first().rectangles.first(), QStringLiteral("0,0,2,2"));
    }

    void saveKeepsListOrder()
    {
        open({makeLayout("Z", 2, grid(2)), makeLayout("A", 3, kTopLeftWide)});
        QTest::mouseClick(button("pushButton_save"), Qt::LeftButton);
        QCOMPARE(stored("names"), QStringLiteral("Z,A"));
        QCOMPARE(stored("frameLayoutList_A"), kTopLeftWide.join('|'));
        QCOMPARE(stored("frameLayoutList_Z"), grid(2).join('|'));
    }

    void deleteThenClose_data()
    {
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("used");
        QTest::newRow("closed without save") << "A" << false << "A,B" << "A";
        QTest::newRow("layout in use deleted and saved") << "A" << true << "B" << "";
        QTest::newRow("other layout deleted and saved") << "B" << true << "A" << "A";
    }
    void deleteThenClose()
    {
        QFETCH(QString, deleted);
        QFETCH(bool, save);
        QFETCH(QString, names);
        QFETCH(QString, used);
        settingsStore()->saveCustomLayouts({makeLayout("A", 3, kTopLeftWide), makeLayout("B", 2, grid(2))});
        settingsStore()->setValue("CUSTOMWIDGET", "UsedCustomWidget", "A");
        const QList<SceneFrameLayout> before = settingsStore()->loadCustomLayouts();

        open(before);
        const int row = deleted == QLatin1String("A") ? 0 : 1;
        list()->setCurrentRow(row);
        QTest::mouseClick(button("pushButton_deleteFram"), Qt::LeftButton);
        QCOMPARE(list()->count(), 1);
        QVERIFY(list()->item(0)->text() != deleted);
        QVERIFY(list()->selectedItems().isEmpty() || gridLayout()->count() > 0);
        if (list()->selectedItems().isEmpty())
            QCOMPARE(gridLayout()->count(), 0);

        if (save) {
            QTest::mouseClick(button("pushButton_save"), Qt::LeftButton);
            QCOMPARE(dialog->result(), int(QDialog::Accepted));
        } else {
            dialog->reject();
            QCOMPARE(dialog->result(), int(QDialog::Rejected));
        }
        dialog.reset();
        QCOMPARE(stored("names"), names);
        QCOMPARE(stored("UsedCustomWidget"), used);
        if (!save) {
            const QList<SceneFrameLayout> after = settingsStore()->loadCustomLayouts();
            QCOMPARE(after.size(), before.size());
            for (int i = 0; i < after.size(); ++i)
                QCOMPARE(after.at(i).rectangles, before.at(i).rectangles);
        } else {
            QVERIFY(!settingsStore()->value("CUSTOMWIDGET", "frameLayoutList_" + deleted).isValid());
        }
    }

    void addRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << "";
        QTest::newRow("already used") << "A";
        QTest::newRow("comma") << "x,y";
        QTest::newRow("bar") << "x|y";
        QTest::newRow("slash") << "x/y";
        QTest::newRow("backslash") << "x\\y";
    }
    void addRefused()
    {
        QFETCH(QString, name);
        ModalDialogWatcher watcher;
        watcher.setTextAnswer(name);
        open({makeLayout("A", 2, grid(2))});
        QTest::mouseClick(button("pushButton_addFram"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(watcher.count(), 2, 30000);
        const ModalDialogWatcher::Seen message = watcher.seen().at(1);
        QCOMPARE(message.title, QStringLiteral("提示"));
        QCOMPARE(message.text, kRefused);
        QCOMPARE(message.buttons, QStringList{QStringLiteral("确定")});
        QCOMPARE(list()->count(), 1);
        QCOMPARE(gridLayout()->count(), 0);
    }

    void addCancelled()
    {
        ModalDialogWatcher watcher;
        watcher.setAccept(false);
        watcher.setTextAnswer("B");
        open({makeLayout("A", 2, grid(2))});
        QTest::mouseClick(button("pushButton_addFram"), Qt::LeftButton);
        QCOMPARE(watcher.count(), 1);
        QCOMPARE(list()->count(), 1);
    }

    void garbageLayoutsAreSafe()
    {
        open({makeLayout("huge", 1000, {"0,0,100000,100000"}),
              makeLayout("mixed", 3, {"0,0,2,2", "x", "5,5,1,1", "2,2,0,1", "2,2,1,1"})});
        // A layout without a usable size gets the default grid of the combo box.
        list()->setCurrentRow(0);
        QCOMPARE(shownRectangles(), grid(2));
        list()->setCurrentRow(1);
        QCOMPARE(shownRectangles(), (QStringList{"0,0,2,2", "2,2,1,1"}));
        QTest::mouseClick(button("pushButton_save"), Qt::LeftButton);
        const QList<SceneFrameLayout> saved = settingsStore()->loadCustomLayouts();
        QCOMPARE(saved.size(), 2);
        QCOMPARE(saved.at(0).rows, 2);
        QCOMPARE(saved.at(0).rectangles, grid(2));
        QCOMPARE(saved.at(1).rectangles, (QStringList{"0,0,2,2", "2,2,1,1"}));
    }
};

QTEST_MAIN(CustomWindowSettingTest)
#include "tst_customwindowsetting.moc"
