#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVector>

// A grid of strings whose first row is a header row with the columns of an
// order's positions table. Views read each cell through two roles: its text
// ("tabledata") and whether it belongs to the header row ("heading").
// Registered for the documents as TableModel 0.1; read-only for views.
class TableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role {
        TableDataRole = Qt::UserRole + 1,
        HeadingRole = Qt::UserRole + 2,
    };

    explicit TableModel(QObject *parent = nullptr);
    ~TableModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Appends one data row; the six texts fill the columns in header order, unchanged.
    void appendData(QString pos, QString text, QString direction, QString weight, QString service, QString netPrice);

private:
    QVector<QVector<QString>> rows;
};
