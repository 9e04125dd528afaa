#include "tablemodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

// The positions grid: header row, its two roles, and rows appended by native code.
class TestTableModel : public QObject
{
    Q_OBJECT

private:
    static QVariant cell(const TableModel &model, int row, int column, int role)
    {
        return model.data(model.index(row, column), role);
    }

private Q_SLOTS:
    void startsWithTheHeaderRow()
    {
        TableModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.columnCount(), 6);
        const QStringList header {"Pos", "Text", "Richtung", "Gewicht", "Service", "Nettopreis"};
        for (int column = 0; column < 6; ++column) {
            QCOMPARE(cell(model, 0, column, TableModel::TableDataRole), QVariant(header.at(column)));
            QCOMPARE(cell(model, 0, column, TableModel::HeadingRole), QVariant(true));
        }
    }

    void offersExactlyTwoRoles()
    {
        TableModel model;
        const QHash<int, QByteArray> names = model.roleNames();
        QCOMPARE(names.size(), 2);
        QCOMPARE(names.value(TableModel::TableDataRole), QByteArray("tabledata"));
        QCOMPARE(names.value(TableModel::HeadingRole), QByteArray("heading"));

        // a delegate asking for "display" or anything else gets nothing
        QVERIFY(!cell(model, 0, 0, Qt::DisplayRole).isValid());
        QVERIFY(!cell(model, 0, 0, Qt::EditRole).isValid());
        QVERIFY(!cell(model, 0, 0, Qt::UserRole).isValid());
        QVERIFY(!cell(model, 0, 0, Qt::UserRole + 3).isValid());
    }

    void appendDataAddsOneDataRow()
    {
        TableModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

        model.appendData("1", "x", "y", "z", "w", "9");

        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.at(0).at(1).toInt(), 1);
        QCOMPARE(inserted.at(0).at(2).toInt(), 1);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.columnCount(), 6);
        const QStringList expected {"1", "x", "y", "z", "w", "9"};
        for (int column = 0; column < 6; ++column) {
            QCOMPARE(cell(model, 1, column, TableModel::TableDataRole), QVariant(expected.at(column)));
            QCOMPARE(cell(model, 1, column, TableModel::HeadingRole), QVariant(false));
        }
    }

    void cellsOutsideTheGridAreInvalid()
    {
        // a model that hands out indexes for cells that do not exist, as a
        // view that believes the table is bigger would ask for them
        struct Probe : TableModel
        {
            QModelIndex anyIndex(int row, int column) const { return createIndex(row, column); }
        } model;
        model.appendData("1", "x", "y", "z", "w", "9");
        for (int role : {TableModel::TableDataRole, TableModel::HeadingRole}) {
            QVERIFY(!model.data(QModelIndex(), role).isValid());
            QVERIFY(!model.data(model.anyIndex(2, 0), role).isValid());
            QVERIFY(!model.data(model.anyIndex(0, 6), role).isValid());
            QVERIFY(!model.data(model.anyIndex(-1, 0), role).isValid());
            QVERIFY(!model.data(model.anyIndex(1, -1), role).isValid());
        }
    }
};

QTEST_GUILESS_MAIN(TestTableModel)

#include "tst_tablemodel.moc"
