#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest>

#include "CameraThread.h"
#include "DeviceNotification.h"
#include "ModalDialogWatcher.h"
#include "VexoCam.h"
#include "VexoCameraApi.h"

// The device tree against a camera list of our own: one network camera, one whose
// interface says "gige" in lower case, one USB camera.
class DeviceTreeTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString programDir = qEnvironmentVariable("VEXO_PROGRAM_DIR");

    static QTreeWidget* tree(VexoCam& window)
    {
        return window.findChild<QTreeWidget*>("treeWidget_devicelist");
    }
    static QTreeWidgetItem* item(VexoCam& window, const QString& text)
    {
        const auto found = tree(window)->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    // The item of a camera by its identifier: names change with renames.
    static QTreeWidgetItem* itemOf(VexoCam& window, const char* identifier)
    {
        for (QTreeWidgetItemIterator it(tree(window)); *it; ++it) {
            const QVariant data = (*it)->data(0, Qt::UserRole);
            const auto* record =
                data.isValid() ? static_cast<const VexoDeviceInfo*>(data.value<void*>()) : nullptr;
            if (record && qstrcmp(record->cameraIdentifier, identifier) == 0)
                return *it;
        }
        return nullptr;
    }
    static QString label(VexoCam& window, const char* name)
    {
        return window.findChild<QLabel*>(name)->text();
    }
    static int stackPage(VexoCam& window)
    {
        return window.findChild<QStackedWidget*>("stackedWidget_InterfaceInfo")->currentIndex();
    }
    // The grid appears 100 ms after the window is built.
    static void waitForGrid(VexoCam& window)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!window.cameraWindowList().isEmpty(), 30000);
    }
    bool runSimulator(const QStringList& arguments)
    {
        return QProcess::execute(programDir + "/vexocam-sim", arguments) == 0;
    }

