#include "FeatureBrowserLogic.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSaveFile>
#include <QTextStream>

#include "VexoCameraApi.h"

namespace features {

namespace {

QString fromUtf8(const char* text)
{
    return QString::fromUtf8(text);
}

// Codes worth another round in a load: the camera may take them once others are set.
bool mayDependOnOthers(int code)
{
    return code == VEXO_SDK_OUT_OF_RANGE || code == VEXO_SDK_WRONG_MODE ||
           code == VEXO_SDK_FAILED || code == VEXO_SDK_NOT_MATCHING;
}

constexpr int kLoadRounds = 3;

}  // namespace

int SdkFeatureSource::list(QVector<Feature>& out)
{
    int count = 0;
    if (int r = SdkGetFeatureCount(handle, &count))
        return r;
    QVector<Feature> list;
    list.reserve(count);
    for (int i = 0; i < count; ++i) {
        VexoFeatureInfo info{};
        if (int r = SdkGetFeatureInfo(handle, i, &info))
            return r;
        Feature f;
        f.name = fromUtf8(info.name);
        f.displayName = fromUtf8(info.displayName);
        f.category = fromUtf8(info.category);
        f.description = fromUtf8(info.description);
        f.unit = fromUtf8(info.unit);
        f.type = static_cast<Type>(info.type);
        f.access = static_cast<Access>(info.access);
        f.visibility = static_cast<Visibility>(info.visibility);
        f.minimum = info.minimum;
        f.maximum = info.maximum;
        f.increment = info.increment;
        for (int e = 0; e < info.entryCount; ++e) {
            char entry[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
            if (SdkGetFeatureEntry(handle, i, e, entry) == VEXO_SDK_OK)
                f.entries << fromUtf8(entry);
        }
        list.push_back(f);
    }
    out = list;
    return VEXO_SDK_OK;
}

Reading SdkFeatureSource::read(const QString& name)
{
    Reading r;
    r.name = name;
    char value[VEXO_SDK_FEATURE_VALUE_SIZE] = {};
    int access = 0;
    r.code = SdkGetFeatureValue(handle, name.toUtf8().constData(), value, &access);
    if (r.code == VEXO_SDK_OK) {
        r.value = fromUtf8(value);
        r.access = static_cast<Access>(access);
    }
    return r;
}

int SdkFeatureSource::write(const QString& name, const QString& value, QString& reason)
{
    char why[VEXO_SDK_FEATURE_REASON_SIZE] = {};
    const int r =
        SdkSetFeatureValue(handle, name.toUtf8().constData(), value.toUtf8().constData(), why);
    reason = fromUtf8(why);
    return r;
}

int SdkFeatureSource::execute(const QString& name, QString& reason)
{
    char why[VEXO_SDK_FEATURE_REASON_SIZE] = {};
    const int r = SdkExecuteFeature(handle, name.toUtf8().constData(), why);
    reason = fromUtf8(why);
    return r;
}

QString SdkFeatureSource::model()
{
    VexoCameraParameters p{};
    if (SdkGetCameraParameters(handle, &p) != VEXO_SDK_OK)
        return {};
    return QString::fromLocal8Bit(p.device.productName);
}

bool passesFilter(const Feature& feature, Visibility level, const QString& search)
{
    if (static_cast<int>(feature.visibility) > static_cast<int>(level))
        return false;
    const QString s = search.trimmed();
    return s.isEmpty() || feature.name.contains(s, Qt::CaseInsensitive) ||
           feature.displayName.contains(s, Qt::CaseInsensitive);
}

QString shownValue(const Feature& feature)
{
    if ((feature.type == Type::Integer || feature.type == Type::Float) && !feature.unit.isEmpty() &&
        !feature.value.isEmpty())
        return feature.value + QLatin1Char(' ') + feature.unit;
    return feature.value;
}

QString featureFileText(const QString& model, const QVector<Feature>& features)
{
    QString text;
    QTextStream out(&text);
    out << "# Camera features: name=value, applied from top to bottom\n";
    out << "#model=" << model << "\n";
    for (const Feature& f : features) {
        if (f.access != Access::ReadWrite || f.type == Type::Command)
            continue;
        // A value holding a line break cannot stand on one line; such strings are left out.
        if (f.value.contains(QLatin1Char('\n')) || f.value.contains(QLatin1Char('\r')))
            continue;
        out << f.name << "=" << f.value << "\n";
    }
    return text;
}

ParsedFile parseFeatureFile(const QString& text)
{
    ParsedFile file;
    const QStringList lines = text.split(QLatin1Char('\n'));
    bool modelSeen = false;
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (trimmed.startsWith(QLatin1String("#model="))) {
            if (!modelSeen && file.lines.isEmpty())
                file.model = trimmed.mid(7).trimmed();
            modelSeen = true;
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('#')))
            continue;
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || line.left(equals).trimmed().isEmpty()) {
            file.malformed << QStringLiteral("%1: %2").arg(i + 1).arg(trimmed);
            continue;
        }
        file.lines.push_back(FileLine{i + 1, line.left(equals).trimmed(), line.mid(equals + 1)});
    }
    return file;
}

