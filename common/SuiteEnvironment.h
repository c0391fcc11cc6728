#pragma once
#include <QString>
#include <QVariant>

class QTranslator;
class QWidget;

// What the three programs of the suite share about where things are and which language
// they speak: the one Config.ini, the program directory with the translations, the
// companion programs.
namespace suite {

// The folder the programs are started from; translations and the manual lie there.
QString programDirectory();

// The user manual "软件使用说明书.pdf" in the program directory.
QString manualFilePath(const QString& programDir);

// Path of a companion program in the program directory (".exe" on Windows).
QString companionProgramPath(const QString& programDir, const QString& programName);

// The shared Config.ini for a tool. Once a tool's application object exists its
// application-data location ends in its own application name; the settings file lies in
// the parent of that folder. appDataLocation may end with a separator.
QString toolSettingsFilePath(const QString& appDataLocation, const QString& applicationName);
// The same for the running tool (QStandardPaths and the application name).
QString toolSettingsFilePath();

// The tools speak Chinese only when EDITION/Language holds the number 0; a missing key
// or any other value means English.
bool toolUsesChinese(const QVariant& storedLanguage);
// The viewer speaks English for any non-zero number; missing or non-numeric reads as 0.
bool viewerUsesEnglish(const QVariant& storedLanguage);

// programDir + "/" + baseName + "_en_CN.qm" or "_zh_CN.qm".
QString translationFilePath(const QString& programDir, const QString& baseName, bool english);

// Loads the file into the translator (a failed load is not an error by itself) and
// installs it. Returns what QCoreApplication::installTranslator reports, which is false
// for a translator left empty by a missing or empty file.
bool loadAndInstall(QTranslator* translator, const QString& qmFile);

// Folder of Qt's own translations (QLibraryInfo::TranslationsPath).
QString qtTranslationsFolder();

// Qt's own texts (file dialogs, standard buttons, key names) in the chosen language: for
// Chinese, Qt's "qtbase_zh_CN" catalogue from qtFolder is loaded into the translator and
// installed beside the program's own; for English the translator is removed, Qt speaks
// English by itself. Returns true when the Chinese catalogue is installed. A missing
// catalogue only goes to the debug output: the program's own texts still follow.
bool applyQtLanguage(QTranslator* qtTranslator, bool chinese,
                     const QString& qtFolder = qtTranslationsFolder());

// Start-up language of a tool: reads EDITION/Language from the shared Config.ini,
// installs baseName's translation with a translator owned by owner and shows
// "切换语言失败" when installing fails; Qt's own texts follow the same language. Returns
// true when the program's translation is installed.
bool installToolLanguage(QWidget* owner, const QString& baseName);

}  // namespace suite
