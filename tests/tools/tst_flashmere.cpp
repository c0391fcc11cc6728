#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <unistd.h>

#include <atomic>

#include "CbUpdateCamera.h"
#include "DeviceText.h"
#include "Flashmere.h"
#include "ModalDialogWatcher.h"
#include "ToolTestSupport.h"
#include "UpgradeLogic.h"
#include "VexoCameraApi.h"

// The upgrade tool against the simulated cameras: table, file choice, real upgrades with
// their progress and results, and the worker's lifetime.
class FlashmereTest : public QObject {
    Q_OBJECT

    QPointer<Flashmere> window;
    QTemporaryDir files;

    QTableWidget* table() { return window->findChild<QTableWidget*>("tableWidget"); }
    QPushButton* button(const char* name) { return window->findChild<QPushButton*>(name); }
    QLineEdit* pathField() { return window->findChild<QLineEdit*>("lineEdit_path"); }
    QWidget* controls() { return window->findChild<QWidget*>("widget"); }
    QProgressBar* progress() { return window->findChild<QProgressBar*>("progressBar"); }

    int rowOf(const QString& identifier)
    {
        for (int row = 0; row < table()->rowCount(); ++row)
            if (table()->item(row, 6)->data(Qt::UserRole).toString() == identifier)
                return row;
        return -1;
    }

    QString makeUpgrade(const QString& name, const QString& forCamera, const QString& version, bool broken = false)
    {
        const QString path = files.filePath(name);
        QStringList arguments = {"make-upgrade", forCamera, version, path};
        if (broken)
            arguments << "broken";
        return tooltest::runSimulator(arguments) ? path : QString();
    }

    // Starts an upgrade of the camera with the file, as a user does.
    void startUpgrade(const QString& identifier, const QString& path)
    {
        pathField()->setText(path);
        table()->selectRow(rowOf(identifier));
        QTest::mouseClick(button("pushButton_upgrade"), Qt::LeftButton);
    }

    bool idle() { return controls()->isEnabled() && !window->findChild<CbUpdateCamera*>(); }

    static bool cameraIsFree(const char* identifier)
    {
        int handle = 0;
        if (SdkOpenCamera(&handle, identifier) != VEXO_SDK_OK)
            return false;
        SdkCloseCamera(handle);
        return true;
    }

private slots:
    void initTestCase()
    {
        tooltest::useChinese();
        QVERIFY(files.isValid());
        if (tooltest::simulatorTool().isEmpty())
            QSKIP("vexocam-sim is not built");
    }
    void init()
    {
        window = new Flashmere;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }
    void cleanup()
    {
        delete window;
        tooltest::runSimulator({"attach", "all"});
    }