LoadReport applyFeatureFile(Source& source, const ParsedFile& file)
{
    LoadReport report;
    report.fileModel = file.model;
    report.cameraModel = source.model();
    report.malformed = file.malformed;
    if (file.model.isEmpty() || file.model != report.cameraModel) {
        report.wrongModel = true;
        return report;
    }
    QVector<FileLine> pending = file.lines;
    QMap<int, Refusal> lastRefusal;  // by line number
    for (int round = 0; round < kLoadRounds && !pending.isEmpty(); ++round) {
        QVector<FileLine> retry;
        int appliedThisRound = 0;
        for (const FileLine& line : qAsConst(pending)) {
            QString reason;
            const int code = source.write(line.name, line.value, reason);
            if (code == VEXO_SDK_OK) {
                ++report.applied;
                ++appliedThisRound;
                lastRefusal.remove(line.lineNumber);
                continue;
            }
            lastRefusal.insert(line.lineNumber,
                               Refusal{line.lineNumber, line.name, line.value, reason, code});
            if (mayDependOnOthers(code))
                retry.push_back(line);
        }
        // Another round only helps when this one changed something.
        if (appliedThisRound == 0)
            break;
        pending = retry;
    }
    for (const Refusal& r : qAsConst(lastRefusal))
        report.refused.push_back(r);
    return report;
}

Worker::Worker(Source* source, QObject* parent) : QObject(parent), source(source) {}

Worker::~Worker() = default;

void Worker::listFeatures()
{
    QVector<Feature> list;
    const int code = source->list(list);
    known.clear();
    knownSet.clear();
    for (Feature& f : list) {
        if (f.type != Type::Command) {
            known << f.name;
            knownSet.insert(f.name);
            const Reading r = source->read(f.name);
            if (r.code == VEXO_SDK_OK) {
                f.value = r.value;
                f.access = r.access;
            }
        }
    }
    emit listed(list, code);
}

void Worker::readValues(const QStringList& names)
{
    QVector<Reading> readings;
    readings.reserve(names.size());
    for (const QString& name : names) {
        // Commands have no value to read.
        if (!knownSet.isEmpty() && !knownSet.contains(name))
            continue;
        readings.push_back(source->read(name));
    }
    emit valuesRead(readings);
}

void Worker::writeValue(const QString& name, const QString& value)
{
    QString reason;
    const int code = source->write(name, value, reason);
    emit written(name, code, reason);
    readValues(known);
}

void Worker::executeCommand(const QString& name)
{
    QString reason;
    const int code = source->execute(name, reason);
    emit written(name, code, reason);
    readValues(known);
}

void Worker::saveFile(const QString& path)
{
    QVector<Feature> list;
    if (int code = source->list(list)) {
        emit fileSaved(path, code, QString());
        return;
    }
    for (Feature& f : list) {
        if (f.type == Type::Command)
            continue;
        const Reading r = source->read(f.name);
        if (r.code != VEXO_SDK_OK) {
            f.access = Access::NotAvailable;  // left out of the file
            continue;
        }
        f.value = r.value;
        f.access = r.access;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        emit fileSaved(path, VEXO_SDK_WRONG_PATH, file.errorString());
        return;
    }
    file.write(featureFileText(source->model(), list).toUtf8());
    if (!file.commit()) {
        emit fileSaved(path, VEXO_SDK_FAILED, file.errorString());
        return;
    }
    emit fileSaved(path, VEXO_SDK_OK, QString());
}

void Worker::loadFile(const QString& path)
{
    // Only a regular file: opening a FIFO would wait for a writer, a device never ends.
    constexpr qint64 kLargestFile = 4 * 1024 * 1024;
    const QFileInfo info(path);
    if (!info.isFile()) {
        emit fileLoaded(path, LoadReport{}, info.exists() ? tr("不是普通文件") : tr("文件不存在"));
        return;
    }
    if (info.size() > kLargestFile) {
        emit fileLoaded(path, LoadReport{}, tr("文件太大，不是相机属性文件"));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        emit fileLoaded(path, LoadReport{}, file.errorString());
        return;
    }
    const QString text = QString::fromUtf8(file.read(kLargestFile + 1));
    const LoadReport report = applyFeatureFile(*source, parseFeatureFile(text));
    emit fileLoaded(path, report, QString());
    readValues(known);
}

}  // namespace features
