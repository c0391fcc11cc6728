#include <QFormLayout>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include "IPAddress.h"
#include "ModalDialogWatcher.h"
#include "ToolTestSupport.h"
#include "VexoCameraApi.h"
#include "IpToolLogic.h"
#include "ipModify.h"

namespace {

VexoNetworkConfig networkOf(const char* identifier)
{
    VexoNetworkConfig config{};
    SdkGetNetworkConfig(identifier, &config);
    return config;
}

bool writeNetwork(const char* identifier, int mode, const char* ip, const char* mask, const char* gateway)
{
    VexoNetworkConfig config = networkOf(identifier);
    config.addressMode = mode;
    qstrncpy(config.ipAddress, ip, sizeof config.ipAddress);
    qstrncpy(config.subnetMask, mask, sizeof config.subnetMask);
    qstrncpy(config.gateway, gateway, sizeof config.gateway);
    return SdkSetNetworkConfig(identifier, &config) == VEXO_SDK_OK;
}

}  // namespace

// The address editor and the IP modification dialog against the simulated GigE cameras.
class IpModifyTest : public QObject {
    Q_OBJECT

    QPointer<IPAddress> editor;

    QLineEdit* field(int i) { return editor->findChild<QLineEdit*>(QStringLiteral("txtIP%1").arg(i)); }

    // On the indicator: a radio button takes clicks on its indicator and text only.
    static void clickRadio(QRadioButton* radio)
    {
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(8, radio->height() / 2));
    }

    static QString editorText(QWidget* dialog, const char* name)
    {
        auto* address = dialog->findChild<IPAddress*>(QLatin1String(name));
        return address ? address->getIP() : QStringLiteral("<missing>");
    }

