#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTableWidget>
#include <QtTest>

#include "CameraListWidget.h"
#include "DeviceText.h"
#include "VexoCameraApi.h"

namespace {

struct Camera {
    QString name;
    QString identifier;
    QString interfaceText;
    QString sensor;
    QString firmware;
    int opened = 0;
};

// What the library reports now, in enumeration order.
QList<Camera> enumerate()
{
    QList<Camera> cameras;
    int count = 0;
    if (SdkEnumerateDevices(&count) != 0)
        return cameras;
    for (int i = 0; i < count; ++i) {
        VexoDeviceInfo info{};
        if (SdkGetDeviceInfo(i, &info) != 0)
            continue;
        cameras << Camera{recordText(info.deviceName), recordText(info.cameraIdentifier),
                          recordText(info.interfaceText), recordText(info.sensorText),
                          firmwareVersionText(info.firmwareVersion), info.opened};
    }
    return cameras;
}

QString simulatorTool()
{
    const QString path = qEnvironmentVariable("VEXO_PROGRAM_DIR") + QStringLiteral("/vexocam-sim");
    return QFileInfo(path).isExecutable() ? path : QString();
}

bool runSimulator(const QStringList& arguments)
{
    QProcess process;
    process.start(simulatorTool(), arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

}  // namespace

class CameraListWidgetTest : public QObject {
    Q_OBJECT

    QPointer<CameraListWidget> dialog;

    QTableWidget* table() { return dialog->findChild<QTableWidget*>("tableWidget"); }
    QPushButton* button(const char* name) { return dialog->findChild<QPushButton*>(name); }

    void doubleClickRow(int row, int column)
    {
        QTableWidget* view = table();
        const QRect rect = view->visualItemRect(view->item(row, column));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }

private slots:
    void init()
    {
        dialog = new CameraListWidget;
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
    }
    void cleanup()
    {
        delete dialog;
    }

    void formObjects()
    {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("请选择设备"));
        QVERIFY(!dialog->windowIcon().isNull());
        QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(!dialog->testAttribute(Qt::WA_QuitOnClose));
        QVERIFY(dialog->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(button("pushButton_refresh")->text(), QStringLiteral("重新扫描"));
        QCOMPARE(button("pushButton_open")->text(), QStringLiteral("打开"));
        QStringList labels;
        for (QLabel* label : dialog->findChildren<QLabel*>())
            labels << label->text();
        QVERIFY(labels.contains(QStringLiteral("请选择设备")));
        QVERIFY(labels.contains(QStringLiteral("双击表格，即可对选择的相机进行打开！")));

        auto* stack = dialog->findChild<QStackedWidget*>("stackedWidget");
        QVERIFY(stack);
        QVERIFY(stack->widget(0)->isAncestorOf(table()));
        QCOMPARE(table()->styleSheet(), QStringLiteral("background-color: rgb(237, 247, 255);"));
        QCOMPARE(table()->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(table()->selectionMode(), QAbstractItemView::SingleSelection);

        QCOMPARE(table()->columnCount(), 5);
        const QStringList headers = {"设备名称", "接口类型", "sensor版本", "设备版本", "状态"};
        for (int c = 0; c < 5; ++c)
            QCOMPARE(table()->horizontalHeaderItem(c)->text(), headers.at(c));
        QCOMPARE(table()->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
        for (int c = 1; c < 5; ++c)
            QCOMPARE(table()->horizontalHeader()->sectionResizeMode(c), QHeaderView::Stretch);
    }

    void rowsFollowEnumeration()
    {
        const QList<Camera> cameras = enumerate();
        QVERIFY2(cameras.size() >= 2, "the simulated camera set should hold several cameras");
        QCOMPARE(table()->rowCount(), cameras.size());
        for (int row = 0; row < cameras.size(); ++row) {
            const Camera& camera = cameras.at(row);
            QCOMPARE(table()->item(row, 0)->text(), camera.name);
            QCOMPARE(table()->item(row, 0)->data(Qt::UserRole).toString(), camera.identifier);
            QCOMPARE(table()->item(row, 1)->text(), camera.interfaceText);
            QCOMPARE(table()->item(row, 2)->text(), camera.sensor);
            QCOMPARE(table()->item(row, 3)->text(), camera.firmware);
            QVERIFY(camera.firmware.startsWith('v'));
            QCOMPARE(table()->item(row, 4)->text(), QStringLiteral("空闲"));
            QCOMPARE(table()->item(row, 4)->background().style(), Qt::NoBrush);
            for (int c = 0; c < 5; ++c)
                QCOMPARE(table()->item(row, c)->textAlignment(), int(Qt::AlignCenter));
        }
    }

    void openedCameraIsMarked()
    {
        const QList<Camera> cameras = enumerate();
        QVERIFY(cameras.size() >= 2);
        int handle = 0;
        QCOMPARE(SdkOpenCamera(&handle, cameras.at(1).identifier.toLatin1().constData()), 0);
        QTest::mouseClick(button("pushButton_refresh"), Qt::LeftButton);
        SdkCloseCamera(handle);

        QCOMPARE(table()->rowCount(), cameras.size());
        QCOMPARE(table()->item(1, 4)->text(), QStringLiteral("已打开"));
        QCOMPARE(table()->item(1, 4)->background().color(), QColor(117, 241, 60));
        QCOMPARE(table()->item(0, 4)->text(), QStringLiteral("空闲"));
        QCOMPARE(table()->item(0, 4)->background().style(), Qt::NoBrush);
        // The rescan put column 0 back to interactive resizing.
        QCOMPARE(table()->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
        QCOMPARE(table()->horizontalHeaderItem(4)->text(), QStringLiteral("状态"));
    }

    void choosing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("open button without selection") << "button" << -1 << 0;
        QTest::newRow("open button with the second row") << "button" << 1 << 3;
        QTest::newRow("double click on the first row") << "double click" << 0 << 0;
        QTest::newRow("double click on the status of the second row") << "double click" << 1 << 4;
    }
    void choosing()
    {
        QFETCH(QString, how);
        QFETCH(int, row);
        QFETCH(int, column);
        QSignalSpy chosen(dialog.data(), SIGNAL(cameraWidget_open(QString)));
        if (how == QLatin1String("button")) {
            if (row >= 0)
                table()->selectRow(row);
            QTest::mouseClick(button("pushButton_open"), Qt::LeftButton);
        } else {
            doubleClickRow(row, column);
        }
        if (row < 0) {
            QCOMPARE(chosen.count(), 0);
            QTest::qWait(50);
            QVERIFY(dialog);
            QVERIFY(dialog->isVisible());
            return;
        }
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.first().first().toString(), enumerate().at(row).identifier);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog, 30000);  // closed and deleted itself
    }

    void twoDialogsEachCloseAfterTheirOwnChoice()
    {
        QPointer<CameraListWidget> second = new CameraListWidget;
        second->show();
        QSignalSpy firstChoice(dialog.data(), SIGNAL(cameraWidget_open(QString)));
        QSignalSpy secondChoice(second.data(), SIGNAL(cameraWidget_open(QString)));
        second->findChild<QTableWidget*>("tableWidget")->selectRow(1);
        QTest::mouseClick(second->findChild<QPushButton*>("pushButton_open"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!second, 30000);
        QCOMPARE(secondChoice.count(), 1);
        QCOMPARE(firstChoice.count(), 0);
        QVERIFY(dialog && dialog->isVisible());
        table()->selectRow(0);
        QTest::mouseClick(button("pushButton_open"), Qt::LeftButton);
        QCOMPARE(firstChoice.count(), 1);
        QVERIFY(firstChoice.first().first().toString() != secondChoice.first().first().toString());
    }

    void rescanFindsAttachedCamera()
    {
        if (simulatorTool().isEmpty())
            QSKIP("vexocam-sim is not built");
        const QList<Camera> cameras = enumerate();
        QVERIFY(!cameras.isEmpty());
        const QString identifier = cameras.last().identifier;
        QVERIFY(runSimulator({"detach", identifier}));
        QTest::mouseClick(button("pushButton_refresh"), Qt::LeftButton);
        QCOMPARE(table()->rowCount(), cameras.size() - 1);

        QVERIFY(runSimulator({"attach", identifier}));
        QTest::mouseClick(button("pushButton_refresh"), Qt::LeftButton);
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(table()->rowCount(), cameras.size());
        QStringList identifiers;
        for (int row = 0; row < table()->rowCount(); ++row)
            identifiers << table()->item(row, 0)->data(Qt::UserRole).toString();
        QVERIFY(identifiers.contains(identifier));
    }
};

QTEST_MAIN(CameraListWidgetTest)
#include "tst_cameralistwidget.moc"
