#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QtTest>

#include "Addrwright.h"
#include "Flashmere.h"
#include "ModalDialogWatcher.h"
#include "SuiteEnvironment.h"

// Both tools choose their language from EDITION/Language of the shared Config.ini:
// Chinese only for 0, English otherwise, also when the key is missing.
class ToolLanguageTest : public QObject {
    Q_OBJECT

    void storeLanguage(const QVariant& value)
    {
        const QString path = suite::toolSettingsFilePath();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QSettings settings(path, QSettings::IniFormat);
        settings.clear();
        settings.setValue(QStringLiteral("WIDGETINFO/WidgetCount"), 4);   // other keys don't matter
        if (value.isValid())
            settings.setValue(QStringLiteral("EDITION/Language"), value);
        settings.sync();
    }

private slots:
    void initTestCase()
    {
        // The shared file lies beside the tools' own application folders.
        const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        QVERIFY(!dataHome.isEmpty());
        QCOMPARE(suite::toolSettingsFilePath(), QDir(dataHome).filePath(QStringLiteral("Config.ini")));
        QVERIFY2(QFile::exists(suite::programDirectory() + "/Addrwright_en_CN.qm"), "translations are built");
    }

    void language_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("chinese");
        QTest::newRow("key missing gives English") << QVariant() << false;
        QTest::newRow("0 gives Chinese") << QVariant(0) << true;
        QTest::newRow("1 gives English") << QVariant(1) << false;
        QTest::newRow("2 gives English") << QVariant(2) << false;
        QTest::newRow("text gives English") << QVariant(QStringLiteral("zh")) << false;
    }
    void language()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, chinese);
        storeLanguage(stored);
        ModalDialogWatcher watcher;   // a failed switch would show a box

        {
            Addrwright window;
            QCOMPARE(window.windowTitle(), chinese ? QStringLiteral("IP配置工具") : QStringLiteral("IP configuration tool"));
            QCOMPARE(window.findChild<QPushButton*>("pushButton_refresh")->text(),
                     chinese ? QStringLiteral("刷新") : QStringLiteral("Refresh"));
            auto* table = window.findChild<QTableWidget*>("tableWidget");
            QCOMPARE(table->horizontalHeaderItem(9)->text(), chinese ? QStringLiteral("状态") : QStringLiteral("Status"));
            QVERIFY(table->rowCount() > 0);
            QCOMPARE(table->item(0, 9)->text(), chinese ? QStringLiteral("空闲") : QStringLiteral("Idle"));
        }
        {
            Flashmere window;
            QCOMPARE(window.windowTitle(), chinese ? QStringLiteral("升级") : QStringLiteral("Upgrade"));
            QCOMPARE(window.findChild<QPushButton*>("pushButton")->text(),
                     chinese ? QStringLiteral("刷新列表") : QStringLiteral("Refresh list"));
            QCOMPARE(window.findChild<QLabel*>("label")->text(),
                     chinese ? QStringLiteral("升级文件：") : QStringLiteral("Upgrade file:"));
            auto* table = window.findChild<QTableWidget*>("tableWidget");
            QCOMPARE(table->horizontalHeaderItem(5)->text(),
                     chinese ? QStringLiteral("软件版本") : QStringLiteral("Firmware version"));
        }
        QCOMPARE(watcher.count(), 0);
    }
};

QTEST_MAIN(ToolLanguageTest)
#include "tst_toollanguage.moc"
