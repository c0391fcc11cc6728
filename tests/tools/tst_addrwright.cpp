#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QtTest>

#include "Addrwright.h"
#include "IPAddress.h"
#include "DeviceText.h"
#include "IpToolLogic.h"
#include "ModalDialogWatcher.h"
#include "ToolTestSupport.h"
#include "VexoCameraApi.h"
#include "ipModify.h"

namespace {

// The GigE cameras as the library reports them now, with their network settings.
struct GigeCamera {
    tooltest::Camera camera;
    VexoNetworkConfig network{};
};

QList<GigeCamera> gigeCameras()
{
    QList<GigeCamera> result;
    for (const tooltest::Camera& camera : tooltest::enumerate()) {
        if (!camera.interfaceText.contains(QLatin1String("GigE")))
            continue;
        GigeCamera gige{camera, {}};
        SdkGetNetworkConfig(camera.identifier.toLatin1().constData(), &gige.network);
        result << gige;
    }
    return result;
}

}  // namespace

// The IP tool's main window: form, table, interface filter, rename and the way to the
// address dialog, against the simulated cameras.
class AddrwrightTest : public QObject {
    Q_OBJECT

    QPointer<Addrwright> window;

    QTableWidget* table() { return window->findChild<QTableWidget*>("tableWidget"); }
    QListWidget* list() { return window->findChild<QListWidget*>("listWidget"); }
    QPushButton* button(const char* name) { return window->findChild<QPushButton*>(name); }
    QLineEdit* nameField() { return window->findChild<QLineEdit*>("lineEdit_deviceName"); }

    int rowOf(const QString& identifier)
    {
        for (int row = 0; row < table()->rowCount(); ++row)
            if (table()->item(row, 0)->data(Qt::UserRole).toString() == identifier)
                return row;
        return -1;
    }
    void clickCell(int row, int column)
    {
        const QRect rect = table()->visualItemRect(table()->item(row, column));
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QList<ipModify*> openDialogs()
    {
        QList<ipModify*> dialogs;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<ipModify*>(widget))
                if (dialog->isVisible())
                    dialogs << dialog;
        return dialogs;
    }

private slots:
    void initTestCase() { tooltest::useChinese(); }
    void init()
    {
        window = new Addrwright;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }
    void cleanup()
    {
        for (ipModify* dialog : openDialogs())
            delete dialog;
        delete window;
        tooltest::runSimulator({"attach", "all"});
    }

