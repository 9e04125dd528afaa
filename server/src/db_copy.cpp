#include "db_copy.h"

#include <vector>

namespace vx {

namespace {

// In the order the references between them allow. The search tables and
// the deletion counts are the target's own, kept by its triggers; the
// schema version and the demo data's taxes come with its schema.
const std::vector<const char *> kTables = {"meta", "users", "tokens", "customer_commercial", "customers", "taxes",
    "orders", "documents", "invoices", "billings", "billing_orders", "categories", "articlegroups", "deliveryorders",
    "articleinventory"};

// Columns kept as bytes.
bool isBlobColumn(const std::string &table, const std::string &column)
{
    return (table == "users" && (column == "salt" || column == "password_hash"))
        || (table == "deliveryorders" && column == "note_pdf");
}

std::int64_t count(Db &db, const std::string &table)
{
    auto s = db.prepare("SELECT count(*) FROM " + std::string(table));
    s.step();
    return s.getInt(0);
}

} // namespace

CopyResult copyDatabase(Db &from, Db &to)
{
    if (to.engine() != Engine::Postgres)
        throw DbError("the target of a copy is a PostgreSQL database");
    CopyResult result;
    ReadTransaction snapshot(from);
    Transaction tx(to);
    for (const char *table : {"users", "customers", "orders", "invoices", "articlegroups", "deliveryorders"})
        if (count(to, table) > 0)
            throw DbError(
                std::string("the PostgreSQL database already holds ") + table + "; copy into a new, empty database");
    // The target's own start marks and default taxes give way to the
    // source's.
    to.exec("DELETE FROM meta");
    to.exec("DELETE FROM taxes");
    for (const char *table : kTables) {
        auto rows = from.prepare(std::string("SELECT * FROM ") + table);
        std::string insert;
        std::vector<bool> blob;
        while (rows.step()) {
            if (insert.empty()) {
                std::string columns, marks;
                for (int i = 0; i < rows.columnCount(); ++i) {
                    columns += (i ? ", " : "") + rows.columnName(i);
                    marks += i ? ", ?" : "?";
                    blob.push_back(isBlobColumn(table, rows.columnName(i)));
                }
                // OVERRIDING: the ids stay what they were.
                insert = std::string("INSERT INTO ") + table + "(" + columns + ") OVERRIDING SYSTEM VALUE VALUES ("
                    + marks + ")";
            }
            auto s = to.prepare(insert);
            for (int i = 0; i < rows.columnCount(); ++i) {
                if (rows.isNull(i))
                    s.bindNull(i + 1);
                else if (blob[static_cast<std::size_t>(i)])
                    s.bindBlob(i + 1, rows.getBlob(i));
                else
                    s.bindJson(i + 1, rows.getJson(i));
            }
            s.run();
            ++result.rows;
        }
        ++result.tables;
        // New rows continue after the copied ids.
        const std::string name = table;
        if (name != "meta" && name != "tokens" && name != "billing_orders")
            to.exec("SELECT setval(pg_get_serial_sequence('" + name + "', 'id'), (SELECT COALESCE(max(id), 0) + 1 FROM "
                + name + "), false)");
    }
    // Page boundaries are read again from the copied rows.
    to.exec("UPDATE list_deletions SET deletions = deletions + 1");
    tx.commit();
    // What autovacuum would do some time later (seed.cpp).
    to.exec("VACUUM ANALYZE");
    return result;
}

} // namespace vx
