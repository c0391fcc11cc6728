#include "FeatureTreeModel.h"

#include <QBrush>
#include <QPalette>

using features::Access;
using features::Feature;
using features::Type;

FeatureTreeModel::FeatureTreeModel(QObject* parent) : QAbstractItemModel(parent)
{
    rebuild();
}

void FeatureTreeModel::setFeatures(const QVector<Feature>& list)
{
    beginResetModel();
    featureList = list;
    byName.clear();
    for (int i = 0; i < featureList.size(); ++i)
        byName.insert(featureList[i].name, i);
    rebuild();
    endResetModel();
}

void FeatureTreeModel::setFilter(features::Visibility visibility, const QString& text)
{
    if (visibility == level && text == search)
        return;
    beginResetModel();
    level = visibility;
    search = text;
    rebuild();
    endResetModel();
}

int FeatureTreeModel::categoryNode(const QString& path)
{
    if (path.isEmpty())
        return 0;
    const auto found = categoryNodes.constFind(path);
    if (found != categoryNodes.constEnd())
        return *found;
    const int cut = path.lastIndexOf(QLatin1Char('/'));
    const int parentNode = categoryNode(cut < 0 ? QString() : path.left(cut));
    Node node;
    node.title = cut < 0 ? path : path.mid(cut + 1);
    node.parent = parentNode;
    node.row = nodes[parentNode].children.size();
    nodes.push_back(node);
    const int id = nodes.size() - 1;
    nodes[parentNode].children.push_back(id);
    categoryNodes.insert(path, id);
    return id;
}

void FeatureTreeModel::rebuild()
{
    nodes.clear();
    categoryNodes.clear();
    nodeOfFeature.clear();
    nodes.push_back(Node{});
    for (int i = 0; i < featureList.size(); ++i) {
        if (!features::passesFilter(featureList[i], level, search))
            continue;
        const int parentNode = categoryNode(featureList[i].category);
        Node node;
        node.feature = i;
        node.parent = parentNode;
        node.row = nodes[parentNode].children.size();
        nodes.push_back(node);
        const int id = nodes.size() - 1;
        nodes[parentNode].children.push_back(id);
        nodeOfFeature.insert(i, id);
    }
}

void FeatureTreeModel::applyReadings(const QVector<features::Reading>& readings)
{
    for (const features::Reading& r : readings) {
        const auto found = byName.constFind(r.name);
        if (found == byName.constEnd())
            continue;
        Feature& f = featureList[*found];
        const Access access = r.code == 0 ? r.access : Access::NotAvailable;
        const QString value = r.code == 0 ? r.value : f.value;
        if (access == f.access && value == f.value)
            continue;
        f.access = access;
        f.value = value;
        const auto node = nodeOfFeature.constFind(*found);
        if (node != nodeOfFeature.constEnd()) {
            const QModelIndex left = createIndex(nodes[*node].row, NameColumn, quintptr(*node));
            const QModelIndex right = createIndex(nodes[*node].row, ValueColumn, quintptr(*node));
            emit dataChanged(left, right);
        }
    }
}

const Feature* FeatureTreeModel::featureAt(const QModelIndex& index) const
{
    if (!index.isValid())
        return nullptr;
    const int id = static_cast<int>(index.internalId());
    if (id <= 0 || id >= nodes.size() || nodes[id].feature < 0)
        return nullptr;
    return &featureList[nodes[id].feature];
}

const Feature* FeatureTreeModel::feature(const QString& name) const
{
    const auto found = byName.constFind(name);
    return found == byName.constEnd() ? nullptr : &featureList[*found];
}

QModelIndex FeatureTreeModel::indexOf(const QString& name, int column) const
{
    const auto found = byName.constFind(name);
    if (found == byName.constEnd())
        return {};
    const auto node = nodeOfFeature.constFind(*found);
    if (node == nodeOfFeature.constEnd())
        return {};
    return createIndex(nodes[*node].row, column, quintptr(*node));
}

QStringList FeatureTreeModel::shownNames() const
{
    QStringList names;
    for (const Node& node : nodes)
        if (node.feature >= 0)
            names << featureList[node.feature].name;
    return names;
}

QModelIndex FeatureTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const int parentNode = parent.isValid() ? static_cast<int>(parent.internalId()) : 0;
    if (parentNode < 0 || parentNode >= nodes.size() || column < 0 || column > ValueColumn)
        return {};
    const QVector<int>& children = nodes[parentNode].children;
    if (row < 0 || row >= children.size())
        return {};
    return createIndex(row, column, quintptr(children[row]));
}

QModelIndex FeatureTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    const int id = static_cast<int>(child.internalId());
    if (id <= 0 || id >= nodes.size())
        return {};
    const int parentNode = nodes[id].parent;
    if (parentNode <= 0)
        return {};
    return createIndex(nodes[parentNode].row, NameColumn, quintptr(parentNode));
}

int FeatureTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != NameColumn)
        return 0;
    const int id = parent.isValid() ? static_cast<int>(parent.internalId()) : 0;
    return id >= 0 && id < nodes.size() ? nodes[id].children.size() : 0;
}

int FeatureTreeModel::columnCount(const QModelIndex&) const
{
    return 2;
}

QString FeatureTreeModel::toolTip(const Feature& f) const
{
    QStringList lines;
    if (!f.description.isEmpty())
        lines << f.description;
    lines << f.name;
    if (f.type == Type::Integer || f.type == Type::Float) {
        QString range = tr("范围 %1 .. %2").arg(f.minimum, 0, 'g', 12).arg(f.maximum, 0, 'g', 12);
        if (f.increment > 0)
            range += tr("，步长 %1").arg(f.increment, 0, 'g', 12);
        if (!f.unit.isEmpty())
            range += QStringLiteral(" (%1)").arg(f.unit);
        lines << range;
    }
    if (f.access == Access::ReadOnly)
        lines << tr("只读");
    else if (f.access == Access::NotAvailable)
        lines << tr("现在不可用");
    return lines.join(QLatin1Char('\n'));
}

QVariant FeatureTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int id = static_cast<int>(index.internalId());
    if (id <= 0 || id >= nodes.size())
        return {};
    const Node& node = nodes[id];
    if (node.feature < 0) {
        if (role == Qt::DisplayRole && index.column() == NameColumn)
            return node.title;
        return {};
    }
    const Feature& f = featureList[node.feature];
    switch (role) {
        case Qt::DisplayRole:
            if (index.column() == NameColumn)
                return f.displayName.isEmpty() ? f.name : f.displayName;
            if (f.type == Type::Command)
                return tr("执行");
            return features::shownValue(f);
        case Qt::EditRole:
            return index.column() == ValueColumn ? QVariant(f.value) : QVariant(f.name);
        case Qt::ToolTipRole:
            return toolTip(f);
        case NameRole:
            return f.name;
        default:
            return {};
    }
}

bool FeatureTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const Feature* f = featureAt(index);
    if (!f || role != Qt::EditRole || index.column() != ValueColumn ||
        f->access != Access::ReadWrite)
        return false;
    if (f->type == Type::Command) {
        emit executeRequested(f->name);
        return true;
    }
    const QString text = value.toString();
    if (text == f->value)
        return false;
    emit writeRequested(f->name, text);
    return true;
}

Qt::ItemFlags FeatureTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Feature* f = featureAt(index);
    if (!f)
        return Qt::ItemIsEnabled;
    // Read-only and unavailable features show greyed.
    if (f->access != Access::ReadWrite)
        return Qt::ItemIsSelectable;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == ValueColumn && f->type != Type::Command)
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant FeatureTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == NameColumn ? tr("名称") : tr("值");
}
