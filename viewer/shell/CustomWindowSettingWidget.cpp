#include "CustomWindowSettingWidget.h"

#include <QEvent>
#include <QInputDialog>
#include <QLabel>
#include <QListWidgetItem>
#include <QPainter>

#include "CustomLayoutLogic.h"
#include "SettingsStore.h"
#include "SuiteMessages.h"
#include "ui_CustomWindowSettingWidget.h"

using namespace customlayout;

namespace {

const char kCheckProperty[] = "ischeck";
constexpr int kCellLogoSize = 64;

// The logo drawn faintly (alpha 0x19) so a cell reads as an empty window.
QPixmap faintLogo()
{
    const QPixmap source(QStringLiteral(":/images/ICO/logomin.png"));
    if (source.isNull())
        return QPixmap();
    const QPixmap scaled =
        source.scaled(kCellLogoSize, kCellLogoSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap result(scaled.size());
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawPixmap(0, 0, scaled);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.fillRect(result.rect(), QColor(0, 0, 0, 0x19));
    painter.end();
    return result;
}

int gridSizeForIndex(int index)
{
    return index == 1 ? 3 : 2;
}

}  // namespace

CustomWindowSettingWidget::CustomWindowSettingWidget(const QList<SceneFrameLayout>& layouts, QWidget* parent)
    : QDialog(parent), ui(new Ui::CustomWindowSettingWidget), cellPixmap(faintLogo())
{
    ui->setupUi(this);
    ui->pushButton_merge->setEnabled(false);

    // Filled silently: nothing is selected and no grid is shown until the user picks one.
    const QSignalBlocker blocker(ui->listWidget);
    for (const SceneFrameLayout& layout : layouts)
        addLayoutItem(sanitizedLayout(layout));
}

CustomWindowSettingWidget::~CustomWindowSettingWidget()
{
    currentLayout = nullptr;
    clearCells();
    ui->listWidget->blockSignals(true);
    for (int i = 0; i < ui->listWidget->count(); ++i)
        delete layoutOf(ui->listWidget->item(i));
    ui->listWidget->clear();
    delete ui;
}

QListWidgetItem* CustomWindowSettingWidget::addLayoutItem(const SceneFrameLayout& layout)
{
    auto* item = new QListWidgetItem(QIcon(QStringLiteral(":/images/ICO/CustomScreen.png")), layout.name);
    item->setSizeHint(QSize(100, 100));
    item->setToolTip(layout.name);
    item->setData(Qt::UserRole, QVariant::fromValue<void*>(new SceneFrameLayout(layout)));
    ui->listWidget->addItem(item);
    return item;
}

SceneFrameLayout* CustomWindowSettingWidget::layoutOf(const QListWidgetItem* item)
{
    return item ? static_cast<SceneFrameLayout*>(item->data(Qt::UserRole).value<void*>()) : nullptr;
}

QList<QLabel*> CustomWindowSettingWidget::checkedLabels() const
{
    QList<QLabel*> labels;
    for (QLabel* label : cellMap)
        if (label->property(kCheckProperty).toBool())
            labels << label;
    return labels;
}

void CustomWindowSettingWidget::on_pushButton_addFram_clicked()
{
    QStringList names;
    for (int i = 0; i < ui->listWidget->count(); ++i)
        names << ui->listWidget->item(i)->text();

    bool accepted = false;
    const QString name = QInputDialog::getText(nullptr, tr("自定义画面分割"), tr("画面分割名称"), QLineEdit::Normal,
                                               QStringLiteral("name"), &accepted);
    if (!accepted)
        return;
    if (!isAcceptableLayoutName(name, names)) {
        suite::showMessage(QMessageBox::Critical, this, tr("提示"), tr("创建失败，请检查名称是否重复或者为空"),
                           tr("确定"));
        return;
    }
    SceneFrameLayout layout;
    layout.name = name;
    ui->listWidget->setCurrentItem(addLayoutItem(layout));
}

void CustomWindowSettingWidget::on_pushButton_deleteFram_clicked()
{
    // The layout being deleted is not written back.
    currentLayout = nullptr;
    const QList<QListWidgetItem*> selected = ui->listWidget->selectedItems();
    for (QListWidgetItem* item : selected) {
        SceneFrameLayout* layout = layoutOf(item);
        delete ui->listWidget->takeItem(ui->listWidget->row(item));
        delete layout;
    }
    // Normally the selection change has cleared the grid already (or shown the next
    // layout); make sure no cell of the deleted layout stays behind.
    if (!currentLayout) {
        clearCells();
        updateMergeButton();
    }
}

void CustomWindowSettingWidget::on_listWidget_itemSelectionChanged()
{
    writeCellsBack();
    clearCells();
    currentLayout = nullptr;

    const QList<QListWidgetItem*> selected = ui->listWidget->selectedItems();
    SceneFrameLayout* layout = selected.isEmpty() ? nullptr : layoutOf(selected.first());
    if (!layout) {
        updateMergeButton();
        return;
    }
    currentLayout = layout;
    if (layout->rows == 0 && layout->columns == 0) {
        const int size = gridSizeForIndex(ui->comboBox_framdivision->currentIndex());
        layout->rows = size;
        layout->columns = size;
        layout->rectangles = defaultRectangles(size, size);
    } else {
        syncDivisionBox(*layout);
    }
    buildCells(*layout);
}

void CustomWindowSettingWidget::on_comboBox_framdivision_currentIndexChanged(int index)
{
    if (!currentLayout || index < 0)
        return;
    const int size = gridSizeForIndex(index);
    currentLayout->rows = size;
    currentLayout->columns = size;
    currentLayout->rectangles = defaultRectangles(size, size);
    buildCells(*currentLayout);
}

void CustomWindowSettingWidget::on_pushButton_merge_clicked()
{
    const QList<QLabel*> checked = checkedLabels();
    if (checked.isEmpty())
        return;
    CellSet cells;
    for (QLabel* label : checked) {
        GridRect rect;
        if (parseRectangle(cellMap.key(label), rect)) {
            const CellSet covered = cellsOf(rect);
            cells.insert(covered.begin(), covered.end());
        }
    }
    // The button is only enabled for a filled rectangle; merging anything else would
    // put windows on top of each other.
    if (!isFilledRectangle(cells)) {
        updateMergeButton();
        return;
    }
    for (QLabel* label : checked) {
        cellMap.remove(cellMap.key(label));
        ui->gridLayout_fram->removeWidget(label);
        delete label;
    }
    addCell(rectangleText(boundingBox(cells)));
    ui->pushButton_merge->setEnabled(false);
}

void CustomWindowSettingWidget::on_pushButton_division_clicked()
{
    const QList<QLabel*> checked = checkedLabels();
    for (QLabel* label : checked) {
        const QString text = cellMap.key(label);
        cellMap.remove(text);
        ui->gridLayout_fram->removeWidget(label);
        delete label;
        GridRect rect;
        if (parseRectangle(text, rect))
            for (const QString& cell : splitRectangle(rect))
                addCell(cell);
    }
    updateMergeButton();
}

void CustomWindowSettingWidget::on_pushButton_save_clicked()
{
    writeCellsBack();
    QList<SceneFrameLayout> layouts;
    for (int i = 0; i < ui->listWidget->count(); ++i)
        if (const SceneFrameLayout* layout = layoutOf(ui->listWidget->item(i)))
            layouts << *layout;
    settingsStore()->saveCustomLayouts(layouts);
    settingsStore()->sync();
    accept();
}

bool CustomWindowSettingWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        auto* label = qobject_cast<QLabel*>(watched);
        if (label && !cellMap.key(label).isEmpty()) {
            const bool checked = !label->property(kCheckProperty).toBool();
            label->setProperty(kCheckProperty, checked);
            label->setStyleSheet(checked ? QStringLiteral("border: 1px solid red;")
                                         : QStringLiteral("border: 1px solid black;"));
            updateMergeButton();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CustomWindowSettingWidget::writeCellsBack()
{
    if (currentLayout)
        currentLayout->rectangles = cellMap.keys();
}

void CustomWindowSettingWidget::clearCells()
{
    for (QLabel* label : qAsConst(cellMap))
        delete label;
    cellMap.clear();
    while (QLayoutItem* item = ui->gridLayout_fram->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

void CustomWindowSettingWidget::buildCells(const SceneFrameLayout& layout)
{
    clearCells();
    for (int i = 0; i < kMaxGridSize; ++i) {
        ui->gridLayout_fram->setRowStretch(i, 0);
        ui->gridLayout_fram->setColumnStretch(i, 0);
    }
    for (int r = 0; r < layout.rows && r < kMaxGridSize; ++r)
        ui->gridLayout_fram->setRowStretch(r, 1);
    for (int c = 0; c < layout.columns && c < kMaxGridSize; ++c)
        ui->gridLayout_fram->setColumnStretch(c, 1);
    for (const QString& rectangle : layout.rectangles)
        addCell(rectangle);
    updateMergeButton();
}

void CustomWindowSettingWidget::addCell(const QString& rectangle)
{
    GridRect rect;
    if (!parseRectangle(rectangle, rect) || rect.rowSpan < 1 || rect.columnSpan < 1)
        return;
    const QString key = rectangleText(rect);
    if (cellMap.contains(key))
        return;
    auto* label = new QLabel(ui->widget_fram);
    label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    label->setFrameShape(QFrame::Box);
    label->setAlignment(Qt::AlignCenter);
    label->setPixmap(cellPixmap);
    label->setMinimumSize(40, 40);
    label->installEventFilter(this);
    label->setProperty(kCheckProperty, false);
    ui->gridLayout_fram->addWidget(label, rect.row, rect.column, rect.rowSpan, rect.columnSpan);
    cellMap.insert(key, label);
}

void CustomWindowSettingWidget::updateMergeButton()
{
    CellSet cells;
    for (QLabel* label : checkedLabels()) {
        GridRect rect;
        if (parseRectangle(cellMap.key(label), rect)) {
            const CellSet covered = cellsOf(rect);
            cells.insert(covered.begin(), covered.end());
        }
    }
    ui->pushButton_merge->setEnabled(isFilledRectangle(cells));
}

void CustomWindowSettingWidget::syncDivisionBox(const SceneFrameLayout& layout)
{
    if (layout.rows != layout.columns || (layout.rows != 2 && layout.rows != 3))
        return;
    const QSignalBlocker blocker(ui->comboBox_framdivision);
    ui->comboBox_framdivision->setCurrentIndex(layout.rows == 3 ? 1 : 0);
}
