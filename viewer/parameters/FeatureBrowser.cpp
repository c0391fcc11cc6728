#include "FeatureBrowser.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <limits>

#include "VexoCameraApi.h"

using features::Access;
using features::Feature;
using features::Type;

namespace {

QHash<int, QPointer<FeatureBrowser>>& browsers()
{
    static QHash<int, QPointer<FeatureBrowser>> all;
    return all;
}

// Editors by type: spin boxes within the feature's range and increment, a list of the
// entries, true/false, a line for strings and integers too wide for a spin box.
class FeatureEditorDelegate : public QStyledItemDelegate {
public:
    FeatureEditorDelegate(FeatureTreeModel* model, QObject* parent)
        : QStyledItemDelegate(parent), model(model)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        const Feature* f = model->featureAt(index);
        if (!f)
            return QStyledItemDelegate::createEditor(parent, option, index);
        switch (f->type) {
            case Type::Integer:
                if (f->minimum >= std::numeric_limits<int>::min() &&
                    f->maximum <= std::numeric_limits<int>::max()) {
                    auto* box = new QSpinBox(parent);
                    box->setRange(static_cast<int>(f->minimum), static_cast<int>(f->maximum));
                    box->setSingleStep(f->increment >= 1 ? static_cast<int>(f->increment) : 1);
                    if (!f->unit.isEmpty())
                        box->setSuffix(QLatin1Char(' ') + f->unit);
                    return box;
                }
                break;
            case Type::Float: {
                auto* box = new QDoubleSpinBox(parent);
                box->setDecimals(6);
                box->setRange(f->minimum, f->maximum);
                if (f->increment > 0)
                    box->setSingleStep(f->increment);
                if (!f->unit.isEmpty())
                    box->setSuffix(QLatin1Char(' ') + f->unit);
                return box;
            }
            case Type::Enumeration: {
                auto* box = new QComboBox(parent);
                box->addItems(f->entries);
                return box;
            }
            case Type::Boolean: {
                auto* box = new QComboBox(parent);
                box->addItems({QStringLiteral("true"), QStringLiteral("false")});
                return box;
            }
            case Type::String:
            case Type::Command:
                break;
        }
        return new QLineEdit(parent);
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        const QString value = index.data(Qt::EditRole).toString();
        if (auto* box = qobject_cast<QSpinBox*>(editor))
            box->setValue(value.toInt());
        else if (auto* box = qobject_cast<QDoubleSpinBox*>(editor))
            box->setValue(value.toDouble());
        else if (auto* box = qobject_cast<QComboBox*>(editor))
            box->setCurrentText(value);
        else if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setText(value);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* itemModel,
                      const QModelIndex& index) const override
    {
        QString value;
        if (auto* box = qobject_cast<QSpinBox*>(editor))
            value = QString::number(box->value());
        else if (auto* box = qobject_cast<QDoubleSpinBox*>(editor))
            value = QString::number(box->value(), 'g', 15);
        else if (auto* box = qobject_cast<QComboBox*>(editor))
            value = box->currentText();
        else if (auto* line = qobject_cast<QLineEdit*>(editor))
            value = line->text();
        itemModel->setData(index, value, Qt::EditRole);
    }

private:
    FeatureTreeModel* model;
};

}  // namespace

FeatureBrowser* FeatureBrowser::browserOf(int handle)
{
    return browsers().value(handle).data();
}

FeatureBrowser* FeatureBrowser::showFor(int handle, const QString& cameraName, QWidget* parent)
{
    FeatureBrowser* browser = browserOf(handle);
    if (!browser) {
        browser = new FeatureBrowser(handle, cameraName, parent);
        browser->setAttribute(Qt::WA_DeleteOnClose);
        browsers().insert(handle, browser);
    }
    browser->show();
    browser->raise();
    browser->activateWindow();
    return browser;
}

void FeatureBrowser::closeFor(int handle)
{
    if (FeatureBrowser* browser = browserOf(handle))
        browser->close();
    browsers().remove(handle);
}

