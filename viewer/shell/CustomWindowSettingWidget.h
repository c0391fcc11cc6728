#pragma once
#include <QDialog>
#include <QList>
#include <QMap>
#include <QPixmap>
#include <QString>

#include "SceneFrameLayout.h"

class QLabel;
class QListWidgetItem;

namespace Ui {
class CustomWindowSettingWidget;
}

// Modal editor of the custom window layouts. Each list item holds its own heap copy of
// a layout; the selected one is drawn as a grid of cell labels that the user checks,
// merges and splits. Save writes every layout to the settings and accepts the dialog;
// nothing reaches the settings before that.
class CustomWindowSettingWidget : public QDialog {
    Q_OBJECT
public:
    CustomWindowSettingWidget(const QList<SceneFrameLayout>& layouts, QWidget* parent = nullptr);
    ~CustomWindowSettingWidget() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void on_pushButton_addFram_clicked();
    void on_pushButton_deleteFram_clicked();
    void on_listWidget_itemSelectionChanged();
    void on_comboBox_framdivision_currentIndexChanged(int index);
    void on_pushButton_merge_clicked();
    void on_pushButton_division_clicked();
    void on_pushButton_save_clicked();

private:
    QListWidgetItem* addLayoutItem(const SceneFrameLayout& layout);
    static SceneFrameLayout* layoutOf(const QListWidgetItem* item);
    QList<QLabel*> checkedLabels() const;

    void writeCellsBack();
    void clearCells();
    void buildCells(const SceneFrameLayout& layout);
    void addCell(const QString& rectangle);
    void updateMergeButton();
    void syncDivisionBox(const SceneFrameLayout& layout);

    Ui::CustomWindowSettingWidget* ui;
    QPixmap cellPixmap;
    SceneFrameLayout* currentLayout = nullptr;
    // Rectangle text -> the label showing it; the map order is the window order.
    QMap<QString, QLabel*> cellMap;
};
