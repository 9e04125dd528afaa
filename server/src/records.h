// The JSON shape of every record the server hands out, and the SQL that
// reads it. Kept in one place so lists, single reads, searches, previews
// and documents all agree. Every select names its columns ("AS name") and
// every reader reads them by those names.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db.h"

namespace vx {

class Fields;

// Reads the current row of a statement into a record.
using RowReader = std::function<Json(const Stmt &)>;
// Every row of a prepared, bound statement, read into a JSON array.
Json collectRows(Stmt &s, const RowReader &read);

// ---------------------------------------------------------------- customers

const std::string &customerSelect(); // c = customers, cc = customer_commercial; append WHERE/ORDER BY
Json customerFromRow(const Stmt &s);
// PostgreSQL only: each customer's "id" and "version" (ending before its
// WHERE), and the customers (as customerSelect) whose ids are in ?1 (as
// "1,2,3"), each with its "version".
const std::string &customerVersionSelect();
const std::string &customersByIdList();
std::optional<Json> loadCustomer(Db &db, std::int64_t id);
bool customerExists(Db &db, std::int64_t id);

const std::string &commercialSelect(); // cc = customer_commercial
Json commercialFromRow(const Stmt &s, const std::string &prefix = "");
std::optional<Json> loadCommercial(Db &db, std::int64_t id);

// ---------------------------------------------------------------- orders and invoices

enum class FieldKind { Text, Int, Bool, Money, TaxId };
struct FieldDef
{
    const char *key;
    FieldKind kind;
};
// The order body keys in the order the client sends them ("customer_id"
// excluded); orders and invoices store them in columns of the same names.
const std::vector<FieldDef> &orderFields();
std::string orderColumnList(); // "datum, belegnummer, ..." for INSERT column lists
std::string placeholders(std::size_t n); // "?, ?, ..." n times
// INSERT of one order; binds customer_id, the order fields, created_at.
const std::string &orderInsert();

// Reads and checks an order body (also used for invoices). "customer_id"
// is read only when withCustomer; unknown tax rows and customers are 422.
struct OrderValues
{
    std::vector<Json> values; // aligned with orderFields()
    std::int64_t taxId = 0;
    std::int64_t customerId = 0;
};
OrderValues readOrderBody(Db &db, const Fields &f, bool withCustomer);
// The same in two steps, for a write that asks the database in one
// statement of its own: the body alone, then the 422 for a tax row or
// customer that the database does not know.
OrderValues readOrderFields(const Fields &f, bool withCustomer);
void refuseUnknownOrderRefs(const OrderValues &v, bool taxKnown, bool withCustomer, bool customerKnown);
// Binds values to ?first, ?first+1, ...
void bindOrderValues(Stmt &s, int first, const OrderValues &v);

const std::string &orderSelect(); // o = orders; append WHERE/ORDER BY
Json orderFromRow(const Stmt &s);
std::optional<Json> loadOrder(Db &db, std::int64_t id);

const std::string &invoiceSelect(); // i = invoices, d = documents
Json invoiceFromRow(const Stmt &s, const std::string &origin);
std::optional<Json> loadInvoice(Db &db, std::int64_t id, const std::string &origin);
std::string documentLink(const std::string &origin, const std::string &capability, const std::string &fileName);

// ---------------------------------------------------------------- warehouse

const std::string &articleGroupSelect(); // g = articlegroups, cat = categories
Json articleGroupFromRow(const Stmt &s, const std::string &prefix = "");
std::optional<Json> loadArticleGroup(Db &db, std::int64_t id);

const std::string &categorySelect(); // cat = categories
Json categoryFromRow(const Stmt &s);

const std::string &inventorySelect(); // a = articleinventory, g, cat as above
Json inventoryFromRow(const Stmt &s);
std::optional<Json> loadBooking(Db &db, std::int64_t id);

const std::string &deliveryOrderSelect(); // d = deliveryorders
Json deliveryOrderFromRow(const Stmt &s);
std::optional<Json> loadDeliveryOrder(Db &db, std::int64_t id);

const std::string &taxSelect(); // t = taxes
Json taxFromRow(const Stmt &s);

} // namespace vx
