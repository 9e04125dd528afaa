#include "articlegroupcsv.h"

#include <QFile>
#include <QHash>
#include <QTextCodec>
#include <QVariantMap>

namespace {

// One record of the file: its fields and where it starts.
struct Record
{
    int line = 0;
    QStringList fields;
    bool unterminatedQuote = false;
};

// The separator the header line (up to its first line end outside quotes)
// uses more; ";" when it uses neither.
QChar detectSeparator(const QString &text)
{
    int semicolons = 0;
    int commas = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            break;
        else if (c == QLatin1Char(';'))
            ++semicolons;
        else if (c == QLatin1Char(','))
            ++commas;
    }
    return commas > semicolons ? QLatin1Char(',') : QLatin1Char(';');
}

// Splits the text into records. Quoted fields may hold separators, line ends
// and doubled quotes; blanks around a field are dropped, blanks inside quotes
// kept; text after a closing quote is taken as it stands.
QVector<Record> splitRecords(const QString &text, QChar separator)
{
    QVector<Record> records;
    Record record;
    record.line = 1;
    QString field;
    bool quoted = false; // inside quotes
    bool wasQuoted = false; // the field started with a quote
    int line = 1;

    auto endField = [&]() {
        record.fields.append(wasQuoted ? field : field.trimmed());
        field.clear();
        wasQuoted = false;
    };
    auto endRecord = [&]() {
        endField();
        // a line without anything on it, or only separators (as spreadsheets
        // write empty rows), is no record
        bool empty = !record.unterminatedQuote;
        for (const QString &value : qAsConst(record.fields))
            empty = empty && value.isEmpty();
        if (!empty)
            records.append(record);
        record = Record();
        record.line = line;
    };

    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < size && text.at(i + 1) == QLatin1Char('"')) {
                    field.append(c);
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field.append(c);
            }
            continue;
        }
        if (c == QLatin1Char('"') && !wasQuoted && field.trimmed().isEmpty()) {
            quoted = true;
            wasQuoted = true;
            field.clear();
        } else if (c == separator) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            ++line;
            endRecord();
        } else if (wasQuoted && c.isSpace()) {
            // blanks between the closing quote and the separator
        } else {
            field.append(c);
        }
    }
    if (quoted)
        record.unterminatedQuote = true;
    if (quoted || !field.isEmpty() || wasQuoted || !record.fields.isEmpty())
        endRecord();
    return records;
}

bool isWholeNumber(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// "8 Felder, die Kopfzeile hat 10"
QString fieldCount(int fields, int headerFields)
{
    return (fields == 1 ? ArticleGroupCsv::tr("1 Feld, die Kopfzeile hat %1").arg(headerFields)
                        : ArticleGroupCsv::tr("%1 Felder, die Kopfzeile hat %2").arg(fields).arg(headerFields));
}

} // namespace

ArticleGroupCsv::ArticleGroupCsv(QObject *parent) : QObject(parent)
{
}

QStringList ArticleGroupCsv::columns()
{
    return {QStringLiteral("articlename"), QStringLiteral("articleno"), QStringLiteral("typ"), QStringLiteral("farbe"),
        QStringLiteral("size"), QStringLiteral("quantity"), QStringLiteral("storage_location"),
        QStringLiteral("category"), QStringLiteral("customer_id")};
}

QStringList ArticleGroupCsv::checkGroup(const QString &articlename, const QString &quantityText, int *quantity)
{
    QStringList problems;
    if (articlename.trimmed().isEmpty())
        problems.append(tr("Artikelname fehlt"));
    return problems + checkQuantity(quantityText, quantity);
}

QStringList ArticleGroupCsv::checkQuantity(const QString &quantityText, int *quantity)
{
    QStringList problems;
    int number = 0;
    if (quantityText.isEmpty()) {
        problems.append(tr("Menge fehlt"));
    } else if (!isWholeNumber(quantityText)) {
        problems.append(tr("Menge \"%1\" ist keine ganze Zahl").arg(quantityText));
    } else {
        bool ok = false;
        number = quantityText.toInt(&ok);
        if (!ok || number > maximumQuantity) {
            problems.append(tr("Menge über %1").arg(maximumQuantity));
            number = 0;
        } else if (number < 1) {
            problems.append(tr("Menge muss mindestens 1 sein"));
        }
    }
    if (quantity)
        *quantity = number;
    return problems;
}

bool ArticleGroupCsv::fail(const QString &error)
{
    m_rows.clear();
    m_ignoredColumns.clear();
    m_separator.clear();
    m_error = error;
    Q_EMIT loaded();
    return false;
}

