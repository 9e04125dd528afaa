#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantList>

// Reads a CSV file of article groups for the import view and checks each row
// on its own, before anything is sent to the backend. Registered as
// ArticleGroupCsv in ArticleGroupCsv 1.0.
//
// The layout (README.md shows a sample):
// - UTF-8, with or without a byte order mark; line ends LF or CR LF.
// - The first line names the columns with the article group field names:
//   articlename, articleno, typ, farbe, size, quantity, storage_location,
//   category (the category's name) and customer_id (the customer's id), in any
//   order, ignoring case. "articlename" and "quantity" must be there; a missing
//   other column leaves that field empty; unknown columns are ignored.
// - Fields are separated by ";" or ",": whichever the header line uses more.
// - A field in double quotes may hold the separator, line breaks and quotes
//   written twice (""). Blanks around a field are dropped, inside quotes kept.
// - Empty lines are skipped. A row with fewer fields than the header names,
//   or more than it has, is not imported.
//
// Each row becomes a map with "line" (the file line it starts on), the nine
// fields as text, "quantity" as a number as well ("quantityText" keeps what
// the file says) and "problems", the German reasons why the row cannot be
// imported (an empty list for a good row).
class ArticleGroupCsv : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList rows READ rows NOTIFY loaded)
    Q_PROPERTY(QString error READ error NOTIFY loaded)
    Q_PROPERTY(QStringList ignoredColumns READ ignoredColumns NOTIFY loaded)
    Q_PROPERTY(QString separator READ separator NOTIFY loaded)

public:
    // Files larger than this are refused unread.
    static constexpr qint64 maximumFileSize = 10 * 1024 * 1024;
    // The largest quantity a row may have, as in the capture form.
    static constexpr int maximumQuantity = 99999;

    explicit ArticleGroupCsv(QObject *parent = nullptr);

    // The column names a header may use, in the order the README lists them.
    static QStringList columns();

    // What keeps an article group out, by the one rule of the import and the
    // capture form: a name that is not blank, and a quantity that is a whole
    // number from 1 to maximumQuantity. German reasons, empty for a good group;
    // `quantity` receives the number (0 when there is none).
    static QStringList checkGroup(const QString &articlename, const QString &quantityText, int *quantity = nullptr);
    // The quantity's part of checkGroup().
    static QStringList checkQuantity(const QString &quantityText, int *quantity = nullptr);
    // checkGroup() for the documents.
    Q_INVOKABLE QStringList groupProblems(const QString &articlename, const QString &quantityText) const
    {
        return checkGroup(articlename, quantityText);
    }
    // checkQuantity() for the documents: a number of pieces booked follows it too.
    Q_INVOKABLE QStringList quantityProblems(const QString &quantityText) const { return checkQuantity(quantityText); }

    // Reads and checks a local file; false (and `error` set, no rows) when it
    // cannot be read or has no usable header.
    Q_INVOKABLE bool load(const QUrl &file);
    // Checks the bytes of a file as load() does.
    Q_INVOKABLE bool parse(const QByteArray &data);

    // The rows of the last load, in file order.
    QVariantList rows() const { return m_rows; }
    // Why the last load gave no rows at all; empty when it succeeded.
    QString error() const { return m_error; }
    // Header names of the last load that are no article group field.
    QStringList ignoredColumns() const { return m_ignoredColumns; }
    // The separator of the last load (";" or ","); empty after a failed one.
    QString separator() const { return m_separator; }

Q_SIGNALS:
    // A load or parse has finished, successful or not.
    void loaded();

private:
    bool fail(const QString &error);

    QVariantList m_rows;
    QString m_error;
    QStringList m_ignoredColumns;
    QString m_separator;
};