    void formObjects()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("IP配置工具"));
        QCOMPARE(window->size(), QSize(1237, 493));
        QCOMPARE(window->findChild<QLabel*>("label_2")->text(), QStringLiteral("双击表格，即可对选择的相机进行IP配置！"));
        QCOMPARE(window->findChild<QLabel*>("label_3")->text(), QStringLiteral("名称："));
        QVERIFY(!window->findChild<QLabel*>("label")->pixmap(Qt::ReturnByValue).isNull());
        QCOMPARE(button("pushButton_refresh")->text(), QStringLiteral("刷新"));
        QCOMPARE(button("pushButton")->text(), QStringLiteral("设置名称"));
        QCOMPARE(button("pushButton_modifyIP")->text(), QStringLiteral("修改IP"));
        QCOMPARE(nameField()->minimumWidth(), 100);
        QCOMPARE(nameField()->maximumWidth(), 100);
        QCOMPARE(nameField()->maxLength(), 32767);
        QVERIFY(window->findChild<QSplitter*>("splitter"));

        QCOMPARE(table()->columnCount(), 10);
        const QStringList headers = {"设备名称", "接口类型", "sensor版本", "设备驱动", "物理地址",
                                     "IP配置", "IP地址", "子网掩码", "默认网关", "状态"};
        for (int c = 0; c < 10; ++c)
            QCOMPARE(table()->horizontalHeaderItem(c)->text(), headers.at(c));
        // At the initial window size every column is wide enough for its header and cells.
        QVERIFY(table()->rowCount() > 0);
        QHeaderView* header = table()->horizontalHeader();
        for (int c = 0; c < 10; ++c) {
            int needed = header->sectionSizeHint(c);
            for (int row = 0; row < table()->rowCount(); ++row)
                needed = std::max(needed, table()->fontMetrics().horizontalAdvance(
                                              table()->item(row, c)->text()));
            QTRY_VERIFY2(
                header->sectionSize(c) >= needed,
                qPrintable(
                    QString("column %1: %2 < %3").arg(c).arg(header->sectionSize(c)).arg(needed)));
        }
        QCOMPARE(table()->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(table()->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(table()->editTriggers(), QAbstractItemView::NoEditTriggers);

        QVERIFY(list()->count() >= 1);
        QListWidgetItem* gige = list()->item(0);
        QCOMPARE(gige->text(), QStringLiteral("Gige"));
        QVERIFY(gige->font().bold());
        QCOMPARE(gige->font().pointSize(), 10);
        QVERIFY(!gige->data(Qt::UserRole).isValid());
    }

    void rowsShowTheGigeCameras()
    {
        const QList<GigeCamera> cameras = gigeCameras();
        QCOMPARE(cameras.size(), 2);   // the USB cameras are not listed
        QCOMPARE(table()->rowCount(), cameras.size());
        for (int row = 0; row < cameras.size(); ++row) {
            const GigeCamera& gige = cameras.at(row);
            const QStringList expected = {
                gige.camera.name,
                gige.camera.interfaceText,
                "",   // sensor and edition texts are compared below
                "",
                macAddressText(gige.network.macAddress),
                gige.network.addressMode ? "静态IP" : "动态IP",
                QString::fromLatin1(gige.network.ipAddress),
                QString::fromLatin1(gige.network.subnetMask),
                QString::fromLatin1(gige.network.gateway),
                "空闲",
            };
            for (int c = 0; c < 10; ++c) {
                QTableWidgetItem* cell = table()->item(row, c);
                QVERIFY(cell);
                if (!expected.at(c).isEmpty())
                    QCOMPARE(cell->text(), expected.at(c));
                QCOMPARE(cell->toolTip(), cell->text());
                QCOMPARE(cell->textAlignment(), int(Qt::AlignCenter));
            }
            QVERIFY(!table()->item(row, 2)->text().isEmpty());
            QCOMPARE(table()->item(row, 0)->data(Qt::UserRole).toString(), gige.camera.identifier);
            QCOMPARE(table()->item(row, 9)->background().style(), Qt::NoBrush);
            QVERIFY(!QString::fromLatin1(gige.network.ipAddress).isEmpty());
        }
    }

    void openCameraIsGreen()
    {
        int handle = 0;
        QCOMPARE(SdkOpenCamera(&handle, tooltest::kGigEMono), 0);
        QTest::mouseClick(button("pushButton_refresh"), Qt::LeftButton);
        SdkCloseCamera(handle);
        const int open = rowOf(QString::fromLatin1(tooltest::kGigEMono));
        const int idle = rowOf(QString::fromLatin1(tooltest::kGigEColour));
        QVERIFY(open >= 0 && idle >= 0);
        QCOMPARE(table()->item(open, 9)->text(), QStringLiteral("已打开"));
        QCOMPARE(table()->item(open, 9)->background().color(), QColor(117, 241, 60));
        QCOMPARE(table()->item(idle, 9)->text(), QStringLiteral("空闲"));
        QCOMPARE(table()->item(idle, 9)->background().style(), Qt::NoBrush);
    }

    void interfaceFilter()
    {
        const QList<GigeCamera> cameras = gigeCameras();
        const QString seenThrough = QString::fromLatin1(cameras.first().network.interfaceAddress);
        if (seenThrough.isEmpty() || seenThrough == QLatin1String("127.0.0.1"))
            QSKIP("this machine has no network interface the cameras could be seen through");

        bool interfaceOfTheCamerasListed = false;
        for (int i = 1; i < list()->count(); ++i) {
            QListWidgetItem* item = list()->item(i);
            const QString address = item->data(Qt::UserRole).toString();
            QVERIFY(item->text().startsWith(QLatin1String("    ")));
            QVERIFY(item->text().endsWith("[" + address + "]"));
            QCOMPARE(item->toolTip(), item->text());
            QVERIFY2(!address.contains(':'), "interfaces are listed by their IPv4 address");

            QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(item).center());
            int expectedRows = 0;
            for (const GigeCamera& gige : cameras)
                expectedRows += QString::fromLatin1(gige.network.interfaceAddress) == address;
            QCOMPARE(table()->rowCount(), expectedRows);
            interfaceOfTheCamerasListed |= address == seenThrough;
        }
        QVERIFY2(interfaceOfTheCamerasListed, "the interface the cameras are seen through must be listed");

        // The header item, and refresh, show every camera again.
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(list()->item(0)).center());
        QCOMPARE(table()->rowCount(), cameras.size());
        if (list()->count() > 1) {
            QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {},
                               list()->visualItemRect(list()->item(1)).center());
        }
        QTest::mouseClick(button("pushButton_refresh"), Qt::LeftButton);
        QCOMPARE(table()->rowCount(), cameras.size());
        QCOMPARE(list()->currentRow(), 0);
    }

    void selectingFillsTheName()
    {
        const int row = rowOf(QString::fromLatin1(tooltest::kGigEMono));
        clickCell(row, 7);
        QCOMPARE(nameField()->text(), table()->item(row, 0)->text());
        QVERIFY(!nameField()->text().isEmpty());
    }

    void rename_data()
    {
        QTest::addColumn<QString>("camera");   // empty: no row chosen
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("situation");   // "", "held", "detached"
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("renamed");
        const QString mono = QString::fromLatin1(tooltest::kGigEMono);
        QTest::newRow("no camera chosen") << "" << "x" << "" << "请选择设备" << false;
        QTest::newRow("new name") << mono << "Line 3 camera" << "" << "修改名称成功" << true;
        QTest::newRow("Chinese name") << mono << "三号线相机" << "" << "修改名称成功" << true;
        QTest::newRow("empty name") << mono << "" << "" << "修改名称成功" << true;
        QTest::newRow("name too long") << mono << QString(200, 'n') << "" << "修改名称失败" << false;
        QTest::newRow("camera open in another process") << mono << "held" << "held" << "相机打开失败，无法修改名称" << false;
        QTest::newRow("camera detached after listing") << mono << "gone" << "detached" << "相机打开失败，无法修改名称" << false;
    }
    void rename()
    {
        QFETCH(QString, camera);
        QFETCH(QString, newName);
        QFETCH(QString, situation);
        QFETCH(QString, message);
        QFETCH(bool, renamed);
        if (!situation.isEmpty() && tooltest::simulatorTool().isEmpty())
            QSKIP("vexocam-sim is not built");
        const QString oldName = camera.isEmpty() ? QString() : table()->item(rowOf(camera), 0)->text();
        if (!camera.isEmpty())
            table()->setCurrentCell(rowOf(camera), 0);
        nameField()->setText(newName);

        std::unique_ptr<tooltest::Holder> holder;
        if (situation == QLatin1String("held")) {
            holder = std::make_unique<tooltest::Holder>(camera);
            QVERIFY(holder->holds(camera));
        } else if (situation == QLatin1String("detached")) {
            QVERIFY(tooltest::runSimulator({"detach", camera}));
        }

        ModalDialogWatcher watcher;
        QTest::mouseClick(button("pushButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(watcher.count(), 1, 30000);
        QCOMPARE(watcher.seen().first().title, QStringLiteral("提示"));
        QCOMPARE(watcher.seen().first().text, message);
        if (message != QStringLiteral("请选择设备"))
            QCOMPARE(watcher.seen().first().buttons.size(), 1);
        if (holder)
            holder->release();
        if (situation == QLatin1String("detached"))
            QVERIFY(tooltest::runSimulator({"attach", camera}));
        if (camera.isEmpty())
            return;

        // The table keeps the old name until a refresh; the camera was closed again.
        QCOMPARE(table()->item(rowOf(camera), 0)->text(), oldName);
        QTest::mouseClick(button("pushButton_refresh"), Qt::LeftButton);
        QCOMPARE(table()->item(rowOf(camera), 0)->text(), renamed ? newName : oldName);
        QCOMPARE(table()->item(rowOf(camera), 9)->text(), QStringLiteral("空闲"));
        int handle = 0;
        QCOMPARE(SdkOpenCamera(&handle, camera.toLatin1().constData()), 0);
        SdkCloseCamera(handle);
    }

    void openingTheIpDialog_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("withRow");
        QTest::newRow("button without a row") << "button" << false;
        QTest::newRow("button with a row") << "button" << true;
        QTest::newRow("double click on a row") << "double click" << true;
    }
    void openingTheIpDialog()
    {
        QFETCH(QString, how);
        QFETCH(bool, withRow);
        const QString identifier = QString::fromLatin1(tooltest::kGigEColour);
        const int row = rowOf(identifier);
        ModalDialogWatcher watcher;
        if (how == QLatin1String("button")) {
            if (withRow)
                table()->setCurrentCell(row, 3);
            QTest::mouseClick(button("pushButton_modifyIP"), Qt::LeftButton);
        } else {
            const QRect rect = table()->visualItemRect(table()->item(row, 4));
            QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, rect.center());
            QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, rect.center());
        }
        if (!withRow) {
            QTRY_COMPARE_WITH_TIMEOUT(watcher.count(), 1, 30000);
            QCOMPARE(watcher.seen().first().title, QStringLiteral("提示"));
            QCOMPARE(watcher.seen().first().text, QStringLiteral("请选择相机"));
            QCOMPARE(watcher.seen().first().buttons, QStringList{QStringLiteral("确定")});
            QVERIFY(openDialogs().isEmpty());
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(openDialogs().size(), 1, 30000);
        ipModify* dialog = openDialogs().first();
        QVERIFY(!dialog->parentWidget());
        VexoNetworkConfig config{};
        QCOMPARE(SdkGetNetworkConfig(tooltest::kGigEColour, &config), 0);
        QCOMPARE(dialog->findChild<IPAddress*>("ipAddress")->getIP(), QString::fromLatin1(config.ipAddress));
    }

    void successfulIpChangeRefreshesTheList()
    {
        const QString identifier = QString::fromLatin1(tooltest::kGigEColour);
        // Narrow the view to one interface first: success must bring back every camera.
        if (list()->count() > 1)
            QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {},
                               list()->visualItemRect(list()->item(1)).center());
        table()->setCurrentCell(rowOf(identifier), 0);
        QTest::mouseClick(button("pushButton_modifyIP"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(openDialogs().size(), 1, 30000);
        ipModify* dialog = openDialogs().first();

        VexoNetworkConfig config{};
        QCOMPARE(SdkGetNetworkConfig(tooltest::kGigEColour, &config), 0);
        const QString ip = QString::fromLatin1(config.ipAddress);
        QString changed = ip.section('.', 0, 2) + QLatin1Char('.') + QString::number(ip.section('.', 3).toInt() == 200 ? 201 : 200);
        dialog->findChild<IPAddress*>("ipAddress")->setIP(changed);

        ModalDialogWatcher watcher;
        QTest::mouseClick(dialog->findChild<QPushButton*>("pushButton_determine"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(watcher.count(), 1, 30000);
        QCOMPARE(watcher.seen().first().text, QStringLiteral("修改IP成功。"));
        QTRY_VERIFY_WITH_TIMEOUT(openDialogs().isEmpty(), 30000);
        QCOMPARE(list()->currentRow(), 0);
        QCOMPARE(table()->rowCount(), gigeCameras().size());
        QCOMPARE(table()->item(rowOf(identifier), 6)->text(), changed);
    }
};

QTEST_MAIN(AddrwrightTest)
#include "tst_addrwright.moc"