FeatureBrowser::FeatureBrowser(int handle, const QString& cameraName, QWidget* parent)
    : QWidget(parent, Qt::Window), handle(handle), cameraName(cameraName), source(handle)
{
    setObjectName(QStringLiteral("FeatureBrowser"));
    qRegisterMetaType<QVector<features::Feature>>();
    qRegisterMetaType<QVector<features::Reading>>();
    qRegisterMetaType<features::LoadReport>();

    model = new FeatureTreeModel(this);
    view = new QTreeView(this);
    view->setObjectName(QStringLiteral("treeView_features"));
    view->setModel(model);
    view->setItemDelegateForColumn(FeatureTreeModel::ValueColumn,
                                   new FeatureEditorDelegate(model, view));
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                          QAbstractItemView::EditKeyPressed);
    view->header()->setSectionResizeMode(QHeaderView::Interactive);
    view->setColumnWidth(0, 280);
    view->setUniformRowHeights(true);

    searchEdit = new QLineEdit(this);
    searchEdit->setObjectName(QStringLiteral("lineEdit_featureSearch"));
    searchEdit->setClearButtonEnabled(true);
    visibilityLabel = new QLabel(this);
    visibilityBox = new QComboBox(this);
    visibilityBox->setObjectName(QStringLiteral("comboBox_featureVisibility"));
    visibilityBox->addItems({QString(), QString(), QString()});
    visibilityBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    saveButton = new QPushButton(this);
    saveButton->setObjectName(QStringLiteral("pushButton_saveFeatures"));
    loadButton = new QPushButton(this);
    loadButton->setObjectName(QStringLiteral("pushButton_loadFeatures"));
    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("label_featureStatus"));
    statusLabel->setWordWrap(true);
    statusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    reportView = new QPlainTextEdit(this);
    reportView->setObjectName(QStringLiteral("plainTextEdit_featureReport"));
    reportView->setReadOnly(true);
    reportView->setMaximumHeight(120);
    reportView->hide();

    auto* bar = new QHBoxLayout;
    bar->addWidget(searchEdit, 1);
    bar->addWidget(visibilityLabel);
    bar->addWidget(visibilityBox);
    bar->addWidget(saveButton);
    bar->addWidget(loadButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(view, 1);
    layout->addWidget(statusLabel);
    layout->addWidget(reportView);
    resize(640, 720);
    retranslate();

    worker = new features::Worker(&source);
    worker->moveToThread(&workerThread);
    connect(&workerThread, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &features::Worker::listed, this, &FeatureBrowser::showListed);
    connect(worker, &features::Worker::valuesRead, this, &FeatureBrowser::showReadings);
    connect(worker, &features::Worker::written, this, &FeatureBrowser::showWritten);
    connect(worker, &features::Worker::fileSaved, this, &FeatureBrowser::showSaved);
    connect(worker, &features::Worker::fileLoaded, this, &FeatureBrowser::showLoaded);
    connect(model, &FeatureTreeModel::writeRequested, worker, &features::Worker::writeValue);
    connect(model, &FeatureTreeModel::executeRequested, worker, &features::Worker::executeCommand);
    connect(model, &QAbstractItemModel::modelReset, this, &FeatureBrowser::placeCommandButtons);
    workerThread.start();

    connect(searchEdit, &QLineEdit::textChanged, this, &FeatureBrowser::applyFilter);
    connect(visibilityBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &FeatureBrowser::applyFilter);
    connect(saveButton, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, tr("保存相机属性"), QString(),
                                                          tr("相机属性文件 (*.txt)"));
        if (!path.isEmpty())
            saveToFile(path);
    });
    connect(loadButton, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, tr("载入相机属性"), QString(),
                                                          tr("相机属性文件 (*.txt);;所有文件 (*)"));
        if (!path.isEmpty())
            loadFromFile(path);
    });

    refreshTimer = new QTimer(this);
    refreshTimer->setInterval(refreshIntervalMs);
    connect(refreshTimer, &QTimer::timeout, this, &FeatureBrowser::refresh);
    refreshTimer->start();
    listPending = true;
    QMetaObject::invokeMethod(worker, &features::Worker::listFeatures, Qt::QueuedConnection);
}

FeatureBrowser::~FeatureBrowser()
{
    if (browsers().value(handle) == this)
        browsers().remove(handle);
    // The worker may be in a camera call; it ends before the source goes.
    workerThread.quit();
    workerThread.wait();
}

QString FeatureBrowser::statusText() const
{
    return statusLabel->text();
}

QString FeatureBrowser::reportText() const
{
    return reportView->isHidden() ? QString() : reportView->toPlainText();
}

void FeatureBrowser::retranslate()
{
    setWindowTitle(tr("相机属性 - %1").arg(cameraName));
    searchEdit->setPlaceholderText(tr("搜索属性"));
    visibilityLabel->setText(tr("级别:"));
    visibilityBox->setItemText(0, tr("初级"));
    visibilityBox->setItemText(1, tr("专家"));
    visibilityBox->setItemText(2, tr("大师"));
    saveButton->setText(tr("保存属性..."));
    loadButton->setText(tr("载入属性..."));
    placeCommandButtons();
    emit model->headerDataChanged(Qt::Horizontal, 0, 1);
}

void FeatureBrowser::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void FeatureBrowser::setStatus(const QString& text)
{
    statusLabel->setText(text);
}

void FeatureBrowser::applyFilter()
{
    model->setFilter(static_cast<features::Visibility>(qMax(0, visibilityBox->currentIndex())),
                     searchEdit->text());
    view->expandAll();
}

void FeatureBrowser::refresh()
{
    if (readPending || listPending)
        return;
    readPending = true;
    const QStringList names = model->shownNames();
    QMetaObject::invokeMethod(
        worker, [w = worker, names] { w->readValues(names); }, Qt::QueuedConnection);
}