bool ArticleGroupCsv::load(const QUrl &file)
{
    if (!file.isLocalFile())
        return fail(tr("Nur lokale Dateien können importiert werden"));
    QFile in(file.toLocalFile());
    if (!in.open(QIODevice::ReadOnly))
        return fail(tr("Die Datei kann nicht gelesen werden: %1").arg(in.errorString()));
    if (in.size() > maximumFileSize)
        return fail(tr("Die Datei ist größer als %1 MB").arg(maximumFileSize / (1024 * 1024)));
    // read at most one byte more than allowed: a file that grows meanwhile is refused too
    const QByteArray data = in.read(maximumFileSize + 1);
    if (data.size() > maximumFileSize)
        return fail(tr("Die Datei ist größer als %1 MB").arg(maximumFileSize / (1024 * 1024)));
    return parse(data);
}

bool ArticleGroupCsv::parse(const QByteArray &data)
{
    QTextCodec::ConverterState state;
    QString text = QTextCodec::codecForName("UTF-8")->toUnicode(data.constData(), data.size(), &state);
    if (state.invalidChars > 0)
        return fail(tr("Die Datei ist nicht in UTF-8 geschrieben"));
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    if (text.trimmed().isEmpty())
        return fail(tr("Die Datei ist leer"));

    const QChar separator = detectSeparator(text);
    const QVector<Record> records = splitRecords(text, separator);
    if (records.isEmpty())
        return fail(tr("Die Datei ist leer"));

    // the header: which field each column holds
    const QStringList known = columns();
    const Record &header = records.first();
    QHash<QString, int> columnOf;
    QStringList ignored;
    for (int i = 0; i < header.fields.size(); ++i) {
        const QString name = header.fields.at(i).trimmed().toLower();
        if (!known.contains(name)) {
            if (!name.isEmpty())
                ignored.append(header.fields.at(i).trimmed());
            continue;
        }
        if (columnOf.contains(name))
            return fail(tr("Die Spalte \"%1\" steht zweimal in der Kopfzeile").arg(name));
        columnOf.insert(name, i);
    }
    for (const QString &required : {QStringLiteral("articlename"), QStringLiteral("quantity")}) {
        if (!columnOf.contains(required))
            return fail(tr("Die Kopfzeile nennt keine Spalte \"%1\"").arg(required));
    }

    // the header's fields up to its last name: a spreadsheet's trailing
    // empty columns may be left out of a row
    int namedColumns = header.fields.size();
    while (namedColumns > 0 && header.fields.at(namedColumns - 1).trimmed().isEmpty())
        --namedColumns;

    QVariantList rows;
    for (int r = 1; r < records.size(); ++r) {
        const Record &record = records.at(r);
        QVariantMap row;
        QStringList problems;
        row.insert(QStringLiteral("line"), record.line);
        for (const QString &name : known) {
            const int column = columnOf.value(name, -1);
            row.insert(name, column >= 0 && column < record.fields.size() ? record.fields.at(column) : QString());
        }
        if (record.unterminatedQuote)
            problems.append(tr("Anführungszeichen nicht geschlossen"));
        // a row cut short would put its values under the wrong columns' names,
        // as one with too many does; an open quote has said so already
        if (!record.unterminatedQuote
            && (record.fields.size() > header.fields.size() || record.fields.size() < namedColumns))
            problems.append(fieldCount(record.fields.size(), header.fields.size()));
        const QString quantityText = row.value(QStringLiteral("quantity")).toString();
        int quantity = 0;
        problems.append(checkGroup(row.value(QStringLiteral("articlename")).toString(), quantityText, &quantity));
        row.insert(QStringLiteral("quantity"), quantity);
        row.insert(QStringLiteral("quantityText"), quantityText);

        // the customer's id as the backend writes it ("042" is customer 42)
        const QString customer = row.value(QStringLiteral("customer_id")).toString();
        if (!customer.isEmpty()) {
            bool ok = false;
            const qlonglong id = isWholeNumber(customer) ? customer.toLongLong(&ok) : 0;
            if (!ok || id < 1)
                problems.append(tr("Kundennummer \"%1\" ist keine Zahl über 0").arg(customer));
            else
                row.insert(QStringLiteral("customer_id"), QString::number(id));
        }

        row.insert(QStringLiteral("problems"), problems);
        rows.append(row);
    }

    m_rows = rows;
    m_ignoredColumns = ignored;
    m_separator = separator;
    m_error.clear();
    Q_EMIT loaded();
    return true;
}
