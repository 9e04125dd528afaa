#include "records.h"

#include "http.h"

namespace vx {

// ---------------------------------------------------------------- customers

const char *const kCommercialSelect =
    "SELECT id, company, vatid, fuel_surcharge, contact_person FROM customer_commercial";

const char *const kCustomerSelect =
    "SELECT c.id, c.surname, c.lastname, c.address_street_no, c.address_zipcode, c.address_town, "
    "c.address_province, c.address_country, c.phone, c.fax, c.email, c.info, c.commercialability, "
    "c.commercial_id, cc.id, cc.company, cc.vatid, cc.fuel_surcharge, cc.contact_person "
    "FROM customers c LEFT JOIN customer_commercial cc ON cc.id = c.commercial_id";

Json commercialFromRow(const Stmt &s, int c)
{
    Json j;
    j["id"] = s.getInt(c);
    j["company"] = s.getText(c + 1);
    j["vatid"] = s.getText(c + 2);
    j["fuel_surcharge"] = s.getJson(c + 3);
    j["contact_person"] = s.getText(c + 4);
    return j;
}

Json customerFromRow(const Stmt &s)
{
    Json j;
    j["id"] = s.getInt(0);
    j["surname"] = s.getText(1);
    j["lastname"] = s.getText(2);
    j["address_street_no"] = s.getText(3);
    j["address_zipcode"] = s.getText(4);
    j["address_town"] = s.getText(5);
    j["address_province"] = s.getText(6);
    j["address_country"] = s.getInt(7);
    j["phone"] = s.getText(8);
    j["fax"] = s.getText(9);
    j["email"] = s.getText(10);
    j["info"] = s.getText(11);
    j["commercialability"] = s.getBool(12);
    j["commercial_id"] = s.getIntOrNull(13);
    j["commercial"] = s.isNull(14) ? Json(nullptr) : commercialFromRow(s, 14);
    return j;
}

std::optional<Json> loadCustomer(Db &db, std::int64_t id)
{
    auto s = db.prepare(std::string(kCustomerSelect) + " WHERE c.id = ?");
    s.bind(1, id);
    if (!s.step())
        return std::nullopt;
    return customerFromRow(s);
}

bool customerExists(Db &db, std::int64_t id)
{
    auto s = db.prepare("SELECT 1 FROM customers WHERE id = ?");
    s.bind(1, id);
    return s.step();
}

// ---------------------------------------------------------------- orders and invoices

const std::vector<FieldDef> &orderFields()
{
    static const std::vector<FieldDef> fields = {
        {"datum", FieldKind::Text},
        {"belegnummer", FieldKind::Text},
        {"referenz", FieldKind::Text},
        {"textbeschreibung", FieldKind::Text},
        {"gewicht", FieldKind::Text},
        {"sendungsart", FieldKind::Int},
        {"versandpartner", FieldKind::Int},
        {"richtung", FieldKind::Int},
        {"prozentsatz_id", FieldKind::TaxId},
        {"verkaufspreis", FieldKind::Money},
        {"einkaufspreis", FieldKind::Money},
        {"zustellung_im_aussengebiet", FieldKind::Bool},
        {"abholung_im_aussengebiet", FieldKind::Bool},
        {"versand_oversized", FieldKind::Bool},
        {"versand_heavy_weight", FieldKind::Bool},
        {"versand_nicht_stapelbare_palette", FieldKind::Bool},
        {"zustellung_samstags", FieldKind::Bool},
        {"abholung_samstags", FieldKind::Bool},
        {"gebuehr_fuer_zusaetzliche_handhabung", FieldKind::Bool},
        {"praemie_fuer_transportversicherung", FieldKind::Bool},
        {"betrag_fuer_praemie_fuer_transportversicherung", FieldKind::Money},
        {"gebuehr_fuer_erstellung_einer_ae", FieldKind::Bool},
        {"gebuehr_fuer_kein_envelope", FieldKind::Bool},
        {"zeitfensterzustellung", FieldKind::Bool},
        {"betrag_fuer_zeitfenstereinstellungen", FieldKind::Money},
    };
    return fields;
}

std::string orderColumnList(const std::string &prefix)
{
    std::string out;
    for (const auto &f : orderFields()) {
        if (!out.empty())
            out += ", ";
        out += prefix + f.key;
    }
    return out;
}

OrderValues readOrderBody(Db &db, const Fields &f, bool withCustomer)
{
    OrderValues v;
    for (const auto &def : orderFields()) {
        switch (def.kind) {
        case FieldKind::Text:
            v.values.emplace_back(f.text(def.key));
            break;
        case FieldKind::Int:
            v.values.emplace_back(f.integer(def.key));
            break;
        case FieldKind::Bool:
            v.values.emplace_back(f.boolean(def.key));
            break;
        case FieldKind::Money:
            v.values.push_back(f.money(def.key));
            break;
        case FieldKind::TaxId: {
            v.taxId = f.idLoose(def.key);
            auto s = db.prepare("SELECT 1 FROM taxes WHERE id = ?");
            s.bind(1, v.taxId);
            if (!s.step())
                fail(422, "\"prozentsatz_id\" names no tax row: " + std::to_string(v.taxId));
            v.values.emplace_back(v.taxId);
            break;
        }
        }
    }
    if (withCustomer) {
        v.customerId = f.idLoose("customer_id");
        if (!customerExists(db, v.customerId))
            fail(422, "\"customer_id\" names no customer: " + std::to_string(v.customerId));
    }
    return v;
}

void bindOrderValues(Stmt &s, int first, const OrderValues &v)
{
    for (std::size_t i = 0; i < v.values.size(); ++i)
        s.bindJson(first + static_cast<int>(i), v.values[i]);
}

namespace {
// Columns after the id: the order fields in orderFields() order.
void putOrderFields(Json &j, const Stmt &s, int first)
{
    int col = first;
    for (const auto &def : orderFields()) {
        switch (def.kind) {
        case FieldKind::Text:
            j[def.key] = s.getText(col);
            break;
        case FieldKind::Int:
        case FieldKind::TaxId:
            j[def.key] = s.getInt(col);
            break;
        case FieldKind::Bool:
            j[def.key] = s.getBool(col);
            break;
        case FieldKind::Money:
            j[def.key] = s.getJson(col);
            break;
        }
        ++col;
    }
}
} // namespace

std::string orderSelect()
{
    return "SELECT o.id, " + orderColumnList("o.")
        + ", o.customer_id, c.surname, c.lastname, t.id, t.tax, o.revision "
          "FROM orders o JOIN customers c ON c.id = o.customer_id JOIN taxes t ON t.id = o.prozentsatz_id";
}

Json orderFromRow(const Stmt &s)
{
    const int n = static_cast<int>(orderFields().size());
    Json j;
    j["id"] = s.getInt(0);
    putOrderFields(j, s, 1);
    const int c = 1 + n;
    j["customer_id"] = s.getInt(c);
    j["customer_assignment"] = {{"id", s.getInt(c)}, {"surname", s.getText(c + 1)}, {"lastname", s.getText(c + 2)}};
    j["taxes"] = {{"id", s.getInt(c + 3)}, {"tax", s.getText(c + 4)}};
    j["revision"] = s.getInt(c + 5);
    return j;
}

std::optional<Json> loadOrder(Db &db, std::int64_t id)
{
    auto s = db.prepare(orderSelect() + " WHERE o.id = ?");
    s.bind(1, id);
    if (!s.step())
        return std::nullopt;
    return orderFromRow(s);
}

std::string invoiceSelect()
{
    return "SELECT i.id, " + orderColumnList("i.")
        + ", i.customer_id, c.surname, c.lastname, t.id, t.tax, d.invoice_no, i.order_id, i.billed_at, "
          "d.capability, d.file_name "
          "FROM invoices i JOIN documents d ON d.id = i.document_id JOIN customers c ON c.id = i.customer_id "
          "JOIN taxes t ON t.id = i.prozentsatz_id";
}

std::string documentLink(const std::string &origin, const std::string &capability, const std::string &fileName)
{
    return origin + "/files/" + capability + "/" + fileName;
}

Json invoiceFromRow(const Stmt &s, const std::string &origin)
{
    const int n = static_cast<int>(orderFields().size());
    Json j;
    j["id"] = s.getInt(0);
    putOrderFields(j, s, 1);
    const int c = 1 + n;
    j["customer_id"] = s.getInt(c);
    j["customer_invoice"] = {{"id", s.getInt(c)}, {"surname", s.getText(c + 1)}, {"lastname", s.getText(c + 2)}};
    j["taxes_invoice"] = {{"id", s.getInt(c + 3)}, {"tax", s.getText(c + 4)}};
    j["invoice_no"] = s.getText(c + 5);
    j["order_id"] = s.getIntOrNull(c + 6);
    j["billed_at"] = s.getText(c + 7);
    j["attachement_link"] = documentLink(origin, s.getText(c + 8), s.getText(c + 9));
    return j;
}

std::optional<Json> loadInvoice(Db &db, std::int64_t id, const std::string &origin)
{
    auto s = db.prepare(invoiceSelect() + " WHERE i.id = ?");
    s.bind(1, id);
    if (!s.step())
        return std::nullopt;
    return invoiceFromRow(s, origin);
}

// ---------------------------------------------------------------- warehouse

const char *const kArticleGroupSelect =
    "SELECT g.id, g.articlename, g.articleno, g.typ, g.farbe, g.size, g.quantity, g.storage_location, "
    "g.category_id, cat.name, g.customer_id FROM articlegroups g LEFT JOIN categories cat ON cat.id = g.category_id";

Json articleGroupFromRow(const Stmt &s, int c)
{
    Json j;
    j["id"] = s.getInt(c);
    j["articlename"] = s.getText(c + 1);
    j["articleno"] = s.getText(c + 2);
    j["typ"] = s.getText(c + 3);
    j["farbe"] = s.getText(c + 4);
    j["size"] = s.getText(c + 5);
    j["quantity"] = s.getInt(c + 6);
    j["storage_location"] = s.getText(c + 7);
    j["category_id"] = s.getIntOrNull(c + 8);
    j["category"] = s.isNull(c + 8) ? Json(nullptr) : Json {{"id", s.getInt(c + 8)}, {"name", s.getText(c + 9)}};
    j["customer_id"] = s.getIntOrNull(c + 10);
    return j;
}

std::optional<Json> loadArticleGroup(Db &db, std::int64_t id)
{
    auto s = db.prepare(std::string(kArticleGroupSelect) + " WHERE g.id = ?");
    s.bind(1, id);
    if (!s.step())
        return std::nullopt;
    return articleGroupFromRow(s);
}

std::string inventorySelect()
{
    std::string groupCols = kArticleGroupSelect;
    // Reuse the group's column list, rooted at the booking.
    const auto from = groupCols.find(" FROM ");
    groupCols = groupCols.substr(7, from - 7); // drop "SELECT "
    return "SELECT a.id, a.eanno, a.quantity, a.articlegroup_id, a.deliveryorder_no, " + groupCols
        + " FROM articleinventory a JOIN articlegroups g ON g.id = a.articlegroup_id "
          "LEFT JOIN categories cat ON cat.id = g.category_id";
}

Json inventoryFromRow(const Stmt &s)
{
    Json j;
    j["id"] = s.getInt(0);
    j["eanno"] = s.getText(1);
    j["quantity"] = s.getInt(2);
    j["articlegroup_id"] = s.getInt(3);
    j["deliveryorder_no"] = s.getInt(4);
    j["articlegroup"] = articleGroupFromRow(s, 5);
    return j;
}

const char *const kDeliveryOrderSelect =
    "SELECT id, deliveryorders_no, delivery_date, created, customer_id FROM deliveryorders";

Json deliveryOrderFromRow(const Stmt &s)
{
    Json j;
    j["id"] = s.getInt(0);
    j["deliveryorders_no"] = s.getInt(1);
    j["delivery_date"] = s.getText(2);
    j["created"] = s.getBool(3);
    j["customer_id"] = s.getIntOrNull(4);
    return j;
}

Json taxRow(const Stmt &s)
{
    return Json {{"id", s.getInt(0)}, {"tax", s.getText(1)}};
}

} // namespace vx
