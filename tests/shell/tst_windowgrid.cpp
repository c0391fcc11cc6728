#include <QAction>
#include <QGridLayout>
#include <QKeyEvent>
#include <QSettings>
#include <QtTest>

#include "CameraThread.h"
#include "ModalDialogWatcher.h"
#include "SettingsStore.h"
#include "VexoCam.h"

// The camera window grid on the default simulated cameras.
class WindowGridTest : public QObject {
    Q_OBJECT

    QString programDir = qEnvironmentVariable("VEXO_PROGRAM_DIR");
    const QStringList cameras = {"VXG2301C0001", "VXG5002M0001", "VXU1301C0001", "VXU0302C0001"};

    static void trigger(VexoCam& window, const char* action)
    {
        window.findChild<QAction*>(action)->trigger();
    }
    static QGridLayout* grid(VexoCam& window)
    {
        return static_cast<QGridLayout*>(window.windowsContainer()->layout());
    }
    static QList<int> position(VexoCam& window, QWidget* w)
    {
        int r = 0, c = 0, rs = 0, cs = 0;
        grid(window)->getItemPosition(grid(window)->indexOf(w), &r, &c, &rs, &cs);
        return {r, c, rs, cs};
    }
    void setWidgetCount(const QVariant& count, const QString& used = QString())
    {
        settingsStore()->setValue("WIDGETINFO", "WidgetCount", count);
        settingsStore()->setValue("CUSTOMWIDGET", "UsedCustomWidget", used);
    }

private slots:
    void init()
    {
        settingsStore()->saveCustomLayouts({});
        setWidgetCount(1);
    }

    void restoreAtStartUp_data()
    {
        QTest::addColumn<QVariant>("count");
        QTest::addColumn<QString>("used");
        QTest::addColumn<int>("windows");
        QTest::newRow("one window") << QVariant(1) << "" << 1;
        QTest::newRow("four windows") << QVariant(2) << "" << 4;
        QTest::newRow("nine windows") << QVariant(3) << "" << 9;
        QTest::newRow("custom layout") << QVariant(4) << "Wide" << 3;
        QTest::newRow("custom layout gone") << QVariant(4) << "Gone" << 1;
    }
    void restoreAtStartUp()
    {
        QFETCH(QVariant, count);
        QFETCH(QString, used);
        QFETCH(int, windows);
        settingsStore()->saveCustomLayouts({{"Wide", 2, 2, {"0,0,1,2", "1,0,1,1", "1,1,1,1"}}});
        setWidgetCount(count, used);
        VexoCam window(nullptr, programDir);
        QVERIFY(window.cameraWindowList().isEmpty());
        QTRY_COMPARE(window.cameraWindowList().size(), windows);
    }

    void missingCountLeavesTheGridEmpty()
    {
        QSettings(settingsStore()->filePath(), QSettings::IniFormat).remove("WIDGETINFO/WidgetCount");
        VexoCam window(nullptr, programDir);
        QTest::qWait(300);
        QVERIFY(window.cameraWindowList().isEmpty());
    }

    void layoutsWriteTheStoredChoice()
    {
        settingsStore()->saveCustomLayouts({{"Wide", 2, 2, {"0,0,1,2", "1,0,1,1", "1,1,1,1"}}});
        VexoCam window(nullptr, programDir);
        trigger(window, "action_nineframe");
        QCOMPARE(window.cameraWindowList().size(), 9);
        QCOMPARE(settingsStore()->value("WIDGETINFO", "WidgetCount").toInt(), 3);
        window.customLayoutActions().first()->trigger();
        QCOMPARE(window.cameraWindowList().size(), 3);
        QCOMPARE(position(window, window.cameraWindowList()[0]), QList<int>({0, 0, 1, 2}));
        QCOMPARE(settingsStore()->value("WIDGETINFO", "WidgetCount").toInt(), 4);
        QCOMPARE(settingsStore()->value("CUSTOMWIDGET", "UsedCustomWidget").toString(), QString("Wide"));
    }

    void openCamerasSurviveLayoutChanges()
    {
        VexoCam window(nullptr, programDir);
        trigger(window, "action_nineframe");
        QVERIFY(window.cameraWindowList()[1]->startCamera(cameras[0]));
        QVERIFY(window.cameraWindowList()[6]->startCamera(cameras[1]));
        CameraThread* second = window.cameraWindowList()[1];
        CameraThread* seventh = window.cameraWindowList()[6];
        QSignalSpy closed(seventh, SIGNAL(cameraClose(const QString&)));

        trigger(window, "action_oneframe");
        QCOMPARE(window.cameraWindowList().size(), 1);
        QCOMPARE(window.cameraWindowList()[0], second);
        QVERIFY(second->isShowingCamera(cameras[0]));
        // The tree hears that the seventh window closed its camera.
        QVERIFY(!closed.isEmpty());
        QCOMPARE(closed.first().first().toString(), cameras[1]);

        trigger(window, "action_fourframe");
        QCOMPARE(window.cameraWindowList().size(), 4);
        QCOMPARE(window.cameraWindowList()[0], second);
        QCOMPARE(position(window, second), QList<int>({0, 0, 1, 1}));
        QCOMPARE(window.currentCameraHandle(), second->cameraHandle());

        // Choosing the same layout again replaces the empty windows but keeps the open one.
        CameraThread* empty = window.cameraWindowList()[3];
        QPointer<CameraThread> watchEmpty(empty);
        trigger(window, "action_fourframe");
        QVERIFY(watchEmpty.isNull());
        QCOMPARE(window.cameraWindowList()[0], second);
        second->closeCamera();
    }