    void formObjects()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("升级"));
        QCOMPARE(window->findChild<QLabel*>("label")->text(), QStringLiteral("升级文件："));
        QCOMPARE(window->findChild<QLabel*>("label_2")->text(),
                 QStringLiteral("注意：固件升级过程中，请勿断开相机与PC的连接，且不能断电！"));
        QVERIFY(!window->findChild<QLabel*>("label_3")->pixmap(Qt::ReturnByValue).isNull());
        QCOMPARE(button("pushButton_open")->text(), QStringLiteral("..."));
        QCOMPARE(button("pushButton_upgrade")->text(), QStringLiteral("升级"));
        QCOMPARE(button("pushButton")->text(), QStringLiteral("刷新列表"));
        for (const char* name : {"lineEdit_path", "pushButton_open", "pushButton_upgrade", "pushButton"})
            QVERIFY(controls()->isAncestorOf(window->findChild<QWidget*>(name)));
        QCOMPARE(progress()->value(), 0);

        QCOMPARE(table()->columnCount(), 7);
        const QStringList headers = {"设备名称", "设备类型", "产品系列", "产品名称", "sensor版本", "软件版本", "状态"};
        for (int c = 0; c < 7; ++c) {
            QCOMPARE(table()->horizontalHeaderItem(c)->text(), headers.at(c));
            QCOMPARE(table()->horizontalHeader()->sectionResizeMode(c), QHeaderView::Stretch);
        }
        QCOMPARE(table()->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(table()->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(table()->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    void rowsFollowEnumeration()
    {
        const QList<tooltest::Camera> cameras = tooltest::enumerate();
        QCOMPARE(cameras.size(), 5);   // USB cameras are listed too
        QCOMPARE(table()->rowCount(), cameras.size());
        for (int row = 0; row < cameras.size(); ++row) {
            const tooltest::Camera& camera = cameras.at(row);
            QCOMPARE(table()->item(row, 0)->text(), camera.name);
            QCOMPARE(table()->item(row, 1)->text(), camera.interfaceText);
            QCOMPARE(table()->item(row, 5)->text(), firmwareVersionText(camera.firmware));
            QCOMPARE(table()->item(row, 6)->text(), QStringLiteral("空闲"));
            QCOMPARE(table()->item(row, 6)->data(Qt::UserRole).toString(), camera.identifier);
            for (int c = 0; c < 7; ++c)
                QCOMPARE(table()->item(row, c)->textAlignment(), int(Qt::AlignCenter));
        }
        QCOMPARE(table()->item(rowOf(tooltest::kGigEColour), 5)->text(), QStringLiteral("v1.2.0.3"));

        int handle = 0;
        QCOMPARE(SdkOpenCamera(&handle, tooltest::kUsbFocus), 0);
        QTest::mouseClick(button("pushButton"), Qt::LeftButton);
        SdkCloseCamera(handle);
        QCOMPARE(table()->item(rowOf(tooltest::kUsbFocus), 6)->text(), QStringLiteral("已打开"));
        QCOMPARE(table()->item(rowOf(tooltest::kUsbFocus), 6)->background().color(), QColor(117, 241, 60));
        QCOMPARE(table()->item(rowOf(tooltest::kGigEMono), 6)->background().style(), Qt::NoBrush);
    }

    void fileFilter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("listed");
        const QString ours = upgradetool::upgradeFileFilter();
        QTest::newRow("upgrade file is listed") << ours << "camera.upg" << true;
        QTest::newRow("other files are not") << ours << "notes.txt" << false;
        QTest::newRow("description words are no patterns") << ours << "Camera" << false;
        // Without parentheses Qt takes every word as a pattern, so nothing useful shows.
        QTest::newRow("filter without parentheses hides upgrade files")
            << "Camera upgrade file;*.upg*" << "camera.upg" << false;
    }
    void fileFilter()
    {
        QFETCH(QString, filter);
        QFETCH(QString, fileName);
        QFETCH(bool, listed);
        QTemporaryDir folder;
        for (const QString& name : {QStringLiteral("camera.upg"), QStringLiteral("notes.txt"), QStringLiteral("Camera")}) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QFileDialog dialog(nullptr, QStringLiteral("打开"), folder.path(), filter);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QVERIFY(upgradetool::upgradeFileFilter().startsWith(QLatin1String("Camera upgrade file")));
        auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
        QVERIFY(view);
        auto listedNames = [view] {
            QStringList names;
            const QModelIndex root = view->rootIndex();
            for (int r = 0; r < view->model()->rowCount(root); ++r)
                names << view->model()->index(r, 0, root).data().toString();
            return names;
        };
        // The folder is read in the background; the .upg file (or nothing) shows up.
        if (listed) {
            QTRY_VERIFY_WITH_TIMEOUT(listedNames().contains(fileName), 30000);
            QCOMPARE(listedNames(), QStringList{fileName});
        } else {
            QTest::qWait(300);
            QVERIFY(!listedNames().contains(fileName));
        }
    }

    void choosingAFile_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("chosen file replaces the path") << false;
        QTest::newRow("cancel keeps the path") << true;
    }
    void choosingAFile()
    {
        QFETCH(bool, cancel);
        const QString file = makeUpgrade("choose.upg", tooltest::kGigEColour, "1.3.0.0");
        QVERIFY(!file.isEmpty());
        pathField()->setText(QStringLiteral("/old/path.upg"));
        tooltest::FileChoiceAnswers answers(cancel ? QString() : file);
        QTest::mouseClick(button("pushButton_open"), Qt::LeftButton);
        QCOMPARE(answers.seen, QStringList{QStringLiteral("QFileDialog: 打开: ")});
        QCOMPARE(pathField()->text(), cancel ? QStringLiteral("/old/path.upg") : file);
    }

    void upgradeWithoutPath()
    {
        const QString file = makeUpgrade("nopath.upg", tooltest::kGigEColour, "1.3.0.0");
        tooltest::FileChoiceAnswers answers(file);
        QTest::mouseClick(button("pushButton_upgrade"), Qt::LeftButton);
        QCOMPARE(answers.seen, (QStringList{QStringLiteral("QMessageBox: 提示: 请选择相机升级文件路径"),
                                            QStringLiteral("QFileDialog: 打开: ")}));
        QCOMPARE(pathField()->text(), file);
        QVERIFY(idle());
        QCOMPARE(progress()->value(), 0);
    }

    void pathWithoutSelectionDoesNothing()
    {
        ModalDialogWatcher watcher;
        pathField()->setText(makeUpgrade("nosel.upg", tooltest::kGigEColour, "1.3.0.0"));
        table()->clearSelection();
        QTest::mouseClick(button("pushButton_upgrade"), Qt::LeftButton);
        QTest::qWait(300);
        QCOMPARE(watcher.count(), 0);
        QVERIFY(idle());
    }

    void upgradeResults_data()
    {
        QTest::addColumn<QString>("camera");
        QTest::addColumn<QString>("file");        // how the file is made
        QTest::addColumn<QString>("situation");   // "", "held", "detached", "detach during"
        QTest::addColumn<QString>("message");     // empty: none
        QTest::addColumn<QString>("firmwareAfter");
        const QString colour = QString::fromLatin1(tooltest::kGigEColour);
        const QString usb = QString::fromLatin1(tooltest::kUsbFocus);
        QTest::newRow("matching file") << colour << "good" << "" << "升级成功,请断电重启相机" << "v1.3.0.0";
        QTest::newRow("USB camera") << usb << "good" << "" << "升级成功,请断电重启相机" << "v1.3.0.0";
        QTest::newRow("missing file") << colour << "missing" << "" << "升级失败,升级文件路径错误" << "v1.2.0.3";
        QTest::newRow("folder instead of a file") << colour << "folder" << "" << "升级失败,升级文件路径错误" << "v1.2.0.3";
        if (::geteuid() != 0)
            QTest::newRow("unreadable file") << colour << "unreadable" << "" << "升级失败,升级文件路径错误" << "v1.2.0.3";
        QTest::newRow("file for another product") << colour << "foreign" << "" << "升级失败,升级文件不匹配" << "v1.2.0.3";
        QTest::newRow("damaged file") << colour << "broken" << "" << "升级失败,升级文件不匹配" << "v1.2.0.3";
        QTest::newRow("not an upgrade file") << colour << "text" << "" << "升级失败,升级文件不匹配" << "v1.2.0.3";
        QTest::newRow("empty file") << colour << "empty" << "" << "升级失败,升级文件不匹配" << "v1.2.0.3";
        QTest::newRow("camera open in another process") << colour << "good" << "held" << "升级失败,设备已经打开" << "v1.2.0.3";
        QTest::newRow("camera detached before the upgrade") << colour << "good" << "detached" << "" << "v1.2.0.3";
        QTest::newRow("camera detached during the upgrade") << colour << "good" << "detach during" << "升级失败,操作失败" << "v1.2.0.3";
    }
    void upgradeResults()
    {
        QFETCH(QString, camera);
        QFETCH(QString, file);
        QFETCH(QString, situation);
        QFETCH(QString, message);
        QFETCH(QString, firmwareAfter);
        const QByteArray id = camera.toLatin1();
        // Every row starts from the factory firmware: a fresh state for the camera.
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_');
        QString path = files.filePath(tag + QStringLiteral(".upg"));
        if (file == QLatin1String("good") || file == QLatin1String("unreadable"))
            path = makeUpgrade(tag + ".upg", camera, "1.3.0.0");
        else if (file == QLatin1String("broken"))
            path = makeUpgrade(tag + ".upg", camera, "1.3.0.0", true);
        else if (file == QLatin1String("foreign"))
            path = makeUpgrade(tag + ".upg", QString::fromLatin1(tooltest::kGigEMono), "1.3.0.0");
        else if (file == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        else if (file != QLatin1String("missing")) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            if (file == QLatin1String("text"))
                out.write("this is no firmware at all\n");
        }
        if (file == QLatin1String("unreadable"))
            QVERIFY(QFile::setPermissions(path, {}));
        QVERIFY(!path.isEmpty());
        const QString before = table()->item(rowOf(camera), 5)->text();
        if (before != QLatin1String("v1.2.0.3") && camera == QLatin1String(tooltest::kGigEColour))
            QSKIP("an earlier row already upgraded this camera");

        std::unique_ptr<tooltest::Holder> holder;
        if (situation == QLatin1String("held")) {
            holder = std::make_unique<tooltest::Holder>(camera);
            QVERIFY(holder->holds(camera));
        } else if (situation == QLatin1String("detached")) {
            QVERIFY(tooltest::runSimulator({"detach", camera}));
        }

        ModalDialogWatcher watcher;
        QList<int> values;
        bool allInGuiThread = true;
        connect(progress(), &QProgressBar::valueChanged, this, [&](int value) {
            values << value;
            allInGuiThread &= QThread::currentThread() == qApp->thread();
        });
        startUpgrade(camera, path);
        QVERIFY(!controls()->isEnabled());
        if (situation == QLatin1String("detach during")) {
            QTRY_VERIFY_WITH_TIMEOUT(progress()->value() >= 20, 10000);
            QVERIFY(tooltest::runSimulator({"detach", camera}));
        }
        QTRY_VERIFY_WITH_TIMEOUT(idle(), 20000);
        disconnect(progress(), nullptr, this, nullptr);
        if (holder)
            holder->release();

        if (message.isEmpty()) {
            QCOMPARE(watcher.count(), 0);
        } else {
            QCOMPARE(watcher.count(), 1);
            QCOMPARE(watcher.seen().first().title, QStringLiteral("提示"));
            QCOMPARE(watcher.seen().first().text, message);
            QCOMPARE(watcher.seen().first().buttons, QStringList{QStringLiteral("确定")});
            QCOMPARE(watcher.seen().first().className, QStringLiteral("QMessageBox"));
        }
        QVERIFY(allInGuiThread);
        if (message == QStringLiteral("升级成功,请断电重启相机")) {
            QVERIFY2(values.size() >= 10, "progress follows the library's reports");
            QCOMPARE(values.last(), 100);
            for (int i = 1; i < values.size(); ++i)
                QVERIFY(values.at(i) >= values.at(i - 1));
        }
        if (situation.startsWith(QLatin1String("detach")))
            QVERIFY(tooltest::runSimulator({"attach", camera}));

        // The camera was closed again, and the firmware is the old or the new one.
        QVERIFY(cameraIsFree(id.constData()));
        QTest::mouseClick(button("pushButton"), Qt::LeftButton);
        QCOMPARE(table()->item(rowOf(camera), 5)->text(), firmwareAfter);
        QCOMPARE(table()->item(rowOf(camera), 6)->text(), QStringLiteral("空闲"));
        if (firmwareAfter != before && camera == QLatin1String(tooltest::kGigEColour)) {
            // Later rows expect the factory firmware of this camera again.
            const QString back = makeUpgrade("back.upg", camera, "1.2.0.3");
            int handle = 0;
            QCOMPARE(SdkOpenCamera(&handle, id.constData()), 0);
            QCOMPARE(SdkUpgradeFirmware(handle, back.toLocal8Bit().constData(), nullptr, nullptr), 0);
            SdkCloseCamera(handle);
        }
    }

    void workerReleasedOnlyAfterItsThreadFinished()
    {
        const QString path = makeUpgrade("late.upg", tooltest::kGigEMono, "1.1.0.6");
        startUpgrade(QString::fromLatin1(tooltest::kGigEMono), path);
        QPointer<CbUpdateCamera> worker = window->findChild<CbUpdateCamera*>();
        QVERIFY(worker);
        // Keep the worker's thread busy after it reported the result: the result arrives
        // at the window while the thread is still inside run().
        std::atomic<bool> finished{false};
        bool finishedWhenDestroyed = false;
        connect(worker.data(), &QThread::finished, worker.data(), [&] { finished = true; }, Qt::DirectConnection);
        connect(worker.data(), &CbUpdateCamera::SendRes, worker.data(), [] { QThread::msleep(400); },
                Qt::DirectConnection);
        connect(worker.data(), &QObject::destroyed, this, [&] { finishedWhenDestroyed = finished; });

        ModalDialogWatcher watcher;
        QTRY_VERIFY_WITH_TIMEOUT(!worker, 20000);
        QVERIFY(finishedWhenDestroyed);
        QCOMPARE(watcher.count(), 1);
        QCOMPARE(watcher.seen().first().text, QStringLiteral("升级成功,请断电重启相机"));
        QVERIFY(controls()->isEnabled());
        QVERIFY(cameraIsFree(tooltest::kGigEMono));
    }

    void closingWhileUpgrading()
    {
        const QString path = makeUpgrade("closing.upg", tooltest::kGigEMono, "1.1.0.7");
        startUpgrade(QString::fromLatin1(tooltest::kGigEMono), path);
        QTRY_VERIFY_WITH_TIMEOUT(progress()->value() > 0, 10000);
        {
            // Closing the window is refused with a message while the upgrade runs.
            ModalDialogWatcher watcher;
            QVERIFY(!window->close());
            QCOMPARE(watcher.count(), 1);
            QCOMPARE(watcher.seen().first().text, QStringLiteral("固件升级正在进行，请等待升级结束后再关闭"));
            QVERIFY(window->isVisible());
        }
        // Destroying it anyway (the application quits) lets the upgrade finish first.
        QVERIFY(!cameraIsFree(tooltest::kGigEMono));
        delete window;
        QVERIFY(cameraIsFree(tooltest::kGigEMono));
        const int row = tooltest::rowOf(QString::fromLatin1(tooltest::kGigEMono));
        QCOMPARE(firmwareVersionText(tooltest::enumerate().at(row).firmware), QStringLiteral("v1.1.0.7"));

        // Once idle the window closes normally.
        window = new Flashmere;
        window->show();
        QVERIFY(window->close());
    }
};

QTEST_MAIN(FlashmereTest)
#include "tst_flashmere.moc"