private slots:
    void initTestCase() { tooltest::useChinese(); }
    void init()
    {
        editor = new IPAddress;
        editor->show();
        QVERIFY(QTest::qWaitForWindowActive(editor));
    }
    void cleanup() { delete editor; }

    void editorParts()
    {
        QVERIFY(editor->findChild<QFrame*>(QStringLiteral("frameIP")));
        for (int i = 1; i <= 4; ++i)
            QVERIFY(field(i));
        QCOMPARE(editor->findChildren<QLabel*>().size(), 3);
        QCOMPARE(editor->sizeHint(), QSize(170, 20));
        QCOMPARE(editor->minimumSizeHint(), QSize(30, 10));
        QCOMPARE(editor->styleSheet(),
                 QStringLiteral("QFrame#frameIP{border:1px solid #A6B5B8;border-radius:3px;}"
                                "QLabel{min-width:15px;background-color:#FFFFFF;}"
                                "QLineEdit{background-color:#FFFFFF;border:none;}"
                                "QLineEdit#txtIP1{border-top-left-radius:3px;border-bottom-left-radius:3px;}"
                                "QLineEdit#txtIP4{border-top-right-radius:3px;border-bottom-right-radius:3px;}"));
        // The setters keep the value but leave the built style sheet alone.
        const QString before = editor->styleSheet();
        editor->setBgColor(QStringLiteral("#000000"));
        editor->setBorderRadius(9);
        QCOMPARE(editor->property("bgColor").toString(), QStringLiteral("#000000"));
        QCOMPARE(editor->property("borderRadius").toInt(), 9);
        QCOMPARE(editor->styleSheet(), before);
    }

    void focusMoves_data()
    {
        QTest::addColumn<int>("startField");
        QTest::addColumn<QString>("prefill");   // text already in the start field
        QTest::addColumn<QString>("keys");      // typed; "<" is Backspace
        QTest::addColumn<int>("focusField");
        QTest::addColumn<QString>("address");
        QTest::newRow("192 jumps to the second field") << 1 << "" << "192" << 2 << "192...";
        QTest::newRow("19 stays") << 1 << "" << "19" << 1 << "19...";
        QTest::newRow("099 is not a full octet") << 1 << "" << "99" << 1 << "99...";
        QTest::newRow("255 jumps") << 2 << "" << "255" << 3 << ".255..";
        QTest::newRow("256 is refused and stays") << 1 << "" << "256" << 1 << "25...";
        QTest::newRow("a dot jumps") << 1 << "" << "10." << 2 << "10...";
        QTest::newRow("a whole address typed") << 1 << "" << "10.1.2.3" << 4 << "10.1.2.3";
        QTest::newRow("full octets typed") << 1 << "" << "192168100200" << 4 << "192.168.100.200";
        QTest::newRow("last field keeps the focus") << 4 << "" << "254" << 4 << "...254";
        QTest::newRow("backspace in an empty third field") << 3 << "" << "<" << 2 << "";
        QTest::newRow("backspace on one digit moves and deletes") << 3 << "7" << "<" << 2 << "...";
        QTest::newRow("backspace on two digits stays") << 3 << "17" << "<" << 3 << "..1.";
        QTest::newRow("backspace in the first field stays") << 1 << "" << "<" << 1 << "";
    }
    void focusMoves()
    {
        QFETCH(int, startField);
        QFETCH(QString, prefill);
        QFETCH(QString, keys);
        QFETCH(int, focusField);
        QFETCH(QString, address);
        field(startField)->setText(prefill);
        field(startField)->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(field(startField)->hasFocus(), 30000);
        for (const QChar key : keys) {
            QWidget* target = QApplication::focusWidget();
            QVERIFY(target);
            if (key == QLatin1Char('<'))
                QTest::keyClick(target, Qt::Key_Backspace);
            else
                QTest::keyClicks(target, QString(key));
        }
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field(focusField)));
        QCOMPARE(editor->getIP(), address);
    }

    void setIpPattern_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("third");
        QTest::newRow("plain address") << "192.168.10.5" << "192.168.10.5" << "10";
        QTest::newRow("highest octets") << "255.255.255.255" << "255.255.255.255" << "255";
        QTest::newRow("zeros") << "0.0.0.0" << "0.0.0.0" << "0";
        QTest::newRow("leading zeros allowed") << "010.001.002.003" << "010.001.002.003" << "002";
        QTest::newRow("octet above 255") << "192.168.256.1" << "" << "";
        QTest::newRow("three parts") << "192.168.1" << "" << "";
        QTest::newRow("empty part") << "192.168..5" << "" << "";
        QTest::newRow("trailing text") << "192.168.1.1x" << "" << "";
        QTest::newRow("leading space") << " 192.168.1.1" << "" << "";
        QTest::newRow("empty") << "" << "" << "";
    }
    void setIpPattern()
    {
        QFETCH(QString, input);
        QFETCH(QString, text);
        QFETCH(QString, third);
        editor->setIP(input);
        QCOMPARE(editor->getIP(), text);
        QCOMPARE(editor->property("text").toString(), text);
        QCOMPARE(field(3)->text(), third);
    }

    void setIpIgnoresBadInputAfterGoodOne()
    {
        editor->setIP(QStringLiteral("10.0.0.7"));
        editor->setIP(QStringLiteral("10.0.0.300"));
        QCOMPARE(editor->getIP(), QStringLiteral("10.0.0.7"));
        QCOMPARE(field(4)->text(), QStringLiteral("7"));
        editor->clear();
        QCOMPARE(editor->getIP(), QStringLiteral("..."));
        QTRY_VERIFY_WITH_TIMEOUT(field(1)->hasFocus(), 30000);
    }

    // ---- the dialog -------------------------------------------------------------------

    void dialogForm_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("staticChecked");
        QTest::newRow("static camera") << 1 << true;
        QTest::newRow("DHCP camera") << 0 << false;
    }
    void dialogForm()
    {
        QFETCH(int, mode);
        QFETCH(bool, staticChecked);
        QVERIFY(writeNetwork(tooltest::kGigEMono, mode, "192.0.2.50", "255.255.255.0", "192.0.2.1"));
        const VexoNetworkConfig config = networkOf(tooltest::kGigEMono);

        QPointer<ipModify> dialog = new ipModify(QString::fromLatin1(tooltest::kGigEMono));
        dialog->show();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("修改IP地址"));
        QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(dialog->findChild<QLabel*>("label")->text(), QStringLiteral("修改IP地址使设备可达."));
        auto* staticIp = dialog->findChild<QRadioButton*>("radioButton_staticIp");
        auto* dynamicIp = dialog->findChild<QRadioButton*>("radioButton_dynamicIp");
        auto* rows = dialog->findChild<QWidget*>("widget_Ip");
        QCOMPARE(staticIp->text(), QStringLiteral("静态IP"));
        QCOMPARE(dynamicIp->text(), QStringLiteral("自动获取IP(DHCP)"));
        QCOMPARE(dialog->findChild<QPushButton*>("pushButton_determine")->text(), QStringLiteral("确定"));
        QCOMPARE(dialog->findChild<QPushButton*>("pushButton_close")->text(), QStringLiteral("取消"));

        auto* form = qobject_cast<QFormLayout*>(rows->layout());
        QVERIFY(form);
        QCOMPARE(form->rowCount(), 3);
        const QStringList labels = {"IP地址:", "子网掩码:", "默认网关:"};
        for (int r = 0; r < 3; ++r) {
            auto* label = qobject_cast<QLabel*>(form->itemAt(r, QFormLayout::LabelRole)->widget());
            QCOMPARE(label->text(), labels.at(r));
            QVERIFY(qobject_cast<IPAddress*>(form->itemAt(r, QFormLayout::FieldRole)->widget()));
        }

        QCOMPARE(dialog->findChild<QLabel*>("label_ipRange")->text(),
                 iptool::ipValidRange(QString::fromLatin1(config.interfaceAddress),
                                      QString::fromLatin1(config.interfaceMask)));
        QVERIFY(!dialog->findChild<QLabel*>("label_ipRange")->text().contains("192.168.10.255"));

        QCOMPARE(staticIp->isChecked(), staticChecked);
        QCOMPARE(dynamicIp->isChecked(), !staticChecked);
        QCOMPARE(rows->isEnabled(), staticChecked);
        // The rows show what the camera reported, whether enabled or not.
        QCOMPARE(editorText(dialog, "ipAddress"), QString::fromLatin1(config.ipAddress));
        QCOMPARE(editorText(dialog, "maskAddress"), QString::fromLatin1(config.subnetMask));
        QCOMPARE(editorText(dialog, "gatewayAddress"), QString::fromLatin1(config.gateway));

        clickRadio(staticIp);
        QVERIFY(rows->isEnabled());
        clickRadio(dynamicIp);
        QVERIFY(!rows->isEnabled());
        clickRadio(staticIp);
        QVERIFY(rows->isEnabled());

        QTest::mouseClick(dialog->findChild<QPushButton*>("pushButton_close"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog, 30000);
        // Cancelling wrote nothing.
        QCOMPARE(networkOf(tooltest::kGigEMono).addressMode, mode);
    }

    void writing_data()
    {
        // Keys as a user types them: a full octet moves on by itself, so no "." follows it.
        QTest::addColumn<QString>("choice");   // "static" or "dhcp"
        QTest::addColumn<QString>("ipKeys");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("gatewayKeys");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<bool>("holdElsewhere");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("button");
        QTest::newRow("new static address")
            << "static" << "1920.2.61" << "192.0.2.61" << "1920.2.1" << "192.0.2.1" << false << "修改IP成功。" << "确定";
        QTest::newRow("switch to DHCP") << "dhcp" << "" << "" << "" << "" << false << "修改IP成功。" << "确定";
        QTest::newRow("empty part in the address")
            << "static" << "1920.2." << "192.0.2." << "1920.2.1" << "192.0.2.1" << false << "修改IP失败" << "失败";
        QTest::newRow("gateway outside the subnet")
            << "static" << "1920.2.62" << "192.0.2.62" << "10.0.0.1" << "10.0.0.1" << false << "修改IP失败" << "失败";
        QTest::newRow("network address as host")
            << "static" << "1920.2.0" << "192.0.2.0" << "1920.2.1" << "192.0.2.1" << false << "修改IP失败" << "失败";
        QTest::newRow("camera open in another process")
            << "static" << "1920.2.63" << "192.0.2.63" << "1920.2.1" << "192.0.2.1" << true << "修改IP失败" << "失败";
    }
    void writing()
    {
        QFETCH(QString, choice);
        QFETCH(QString, ipKeys);
        QFETCH(QString, ip);
        QFETCH(QString, gatewayKeys);
        QFETCH(QString, gateway);
        QFETCH(bool, holdElsewhere);
        QFETCH(QString, message);
        QFETCH(QString, button);
        if (tooltest::simulatorTool().isEmpty() && holdElsewhere)
            QSKIP("vexocam-sim is not built");
        QVERIFY(writeNetwork(tooltest::kGigEColour, 1, "192.0.2.60", "255.255.255.0", "192.0.2.1"));
        const VexoNetworkConfig before = networkOf(tooltest::kGigEColour);

        QPointer<ipModify> dialog = new ipModify(QString::fromLatin1(tooltest::kGigEColour));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QSignalSpy succeeded(dialog.data(), SIGNAL(modifySucces()));
        if (choice == QLatin1String("dhcp")) {
            clickRadio(dialog->findChild<QRadioButton*>("radioButton_dynamicIp"));
        } else {
            // Typed as a user would: clear the first field, then type the address.
            auto* address = dialog->findChild<IPAddress*>("ipAddress");
            address->clear();
            for (const QChar key : ipKeys)
                QTest::keyClicks(QApplication::focusWidget(), QString(key));
            QCOMPARE(address->getIP(), ip);
            auto* gatewayEditor = dialog->findChild<IPAddress*>("gatewayAddress");
            gatewayEditor->clear();
            for (const QChar key : gatewayKeys)
                QTest::keyClicks(QApplication::focusWidget(), QString(key));
            QCOMPARE(gatewayEditor->getIP(), gateway);
        }
        const QString typedIp = editorText(dialog, "ipAddress");

        std::unique_ptr<tooltest::Holder> holder;
        if (holdElsewhere) {
            holder = std::make_unique<tooltest::Holder>(QString::fromLatin1(tooltest::kGigEColour));
            QVERIFY(holder->holds(QString::fromLatin1(tooltest::kGigEColour)));
        }
        ModalDialogWatcher watcher;
        QTest::mouseClick(dialog->findChild<QPushButton*>("pushButton_determine"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(watcher.count(), 1, 30000);
        QCOMPARE(watcher.seen().first().title, QStringLiteral("提示"));
        QCOMPARE(watcher.seen().first().text, message);
        QCOMPARE(watcher.seen().first().buttons, QStringList{button});

        const VexoNetworkConfig after = networkOf(tooltest::kGigEColour);
        if (message == QStringLiteral("修改IP成功。")) {
            QCOMPARE(succeeded.count(), 1);
            QTRY_VERIFY_WITH_TIMEOUT(!dialog, 30000);
            if (choice == QLatin1String("dhcp")) {
                QCOMPARE(after.addressMode, 0);
            } else {
                QCOMPARE(after.addressMode, 1);
                QCOMPARE(QString::fromLatin1(after.ipAddress), ip);
                QCOMPARE(QString::fromLatin1(after.gateway), gateway);
            }
            return;
        }
        // Refused: the dialog stays with the user's input, the camera keeps its settings.
        QCOMPARE(succeeded.count(), 0);
        QTest::qWait(50);
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(editorText(dialog, "ipAddress"), typedIp);
        QCOMPARE(QByteArray(after.ipAddress), QByteArray(before.ipAddress));
        QCOMPARE(QByteArray(after.gateway), QByteArray(before.gateway));
        QCOMPARE(after.addressMode, before.addressMode);
        delete dialog;
    }
};

QTEST_MAIN(IpModifyTest)
#include "tst_ipmodify.moc"
