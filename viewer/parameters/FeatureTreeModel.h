#pragma once
// The camera's features as a tree by category for the feature browser: column 0 the
// name, column 1 the value (editable where the camera lets one write it). The filter
// (visibility level, search text) decides which features and categories the tree holds;
// values come from the browser's worker and never change here on an edit: an edit asks
// for a write (writeRequested), and the value the camera then holds comes back as a
// reading.
#include <QAbstractItemModel>
#include <QHash>
#include <QVector>

#include "FeatureBrowserLogic.h"

class FeatureTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { NameColumn = 0, ValueColumn = 1 };
    static constexpr int NameRole = Qt::UserRole + 1;  // the feature's name; empty for categories

    explicit FeatureTreeModel(QObject* parent = nullptr);

    void setFeatures(const QVector<features::Feature>& list);
    void setFilter(features::Visibility level, const QString& search);
    // Readings of a code other than OK make their features not available (the camera is
    // gone, the feature vanished) until a later reading says otherwise.
    void applyReadings(const QVector<features::Reading>& readings);

    const QVector<features::Feature>& allFeatures() const { return featureList; }
    // The feature of a row, or null for a category.
    const features::Feature* featureAt(const QModelIndex& index) const;
    const features::Feature* feature(const QString& name) const;
    QModelIndex indexOf(const QString& name, int column = NameColumn) const;
    // Features the tree holds now, in tree order.
    QStringList shownNames() const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The tooltip of a feature: its description, name, type and range.
    QString toolTip(const features::Feature& feature) const;

signals:
    void writeRequested(const QString& name, const QString& value);
    void executeRequested(const QString& name);

private:
    struct Node {
        QString title;
        int feature = -1;  // index into featureList, -1 for a category
        int parent = -1;
        int row = 0;
        QVector<int> children;
    };
    void rebuild();
    int categoryNode(const QString& path);

    QVector<features::Feature> featureList;
    QHash<QString, int> byName;
    QVector<Node> nodes;                // nodes[0] is the invisible root
    QHash<QString, int> categoryNodes;  // category path -> node
    QHash<int, int> nodeOfFeature;      // feature index -> node
    features::Visibility level = features::Visibility::Beginner;
    QString search;
};
