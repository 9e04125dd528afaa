#include "billing.h"

#include <ctime>

#include "auth.h"
#include "clock.h"
#include "http.h"
#include "money.h"
#include "records.h"

namespace vx {

namespace {

// Names of the client's fixed catalogues, by position, for the documents.
const char *const kShipmentTypes[] = {"eco 48", "eco 24", "eco 24+", "Overnight", "Overnight+", "Overnight++",
    "TB Express", "TB Express 12 h", "TB Express 10 h", "TB Express 9 h", "TB Economy", "WW Express", "WW Express 12 h",
    "WW Express 10 h", "WW Express 9 h", "Same Day", "Direktfahrt", "Lager", "Sonstiges"};
const char *const kDirections[] = {"Export", "Import", "Drittland", "Domestik", "Lokal"};

template<std::size_t N>
std::string catalogueName(const char *const (&names)[N], std::int64_t pos)
{
    return pos >= 0 && static_cast<std::size_t>(pos) < N ? names[pos] : std::string();
}

// Country ids of the client's country catalogue that a recipient block
// names; Germany (36) is home and left out of the address.
std::string countryName(std::int64_t id)
{
    switch (id) {
    case 36:
        return "";
    case 18:
        return "BELGIEN";
    case 35:
        return "DÄNEMARK";
    case 49:
        return "FRANKREICH";
    case 57:
        return "GROSSBRITANNIEN";
    case 71:
        return "ITALIEN";
    case 100:
        return "LUXEMBURG";
    case 125:
        return "NIEDERLANDE";
    case 132:
        return "ÖSTERREICH";
    case 141:
        return "POLEN";
    case 164:
        return "SPANIEN";
    case 173:
        return "SCHWEDEN";
    case 174:
        return "SCHWEIZ";
    case 185:
        return "TSCHECHIEN";
    default:
        return "";
    }
}

std::string germanDateOf(const std::string &iso)
{
    // "2024-05-01T..." -> "01.05.2024"; anything else is shown as it is.
    if (iso.size() >= 10 && iso[4] == '-' && iso[7] == '-')
        return iso.substr(8, 2) + "." + iso.substr(5, 2) + "." + iso.substr(0, 4);
    return iso;
}

int taxRate(Db &db, std::int64_t taxId)
{
    auto s = db.prepare("SELECT rate FROM taxes WHERE id = ?");
    s.bind(1, taxId);
    if (!s.step())
        fail(422, "unknown tax row " + std::to_string(taxId));
    return static_cast<int>(s.getInt("rate"));
}

std::int64_t priceOf(const Json &order)
{
    const auto cents = parseMoney(order["verkaufspreis"]);
    if (!cents)
        fail(422, "order " + std::to_string(order["id"].get<std::int64_t>()) + " has an unreadable sales price");
    return *cents;
}

std::vector<std::string> addressOf(const Json &customer)
{
    std::vector<std::string> lines;
    const std::string name = customer["surname"].get<std::string>() + " " + customer["lastname"].get<std::string>();
    if (customer["commercialability"].get<bool>() && customer["commercial"].is_object()) {
        lines.push_back(customer["commercial"]["company"].get<std::string>());
        const std::string contact = customer["commercial"]["contact_person"].get<std::string>();
        lines.push_back("z. Hd. " + (contact.empty() ? name : contact));
    } else {
        lines.push_back(name);
    }
    lines.push_back(customer["address_street_no"].get<std::string>());
    lines.push_back(customer["address_zipcode"].get<std::string>() + " " + customer["address_town"].get<std::string>());
    const std::string country = countryName(customer["address_country"].get<std::int64_t>());
    if (!country.empty())
        lines.push_back(country);
    return lines;
}

// Stores the preview of these orders and returns it.
Json storePreview(Db &db, std::int64_t customerId, const char *mode, const Json &orders, const Json &assignment)
{
    RateTotals totals;
    for (const auto &o : orders)
        totals.add(taxRate(db, o["prozentsatz_id"].get<std::int64_t>()), priceOf(o));

    Transaction tx(db);
    // Previews nobody confirmed within a day are of no further use.
    db.prepare("DELETE FROM billings WHERE confirmed_at IS NULL AND created_at < ?")
        .bind(1, isoUtc(std::time(nullptr) - 86400))
        .run();
    db.prepare("INSERT INTO billings(customer_id, mode, created_at) VALUES (?, ?, ?)")
        .bind(1, customerId)
        .bind(2, mode)
        .bind(3, nowIso())
        .run();
    const std::int64_t id = db.lastInsertId();
    for (const auto &o : orders)
        db.prepare("INSERT INTO billing_orders(billing_id, order_id, revision) VALUES (?, ?, ?)")
            .bind(1, id)
            .bind(2, o["id"].get<std::int64_t>())
            .bind(3, o["revision"].get<std::int64_t>())
            .run();
    tx.commit();

    Json j;
    j["id"] = id;
    j["customer_id"] = customerId;
    j["assignment"] = assignment;
    totals.putPreviewAmounts(j);
    return j;
}

} // namespace

// ---------------------------------------------------------------- RateTotals

namespace {

// Sums of amounts that each passed the amount limit stay far below the
// range of whole cents; stored data from before that limit may not.
std::int64_t checkedCents(std::optional<std::int64_t> v)
{
    if (!v)
        fail(422, "the amounts add up to more than can be billed");
    return *v;
}

} // namespace

void RateTotals::add(int ratePercent, std::int64_t netCents)
{
    auto &net = net_[ratePercent];
    net = checkedCents(addCents(net, netCents));
}

std::vector<RateTotals::Line> RateTotals::lines() const
{
    std::vector<Line> out;
    for (auto it = net_.rbegin(); it != net_.rend(); ++it) {
        const std::int64_t tax = checkedCents(taxOf(it->second, it->first));
        out.push_back(Line {it->first, it->second, tax, checkedCents(addCents(it->second, tax))});
    }
    return out;
}

std::int64_t RateTotals::total() const
{
    std::int64_t sum = 0;
    for (const auto &l : lines())
        sum = checkedCents(addCents(sum, l.sum));
    return sum;
}

void RateTotals::putPreviewAmounts(Json &j) const
{
    for (int rate : {19, 16, 0}) {
        const auto it = net_.find(rate);
        const std::int64_t net = it == net_.end() ? 0 : it->second;
        const std::int64_t tax = checkedCents(taxOf(net, rate));
        const std::string r = std::to_string(rate);
        j["net_amount" + r] = formatMoneyDe(net);
        j["sales_tax" + r] = formatMoneyDe(tax);
        j["sum_tax" + r] = formatMoneyDe(checkedCents(addCents(net, tax)));
    }
    j["total_cost"] = formatMoneyDe(total());
}

// ---------------------------------------------------------------- previews

// A preview stores what it showed in the same transaction in which it read
// it, so it holds the revisions the user saw.
Json previewSingle(Db &db, std::int64_t orderId)
{
    Transaction tx(db);
    const auto order = loadOrder(db, orderId);
    if (!order)
        fail(406, "no open order with id " + std::to_string(orderId));
    Json preview =
        storePreview(db, (*order)["customer_id"].get<std::int64_t>(), "single", Json::array({*order}), *order);
    tx.commit();
    return preview;
}

Json previewMultiple(Db &db, std::int64_t customerId, std::int64_t maxOrders)
{
    Transaction tx(db);
    if (!customerExists(db, customerId))
        fail(406, "no customer with id " + std::to_string(customerId));
    std::int64_t open = 0;
    {
        auto count = db.prepare("SELECT count(*) FROM orders WHERE customer_id = ?");
        count.bind(1, customerId);
        count.step();
        open = count.getInt(0);
    }
    if (open > maxOrders)
        fail(422,
            "customer " + std::to_string(customerId) + " has " + std::to_string(open)
                + " open orders; one checkout bills at most " + std::to_string(maxOrders)
                + " (bill single orders instead)");
    auto s = db.prepare(orderSelect() + " WHERE o.customer_id = ? ORDER BY o.id");
    s.bind(1, customerId);
    const Json orders = collectRows(s, orderFromRow);
    if (orders.empty())
        fail(422, "customer " + std::to_string(customerId) + " has no open orders");
    Json preview = storePreview(db, customerId, "multiple", orders, orders);
    tx.commit();
    return preview;
}

// ---------------------------------------------------------------- confirmation

DocumentRef createDocument(Db &db, std::int64_t customerId)
{
    DocumentRef d;
    d.capability = randomHex(16);
    db.prepare("INSERT INTO documents(capability, file_name, customer_id, issued_at) VALUES (?, '', ?, ?)")
        .bind(1, d.capability)
        .bind(2, customerId)
        .bind(3, nowIso())
        .run();
    d.id = db.lastInsertId();
    d.invoiceNo = "R-" + std::to_string(d.id);
    d.fileName = d.invoiceNo + ".pdf";
    db.prepare("UPDATE documents SET invoice_no = ?, file_name = ? WHERE id = ?")
        .bind(1, d.invoiceNo)
        .bind(2, d.fileName)
        .bind(3, d.id)
        .run();
    return d;
}

Json confirmPreview(Db &db, std::int64_t previewId, const std::string &origin)
{
    Transaction tx(db);
    auto b = db.prepare("SELECT customer_id, confirmed_at FROM billings WHERE id = ?");
    b.bind(1, previewId);
    if (!b.step())
        fail(406, "no checkout preview with id " + std::to_string(previewId));
    const std::int64_t customerId = b.getInt("customer_id");
    if (!b.isNull("confirmed_at"))
        fail(409, "checkout " + std::to_string(previewId) + " was confirmed already");

    std::vector<std::pair<std::int64_t, std::int64_t>> items; // order id, revision seen
    {
        auto s = db.prepare("SELECT order_id, revision FROM billing_orders WHERE billing_id = ? ORDER BY order_id");
        s.bind(1, previewId);
        while (s.step())
            items.emplace_back(s.getInt("order_id"), s.getInt("revision"));
    }
    if (items.empty())
        fail(409, "checkout " + std::to_string(previewId) + " holds no orders");
    for (const auto &[orderId, revision] : items) {
        auto s = db.prepare("SELECT revision, customer_id FROM orders WHERE id = ?");
        s.bind(1, orderId);
        if (!s.step())
            fail(409, "order " + std::to_string(orderId) + " was billed or deleted after the preview");
        if (s.getInt("revision") != revision || s.getInt("customer_id") != customerId)
            fail(409, "order " + std::to_string(orderId) + " was changed after the preview; ask for a new one");
    }

    const DocumentRef doc = createDocument(db, customerId);
    const std::string cols = orderColumnList();
    const std::string now = nowIso();
    Json invoiceIds = Json::array();
    for (const auto &item : items) {
        db.prepare("INSERT INTO invoices(document_id, order_id, customer_id, " + cols
              + ", billed_at) SELECT ?, id, customer_id, " + cols + ", ? FROM orders WHERE id = ?")
            .bind(1, doc.id)
            .bind(2, now)
            .bind(3, item.first)
            .run();
        invoiceIds.push_back(db.lastInsertId());
        db.prepare("DELETE FROM orders WHERE id = ?").bind(1, item.first).run();
    }
    db.prepare("UPDATE billings SET confirmed_at = ?, document_id = ? WHERE id = ?")
        .bind(1, now)
        .bind(2, doc.id)
        .bind(3, previewId)
        .run();
    tx.commit();

    Json j;
    j["id"] = previewId;
    j["invoice_no"] = doc.invoiceNo;
    j["invoices"] = invoiceIds;
    j["attachement_link"] = documentLink(origin, doc.capability, doc.fileName);
    return j;
}

// ---------------------------------------------------------------- documents

std::optional<InvoiceDocument> loadInvoiceDocument(Db &db, const std::string &capability, const std::string &fileName)
{
    ReadTransaction snapshot(db);
    auto d = db.prepare("SELECT id, invoice_no, issued_at, customer_id FROM documents WHERE capability = ? AND "
                        "file_name = ?");
    d.bind(1, capability).bind(2, fileName);
    if (!d.step())
        return std::nullopt;
    InvoiceDocument doc;
    const std::int64_t docId = d.getInt("id");
    doc.invoiceNo = d.getText("invoice_no");
    doc.issuedDate = germanDateOf(d.getText("issued_at"));
    const std::int64_t customerId = d.getInt("customer_id");
    doc.customerNo = std::to_string(customerId);
    if (const auto customer = loadCustomer(db, customerId)) {
        doc.address = addressOf(*customer);
        if ((*customer)["commercial"].is_object())
            doc.customerVatId = (*customer)["commercial"]["vatid"].get<std::string>();
    }

    RateTotals totals;
    auto s = db.prepare("SELECT i.datum AS datum, i.belegnummer AS belegnummer, i.textbeschreibung AS text, "
                        "i.sendungsart AS sendungsart, i.richtung AS richtung, t.tax AS tax, t.rate AS rate, "
                        "i.verkaufspreis AS verkaufspreis FROM invoices i JOIN taxes t ON t.id = i.prozentsatz_id "
                        "WHERE i.document_id = ? ORDER BY i.id");
    s.bind(1, docId);
    while (s.step()) {
        InvoicePosition p;
        p.datum = s.getText("datum");
        p.belegnummer = s.getText("belegnummer");
        p.text = s.getText("text");
        p.service = catalogueName(kShipmentTypes, s.getInt("sendungsart"));
        p.richtung = catalogueName(kDirections, s.getInt("richtung"));
        p.tax = s.getText("tax");
        p.netCents = parseMoney(s.getJson("verkaufspreis")).value_or(0);
        totals.add(static_cast<int>(s.getInt("rate")), p.netCents);
        doc.positions.push_back(p);
    }
    for (const auto &l : totals.lines())
        doc.rates.push_back(InvoiceRateLine {l.rate, l.net, l.tax, l.sum});
    doc.totalCents = totals.total();
    return doc;
}

DeliveryNote loadDeliveryNote(Db &db, std::int64_t deliveryOrderId)
{
    ReadTransaction snapshot(db);
    auto d = db.prepare("SELECT deliveryorders_no, delivery_date, customer_id FROM deliveryorders WHERE id = ?");
    d.bind(1, deliveryOrderId);
    if (!d.step())
        fail(406, "no delivery order with id " + std::to_string(deliveryOrderId));
    DeliveryNote note;
    note.number = d.getInt("deliveryorders_no");
    note.date = germanDateOf(d.getText("delivery_date"));
    if (!d.isNull("customer_id")) {
        const std::int64_t customerId = d.getInt("customer_id");
        note.customerNo = std::to_string(customerId);
        if (const auto customer = loadCustomer(db, customerId))
            note.address = addressOf(*customer);
    }
    auto s = db.prepare("SELECT g.articlename AS articlename, g.articleno AS articleno, g.typ AS typ, "
                        "g.farbe AS farbe, g.size AS size, a.eanno AS eanno, a.quantity AS quantity "
                        "FROM articleinventory a JOIN articlegroups g ON g.id = a.articlegroup_id "
                        "WHERE a.deliveryorder_no = ? ORDER BY a.id");
    s.bind(1, note.number);
    while (s.step())
        note.lines.push_back(DeliveryNoteLine {s.getText("articlename"), s.getText("articleno"), s.getText("typ"),
            s.getText("farbe"), s.getText("size"), s.getText("eanno"), s.getInt("quantity")});
    return note;
}

} // namespace vx