    void swappingWindows()
    {
        VexoCam window(nullptr, programDir);
        trigger(window, "action_fourframe");
        CameraThread* a = window.cameraWindowList()[0];
        CameraThread* b = window.cameraWindowList()[3];
        int oldRow = 0, oldColumn = 0, newRow = 1, newColumn = 1;
        emit window.cameraWindowList()[2]->windowMoving(oldRow, oldColumn, newRow, newColumn);
        QCOMPARE(position(window, a), QList<int>({1, 1, 1, 1}));
        QCOMPARE(position(window, b), QList<int>({0, 0, 1, 1}));
        QCOMPARE(a->gridCell().row, 1);
        QCOMPARE(b->gridCell().column, 0);
        // The list order stays; swapping back restores the first arrangement.
        QCOMPARE(window.cameraWindowList()[0], a);
        emit window.cameraWindowList()[2]->windowMoving(oldRow, oldColumn, newRow, newColumn);
        QCOMPARE(position(window, a), QList<int>({0, 0, 1, 1}));
        QCOMPARE(position(window, b), QList<int>({1, 1, 1, 1}));
    }

    void swappingWithAnEmptyCellDoesNothing()
    {
        VexoCam window(nullptr, programDir);
        trigger(window, "action_fourframe");
        CameraThread* a = window.cameraWindowList()[0];
        int oldRow = 0, oldColumn = 0, newRow = 2, newColumn = 2;  // outside the 2 x 2 grid
        emit window.cameraWindowList()[2]->windowMoving(oldRow, oldColumn, newRow, newColumn);
        QCOMPARE(position(window, a), QList<int>({0, 0, 1, 1}));
        // A window in full screen leaves its cell empty.
        grid(window)->removeWidget(window.cameraWindowList()[1]);
        newRow = 0;
        newColumn = 1;
        emit window.cameraWindowList()[2]->windowMoving(oldRow, oldColumn, newRow, newColumn);
        QCOMPARE(position(window, a), QList<int>({0, 0, 1, 1}));
    }

    void containerFullScreenAndEscape()
    {
        VexoCam window(nullptr, programDir);
        trigger(window, "action_fourframe");
        QWidget* container = window.windowsContainer();
        QWidget* home = container->parentWidget();
        // Escape in the normal state changes nothing.
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(container, &escape);
        QCOMPARE(container->parentWidget(), home);

        trigger(window, "action_fullScreen");
        QVERIFY(!container->parentWidget());
        QVERIFY(container->isWindow());
        QCoreApplication::sendEvent(container, &escape);
        QCOMPARE(container->parentWidget(), home);
        QVERIFY(!container->isWindow());
        trigger(window, "action_fullScreen");
        trigger(window, "action_fullScreen");
        QCOMPARE(container->parentWidget(), home);
    }

    void editorRebuildsTheLayoutMenu()
    {
        settingsStore()->saveCustomLayouts({{"Wide", 2, 2, {"0,0,1,2", "1,0,1,1", "1,1,1,1"}}});
        setWidgetCount(4, "Wide");
        VexoCam window(nullptr, programDir);
        QTRY_COMPARE(window.cameraWindowList().size(), 3);

        // While the editor is open another program state is saved: a new list without
        // "Wide". Accepting the editor rebuilds the menu from the stored layouts and, as
        // the layout in use is gone, falls back to one window.
        ModalDialogWatcher watcher;
        QTimer::singleShot(0, [] {
            settingsStore()->saveCustomLayouts({{"Tall", 2, 2, {"0,0,2,1", "0,1,1,1", "1,1,1,1"}}});
        });
        trigger(window, "action_customframe");
        QCOMPARE(watcher.count(), 1);
        QCOMPARE(watcher.seen()[0].title, QString("自定义画面分割"));
        QCOMPARE(window.customLayoutActions().size(), 1);
        QCOMPARE(window.customLayoutActions()[0]->text(), QString("Tall"));
        QCOMPARE(window.cameraWindowList().size(), 1);

        // Rejecting it changes nothing.
        watcher.setAccept(false);
        trigger(window, "action_customframe");
        QCOMPARE(window.customLayoutActions()[0]->text(), QString("Tall"));
    }

    void garbageLayoutsStaySafe_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("rectangles");
        QTest::addColumn<int>("windows");
        QTest::newRow("giant grid") << 9 << QStringList{"0,0,9,9"} << 1;
        QTest::newRow("text instead of numbers") << 2 << QStringList{"a,b,c,d", "0,0,1,1"} << 1;
        QTest::newRow("zero span") << 2 << QStringList{"0,0,0,1", "1,1,1,1"} << 1;
        QTest::newRow("outside the grid") << 2 << QStringList{"0,0,1,1", "5,5,1,1"} << 1;
        QTest::newRow("nothing usable") << 3 << QStringList{"x"} << 1;
    }
    void garbageLayoutsStaySafe()
    {
        QFETCH(int, rows);
        QFETCH(QStringList, rectangles);
        QFETCH(int, windows);
        VexoCam window(nullptr, programDir);
        SceneFrameLayout layout{"Bad", rows, rows, rectangles};
        window.cameraWindowSetting(layout);
        QCOMPARE(window.cameraWindowList().size(), windows);
        for (int i = 0; i < 3; ++i)
            QVERIFY(grid(window)->rowCount() <= 3);
    }
};

QTEST_MAIN(WindowGridTest)
#include "tst_windowgrid.moc"
