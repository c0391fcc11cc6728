#include <QtTest>

#include "DeviceText.h"
#include "IpToolLogic.h"
#include "UpgradeLogic.h"

using iptool::HostInterface;

Q_DECLARE_METATYPE(QList<QHostAddress>)

// The plain rules of both tools: interface list, camera filter, cell texts, address range
// and firmware text.
class IpToolLogicTest : public QObject {
    Q_OBJECT
private slots:
    void interfaceList_data()
    {
        QTest::addColumn<bool>("loopback");
        QTest::addColumn<QList<QHostAddress>>("addresses");
        QTest::addColumn<QString>("listedAddress");  // empty: not listed

        const QHostAddress v4("192.168.10.20");
        const QHostAddress v6("fe80::a00:27ff:fe4e:66a1");
        QTest::newRow("IPv6 entry before the IPv4 one") << false << QList<QHostAddress>{v6, v4} << "192.168.10.20";
        QTest::newRow("IPv4 entry before the IPv6 one") << false << QList<QHostAddress>{v4, v6} << "192.168.10.20";
        QTest::newRow("only one IPv4 entry") << false << QList<QHostAddress>{v4} << "192.168.10.20";
        QTest::newRow("two IPv4 entries take the first")
            << false << QList<QHostAddress>{QHostAddress("10.0.0.5"), v4} << "10.0.0.5";
        QTest::newRow("only IPv6 entries") << false << QList<QHostAddress>{v6, QHostAddress("2001:db8::1")} << "";
        QTest::newRow("no entries") << false << QList<QHostAddress>{} << "";
        QTest::newRow("loopback interface") << true << QList<QHostAddress>{QHostAddress("127.0.0.1"), QHostAddress("::1")}
                                            << "";
        QTest::newRow("loopback address on an ordinary interface")
            << false << QList<QHostAddress>{QHostAddress("127.0.0.1")} << "";
    }
    void interfaceList()
    {
        QFETCH(bool, loopback);
        QFETCH(QList<QHostAddress>, addresses);
        QFETCH(QString, listedAddress);
        HostInterface host{QStringLiteral("eth0"), addresses, loopback};
        const QList<iptool::InterfaceItem> items = iptool::interfaceItems({host});
        if (listedAddress.isEmpty()) {
            QVERIFY(items.isEmpty());
            return;
        }
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first().address, listedAddress);
        QCOMPARE(items.first().text, QStringLiteral("    eth0[%1]").arg(listedAddress));
    }

    void interfacesKeepTheSystemOrder()
    {
        const QList<HostInterface> hosts = {
            {QStringLiteral("lo"), {QHostAddress("127.0.0.1")}, true},
            {QStringLiteral("wlan0"), {QHostAddress("fe80::1"), QHostAddress("172.16.1.9")}, false},
            {QStringLiteral("docker0"), {QHostAddress("fe80::2")}, false},
            {QStringLiteral("以太网 2"), {QHostAddress("192.168.1.3")}, false},
        };
        const QList<iptool::InterfaceItem> items = iptool::interfaceItems(hosts);
        QCOMPARE(items.size(), 2);
        QCOMPARE(items.at(0).text, QStringLiteral("    wlan0[172.16.1.9]"));
        QCOMPARE(items.at(1).text, QStringLiteral("    以太网 2[192.168.1.3]"));
    }

    void cameraFilter_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("cameraInterface");
        QTest::addColumn<bool>("shown");
        QTest::newRow("header item shows everything") << "" << "192.168.1.3" << true;
        QTest::newRow("header item shows a camera without interface") << "" << "" << true;
        QTest::newRow("same interface") << "192.168.1.3" << "192.168.1.3" << true;
        QTest::newRow("other interface") << "192.168.1.3" << "192.168.1.30" << false;
        QTest::newRow("camera without interface") << "192.168.1.3" << "" << false;
    }
    void cameraFilter()
    {
        QFETCH(QString, key);
        QFETCH(QString, cameraInterface);
        QFETCH(bool, shown);
        QCOMPARE(iptool::shownForInterface(key, cameraInterface), shown);
    }

    void gigeInterfaceText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("gige");
        QTest::newRow("GigE") << QByteArray("GigE") << true;
        QTest::newRow("GigE inside a longer text") << QByteArray("GigE Vision 1.2") << true;
        QTest::newRow("lower case") << QByteArray("gige") << false;
        QTest::newRow("upper case") << QByteArray("GIGE") << false;
        QTest::newRow("USB") << QByteArray("USB3.0") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void gigeInterfaceText()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, gige);
        QCOMPARE(iptool::isGigE(text), gige);
    }

    void macText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("leading zeros kept")
            << QByteArray::fromHex("000a1b2c3d4e") << "00:0a:1b:2c:3d:4e";
        QTest::newRow("all zero") << QByteArray(6, '\0') << "00:00:00:00:00:00";
        QTest::newRow("all ones, lower case") << QByteArray::fromHex("ffffffffffff") << "ff:ff:ff:ff:ff:ff";
        QTest::newRow("mixed") << QByteArray::fromHex("01a0b00c0d10") << "01:a0:b0:0c:0d:10";
    }
    void macText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(macAddressText(reinterpret_cast<const uint8_t*>(bytes.constData())), text);
    }

    void statusCells_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<int>("opened");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("green");
        QTest::newRow("ip tool: closed") << "ip" << 0 << "空闲" << false;
        QTest::newRow("ip tool: open") << "ip" << 1 << "已打开" << true;
        QTest::newRow("ip tool: other non-zero flag") << "ip" << 2 << "已打开" << false;
        QTest::newRow("ip tool: negative flag") << "ip" << -1 << "已打开" << false;
        QTest::newRow("upgrade tool: closed") << "upgrade" << 0 << "空闲" << false;
        QTest::newRow("upgrade tool: open") << "upgrade" << 1 << "已打开" << true;
        QTest::newRow("upgrade tool: other non-zero flag") << "upgrade" << 2 << "空闲" << false;
    }
    void statusCells()
    {
        QFETCH(QString, tool);
        QFETCH(int, opened);
        QFETCH(QString, text);
        QFETCH(bool, green);
        QString cellText;
        QColor background;
        if (tool == QLatin1String("ip")) {
            const iptool::StatusCell cell = iptool::deviceStatusCell(opened);
            cellText = cell.text;
            background = cell.background;
        } else {
            const upgradetool::StatusCell cell = upgradetool::cameraStatusCell(opened);
            cellText = cell.text;
            background = cell.background;
        }
        QCOMPARE(cellText, text);
        QCOMPARE(background.isValid(), green);
        if (green)
            QCOMPARE(background, QColor(117, 241, 60));
    }

    void validRange_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("range");
        QTest::newRow("class B mask") << "10.1.2.3" << "255.255.0.0" << "10.1.0.1 - 10.1.255.254";
        QTest::newRow("class C mask") << "192.168.10.77" << "255.255.255.0" << "192.168.10.1 - 192.168.10.254";
        QTest::newRow("/26 subnet") << "192.168.10.77" << "255.255.255.192" << "192.168.10.65 - 192.168.10.126";
        QTest::newRow("class A mask") << "10.20.30.40" << "255.0.0.0" << "10.0.0.1 - 10.255.255.254";
        QTest::newRow("/20 subnet") << "172.16.37.9" << "255.255.240.0" << "172.16.32.1 - 172.16.47.254";
        QTest::newRow("empty record") << "" << "" << "0.0.0.1 - 255.255.255.254";
        QTest::newRow("short address") << "192.168" << "255.255.255.0" << "192.168.0.1 - 192.168.0.254";
    }
    void validRange()
    {
        QFETCH(QString, address);
        QFETCH(QString, mask);
        QFETCH(QString, range);
        QCOMPARE(iptool::ipValidRange(address, mask), range);
    }

    void fieldsStopAtTheirEnd()
    {
        char full[16];
        std::memset(full, 'x', sizeof full);   // no NUL at all
        QCOMPARE(iptool::fieldBytes(full), QByteArray(16, 'x'));
        iptool::setFieldBytes(full, QByteArray("255.255.255.255-too-long"));
        QCOMPARE(iptool::fieldBytes(full), QByteArray("255.255.255.255"));
        iptool::setFieldBytes(full, QByteArray("1.2.3.4"));
        QCOMPARE(iptool::fieldBytes(full), QByteArray("1.2.3.4"));
        QCOMPARE(full[15], '\0');
    }

    void firmwareText_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<QString>("text");
        QTest::newRow("0x1203") << 0x1203 << "v1.2.0.3";
        QTest::newRow("all parts at most") << 0xFFFF << "v15.15.15.15";
        QTest::newRow("zero") << 0 << "v0.0.0.0";
        QTest::newRow("0x2A10") << 0x2A10 << "v2.10.1.0";
    }
    void firmwareText()
    {
        QFETCH(int, word);
        QFETCH(QString, text);
        QCOMPARE(firmwareVersionText(uint16_t(word)), text);
    }
};

QTEST_GUILESS_MAIN(IpToolLogicTest)
#include "tst_iptoollogic.moc"
