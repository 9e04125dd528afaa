#include "billing.h"
#include "clock.h"
#include "options.h"
#include "records.h"
#include "routes.h"

namespace vx {

namespace {

Json requireOrder(Db &db, std::int64_t id)
{
    auto o = loadOrder(db, id);
    if (!o)
        fail(406, "no open order with id " + std::to_string(id));
    return *o;
}

Json requireInvoice(Ctx &c, std::int64_t id)
{
    auto i = loadInvoice(c.db(), id, c.origin());
    if (!i)
        fail(406, "no invoice with id " + std::to_string(id));
    return *i;
}

// Invoice links point at this server as the client addressed it.
RowReader invoiceReader(const Ctx &c)
{
    return [origin = c.origin()](const Stmt &s) { return invoiceFromRow(s, origin); };
}

// "datum = ?, belegnummer = ?, ..." over the order fields.
std::string orderAssignments()
{
    std::string out;
    for (const auto &f : orderFields()) {
        if (!out.empty())
            out += ", ";
        out += std::string(f.key) + " = ?";
    }
    return out;
}

const int kOrderFieldCount = static_cast<int>(orderFields().size());

// Orders are found by customer name, document number, reference, text and
// date; invoices also by their invoice number (search indexes: schema).
IndexedSearch recordSearch(const std::string &select, const char *idColumn, const char *table, const char *index)
{
    const std::string byCustomer = " UNION SELECT id FROM " + std::string(table)
        + " WHERE customer_id IN (SELECT rowid "
          "FROM customer_search WHERE ";
    const std::string i = index;
    return searchByIds(select, idColumn,
        "SELECT rowid FROM " + i + " WHERE " + i + " MATCH ?1" + byCustomer
            + "customer_search MATCH '{name} : ' || ?1)",
        "SELECT rowid FROM " + i + " WHERE " + trigramMatch("text") + " AND instr(text, ?1) > 0" + byCustomer
            + trigramMatch(kCustomerTrigramText) + " AND instr(name, ?1) > 0)",
        "SELECT rowid FROM " + i + " WHERE instr(text, ?1) > 0" + byCustomer + "instr(name, ?1) > 0)");
}

// ------------------------------------------------------------ orders

void listOrders(Ctx &c)
{
    replyPage(c, "orders", orderSelect(), "o.id", orderFromRow);
}

void getOrder(Ctx &c)
{
    c.reply(200, requireOrder(c.db(), c.id()));
}

// Writes check what they refer to (customer, tax row, the record itself)
// inside their transaction: a customer deleted or an order billed
// meanwhile is refused (422, 406), never a broken reference or a change of
// nothing reported as done.

// PostgreSQL: the checks, the insert and reading the new order back as one
// statement, sent with BEGIN, the lock and COMMIT: one round trip to the
// database instead of five. It inserts only where the tax row and the
// customer exist, and always yields one row that says whether they do.
// ?1 is the customer, then the order fields, then the time of creation.
const std::string &checkedOrderInsert()
{
    static const std::string sql = [] {
        std::string values = "?1";
        std::string tax;
        for (int i = 0; i <= kOrderFieldCount; ++i) {
            const std::string param = "?" + std::to_string(i + 2);
            values += ", " + param;
            if (i < kOrderFieldCount && orderFields()[static_cast<std::size_t>(i)].kind == FieldKind::TaxId)
                tax = "EXISTS (SELECT 1 FROM taxes WHERE id = " + param + ")";
        }
        const std::string customer = "EXISTS (SELECT 1 FROM customers WHERE id = ?1)";
        std::string select = orderSelect();
        const std::string from = "FROM orders o ";
        select.replace(select.find(from), from.size(), "FROM new_order o ");
        return "WITH new_order AS (INSERT INTO orders(customer_id, " + orderColumnList() + ", created_at) SELECT "
            + values + " WHERE " + tax + " AND " + customer + " RETURNING *) SELECT " + tax + " AS tax_known, "
            + customer + " AS customer_known, f.* FROM (SELECT 1) one LEFT JOIN (" + select + ") f ON true";
    }();
    return sql;
}

void createOrder(Ctx &c)
{
    const Json body = c.bodyObject();
    if (c.db().engine() == Engine::Postgres) {
        const OrderValues v = readOrderFields(Fields(body), true);
        Transaction tx(c.db(), WriteKind::Adding);
        auto s = c.db().prepare(checkedOrderInsert());
        s.bind(1, v.customerId);
        bindOrderValues(s, 2, v);
        s.bind(2 + kOrderFieldCount, nowIso());
        // Nothing after it undoes the insert; where a tax row or customer
        // is unknown, it inserted nothing.
        tx.commitWithNext();
        if (!s.step())
            throw DbError("the new order was not read back");
        refuseUnknownOrderRefs(v, s.getBool("tax_known"), true, s.getBool("customer_known"));
        const Json created = orderFromRow(s);
        tx.commit();
        c.reply(201, created);
        return;
    }
    Transaction tx(c.db(), WriteKind::Adding);
    const OrderValues v = readOrderBody(c.db(), Fields(body), true);
    auto s = c.db().prepare(orderInsert());
    s.bind(1, v.customerId);
    bindOrderValues(s, 2, v);
    s.bind(2 + kOrderFieldCount, nowIso());
    s.run();
    const Json created = requireOrder(c.db(), c.db().lastInsertId());
    tx.commit();
    c.reply(201, created);
}

// Each change raises the revision, which makes older checkout previews of
// this order unconfirmable.
void updateOrder(Ctx &c)
{
    const Json body = c.bodyObject();
    Transaction tx(c.db());
    requireOrder(c.db(), c.id());
    const OrderValues v = readOrderBody(c.db(), Fields(body), false);
    auto s = c.db().prepare("UPDATE orders SET " + orderAssignments() + ", revision = revision + 1 WHERE id = ?");
    bindOrderValues(s, 1, v);
    s.bind(1 + kOrderFieldCount, c.id());
    s.run();
    const Json updated = requireOrder(c.db(), c.id());
    tx.commit();
    c.reply(200, updated);
}

void deleteOrder(Ctx &c)
{
    Transaction tx(c.db());
    requireOrder(c.db(), c.id());
    c.db().prepare("DELETE FROM orders WHERE id = ?").bind(1, c.id()).run();
    tx.commit();
    replyDeleted(c, c.id());
}

void searchOrders(Ctx &c)
{
    static const IndexedSearch search = recordSearch(orderSelect(), "o.id", "orders", "order_search");
    replyIndexedSearch(c, "searchkey", search, orderFromRow);
}

void listTaxes(Ctx &c)
{
    auto s = c.db().prepare(taxSelect() + " ORDER BY t.position, t.id");
    replyRows(c, s, taxFromRow);
}

// ------------------------------------------------------------ checkout

void previewOneOrder(Ctx &c)
{
    c.reply(200, previewSingle(c.db(), c.id()));
}

void previewCustomerOrders(Ctx &c)
{
    c.reply(200, previewMultiple(c.db(), c.id(), c.app.options.maxCheckoutOrders));
}

void confirmCheckout(Ctx &c)
{
    c.reply(200, confirmPreview(c.db(), c.id(), c.origin()));
}

// ------------------------------------------------------------ invoices

void listInvoices(Ctx &c)
{
    replyPage(c, "invoices", invoiceSelect(), "i.id", invoiceReader(c));
}

void getInvoice(Ctx &c)
{
    c.reply(200, requireInvoice(c, c.id()));
}

// An invoice written directly (not through a checkout) gets a document of
// its own.
void createInvoice(Ctx &c)
{
    const Json body = c.bodyObject();
    Transaction tx(c.db());
    const OrderValues v = readOrderBody(c.db(), Fields(body), true);
    const DocumentRef doc = createDocument(c.db(), v.customerId);
    auto s = c.db().prepare("INSERT INTO invoices(document_id, customer_id, " + orderColumnList()
        + ", billed_at) VALUES (?, ?, " + placeholders(orderFields().size()) + ", ?)");
    s.bind(1, doc.id).bind(2, v.customerId);
    bindOrderValues(s, 3, v);
    s.bind(3 + kOrderFieldCount, nowIso());
    s.run();
    const Json created = requireInvoice(c, c.db().lastInsertId());
    tx.commit();
    c.reply(201, created);
}

void updateInvoice(Ctx &c)
{
    const Json body = c.bodyObject();
    Transaction tx(c.db());
    requireInvoice(c, c.id());
    const OrderValues v = readOrderBody(c.db(), Fields(body), false);
    auto s = c.db().prepare("UPDATE invoices SET " + orderAssignments() + " WHERE id = ?");
    bindOrderValues(s, 1, v);
    s.bind(1 + kOrderFieldCount, c.id());
    s.run();
    const Json updated = requireInvoice(c, c.id());
    tx.commit();
    c.reply(200, updated);
}

// Of two deletions of one invoice, one succeeds and the other is told the
// invoice is gone (406), as for any unknown invoice.
void deleteInvoice(Ctx &c)
{
    Transaction tx(c.db());
    std::int64_t docId = 0;
    {
        auto d = c.db().prepare("SELECT document_id FROM invoices WHERE id = ?");
        d.bind(1, c.id());
        if (!d.step())
            fail(406, "no invoice with id " + std::to_string(c.id()));
        docId = d.getInt("document_id");
    }
    c.db().prepare("DELETE FROM invoices WHERE id = ?").bind(1, c.id()).run();
    // A document without positions is withdrawn; its link stops working.
    auto left = c.db().prepare("SELECT count(*) FROM invoices WHERE document_id = ?");
    left.bind(1, docId);
    left.step();
    if (left.getInt(0) == 0) {
        c.db().prepare("UPDATE billings SET document_id = NULL WHERE document_id = ?").bind(1, docId).run();
        c.db().prepare("DELETE FROM documents WHERE id = ?").bind(1, docId).run();
    }
    tx.commit();
    replyDeleted(c, c.id());
}

void searchInvoices(Ctx &c)
{
    static const IndexedSearch search = recordSearch(invoiceSelect(), "i.id", "invoices", "invoice_search");
    replyIndexedSearch(c, "searchkey", search, invoiceReader(c));
}

} // namespace

void addOrderRoutes(Router &r)
{
    r.add("GET", "assignment", listOrders);
    r.add("GET", "assignment/{id}", getOrder);
    r.add("POST", "assignment", createOrder);
    r.add("PUT", "assignment/{id}", updateOrder);
    r.add("DELETE", "assignment/{id}", deleteOrder);
    r.add("POST", "assignment/search", searchOrders);
    r.add("GET", "taxes", listTaxes);

    r.add("GET", "assignment/checkout/single/{id}", previewOneOrder);
    r.add("GET", "assignment/checkout/multiple/{id}", previewCustomerOrders);
    r.add("POST", "assignment/checkout/confirm/{id}", confirmCheckout);

    r.add("GET", "invoice", listInvoices);
    r.add("GET", "invoice/{id}", getInvoice);
    r.add("POST", "invoice", createInvoice);
    r.add("PUT", "invoice/{id}", updateInvoice);
    r.add("DELETE", "invoice/{id}", deleteInvoice);
    r.add("POST", "invoice/search", searchInvoices);
}

} // namespace vx
