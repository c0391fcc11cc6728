#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

// Every text the code or a form passes through tr must have a finished English
// translation, and the Chinese file must carry every text too (an empty or partial
// Chinese .qm would make the programs report a failed language switch or fall back).
namespace {

struct Entry {
    QString translation;
    QString type;  // "", "unfinished", "vanished", "obsolete"
};
using Catalogue = QHash<QString, Entry>;  // key: context + '\x1f' + source

Catalogue readTs(const QString& path, QString* error)
{
    Catalogue catalogue;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "cannot open " + path;
        return catalogue;
    }
    QXmlStreamReader xml(&file);
    QString context, source;
    Entry entry;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            entry.type = xml.attributes().value("type").toString();
            entry.translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            catalogue.insert(context + QChar(0x1f) + source, entry);
        }
    }
    if (xml.hasError())
        *error = path + ": " + xml.errorString();
    return catalogue;
}

}  // namespace

class TranslationsTest : public QObject {
    Q_OBJECT
private slots:
    void everyTextIsTranslated_data()
    {
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QStringList>("folders");
        QTest::newRow("viewer") << "VexoCam" << QStringList{"viewer", "common"};
        QTest::newRow("IP tool") << "Addrwright" << QStringList{"ipconfig", "common"};
        QTest::newRow("upgrade tool") << "Flashmere" << QStringList{"upgrade", "common"};
    }
    void everyTextIsTranslated()
    {
        QFETCH(QString, baseName);
        QFETCH(QStringList, folders);
        const QString sourceDir = qEnvironmentVariable("VEXO_SOURCE_DIR");
        QVERIFY(!sourceDir.isEmpty());
        QTemporaryDir scratch;
        const QString extracted = scratch.filePath("current.ts");

        QProcess lupdate;
        lupdate.setWorkingDirectory(sourceDir);
        lupdate.start(QStringLiteral(LUPDATE_PROGRAM),
                      QStringList{"-silent", "-locations", "none"} + folders +
                          QStringList{"-ts", extracted});
        QVERIFY(lupdate.waitForFinished(120000));
        QCOMPARE(lupdate.exitCode(), 0);

        QString error;
        const Catalogue code = readTs(extracted, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!code.isEmpty());

        for (const QString& language : {QStringLiteral("en_CN"), QStringLiteral("zh_CN")}) {
            const QString tsFile = sourceDir + "/resources/translations/" + baseName + "_" +
                                   language + ".ts";
            const Catalogue committed = readTs(tsFile, &error);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QStringList problems;
            for (auto it = code.cbegin(); it != code.cend(); ++it) {
                const QString where = QString(it.key()).replace(QChar(0x1f), " / ");
                const auto found = committed.constFind(it.key());
                if (found == committed.cend())
                    problems << "not in " + language + ": " + where;
                else if (!found->type.isEmpty() || found->translation.isEmpty())
                    problems << "unfinished in " + language + ": " + where;
            }
            QVERIFY2(problems.isEmpty(),
                     qPrintable("run resources/translations/update-translations.sh and translate:\n" +
                                problems.join('\n')));
        }
    }

    // What the compiled files say for texts that were wrong: one Chinese text with two
    // meanings gets two English ones, and the Chinese file may say more than the source.
    void shippedTexts_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("disambiguation");
        QTest::addColumn<QString>("text");
        const QString en = "VexoCam_en_CN.qm";
        QTest::newRow("custom entry of the resolution list")
            << en << "VexoCam"
            << "自定义"
            << "resolution list: a region of interest"
            << "Custom region";
        QTest::newRow("custom layouts of the layout menu") << en << "VexoCam"
                                                           << "自定义"
                                                           << "window layout menu"
                                                           << "Custom layouts";
        QTest::newRow("custom playback speed") << en << "ConfigWidget"
                                               << "自定义"
                                               << ""
                                               << "Custom";
        QTest::newRow("settings window title") << en << "ConfigWidget"
                                               << "设置"
                                               << ""
                                               << "Settings";
        QTest::newRow("hotkey group") << en << "ConfigWidget"
                                      << "设置"
                                      << "group of the hotkey fields"
                                      << "Key combinations";
        QTest::newRow("GigE settings button") << en << "VexoCam"
                                              << "设置"
                                              << ""
                                              << "Apply";
        QTest::newRow("driver version of a USB camera") << en << "VexoCam"
                                                        << "版本："
                                                        << ""
                                                        << "Driver version:";
        QTest::newRow("red channel of the histogram") << en << "histogramWidget"
                                                      << "红色"
                                                      << ""
                                                      << "Red";
        QTest::newRow("parameter file filter in Chinese") << "VexoCam_zh_CN.qm"
                                                          << "VexoCam"
                                                          << "Camera config files(*.Bin)"
                                                          << ""
                                                          << "相机参数文件(*.Bin)";
    }
    void shippedTexts()
    {
        QFETCH(QString, file);
        QFETCH(QString, context);
        QFETCH(QString, source);
        QFETCH(QString, disambiguation);
        QTranslator translator;
        QVERIFY(translator.load(qEnvironmentVariable("VEXO_PROGRAM_DIR") + "/" + file));
        QTEST(translator.translate(qPrintable(context), qPrintable(source),
                                   disambiguation.isEmpty() ? nullptr : qPrintable(disambiguation)),
              "text");
    }
};

QTEST_GUILESS_MAIN(TranslationsTest)
#include "tst_translations.moc"
