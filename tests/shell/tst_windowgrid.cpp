#include <QAction>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QtTest>

#include "CameraThread.h"
#include "ModalDialogWatcher.h"
#include "SettingsStore.h"
#include "VexoCam.h"
#include "VexoCameraApi.h"

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
        QTRY_COMPARE_WITH_TIMEOUT(window.cameraWindowList().size(), windows, 30000);
    }

    void badCountFallsBackToOneWindow_data()
    {
        QTest::addColumn<QVariant>("count");  // invalid: the key is missing
        QTest::newRow("zero") << QVariant(0);
        QTest::newRow("five") << QVariant(5);
        QTest::newRow("negative") << QVariant(-1);
        QTest::newRow("text") << QVariant("many");
        QTest::newRow("missing") << QVariant();
    }
    void badCountFallsBackToOneWindow()
    {
        QFETCH(QVariant, count);
        if (count.isValid())
            setWidgetCount(count);
        else
            QSettings(settingsStore()->filePath(), QSettings::IniFormat)
                .remove("WIDGETINFO/WidgetCount");
        VexoCam window(nullptr, programDir);
        QTRY_COMPARE_WITH_TIMEOUT(window.cameraWindowList().size(), 1, 30000);
        QCOMPARE(settingsStore()->value("WIDGETINFO", "WidgetCount").toInt(), 1);
        // Opening a camera now has a window to go to.
        window.cameraWidget_open(cameras[0]);
        QTRY_VERIFY_WITH_TIMEOUT(window.cameraWindowList()[0]->isShowingCamera(cameras[0]), 30000);
        window.cameraWindowList()[0]->closeCamera();
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
        QTRY_VERIFY_WITH_TIMEOUT(watchEmpty.isNull(), 30000);
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
        QTRY_COMPARE_WITH_TIMEOUT(window.cameraWindowList().size(), 3, 30000);

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
        QTest::newRow("beyond the last column")
            << 2 << QStringList{"0,0,1,1", "0,2,1,1", "1,1,1,2"} << 1;
        QTest::newRow("wider than the grid")
            << 3 << QStringList{"0,0,1,4", "1,0,1,1", "2,2,1,1"} << 2;
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
        // Every window lies inside the layout's own grid, by rows and by columns.
        for (CameraThread* w : window.cameraWindowList()) {
            const QList<int> p = position(window, w);
            QVERIFY2(p[0] + p[2] <= rows && p[1] + p[3] <= rows,
                     qPrintable(QString("%1,%2,%3,%4").arg(p[0]).arg(p[1]).arg(p[2]).arg(p[3])));
        }
    }

    void swappingWindowsOfDifferentSpans()
    {
        // A wide window on top, two single ones below it.
        settingsStore()->saveCustomLayouts({{"Wide", 2, 2, {"0,0,1,2", "1,0,1,1", "1,1,1,1"}}});
        VexoCam window(nullptr, programDir);
        window.customLayoutActions().first()->trigger();
        CameraThread* wide = window.cameraWindowList()[0];
        CameraThread* right = window.cameraWindowList()[2];
        QCOMPARE(position(window, wide), QList<int>({0, 0, 1, 2}));
        // Dropped onto the cell at the wide window's right half: that is the wide window.
        int oldRow = 1, oldColumn = 1, newRow = 0, newColumn = 1;
        emit wide->windowMoving(oldRow, oldColumn, newRow, newColumn);
        QCOMPARE(position(window, right), QList<int>({0, 0, 1, 2}));
        QCOMPARE(position(window, wide), QList<int>({1, 1, 1, 1}));
        const CameraThread::GridCell rightCell = right->gridCell();
        QCOMPARE(
            QList<int>({rightCell.row, rightCell.column, rightCell.rowSpan, rightCell.columnSpan}),
            QList<int>({0, 0, 1, 2}));
        const CameraThread::GridCell wideCell = wide->gridCell();
        QCOMPARE(QList<int>({wideCell.row, wideCell.column, wideCell.rowSpan, wideCell.columnSpan}),
                 QList<int>({1, 1, 1, 1}));
        // Every cell holds exactly the window that covers it.
        QCOMPARE(grid(window)->itemAtPosition(0, 0)->widget(), right);
        QCOMPARE(grid(window)->itemAtPosition(0, 1)->widget(), right);
        QCOMPARE(grid(window)->itemAtPosition(1, 1)->widget(), wide);
        QCOMPARE(grid(window)->itemAtPosition(1, 0)->widget(), window.cameraWindowList()[1]);
        QCOMPARE(grid(window)->count(), 3);
        // Swapping back restores the first arrangement; the list order never changed.
        oldRow = 0, oldColumn = 1, newRow = 1, newColumn = 1;
        emit wide->windowMoving(oldRow, oldColumn, newRow, newColumn);
        QCOMPARE(position(window, wide), QList<int>({0, 0, 1, 2}));
        QCOMPARE(position(window, right), QList<int>({1, 1, 1, 1}));
        QCOMPARE(window.cameraWindowList()[0], wide);
        QCOMPARE(window.cameraWindowList()[2], right);
    }

    void languageSwitchRetranslatesCameraWindows()
    {
        VexoCam window(nullptr, programDir);
        trigger(window, "action_fourframe");
        CameraThread* shown = window.cameraWindowList()[0];
        QVERIFY(shown->startCamera(cameras[2]));
        auto* status = shown->findChild<QLabel*>("label_camerainfo");
        QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(QString("分辨率")), 30000);
        shown->findChild<QPushButton*>("pushButton_open")->click();  // paused: a steady text
        const QString title = shown->windowTitle();
        QVERIFY(!title.isEmpty());
        auto* menu = shown->findChild<QMenu*>();
        QCOMPARE(menu->actions().first()->text(), QString("关闭"));

        trigger(window, "action_language_EN");
        QCOMPARE(menu->actions().first()->text(), QString("Close"));
        QCOMPARE(shown->windowTitle(), title);
        QCOMPARE(shown->findChild<QLabel*>("label_title")->text(), title);
        QVERIFY(!status->text().isEmpty());
        QVERIFY(status->text() != QString("相机已进入暂停，不再接收来自相机的图像数据"));
        // The empty windows follow as well.
        QCOMPARE(window.cameraWindowList()[3]->findChild<QMenu*>()->actions().first()->text(),
                 QString("Close"));

        trigger(window, "action_language_CH");
        QCOMPARE(menu->actions().first()->text(), QString("关闭"));
        QCOMPARE(status->text(), QString("相机已进入暂停，不再接收来自相机的图像数据"));
        QCOMPARE(shown->windowTitle(), title);
        shown->closeCamera();
    }

    void fullScreenWindowClosedByTheWindowManager()
    {
        VexoCam window(nullptr, programDir);
        window.show();
        trigger(window, "action_oneframe");
        QPointer<CameraThread> shown = window.cameraWindowList()[0];
        QVERIFY(shown->startCamera(cameras[3]));
        shown->findChild<QPushButton*>("pushButton_screenzoom")->click();
        QTRY_VERIFY_WITH_TIMEOUT(shown->isFullScreen(), 30000);
        shown->close();  // as the window manager does; the window deletes itself
        QTRY_VERIFY_WITH_TIMEOUT(shown.isNull(), 30000);
        // Its camera is closed, and the grid gets a window again. (A deleted window's
        // address may be reused, so the list is checked against the grid, never against
        // the old pointer.)
        int handle = 0;
        QCOMPARE(SdkOpenCamera(&handle, cameras[3].toLatin1().constData()), 0);
        QCOMPARE(SdkCloseCamera(handle), 0);
        QTRY_COMPARE_WITH_TIMEOUT(window.cameraWindowList().size(), 1, 30000);
        QVERIFY(grid(window)->indexOf(window.cameraWindowList()[0]) >= 0);
        QVERIFY(!window.cameraWindowList()[0]->isCameraOpen());
        QCOMPARE(window.currentCameraHandle(), 0);
        trigger(window, "action_fourframe");
        QCOMPARE(window.cameraWindowList().size(), 4);
        for (CameraThread* w : window.cameraWindowList())
            QVERIFY(grid(window)->indexOf(w) >= 0);
    }

    void layoutAskedForDuringACloseFollowsIt()
    {
        VexoCam window(nullptr, programDir);
        trigger(window, "action_nineframe");
        CameraThread* kept = window.cameraWindowList()[1];
        CameraThread* closing = window.cameraWindowList()[6];
        QVERIFY(kept->startCamera(cameras[0]));
        QVERIFY(closing->startCamera(cameras[1]));
        QTRY_VERIFY_WITH_TIMEOUT(closing->acquisitionThread()->frameCount() > 1, 30000);
        // While the seventh window's close waits for its thread, the start-up restore (or
        // any timer) asks for another layout.
        QObject scope;
        bool asked = false;
        connect(closing, &CameraThread::cameraClose, &scope, [&]() {
            if (asked)
                return;
            asked = true;
            QTimer::singleShot(0, &window, [&]() { trigger(window, "action_fourframe"); });
            QThread::msleep(200);
        });
        trigger(window, "action_oneframe");
        QTRY_COMPARE_WITH_TIMEOUT(window.cameraWindowList().size(), 4, 30000);
        QCOMPARE(window.cameraWindowList()[0], kept);
        QVERIFY(kept->isShowingCamera(cameras[0]));
        QCOMPARE(grid(window)->count(), 4);
        for (CameraThread* w : window.cameraWindowList())
            QVERIFY(grid(window)->indexOf(w) >= 0);
        QCOMPARE(settingsStore()->value("WIDGETINFO", "WidgetCount").toInt(), 2);
        kept->closeCamera();
    }
};

QTEST_MAIN(WindowGridTest)
#include "tst_windowgrid.moc"
