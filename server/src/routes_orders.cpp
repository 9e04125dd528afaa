#include "billing.h"
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

// "SET datum = ?, belegnummer = ?, ..." over the order fields.
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

std::string placeholders(std::size_t n)
{
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out += i ? ", ?" : "?";
    return out;
}

// Orders are found by customer name, document number, reference, text and
// date; invoices also by their invoice number.
const char *const kOrderHaystack =
    "c.surname || ' ' || c.lastname || char(31) || o.belegnummer || char(31) || o.referenz || char(31) || "
    "o.textbeschreibung || char(31) || o.datum";
const char *const kInvoiceHaystack =
    "c.surname || ' ' || c.lastname || char(31) || i.belegnummer || char(31) || i.referenz || char(31) || "
    "i.textbeschreibung || char(31) || i.datum || char(31) || IFNULL(d.invoice_no, '')";

std::string searchKey(Ctx &c)
{
    const Json body = c.bodyObject();
    return foldCase(Fields(body).text("searchkey"));
}

} // namespace

void addOrderRoutes(Router &r)
{
    // ------------------------------------------------------------ orders

    r.add("GET", "assignment", [](Ctx &c) {
        const auto page = c.page();
        auto count = c.db().prepare("SELECT count(*) FROM orders");
        count.step();
        const auto w = pageWindow(page, c.app.options.pageSize, count.getInt(0));
        auto s = c.db().prepare(orderSelect() + " ORDER BY o.id LIMIT ? OFFSET ?");
        s.bind(1, w.limit).bind(2, w.offset);
        Json list = Json::array();
        while (s.step())
            list.push_back(orderFromRow(s));
        c.reply(200, list);
    });

    r.add("GET", "assignment/{id}", [](Ctx &c) { c.reply(200, requireOrder(c.db(), c.id())); });

    r.add("POST", "assignment", [](Ctx &c) {
        const Json body = c.bodyObject();
        const OrderValues v = readOrderBody(c.db(), Fields(body), true);
        Transaction tx(c.db());
        auto s = c.db().prepare("INSERT INTO orders(customer_id, " + orderColumnList("") + ", created_at) VALUES (?, "
            + placeholders(orderFields().size()) + ", ?)");
        s.bind(1, v.customerId);
        bindOrderValues(s, 2, v);
        s.bind(2 + static_cast<int>(orderFields().size()), nowIso());
        s.run();
        const auto id = c.db().lastInsertId();
        tx.commit();
        c.reply(201, requireOrder(c.db(), id));
    });

    // Each change raises the revision, which makes older checkout previews
    // of this order unconfirmable.
    r.add("PUT", "assignment/{id}", [](Ctx &c) {
        requireOrder(c.db(), c.id());
        const Json body = c.bodyObject();
        const OrderValues v = readOrderBody(c.db(), Fields(body), false);
        Transaction tx(c.db());
        auto s = c.db().prepare("UPDATE orders SET " + orderAssignments() + ", revision = revision + 1 WHERE id = ?");
        bindOrderValues(s, 1, v);
        s.bind(1 + static_cast<int>(orderFields().size()), c.id());
        s.run();
        tx.commit();
        c.reply(200, requireOrder(c.db(), c.id()));
    });

    r.add("DELETE", "assignment/{id}", [](Ctx &c) {
        requireOrder(c.db(), c.id());
        Transaction tx(c.db());
        c.db().prepare("DELETE FROM orders WHERE id = ?").bind(1, c.id()).run();
        tx.commit();
        c.reply(200, Json {{"id", c.id()}, {"deleted", true}});
    });

    r.add("POST", "assignment/search", [](Ctx &c) {
        const std::string key = searchKey(c);
        auto s = c.db().prepare(orderSelect() + " WHERE instr(vx_fold(" + kOrderHaystack
            + "), ?) > 0 ORDER BY o.id LIMIT " + std::to_string(kSearchLimit));
        s.bind(1, key);
        Json list = Json::array();
        while (s.step())
            list.push_back(orderFromRow(s));
        replyList(c, list, true);
    });

    r.add("GET", "taxes", [](Ctx &c) {
        auto s = c.db().prepare("SELECT id, tax FROM taxes ORDER BY position, id");
        Json list = Json::array();
        while (s.step())
            list.push_back(taxRow(s));
        c.reply(200, list);
    });

    // ------------------------------------------------------------ checkout

    r.add("GET", "assignment/checkout/single/{id}", [](Ctx &c) { c.reply(200, previewSingle(c.db(), c.id())); });
    r.add("GET", "assignment/checkout/multiple/{id}", [](Ctx &c) { c.reply(200, previewMultiple(c.db(), c.id())); });
    r.add("POST", "assignment/checkout/confirm/{id}",
        [](Ctx &c) { c.reply(200, confirmPreview(c.db(), c.id(), c.origin())); });

    // ------------------------------------------------------------ invoices

    r.add("GET", "invoice", [](Ctx &c) {
        const auto page = c.page();
        auto count = c.db().prepare("SELECT count(*) FROM invoices");
        count.step();
        const auto w = pageWindow(page, c.app.options.pageSize, count.getInt(0));
        auto s = c.db().prepare(invoiceSelect() + " ORDER BY i.id LIMIT ? OFFSET ?");
        s.bind(1, w.limit).bind(2, w.offset);
        const std::string origin = c.origin();
        Json list = Json::array();
        while (s.step())
            list.push_back(invoiceFromRow(s, origin));
        c.reply(200, list);
    });

    r.add("GET", "invoice/{id}", [](Ctx &c) { c.reply(200, requireInvoice(c, c.id())); });

    // An invoice written directly (not through a checkout) gets a document
    // of its own.
    r.add("POST", "invoice", [](Ctx &c) {
        const Json body = c.bodyObject();
        const OrderValues v = readOrderBody(c.db(), Fields(body), true);
        Transaction tx(c.db());
        const DocumentRef doc = createDocument(c.db(), v.customerId);
        auto s = c.db().prepare("INSERT INTO invoices(document_id, customer_id, " + orderColumnList("")
            + ", billed_at) VALUES (?, ?, " + placeholders(orderFields().size()) + ", ?)");
        s.bind(1, doc.id).bind(2, v.customerId);
        bindOrderValues(s, 3, v);
        s.bind(3 + static_cast<int>(orderFields().size()), nowIso());
        s.run();
        const auto id = c.db().lastInsertId();
        tx.commit();
        c.reply(201, requireInvoice(c, id));
    });

    r.add("PUT", "invoice/{id}", [](Ctx &c) {
        requireInvoice(c, c.id());
        const Json body = c.bodyObject();
        const OrderValues v = readOrderBody(c.db(), Fields(body), false);
        Transaction tx(c.db());
        auto s = c.db().prepare("UPDATE invoices SET " + orderAssignments() + " WHERE id = ?");
        bindOrderValues(s, 1, v);
        s.bind(1 + static_cast<int>(orderFields().size()), c.id());
        s.run();
        tx.commit();
        c.reply(200, requireInvoice(c, c.id()));
    });

    r.add("DELETE", "invoice/{id}", [](Ctx &c) {
        requireInvoice(c, c.id());
        Transaction tx(c.db());
        auto d = c.db().prepare("SELECT document_id FROM invoices WHERE id = ?");
        d.bind(1, c.id());
        d.step();
        const std::int64_t docId = d.getInt(0);
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
        c.reply(200, Json {{"id", c.id()}, {"deleted", true}});
    });

    r.add("POST", "invoice/search", [](Ctx &c) {
        const std::string key = searchKey(c);
        auto s = c.db().prepare(invoiceSelect() + " WHERE instr(vx_fold(" + kInvoiceHaystack
            + "), ?) > 0 ORDER BY i.id LIMIT " + std::to_string(kSearchLimit));
        s.bind(1, key);
        const std::string origin = c.origin();
        Json list = Json::array();
        while (s.step())
            list.push_back(invoiceFromRow(s, origin));
        replyList(c, list, true);
    });
}

} // namespace vx
