#pragma once
// The rules of the camera feature browser that need no widget: the feature list as the
// camera library describes it, reading and writing through the library, the feature file
// (save and load) and the worker that does all camera access off the user interface
// thread (a network camera's read can wait for a time-out).
#include <QMetaType>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

namespace features {

enum class Type { Integer = 1, Float, Enumeration, Boolean, Command, String };
enum class Access { NotAvailable = 0, ReadOnly, ReadWrite };
enum class Visibility { Beginner = 0, Expert, Guru };

struct Feature {
    QString name, displayName, category, description, unit;
    Type type = Type::Integer;
    Access access = Access::ReadWrite;
    Visibility visibility = Visibility::Beginner;
    double minimum = 0, maximum = 0, increment = 0;
    QStringList entries;
    QString value;  // as the camera last said
};

// What one read of a feature gave. code is the library's result (0 OK).
struct Reading {
    QString name;
    QString value;
    Access access = Access::NotAvailable;
    int code = 0;
};

// Where the features come from: the camera library (SdkFeatureSource), or a scripted
// camera in tests.
class Source {
public:
    virtual ~Source() = default;
    // 0 or the library's code.
    virtual int list(QVector<Feature>& out) = 0;
    virtual Reading read(const QString& name) = 0;
    virtual int write(const QString& name, const QString& value, QString& reason) = 0;
    virtual int execute(const QString& name, QString& reason) = 0;
    // The model named in feature files; empty when it cannot be read.
    virtual QString model() = 0;
};

// The features of one open camera handle, through the library's C interface.
class SdkFeatureSource : public Source {
public:
    explicit SdkFeatureSource(int handle) : handle(handle) {}
    int list(QVector<Feature>& out) override;
    Reading read(const QString& name) override;
    int write(const QString& name, const QString& value, QString& reason) override;
    int execute(const QString& name, QString& reason) override;
    QString model() override;

private:
    int handle;
};

// Whether a feature passes the browser's filter: shown at visibility level `level` and
// matching search (name or display name, any case; empty matches everything).
bool passesFilter(const Feature& feature, Visibility level, const QString& search);

// The text a feature's value shows as (the unit after numbers, entries as they are).
QString shownValue(const Feature& feature);

// ---- Feature files -------------------------------------------------------------------
// A feature file is UTF-8 text:
//   # comment lines start with '#'
//   #model=<model name>            once, before the first feature line
//   <feature name>=<value>         one a line, applied from top to bottom
// Values are written as the library reads them (see SdkGetFeatureValue). Saving writes
// every feature the camera lets one write, in the order of its description, which is the
// order they are best applied in. Loading refuses a file of another model (or one naming
// none) and touches nothing then. Otherwise every line is tried: lines that are no
// name=value pair, unknown names, values of the wrong type or out of range are refused
// with the camera's reason, and the rest applied. Features a camera refuses because of
// another one (an offset too large for the present width) are tried once more after all
// others, up to three rounds, so a file holds each feature once in the order of the
// description.

// The file text for model with the features' values.
QString featureFileText(const QString& model, const QVector<Feature>& features);

struct FileLine {
    int lineNumber = 0;
    QString name, value;
};
struct ParsedFile {
    QString model;  // empty: the file names no model
    QVector<FileLine> lines;
    QStringList malformed;  // "line N: text" of lines that are no name=value pair
};
ParsedFile parseFeatureFile(const QString& text);

struct Refusal {
    int lineNumber = 0;
    QString name, value, reason;
    int code = 0;
};
struct LoadReport {
    bool wrongModel = false;  // nothing was written
    QString fileModel, cameraModel;
    int applied = 0;
    QVector<Refusal> refused;
    QStringList malformed;
};
LoadReport applyFeatureFile(Source& source, const ParsedFile& file);

// Does every camera access of the browser on the thread it lives in; results come back
// as signals. Requests arriving while a camera call runs wait their turn.
class Worker : public QObject {
    Q_OBJECT
public:
    explicit Worker(Source* source, QObject* parent = nullptr);
    ~Worker() override;

public slots:
    void listFeatures();
    void readValues(const QStringList& names);
    void writeValue(const QString& name, const QString& value);
    void executeCommand(const QString& name);
    void saveFile(const QString& path);
    void loadFile(const QString& path);

signals:
    void listed(QVector<features::Feature> features, int code);
    void valuesRead(QVector<features::Reading> readings);
    // After a write or command: its result, then the values of every feature again
    // (valuesRead), since one write can change others.
    void written(QString name, int code, QString reason);
    void fileSaved(QString path, int code, QString detail);
    void fileLoaded(QString path, features::LoadReport report, QString error);

private:
    Source* source;
    QStringList known;  // features of the last list that have a value (no commands)
    QSet<QString> knownSet;
};

}  // namespace features

Q_DECLARE_METATYPE(features::Feature)
Q_DECLARE_METATYPE(features::Reading)
Q_DECLARE_METATYPE(features::LoadReport)
