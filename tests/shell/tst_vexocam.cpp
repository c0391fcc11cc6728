#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolBox>
#include <QToolButton>
#include <QtTest>

#include "CustomTreeWidget.h"
#include "ModalDialogWatcher.h"
#include "SettingsStore.h"
#include "VexoCam.h"

// Receives the URLs the window asks the desktop to open, instead of a real viewer.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class VexoCamTest : public QObject {
    Q_OBJECT

    QString programDir = qEnvironmentVariable("VEXO_PROGRAM_DIR");

    void setLanguage(const QVariant& language)
    {
        if (language.isValid())
            settingsStore()->setValue("EDITION", "Language", language);
        else  // QSettings objects on one file share their contents within a process
            QSettings(settingsStore()->filePath(), QSettings::IniFormat).remove("EDITION/Language");
    }
    QStringList texts(const QList<QAction*>& actions)
    {
        QStringList result;
        for (QAction* action : actions)
            result << (action->isSeparator() ? QString("|") : action->objectName());
        return result;
    }

private slots:
    void init() { setLanguage(0); }

    void formObjectsExist_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        const QList<QPair<QString, QString>> objects = {
            {"treeWidget_devicelist", "CustomTreeWidget"}, {"pushButton_onoff", "QPushButton"},
            {"pushButton_refresh", "QPushButton"},       {"pushButton_expand", "QPushButton"},
            {"pushButton_collapse", "QPushButton"},      {"stackedWidget_InterfaceInfo", "QStackedWidget"},
            {"widget_devicewindows", "QWidget"},         {"widget_8", "QWidget"},
            {"widget_settingToolbar", "QWidget"},        {"tabWidget", "QTabWidget"},
            {"toolBox_2", "QToolBox"},                   {"splitter", "QSplitter"},
            {"toolBar", "QToolBar"},                     {"menuBar", "QMenuBar"},
            {"statusBar", "QStatusBar"},                 {"widget_4", "QWidget"},
            {"widget_5", "QWidget"},                     {"tab_3", "QWidget"},
            {"pushButton_saveInfo", "QPushButton"},      {"pushButton_saveParametersToFile", "QPushButton"},
            {"pushButton_loadParametersToFile", "QPushButton"},
            {"pushButton_restoreDefaultParameters", "QPushButton"},
            {"action_exitapp", "QAction"},
        };
        for (const auto& object : objects)
            QTest::newRow(qPrintable(object.first)) << object.first << object.second;
    }
    void formObjectsExist()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        VexoCam window(nullptr, programDir);
        QObject* object = window.findChild<QObject*>(name);
        QVERIFY2(object, qPrintable(name));
        QVERIFY(object->inherits(qPrintable(className)));
    }

    void menusInOrder_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("entryTexts");
        QTest::newRow("settings") << "menu_2" << "设置1"
            << QStringList{"action_capturesetting", "action_videosetting", "action_hotkey", "|", "action_defaultParPath"}
            << QStringList{"抓图", "录像", "快捷键", "", "打开相机参数默认保存目录"};
        QTest::newRow("tools") << "menu_3" << "工具"
            << QStringList{"action_update", "action_ipSettingTool", "action_cameraFeatures"}
            << QStringList{"升级工具", "IP配置工具", "相机属性"};
        QTest::newRow("help") << "menu_4" << "帮助"
            << QStringList{"action_help", "action_about"} << QStringList{"帮助文档", "关于"};
        QTest::newRow("language") << "menu" << "语言切换"
            << QStringList{"action_language_CH", "action_language_EN"} << QStringList{"简体中文", "English"};
    }
    void menusInOrder()
    {
        QFETCH(QString, menu);
        QFETCH(QString, title);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, entryTexts);
        VexoCam window(nullptr, programDir);
        auto* m = window.findChild<QMenu*>(menu);
        QVERIFY(m);
        QCOMPARE(m->title(), title);
        QCOMPARE(texts(m->actions()), entries);
        for (int i = 0; i < entries.size(); ++i)
            if (!m->actions()[i]->isSeparator())
                QCOMPARE(m->actions()[i]->text(), entryTexts[i]);
        // The menu bar shows the four menus left to right in this order.
        QStringList bar;
        for (QAction* action : window.menuBar()->actions())
            bar << action->menu()->objectName();
        QCOMPARE(bar, QStringList({"menu_2", "menu_3", "menu_4", "menu"}));
    }

    void startUpState()
    {
        VexoCam window(nullptr, programDir);
        window.resize(1400, 900);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The panes keep the proportions 250 : 625 : 250 whatever room the window gives.
        const QList<int> sizes = window.findChild<QSplitter*>("splitter")->sizes();
        QCOMPARE(sizes.size(), 3);
        QVERIFY2(qAbs(sizes[0] - sizes[2]) <= 1 && qAbs(sizes[1] * 2 - sizes[0] * 5) <= 5,
                 qPrintable(QString("%1 %2 %3").arg(sizes[0]).arg(sizes[1]).arg(sizes[2])));
        QVERIFY(!window.findChild<QWidget*>("tabWidget")->isEnabled());
        QVERIFY(!window.findChild<QWidget*>("widget_settingToolbar")->isEnabled());
        QCOMPARE(window.currentCameraHandle(), 0);
        QCOMPARE(window.windowsContainer(), window.findChild<QWidget*>("widget_devicewindows"));

        auto* tabs = window.findChild<QTabWidget*>("tabWidget");
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QString("属性树"));
        QCOMPARE(tabs->tabText(1), QString("参数保存"));

        // Nine pages stay in the tool box; the special page waits outside it, hidden.
        auto* toolBox = window.findChild<QToolBox*>("toolBox_2");
        const QStringList names = {"page_deviceinfo", "page_videoinfo", "page_exposureInfo",
                                   "page_whitebalance", "page_crosshairs", "page_iosetting",
                                   "page_resolution", "page_gammasetting", "page_cameragige"};
        const QStringList titles = {"设备信息", "视频参数设置", "曝光设置", "白平衡设置", "十字线设置",
                                    "输出设置", "分辨率设置", "伽玛设置", "GigE设置"};
        QCOMPARE(toolBox->count(), 9);
        QCOMPARE(toolBox->currentIndex(), 0);
        for (int i = 0; i < 9; ++i) {
            QCOMPARE(toolBox->widget(i)->objectName(), names[i]);
            QCOMPARE(toolBox->itemText(i), titles[i]);
        }
        QWidget* special = window.setAsideParameterPage();
        QVERIFY(special);
        QCOMPARE(special->objectName(), QString("page"));
        QVERIFY(special->isHidden());
        QCOMPARE(window.findChild<QStackedWidget*>("stackedWidget_InterfaceInfo")->count(), 4);
    }

    void toolBarAndScreenSwitchMenu()
    {
        settingsStore()->saveCustomLayouts({{"Line", 2, 2, {"0,0,1,2", "1,0,1,1", "1,1,1,1"}},
                                            {"Big", 3, 3, {"0,0,3,3"}}});
        VexoCam window(nullptr, programDir);
        auto* toolBar = window.findChild<QToolBar*>("toolBar");
        QCOMPARE(toolBar->actions()[0]->objectName(), QString("action_opencamera"));
        QVERIFY(toolBar->actions()[1]->isSeparator());
        QToolButton* button = nullptr;
        for (QToolButton* b : toolBar->findChildren<QToolButton*>())
            if (b->menu())
                button = b;
        QVERIFY(button);
        QCOMPARE(button->text(), QString("画面切换"));
        QCOMPARE(button->popupMode(), QToolButton::InstantPopup);
        QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        QCOMPARE(texts(button->menu()->actions()),
                 QStringList({"action_oneframe", "action_fourframe", "action_nineframe", "|",
                              "action_customframe", "action_fullScreen", "|", "", ""}));
        QCOMPARE(window.customLayoutActions().size(), 2);
        QAction* line = window.customLayoutActions()[0];
        QCOMPARE(line->text(), QString("Line"));
        auto* layout = static_cast<SceneFrameLayout*>(line->data().value<void*>());
        QVERIFY(layout);
        QCOMPARE(layout->rows, 2);
        QCOMPARE(layout->rectangles, QStringList({"0,0,1,2", "1,0,1,1", "1,1,1,1"}));
        QCOMPARE(window.customLayoutActions()[1]->text(), QString("Big"));
        settingsStore()->saveCustomLayouts({});
    }

    void storedLanguageChoosesTranslation_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("title");
        QTest::newRow("missing key is Chinese") << QVariant() << "设置1";
        QTest::newRow("0 is Chinese") << QVariant(0) << "设置1";
        QTest::newRow("1 is English") << QVariant(1) << "Settings";
        QTest::newRow("other numbers are English") << QVariant(5) << "Settings";
    }
    void storedLanguageChoosesTranslation()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, title);
        setLanguage(stored);
        ModalDialogWatcher watcher;
        VexoCam window(nullptr, programDir);
        QCOMPARE(window.findChild<QMenu*>("menu_2")->title(), title);
        QCOMPARE(watcher.count(), 0);
    }

    void switchingLanguageRetranslatesAndIsRemembered()
    {
        VexoCam window(nullptr, programDir);
        auto* menu = window.findChild<QMenu*>("menu_2");
        window.findChild<QAction*>("action_language_EN")->trigger();
        QCOMPARE(menu->title(), QString("Settings"));
        QCOMPARE(window.findChild<QAction*>("action_update")->text(), QString("Firmware upgrade tool"));
        QCOMPARE(settingsStore()->value("EDITION", "Language").toInt(), 1);
        // Choosing the active language again reloads and writes the key again.
        settingsStore()->setValue("EDITION", "Language", 7);
        window.findChild<QAction*>("action_language_EN")->trigger();
        QCOMPARE(settingsStore()->value("EDITION", "Language").toInt(), 1);
        window.findChild<QAction*>("action_language_CH")->trigger();
        QCOMPARE(menu->title(), QString("设置1"));
        QCOMPARE(settingsStore()->value("EDITION", "Language").toInt(), 0);
    }

    void videoPageFitsThePanel_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("Chinese") << 0;
        QTest::newRow("English") << 1;
    }
    void videoPageFitsThePanel()
    {
        // Longer English texts must not make the video page wider than the panel is at
        // its starting width.
        QFETCH(int, language);
        setLanguage(language);
        VexoCam window(nullptr, programDir);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* toolBox = window.findChild<QToolBox*>("toolBox_2");
        QWidget* page = window.findChild<QWidget*>("page_videoinfo");
        QVERIFY(toolBox->indexOf(page) >= 0);
        QVERIFY2(page->minimumSizeHint().width() <= toolBox->width(),
                 qPrintable(QString("needs %1 of %2")
                                .arg(page->minimumSizeHint().width())
                                .arg(toolBox->width())));
    }

    void missingTranslationsAreReported()
    {
        QTemporaryDir emptyProgramDir;
        ModalDialogWatcher watcher;
        VexoCam window(nullptr, emptyProgramDir.path());
        QCOMPARE(watcher.count(), 1);
        QCOMPARE(watcher.seen()[0].title, QString("提示"));
        QCOMPARE(watcher.seen()[0].text, QString("切换语言失败"));
        // The window still comes up, in the Chinese compiled into it.
        QCOMPARE(window.findChild<QMenu*>("menu_2")->title(), QString("设置1"));

        window.findChild<QAction*>("action_language_EN")->trigger();
        QCOMPARE(watcher.count(), 2);
        QCOMPARE(watcher.seen()[1].title, QString("提示"));
        QCOMPARE(watcher.seen()[1].text, QString("设置失败"));
        QCOMPARE(watcher.seen()[1].buttons, QStringList{"确定"});
        QCOMPARE(settingsStore()->value("EDITION", "Language").toInt(), 1);
    }

    void helpOpensTheManual()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        ModalDialogWatcher watcher;
        {
            VexoCam window(nullptr, programDir);
            window.findChild<QAction*>("action_help")->trigger();
            QCOMPARE(watcher.count(), 0);
            QCOMPARE(catcher.urls.size(), 1);
            QCOMPARE(catcher.urls[0].toLocalFile(), programDir + "/软件使用说明书.pdf");
            QVERIFY(QFile::exists(catcher.urls[0].toLocalFile()));
        }
        QTemporaryDir elsewhere;
        QFile::copy(programDir + "/VexoCam_zh_CN.qm", elsewhere.filePath("VexoCam_zh_CN.qm"));
        VexoCam window(nullptr, elsewhere.path());
        window.findChild<QAction*>("action_help")->trigger();
        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(watcher.count(), 1);
        QCOMPARE(watcher.seen()[0].title, QString("提示"));
        QCOMPARE(watcher.seen()[0].text, QString("请检查执行目录下是否存在软件使用说明书.pdf"));
        QCOMPARE(watcher.seen()[0].buttons, QStringList{"确定"});
        QDesktopServices::unsetUrlHandler("file");
    }

    void parameterFolderIsShown()
    {
        // The folder the camera library keeps its parameter files in, created on demand.
        const QString folder = qEnvironmentVariable("VEXOCAM_STATE_DIR");
        QVERIFY(!QFileInfo::exists(folder));
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        VexoCam window(nullptr, programDir);
        window.findChild<QAction*>("action_defaultParPath")->trigger();
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls[0].toLocalFile(), folder);
        QVERIFY(QFileInfo(folder).isDir());
    }

    void nothingCanOpenTheManualOrTheFolder()
    {
        // No handler and no program that could open a file: the desktop services fail.
        QTemporaryDir emptyPath;
        const QByteArray path = qgetenv("PATH");
        const QByteArray browser = qgetenv("BROWSER");
        qputenv("PATH", QFile::encodeName(emptyPath.path()));
        qunsetenv("BROWSER");
        qunsetenv("DEFAULT_BROWSER");
        ModalDialogWatcher watcher;
        {
            VexoCam window(nullptr, programDir);
            QVERIFY(QFile::exists(programDir + "/软件使用说明书.pdf"));
            window.findChild<QAction*>("action_help")->trigger();
            window.findChild<QAction*>("action_defaultParPath")->trigger();
        }
        qputenv("PATH", path);
        if (!browser.isEmpty())
            qputenv("BROWSER", browser);
        QCOMPARE(watcher.count(), 2);
        // The manual is there: the message says what is really missing.
        QCOMPARE(watcher.seen()[0].title, QString("提示"));
        QCOMPARE(watcher.seen()[0].text,
                 QString("没有可以打开PDF文件的程序，请安装PDF阅读器后再打开软件使用说明书"));
        QCOMPARE(watcher.seen()[0].buttons, QStringList{"确定"});
        QCOMPARE(watcher.seen()[1].title, QString("提示"));
        QCOMPARE(watcher.seen()[1].text,
                 QString("无法打开相机参数默认保存目录:%1")
                     .arg(QDir::toNativeSeparators(qEnvironmentVariable("VEXOCAM_STATE_DIR"))));
        QCOMPARE(watcher.seen()[1].buttons, QStringList{"确定"});
    }

    void companionProgramsStart_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("failure");
        QTest::newRow("IP tool") << "action_ipSettingTool" << "Addrwright"
                                 << "打开失败,请检查程序执行目录下是否存在IP配置程序";
        QTest::newRow("upgrade tool") << "action_update" << "Flashmere"
                                      << "打开失败,请检查程序执行目录下是否存在升级程序";
    }
    void companionProgramsStart()
    {
        QFETCH(QString, action);
        QFETCH(QString, program);
        QFETCH(QString, failure);
        QTemporaryDir dir;
        QFile::copy(programDir + "/VexoCam_zh_CN.qm", dir.filePath("VexoCam_zh_CN.qm"));
        ModalDialogWatcher watcher;
        VexoCam window(nullptr, dir.path());

        window.findChild<QAction*>(action)->trigger();
        QCOMPARE(watcher.count(), 1);
        QCOMPARE(watcher.seen()[0].title, QString("错误"));
        QCOMPARE(watcher.seen()[0].text, failure);
        QCOMPARE(watcher.seen()[0].buttons, QStringList{"确定"});

        // A program of that name in the program directory is started, detached.
        const QString marker = dir.filePath("started");
        QFile script(dir.filePath(program));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QString("#!/bin/sh\necho \"$0 $#\" > '%1'\n").arg(marker).toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        window.findChild<QAction*>(action)->trigger();
        QCOMPARE(watcher.count(), 1);
        auto startedAs = [&marker] {
            QFile started(marker);
            return started.open(QIODevice::ReadOnly) ? QString::fromUtf8(started.readAll()).trimmed()
                                                     : QString();
        };
        // The script's own path and no arguments.
        QTRY_COMPARE_WITH_TIMEOUT(startedAs(), dir.filePath(program) + " 0", 30000);
    }
};

QTEST_MAIN(VexoCamTest)
#include "tst_vexocam.moc"
