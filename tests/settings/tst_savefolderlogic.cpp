// Which folders pictures and recordings may go to, as the settings file or a line edit
// give them: the cases that once sent files to one name, to "/" or to the working
// directory, and folders that are missing or in the way.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "SaveFolderLogic.h"

using savefolder::Problem;

Q_DECLARE_METATYPE(savefolder::Problem)

class SaveFolderLogicTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void check_data();
    void check();
    void textsNameTheFolder_data();
    void textsNameTheFolder();
    void createMakesTheFoldersAbove();

private:
    QTemporaryDir scratch;
};

void SaveFolderLogicTest::initTestCase()
{
    QVERIFY(scratch.isValid());
    QVERIFY(QDir(scratch.path()).mkdir("pictures"));
    QFile file(scratch.filePath("plain"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(QFile::link(scratch.filePath("nowhere"), scratch.filePath("dangling")));
}

void SaveFolderLogicTest::check_data()
{
    // TMP stands for the scratch folder, which holds the folder "pictures", the file
    // "plain" and the link "dangling" that leads nowhere.
    QTest::addColumn<QString>("text");
    QTest::addColumn<Problem>("problem");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("blocker");
    QTest::newRow("a folder that is there") << "TMP/pictures" << Problem::None << "TMP/pictures"
                                            << "";
    QTest::newRow("doubled and trailing separators are one folder")
        << "TMP//pictures/./" << Problem::None << "TMP/pictures"
        << "";
    QTest::newRow("nothing") << "" << Problem::Empty << ""
                             << "";
    QTest::newRow("blanks only") << "   " << Problem::Empty << "   "
                                 << "";
    QTest::newRow("a NUL byte") << QString("TMP/pictures") + QChar(0) + "elsewhere"
                                << Problem::ControlCharacter
                                << QString("TMP/pictures") + QChar(0) + "elsewhere"
                                << "";
    QTest::newRow("a line break") << "TMP/pic\ntures" << Problem::ControlCharacter
                                  << "TMP/pic\ntures"
                                  << "";
    QTest::newRow("relative name") << "pictures" << Problem::Relative << "pictures"
                                   << "";
    QTest::newRow("relative to here") << "./pictures" << Problem::Relative << "./pictures"
                                      << "";
    QTest::newRow("home shorthand is not expanded")
        << "~/Pictures" << Problem::Relative << "~/Pictures"
        << "";
#ifndef Q_OS_WIN
    QTest::newRow("a drive letter elsewhere than Windows") << "D:/" << Problem::Relative << "D:/"
                                                           << "";
#endif
    QTest::newRow("missing") << "TMP/pictures/new" << Problem::Missing << "TMP/pictures/new"
                             << "";
    QTest::newRow("missing with folders above") << "TMP/a/b/c" << Problem::Missing << "TMP/a/b/c"
                                                << "";
    QTest::newRow("a file") << "TMP/plain" << Problem::NotAFolder << "TMP/plain"
                            << "TMP/plain";
    QTest::newRow("a file above") << "TMP/plain/sub/more" << Problem::NotAFolder
                                  << "TMP/plain/sub/more"
                                  << "TMP/plain";
    QTest::newRow("a link to nowhere") << "TMP/dangling" << Problem::NotAFolder << "TMP/dangling"
                                       << "TMP/dangling";
}

void SaveFolderLogicTest::check()
{
    QFETCH(QString, text);
    QFETCH(Problem, problem);
    QFETCH(QString, folder);
    QFETCH(QString, blocker);
    const QString tmp = scratch.path();
    const savefolder::Check checked = savefolder::check(text.replace("TMP", tmp));
    QCOMPARE(checked.problem, problem);
    QCOMPARE(checked.folder, folder.replace("TMP", tmp));
    QCOMPARE(checked.blocker, blocker.replace("TMP", tmp));
}

void SaveFolderLogicTest::textsNameTheFolder_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing") << "" << QString::fromUtf8("未设置保存文件夹");
    QTest::newRow("a NUL byte, shown")
        << QString("/data/pic") + QChar(0) + "x"
        << QString::fromUtf8("保存文件夹 /data/pic\\x00x 含有控制字符 (如 NUL), 无法使用");
    QTest::newRow("relative") << "pictures"
                              << QString::fromUtf8(
                                     "保存文件夹 pictures 不是绝对路径, 请填写完整路径");
    QTest::newRow("missing") << "TMP/new" << QString::fromUtf8("保存文件夹 TMP/new 不存在");
    QTest::newRow("a file") << "TMP/plain" << QString::fromUtf8("TMP/plain 不是文件夹");
    QTest::newRow("a file above") << "TMP/plain/sub"
                                  << QString::fromUtf8(
                                         "无法使用保存文件夹 TMP/plain/sub: TMP/plain 不是文件夹");
}

void SaveFolderLogicTest::textsNameTheFolder()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    const QString tmp = QDir::toNativeSeparators(scratch.path());
    QCOMPARE(savefolder::problemText(savefolder::check(text.replace("TMP", scratch.path()))),
             message.replace("TMP", tmp));
}

void SaveFolderLogicTest::createMakesTheFoldersAbove()
{
    const QString folder = scratch.filePath("made/for/pictures");
    QVERIFY(savefolder::create(folder));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(savefolder::check(folder).problem, Problem::None);
    // What is in the way stays; nothing is made.
    QVERIFY(!savefolder::create(scratch.filePath("plain/sub")));
    QVERIFY(QFileInfo(scratch.filePath("plain")).isFile());
}

QTEST_GUILESS_MAIN(SaveFolderLogicTest)
#include "tst_savefolderlogic.moc"