void FeatureBrowser::showListed(const QVector<Feature>& list, int code)
{
    listPending = false;
    if (code != VEXO_SDK_OK) {
        cameraGone = true;
        setStatus(code == VEXO_SDK_INVALID_HANDLE ? tr("相机已关闭。")
                                                  : tr("相机已断开，属性暂不可用。"));
        return;
    }
    cameraGone = false;
    model->setFeatures(list);
    applyFilter();
    setStatus(tr("%1 个属性").arg(list.size()));
}

void FeatureBrowser::showReadings(const QVector<features::Reading>& readings)
{
    readPending = false;
    bool gone = !readings.isEmpty();
    bool closed = false;
    for (const features::Reading& r : readings) {
        if (r.code != VEXO_SDK_DETACHED && r.code != VEXO_SDK_INVALID_HANDLE)
            gone = false;
        closed = closed || r.code == VEXO_SDK_INVALID_HANDLE;
    }
    model->applyReadings(readings);
    placeCommandButtons();
    if (closed) {
        refreshTimer->stop();
        setStatus(tr("相机已关闭。"));
        return;
    }
    if (gone) {
        cameraGone = true;
        setStatus(tr("相机已断开，属性暂不可用。"));
        return;
    }
    if (cameraGone) {
        // The camera came back, maybe as another description: list it afresh.
        cameraGone = false;
        listPending = true;
        QMetaObject::invokeMethod(worker, &features::Worker::listFeatures, Qt::QueuedConnection);
        return;
    }
    if (!refusedName.isEmpty()) {
        const Feature* f = model->feature(refusedName);
        setStatus(tr("%1 未被接受：%2。相机现在的值：%3")
                      .arg(refusedName, refusedReason, f ? features::shownValue(*f) : QString()));
        refusedName.clear();
    }
}

void FeatureBrowser::showWritten(const QString& name, int code, const QString& reason)
{
    if (code == VEXO_SDK_OK) {
        setStatus(tr("%1 已写入。").arg(name));
        emit featuresWritten(handle);
        return;
    }
    // Reported with the value the camera holds once the reading after the write is in.
    refusedName = name;
    refusedReason = reason.isEmpty() ? tr("错误码 %1").arg(code) : reason;
}

void FeatureBrowser::saveToFile(const QString& path)
{
    setStatus(tr("正在保存..."));
    QMetaObject::invokeMethod(
        worker, [w = worker, path] { w->saveFile(path); }, Qt::QueuedConnection);
}

void FeatureBrowser::loadFromFile(const QString& path)
{
    setStatus(tr("正在载入..."));
    QMetaObject::invokeMethod(
        worker, [w = worker, path] { w->loadFile(path); }, Qt::QueuedConnection);
}

void FeatureBrowser::showSaved(const QString& path, int code, const QString& detail)
{
    if (code == VEXO_SDK_OK)
        setStatus(tr("相机属性已保存到 %1").arg(path));
    else
        setStatus(tr("相机属性未能保存到 %1：%2")
                      .arg(path, detail.isEmpty() ? tr("错误码 %1").arg(code) : detail));
}

void FeatureBrowser::showLoaded(const QString& path, const features::LoadReport& report,
                                const QString& error)
{
    reportView->clear();
    reportView->hide();
    if (!error.isEmpty()) {
        setStatus(tr("无法读取 %1：%2").arg(path, error));
        return;
    }
    if (report.wrongModel) {
        setStatus(report.fileModel.isEmpty()
                      ? tr("%1 不是相机属性文件（没有型号行）：未做任何更改。").arg(path)
                      : tr("文件属于型号 %1，此相机是 %2：未做任何更改。")
                            .arg(report.fileModel, report.cameraModel));
        return;
    }
    setStatus(tr("已载入 %1：应用 %2 项，拒绝 %3 项。")
                  .arg(path)
                  .arg(report.applied)
                  .arg(report.refused.size() + report.malformed.size()));
    QStringList lines;
    for (const QString& line : report.malformed)
        lines << tr("第 %1 行不是“名称=值”").arg(line);
    for (const features::Refusal& r : report.refused)
        lines << tr("第 %1 行 %2=%3：%4").arg(r.lineNumber).arg(r.name, r.value, r.reason);
    if (!lines.isEmpty()) {
        reportView->setPlainText(lines.join(QLatin1Char('\n')));
        reportView->show();
    }
    if (report.applied > 0)
        emit featuresWritten(handle);
}

void FeatureBrowser::placeCommandButtons()
{
    for (const QString& name : model->shownNames()) {
        const Feature* f = model->feature(name);
        if (!f || f->type != Type::Command)
            continue;
        const QModelIndex index = model->indexOf(name, FeatureTreeModel::ValueColumn);
        auto* button = qobject_cast<QPushButton*>(view->indexWidget(index));
        if (!button) {
            button = new QPushButton(view);
            connect(button, &QPushButton::clicked, this, [this, name] {
                QMetaObject::invokeMethod(
                    worker, [w = worker, name] { w->executeCommand(name); }, Qt::QueuedConnection);
            });
            view->setIndexWidget(index, button);
        }
        button->setText(tr("执行"));
        button->setToolTip(model->toolTip(*f));
        button->setEnabled(f->access == Access::ReadWrite);
    }
}
