#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTranslator>
#include <QWidget>
#include <QtTest>

#include "ModalDialogWatcher.h"
#include "SuiteEnvironment.h"

class SuiteEnvironmentTest : public QObject {
    Q_OBJECT
private slots:
    void toolSettingsFile_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("application");
        QTest::addColumn<QString>("expected");
        QTest::newRow("linux data folder") << "/home/u/.local/share/Addrwright" << "Addrwright"
                                           << "/home/u/.local/share/Config.ini";
        QTest::newRow("windows roaming folder")
            << "C:/Users/u/AppData/Roaming/Flashmere" << "Flashmere"
            << "C:/Users/u/AppData/Roaming/Config.ini";
#ifdef Q_OS_WIN
        QTest::newRow("native separators") << "C:\\Users\\u\\AppData\\Roaming\\Flashmere"
                                           << "Flashmere" << "C:/Users/u/AppData/Roaming/Config.ini";
#endif
        QTest::newRow("trailing separator") << "/data/Addrwright/" << "Addrwright"
                                            << "/data/Config.ini";
        QTest::newRow("name of another length") << "/data/Tool" << "Tool" << "/data/Config.ini";
        QTest::newRow("location without the name") << "/data/share" << "Addrwright"
                                                   << "/data/share/Config.ini";
        QTest::newRow("name only as a suffix") << "/data/MyAddrwright" << "Addrwright"
                                               << "/data/MyAddrwright/Config.ini";
        QTest::newRow("folder at the root") << "/Addrwright" << "Addrwright" << "/Config.ini";
    }
    void toolSettingsFile()
    {
        QFETCH(QString, location);
        QFETCH(QString, application);
        QFETCH(QString, expected);
        QCOMPARE(suite::toolSettingsFilePath(location, application), expected);
    }

    void runningToolFindsTheViewersFile()
    {
        QCoreApplication::setApplicationName("Addrwright");
        QCOMPARE(suite::toolSettingsFilePath(),
                 qEnvironmentVariable("XDG_DATA_HOME") + "/Config.ini");
    }

    void languageRules_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("toolChinese");
        QTest::addColumn<bool>("viewerEnglish");
        QTest::newRow("missing key") << QVariant() << false << false;
        QTest::newRow("0 Chinese") << QVariant("0") << true << false;
        QTest::newRow("1 English") << QVariant("1") << false << true;
        QTest::newRow("other number") << QVariant("2") << false << true;
        QTest::newRow("negative number") << QVariant("-1") << false << true;
        QTest::newRow("not a number") << QVariant("zh") << false << false;
        QTest::newRow("empty text") << QVariant("") << false << false;
        QTest::newRow("integer 0") << QVariant(0) << true << false;
    }
    void languageRules()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, toolChinese);
        QFETCH(bool, viewerEnglish);
        QCOMPARE(suite::toolUsesChinese(stored), toolChinese);
        QCOMPARE(suite::viewerUsesEnglish(stored), viewerEnglish);
    }

    void translationFiles()
    {
        QCOMPARE(suite::translationFilePath("/opt/x", "Flashmere", true),
                 QString("/opt/x/Flashmere_en_CN.qm"));
        QCOMPARE(suite::translationFilePath("/opt/x", "VexoCam", false),
                 QString("/opt/x/VexoCam_zh_CN.qm"));
    }

    void installingNeedsARealTranslationFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("installed");
        const QString dir = qEnvironmentVariable("VEXO_PROGRAM_DIR");
        QTest::newRow("English viewer file") << dir + "/VexoCam_en_CN.qm" << true;
        QTest::newRow("Chinese viewer file") << dir + "/VexoCam_zh_CN.qm" << true;
        QTest::newRow("Chinese tool file") << dir + "/Flashmere_zh_CN.qm" << true;
        QTest::newRow("English tool file") << dir + "/Addrwright_en_CN.qm" << true;
        QTest::newRow("missing file") << dir + "/Nothing_en_CN.qm" << false;
    }
    void installingNeedsARealTranslationFile()
    {
        QFETCH(QString, file);
        QFETCH(bool, installed);
        QTranslator translator;
        QCOMPARE(suite::loadAndInstall(&translator, file), installed);
        QCoreApplication::removeTranslator(&translator);
    }

    void toolLanguageFollowsTheSharedFile_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("chinese");
        QTest::newRow("no key gives English") << QVariant() << false;
        QTest::newRow("0 gives Chinese") << QVariant(0) << true;
        QTest::newRow("1 gives English") << QVariant(1) << false;
    }
    void toolLanguageFollowsTheSharedFile()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, chinese);
        QCoreApplication::setApplicationName("Flashmere");
        {
            QSettings file(suite::toolSettingsFilePath(), QSettings::IniFormat);
            file.remove("EDITION/Language");
            if (stored.isValid())
                file.setValue("EDITION/Language", stored);
        }
        QWidget owner;
        ModalDialogWatcher watcher;
        QVERIFY(suite::installToolLanguage(&owner, "Flashmere"));
        // The window title of the upgrade tool shows which file was installed.
        const QString title = QCoreApplication::translate("Flashmere", "升级");
        QCOMPARE(title == QString("升级"), chinese);
        QVERIFY(!title.isEmpty());
        // Qt's own file dialog speaks the same language.
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"),
                 chinese ? QString("查找范围：") : QString("Look in:"));
        QCOMPARE(watcher.count(), 0);
    }

    void qtTextsFollowTheLanguage()
    {
        QTranslator qtTranslator;
        QVERIFY2(suite::applyQtLanguage(&qtTranslator, true),
                 qPrintable("no qtbase_zh_CN.qm in " + suite::qtTranslationsFolder()));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "&Choose"), QString("选择(&C)"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("取消"));
        // Switching to English takes Qt's Chinese away again, and switching twice does
        // not stack it.
        QVERIFY(suite::applyQtLanguage(&qtTranslator, true));
        QVERIFY(!suite::applyQtLanguage(&qtTranslator, false));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancel"));

        // A folder without Qt's catalogue leaves Qt in English, silently.
        QTemporaryDir empty;
        ModalDialogWatcher watcher;
        QVERIFY(!suite::applyQtLanguage(&qtTranslator, true, empty.path()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancel"));
        QCOMPARE(watcher.count(), 0);
    }

    void missingToolTranslationIsReported()
    {
        QCoreApplication::setApplicationName("Flashmere");
        QWidget owner;
        ModalDialogWatcher watcher;
        QVERIFY(!suite::installToolLanguage(&owner, "NoSuchProgram"));
        QCOMPARE(watcher.count(), 1);
        QCOMPARE(watcher.seen()[0].title, QString("提示"));
        QCOMPARE(watcher.seen()[0].text, QString("切换语言失败"));
        QCOMPARE(watcher.seen()[0].buttons, QStringList{"确定"});
    }
};

QTEST_MAIN(SuiteEnvironmentTest)
#include "tst_suiteenvironment.moc"
