#include "tablemodel.h"

#include <QMessageLogger>

TableModel::TableModel(QObject *parent) : QAbstractTableModel(parent)
{
    rows.append({QStringLiteral("Pos"), QStringLiteral("Text"), QStringLiteral("Richtung"), QStringLiteral("Gewicht"),
        QStringLiteral("Service"), QStringLiteral("Nettopreis")});
}

TableModel::~TableModel() = default;

// A flat table: cells have no children, so tree-shaped views do not recurse.
int TableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows.size();
}

int TableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows.first().size();
}

QVariant TableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows.size() || index.column() >= rows.at(index.row()).size())
        return QVariant();
    if (role == HeadingRole)
        return index.row() == 0;
    if (role == TableDataRole)
        return rows.at(index.row()).at(index.column());
    return QVariant();
}

QHash<int, QByteArray> TableModel::roleNames() const
{
    QHash<int, QByteArray> names;
    names.insert(TableDataRole, "tabledata");
    names.insert(HeadingRole, "heading");
    return names;
}

void TableModel::appendData(
    QString pos, QString text, QString direction, QString weight, QString service, QString netPrice)
{
    QVector<QString> row {pos, text, direction, weight, service, netPrice};
    beginInsertRows(QModelIndex(), rows.size(), rows.size());
    rows.append(std::move(row));
    endInsertRows();
    // no file, line or function: the bare text
    QMessageLogger().debug("Data wird eingfefügt");
}