private slots:
    void initTestCase()
    {
        QFile list(dir.filePath("cameras.json"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(R"({"cameras": [
          {"identifier": "NET-1", "productName": "VX-G1", "nickname": "Line A", "interface": "GigE",
           "sensorWidth": 640, "sensorHeight": 480, "color": true,
           "network": {"ip": "192.168.10.21", "mask": "255.255.255.0", "gateway": "192.168.10.1",
                       "mac": "00:0a:1b:2c:3d:4e"}},
          {"identifier": "LOWER-2", "productName": "VX-L2", "nickname": "Lower", "interface": "gige",
           "sensorWidth": 640, "sensorHeight": 480, "color": true},
          {"identifier": "USB-3", "productName": "VX-U3", "productSeries": "VX-U", "nickname": "Bench",
           "interface": "USB3.0", "sensor": "CMOS 1/2", "edition": "2.4.1", "firmwareVersion": "1.2.0.3",
           "sensorWidth": 640, "sensorHeight": 480, "color": false}
        ]})");
        list.close();
        qputenv("VEXOCAM_CAMERAS", QFile::encodeName(list.fileName()));
    }

    void hotPlugMessagesThatRefresh_data()
    {
        QTest::addColumn<unsigned>("event");
        QTest::addColumn<bool>("hasHeader");
        QTest::addColumn<unsigned>("deviceType");
        QTest::addColumn<bool>("refresh");
        QTest::newRow("interface arrived") << 0x8000u << true << 5u << true;
        QTest::newRow("volume arrived") << 0x8000u << true << 2u << false;
        QTest::newRow("arrival without header") << 0x8000u << false << 0u << false;
        QTest::newRow("interface removed") << 0x8004u << true << 5u << true;
        QTest::newRow("volume removed") << 0x8004u << true << 2u << true;
        QTest::newRow("removal without header") << 0x8004u << false << 0u << true;
        QTest::newRow("device nodes changed") << 0x0007u << false << 0u << false;
        QTest::newRow("removal pending") << 0x8003u << true << 5u << false;
    }
    void hotPlugMessagesThatRefresh()
    {
        QFETCH(unsigned, event);
        QFETCH(bool, hasHeader);
        QFETCH(unsigned, deviceType);
        QFETCH(bool, refresh);
        QCOMPARE(devicechange::refreshesDeviceList(event, hasHeader, deviceType), refresh);
    }

    void camerasGoUnderTheirRoots()
    {
        VexoCam window(nullptr, programDir);
        QTreeWidget* t = tree(window);
        QCOMPARE(t->topLevelItemCount(), 2);
        QTreeWidgetItem* network = t->topLevelItem(0);
        QTreeWidgetItem* usb = t->topLevelItem(1);
        QCOMPARE(network->text(0), QString("网络相机"));
        QCOMPARE(usb->text(0), QString("USB相机"));
        QVERIFY(!network->data(0, Qt::UserRole).isValid());
        QCOMPARE(network->childCount(), 1);
        QCOMPARE(network->child(0)->text(0), QString("Line A"));
        // The interface test is case-sensitive.
        QCOMPARE(usb->childCount(), 2);
        QCOMPARE(usb->child(0)->text(0), QString("Lower"));
        QCOMPARE(usb->child(1)->text(0), QString("Bench"));
        QVERIFY(usb->child(1)->data(0, Qt::UserRole).isValid());
        QVERIFY(network->isExpanded() && usb->isExpanded());
    }

    void informationPages()
    {
        VexoCam window(nullptr, programDir);
        auto* onoff = window.findChild<QPushButton*>("pushButton_onoff");
        emit tree(window)->itemClicked(item(window, "Line A"), 0);
        VexoNetworkConfig config{};
        QCOMPARE(SdkGetNetworkConfig("NET-1", &config), 0);
        QCOMPARE(stackPage(window), 0);
        QCOMPARE(label(window, "label_gigeName"), QString("VX-G1"));
        QCOMPARE(label(window, "label_gigeIP"), QString::fromLatin1(config.ipAddress));
        QCOMPARE(label(window, "label_gigeNetMask"), QString::fromLatin1(config.subnetMask));
        QCOMPARE(label(window, "label_gigePorttype"), QString("GigE"));
        QCOMPARE(label(window, "label_gigePhyAdder"), QString("00:0a:1b:2c:3d:4e"));
        QCOMPARE(label(window, "label_gigeBroAdder"), QString("未打开"));

        emit tree(window)->itemClicked(item(window, "Bench"), 0);
        QCOMPARE(stackPage(window), 2);
        QCOMPARE(label(window, "label_productName"), QString("VX-U3"));
        QCOMPARE(label(window, "label_productsSeries"), QString("VX-U"));
        QCOMPARE(label(window, "label_sensor"), QString("CMOS 1/2"));
        QCOMPARE(label(window, "label_porttype"), QString("USB3.0"));
        QCOMPARE(label(window, "label_edition"), QString("2.4.1"));
        QCOMPARE(label(window, "label_firmware"), QString("v1.2.0.3"));
        QCOMPARE(label(window, "label_status"), QString("未打开"));

        // A root shows the empty page and leaves the button as it was.
        const qint64 iconBefore = onoff->icon().cacheKey();
        emit tree(window)->itemClicked(tree(window)->topLevelItem(0), 0);
        QCOMPARE(stackPage(window), 3);
        QCOMPARE(onoff->icon().cacheKey(), iconBefore);
    }

    void openingAndClosingFromTheTree()
    {
        ModalDialogWatcher watcher;
        VexoCam window(nullptr, programDir);
        waitForGrid(window);
        auto* onoff = window.findChild<QPushButton*>("pushButton_onoff");
        onoff->click();  // no current item: nothing happens
        QCOMPARE(watcher.count(), 0);

        QTreeWidgetItem* camera = item(window, "Bench");
        emit tree(window)->itemDoubleClicked(camera, 0);
        CameraThread* shown = window.cameraWindowList().first();
        QVERIFY(shown->isShowingCamera("USB-3"));
        QCOMPARE(window.currentCameraHandle(), shown->cameraHandle());
        QVERIFY(window.findChild<QWidget*>("tabWidget")->isEnabled());
        QCOMPARE(label(window, "label_status"), QString("已打开"));

        // Opening it again re-selects the same window; the only window is now occupied,
        // so another camera has nowhere to go and nothing visible happens.
        const int handle = shown->cameraHandle();
        emit tree(window)->itemDoubleClicked(camera, 0);
        QCOMPARE(shown->cameraHandle(), handle);
        emit tree(window)->itemDoubleClicked(item(window, "Line A"), 0);
        QVERIFY(shown->isShowingCamera("USB-3"));
        QCOMPARE(watcher.count(), 0);

        tree(window)->setCurrentItem(camera);
        onoff->click();
        QVERIFY(!shown->isCameraOpen());
        QCOMPARE(label(window, "label_status"), QString("未打开"));
        QCOMPARE(window.currentCameraHandle(), 0);
        QVERIFY(!window.findChild<QWidget*>("tabWidget")->isEnabled());
    }

    void cameraOpenElsewhereCannotBeClosedHere()
    {
        int handle = 0;
        QCOMPARE(SdkOpenCamera(&handle, "NET-1"), 0);
        ModalDialogWatcher watcher;
        VexoCam window(nullptr, programDir);
        QTreeWidgetItem* camera = item(window, "Line A");
        tree(window)->setCurrentItem(camera);
        emit tree(window)->itemClicked(camera, 0);
        QCOMPARE(label(window, "label_gigeBroAdder"), QString("已打开"));
        window.findChild<QPushButton*>("pushButton_onoff")->click();
        QCOMPARE(watcher.count(), 1);
        QCOMPARE(watcher.seen()[0].title, QString("提示"));
        QCOMPARE(watcher.seen()[0].text, QString("相机已在其它地方打开，无法关闭"));
        QCOMPARE(SdkCloseCamera(handle), 0);
    }

    void openingByIdentifierFollowsInTheTree()
    {
        VexoCam window(nullptr, programDir);
        waitForGrid(window);
        window.cameraWidget_open("NET-1");
        QCOMPARE(tree(window)->currentItem(), item(window, "Line A"));
        QCOMPARE(label(window, "label_gigeBroAdder"), QString("已打开"));
        // A refresh rebuilds the records but leaves the window streaming.
        window.findChild<QPushButton*>("pushButton_refresh")->click();
        QVERIFY(window.cameraWindowList().first()->isShowingCamera("NET-1"));
        emit tree(window)->itemClicked(item(window, "Line A"), 0);
        QCOMPARE(label(window, "label_gigeBroAdder"), QString("已打开"));
        window.cameraWindowList().first()->closeCamera();
        emit tree(window)->itemClicked(item(window, "Line A"), 0);
        QCOMPARE(label(window, "label_gigeBroAdder"), QString("未打开"));
    }

    void renaming_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("renamed");
        QTest::newRow("empty name") << ""
                                    << "提示"
                                    << "请输入设备昵称" << false;
        QTest::newRow("new name") << "Station 7"
                                  << "成功"
                                  << "修改设备名称成功" << true;
        // The library takes at most 127 bytes; three bytes per character here.
        QTest::newRow("name the library refuses") << QString(43, QChar(0x7EBF)) << "提示"
                                                  << "修改设备名称失败" << false;
    }
    void renaming()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(bool, renamed);
        VexoCam window(nullptr, programDir);
        waitForGrid(window);
        window.cameraWidget_open("USB-3");
        ModalDialogWatcher watcher;
        const QString shownBefore = label(window, "label_deviceName");
        window.findChild<QLineEdit*>("lineEdit_deviceName")->setText(name);
        window.findChild<QPushButton*>("pushButton_deviceName")->click();
        QCOMPARE(watcher.count(), 1);
        QCOMPARE(watcher.seen()[0].title, title);
        QCOMPARE(watcher.seen()[0].text, text);
        QCOMPARE(watcher.seen()[0].buttons, QStringList{"确定"});
        if (!renamed) {
            // The old name stays, here and for every program.
            QCOMPARE(label(window, "label_deviceName"), shownBefore);
            window.findChild<QPushButton*>("pushButton_refresh")->click();
            QVERIFY(name.isEmpty() || !item(window, name));
        } else {
            QCOMPARE(label(window, "label_deviceName"), name);
            // Every program sees the new name at its next enumeration.
            window.findChild<QPushButton*>("pushButton_refresh")->click();
            QVERIFY(item(window, name));
        }
        window.cameraWindowList().first()->closeCamera();
    }

    void closingWhileTheTreeIsRebuilt()
    {
        VexoCam window(nullptr, programDir);
        waitForGrid(window);
        window.cameraWidget_open("USB-3");
        CameraThread* shown = window.cameraWindowList().first();
        QVERIFY(shown->isShowingCamera("USB-3"));
        QTRY_VERIFY_WITH_TIMEOUT(shown->acquisitionThread()->frameCount() > 1, 30000);
        tree(window)->setCurrentItem(itemOf(window, "USB-3"));
        // A rebuild of the tree (a hot-plug, say) comes due while the close waits for the
        // acquisition thread, which is kept inside a frame hand-over meanwhile.
        QObject scope;
        connect(shown, &CameraThread::cameraClose, &scope, [&]() {
            QTimer::singleShot(0, window.findChild<QPushButton*>("pushButton_refresh"),
                               &QPushButton::click);
            QThread::msleep(200);
        });
        window.findChild<QPushButton*>("pushButton_onoff")->click();
        QVERIFY(!shown->isCameraOpen());
        // The rebuilt tree knows the camera is closed.
        QTreeWidgetItem* camera = itemOf(window, "USB-3");
        QVERIFY(camera);
        emit tree(window)->itemClicked(camera, 0);
        QCOMPARE(label(window, "label_status"), QString("未打开"));
        int handle = 0;
        QCOMPARE(SdkOpenCamera(&handle, "USB-3"), 0);
        QCOMPARE(SdkCloseCamera(handle), 0);
    }

    void nodeFolderRemovedAndCreatedAgain()
    {
        VexoCam window(nullptr, programDir);
        QCOMPARE(tree(window)->topLevelItem(1)->childCount(), 2);
        const QString folder = qEnvironmentVariable("VEXOCAM_DEVICE_DIR");
        QVERIFY(!folder.isEmpty());
        // The library's own watch may put a sub-folder back while the folder goes away.
        QTRY_VERIFY_WITH_TIMEOUT(QDir(folder).removeRecursively() && !QFileInfo::exists(folder), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(tree(window)->topLevelItem(1)->childCount(), 0, 30000);
        // The folder comes back and the cameras are published in it again.
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(runSimulator({"attach", "all"}));
        QTRY_COMPARE_WITH_TIMEOUT(tree(window)->topLevelItem(1)->childCount(), 2, 30000);
        // Hot-plug still reaches the tree.
        QVERIFY(runSimulator({"detach", "USB-3"}));
        QTRY_COMPARE_WITH_TIMEOUT(tree(window)->topLevelItem(1)->childCount(), 1, 30000);
        QVERIFY(runSimulator({"attach", "USB-3"}));
        QTRY_COMPARE_WITH_TIMEOUT(tree(window)->topLevelItem(1)->childCount(), 2, 30000);
    }

    void unpluggedCameraIsReportedInItsWindow()
    {
        VexoCam window(nullptr, programDir);
        waitForGrid(window);
        window.cameraWidget_open("USB-3");
        CameraThread* shown = window.cameraWindowList().first();
        auto* status = shown->findChild<QLabel*>("label_camerainfo");
        QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(QString("分辨率")), 30000);
        QVERIFY(runSimulator({"detach", "USB-3"}));
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QString("相机已断开连接，正在等待相机重新接入"),
                                  30000);
        QTRY_COMPARE_WITH_TIMEOUT(tree(window)->topLevelItem(1)->childCount(), 1, 30000);
        QVERIFY(shown->isShowingCamera("USB-3"));
        // Plugged back, the camera is listed again, as open.
        QVERIFY(runSimulator({"attach", "USB-3"}));
        QTRY_COMPARE_WITH_TIMEOUT(tree(window)->topLevelItem(1)->childCount(), 2, 30000);
        emit tree(window)->itemClicked(itemOf(window, "USB-3"), 0);
        QCOMPARE(label(window, "label_status"), QString("已打开"));
        shown->closeCamera();
    }

    void treeFollowsPlugAndUnplug()
    {
        VexoCam window(nullptr, programDir);
        QTreeWidgetItem* usb = tree(window)->topLevelItem(1);
        QCOMPARE(usb->childCount(), 2);
        QVERIFY(runSimulator({"detach", "USB-3"}));
        QTRY_COMPARE_WITH_TIMEOUT(tree(window)->topLevelItem(1)->childCount(), 1, 30000);
        QVERIFY(runSimulator({"attach", "USB-3"}));
        QTRY_COMPARE_WITH_TIMEOUT(tree(window)->topLevelItem(1)->childCount(), 2, 30000);
    }
};

QTEST_MAIN(DeviceTreeTest)
#include "tst_devicetree.moc"
