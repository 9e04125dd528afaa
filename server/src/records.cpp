#include "records.h"

#include <initializer_list>

#include "http.h"

namespace vx {

namespace {

// "t.a AS pa, t.b AS pb, ...": the columns of one table under the names the
// readers look for.
std::string selectList(const char *table, std::initializer_list<const char *> columns, const std::string &prefix)
{
    std::string out;
    for (const char *col : columns) {
        if (!out.empty())
            out += ", ";
        out += std::string(table) + "." + col + " AS " + prefix + col;
    }
    return out;
}

const std::initializer_list<const char *> kCommercialColumns = {
    "id", "company", "vatid", "fuel_surcharge", "contact_person"};

const std::initializer_list<const char *> kArticleGroupColumns = {"id", "articlename", "articleno", "typ", "farbe",
    "size", "quantity", "storage_location", "category_id", "customer_id"};

std::string articleGroupColumns(const std::string &prefix)
{
    return selectList("g", kArticleGroupColumns, prefix) + ", cat.name AS " + prefix + "category_name";
}

// The order fields of orders (o) or invoices (i), each under its own key.
std::string orderFieldColumns(const char *table)
{
    std::string out;
    for (const auto &f : orderFields())
        out += std::string(", ") + table + "." + f.key + " AS " + f.key;
    return out;
}

void putOrderFields(Json &j, const Stmt &s)
{
    for (const auto &def : orderFields()) {
        switch (def.kind) {
        case FieldKind::Text:
            j[def.key] = s.getText(def.key);
            break;
        case FieldKind::Int:
        case FieldKind::TaxId:
            j[def.key] = s.getInt(def.key);
            break;
        case FieldKind::Bool:
            j[def.key] = s.getBool(def.key);
            break;
        case FieldKind::Money:
            j[def.key] = s.getJson(def.key);
            break;
        }
    }
}

// Columns shared by the order and invoice selects after the order fields.
const char *const kPartyColumns = ", c.surname AS customer_surname, c.lastname AS customer_lastname, "
                                  "t.id AS tax_id, t.tax AS tax_text";

Json customerRef(const Stmt &s)
{
    return Json {{"id", s.getInt("customer_id")}, {"surname", s.getText("customer_surname")},
        {"lastname", s.getText("customer_lastname")}};
}

Json taxRef(const Stmt &s)
{
    return Json {{"id", s.getInt("tax_id")}, {"tax", s.getText("tax_text")}};
}

// The record that `sql` (ending in "= ?") finds for this id, if any.
template<typename Read>
std::optional<Json> loadOne(Db &db, const std::string &sql, std::int64_t id, Read read)
{
    auto s = db.prepare(sql);
    s.bind(1, id);
    if (!s.step())
        return std::nullopt;
    return read(s);
}

} // namespace

Json collectRows(Stmt &s, const RowReader &read)
{
    Json list = Json::array();
    while (s.step())
        list.push_back(read(s));
    return list;
}

// ---------------------------------------------------------------- customers

const std::string &commercialSelect()
{
    static const std::string sql =
        "SELECT " + selectList("cc", kCommercialColumns, "") + " FROM customer_commercial cc";
    return sql;
}

const std::string &customerSelect()
{
    static const std::string sql = "SELECT "
        + selectList("c",
            {"id", "surname", "lastname", "address_street_no", "address_zipcode", "address_town", "address_province",
                "address_country", "phone", "fax", "email", "info", "commercialability", "commercial_id"},
            "")
        + ", " + selectList("cc", kCommercialColumns, "cc_")
        + " FROM customers c LEFT JOIN customer_commercial cc ON cc.id = c.commercial_id";
    return sql;
}

// A customer's record is its row and that of its commercial record; each
// row's version is the transaction that wrote it and where it lies, which
// PostgreSQL tells without reading the row's texts (RecordCache). A row
// changed by two transactions of the same number (after four billion
// more) would have to lie where the first left it, too.
constexpr const char *kCustomerVersion = "c.xmin::text || '/' || c.ctid::text || '/' || ";

// The commercial record's version is looked up per customer: a join
// reads every commercial record to find the hundred-odd of a search.
const std::string &customerVersionSelect()
{
    static const std::string sql = std::string("SELECT c.id AS id, ") + kCustomerVersion
        + "coalesce((SELECT cc.xmin::text || '/' || cc.ctid::text FROM customer_commercial cc "
          "WHERE cc.id = c.commercial_id), '') AS version FROM customers c";
    return sql;
}

const std::string &customersByIdList()
{
    static const std::string sql = std::string("SELECT ") + kCustomerVersion
        + "coalesce(cc.xmin::text || '/' || cc.ctid::text, '') AS version, "
        + customerSelect().substr(std::string("SELECT ").size())
        + " WHERE c.id = ANY(string_to_array(?1, ',')::bigint[])";
    return sql;
}

Json commercialFromRow(const Stmt &s, const std::string &p)
{
    Json j;
    j["id"] = s.getInt(p + "id");
    j["company"] = s.getText(p + "company");
    j["vatid"] = s.getText(p + "vatid");
    j["fuel_surcharge"] = s.getJson(p + "fuel_surcharge");
    j["contact_person"] = s.getText(p + "contact_person");
    return j;
}

Json customerFromRow(const Stmt &s)
{
    // Room for every key at once: a search reads 200 of these.
    Json j = Json::object();
    j.get_ref<Json::object_t &>().reserve(15);
    j["id"] = s.getInt("id");
    for (const char *key :
        {"surname", "lastname", "address_street_no", "address_zipcode", "address_town", "address_province"})
        j[key] = s.getText(key);
    j["address_country"] = s.getInt("address_country");
    for (const char *key : {"phone", "fax", "email", "info"})
        j[key] = s.getText(key);
    j["commercialability"] = s.getBool("commercialability");
    j["commercial_id"] = s.getIntOrNull("commercial_id");
    j["commercial"] = s.isNull("cc_id") ? Json(nullptr) : commercialFromRow(s, "cc_");
    return j;
}

std::optional<Json> loadCustomer(Db &db, std::int64_t id)
{
    return loadOne(db, customerSelect() + " WHERE c.id = ?", id, customerFromRow);
}

bool customerExists(Db &db, std::int64_t id)
{
    auto s = db.prepare("SELECT 1 FROM customers WHERE id = ?");
    s.bind(1, id);
    return s.step();
}

std::optional<Json> loadCommercial(Db &db, std::int64_t id)
{
    return loadOne(db, commercialSelect() + " WHERE cc.id = ?", id, [](const Stmt &s) { return commercialFromRow(s); });
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

std::string orderColumnList()
{
    std::string out;
    for (const auto &f : orderFields()) {
        if (!out.empty())
            out += ", ";
        out += f.key;
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

const std::string &orderInsert()
{
    static const std::string sql = "INSERT INTO orders(customer_id, " + orderColumnList() + ", created_at) VALUES ("
        + placeholders(orderFields().size() + 2) + ")";
    return sql;
}

OrderValues readOrderFields(const Fields &f, bool withCustomer)
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
        case FieldKind::TaxId:
            v.taxId = f.idLoose(def.key);
            v.values.emplace_back(v.taxId);
            break;
        }
    }
    if (withCustomer)
        v.customerId = f.idLoose("customer_id");
    return v;
}

void refuseUnknownOrderRefs(const OrderValues &v, bool taxKnown, bool withCustomer, bool customerKnown)
{
    if (!taxKnown)
        fail(422, "\"prozentsatz_id\" names no tax row: " + std::to_string(v.taxId));
    if (withCustomer && !customerKnown)
        fail(422, "\"customer_id\" names no customer: " + std::to_string(v.customerId));
}

OrderValues readOrderBody(Db &db, const Fields &f, bool withCustomer)
{
    OrderValues v = readOrderFields(f, withCustomer);
    auto tax = db.prepare("SELECT 1 FROM taxes WHERE id = ?");
    tax.bind(1, v.taxId);
    refuseUnknownOrderRefs(v, tax.step(), withCustomer, withCustomer && customerExists(db, v.customerId));
    return v;
}

void bindOrderValues(Stmt &s, int first, const OrderValues &v)
{
    for (std::size_t i = 0; i < v.values.size(); ++i)
        s.bindJson(first + static_cast<int>(i), v.values[i]);
}

const std::string &orderSelect()
{
    static const std::string sql = "SELECT o.id AS id" + orderFieldColumns("o") + ", o.customer_id AS customer_id"
        + kPartyColumns
        + ", o.revision AS revision "
          "FROM orders o JOIN customers c ON c.id = o.customer_id JOIN taxes t ON t.id = o.prozentsatz_id";
    return sql;
}

Json orderFromRow(const Stmt &s)
{
    Json j;
    j["id"] = s.getInt("id");
    putOrderFields(j, s);
    j["customer_id"] = s.getInt("customer_id");
    j["customer_assignment"] = customerRef(s);
    j["taxes"] = taxRef(s);
    j["revision"] = s.getInt("revision");
    return j;
}

std::optional<Json> loadOrder(Db &db, std::int64_t id)
{
    return loadOne(db, orderSelect() + " WHERE o.id = ?", id, orderFromRow);
}

const std::string &invoiceSelect()
{
    static const std::string sql = "SELECT i.id AS id" + orderFieldColumns("i") + ", i.customer_id AS customer_id"
        + kPartyColumns
        + ", d.invoice_no AS invoice_no, i.order_id AS order_id, i.billed_at AS billed_at, "
          "d.capability AS capability, d.file_name AS file_name "
          "FROM invoices i JOIN documents d ON d.id = i.document_id JOIN customers c ON c.id = i.customer_id "
          "JOIN taxes t ON t.id = i.prozentsatz_id";
    return sql;
}

std::string documentLink(const std::string &origin, const std::string &capability, const std::string &fileName)
{
    return origin + "/files/" + capability + "/" + fileName;
}

Json invoiceFromRow(const Stmt &s, const std::string &origin)
{
    Json j;
    j["id"] = s.getInt("id");
    putOrderFields(j, s);
    j["customer_id"] = s.getInt("customer_id");
    j["customer_invoice"] = customerRef(s);
    j["taxes_invoice"] = taxRef(s);
    j["invoice_no"] = s.getText("invoice_no");
    j["order_id"] = s.getIntOrNull("order_id");
    j["billed_at"] = s.getText("billed_at");
    j["attachement_link"] = documentLink(origin, s.getText("capability"), s.getText("file_name"));
    return j;
}

std::optional<Json> loadInvoice(Db &db, std::int64_t id, const std::string &origin)
{
    return loadOne(
        db, invoiceSelect() + " WHERE i.id = ?", id, [&](const Stmt &s) { return invoiceFromRow(s, origin); });
}

// ---------------------------------------------------------------- warehouse

const std::string &articleGroupSelect()
{
    static const std::string sql = "SELECT " + articleGroupColumns("")
        + " FROM articlegroups g LEFT JOIN categories cat ON cat.id = g.category_id";
    return sql;
}

Json articleGroupFromRow(const Stmt &s, const std::string &p)
{
    Json j;
    j["id"] = s.getInt(p + "id");
    for (const char *key : {"articlename", "articleno", "typ", "farbe", "size"})
        j[key] = s.getText(p + key);
    j["quantity"] = s.getInt(p + "quantity");
    j["storage_location"] = s.getText(p + "storage_location");
    j["category_id"] = s.getIntOrNull(p + "category_id");
    j["category"] = s.isNull(p + "category_id")
        ? Json(nullptr)
        : Json {{"id", s.getInt(p + "category_id")}, {"name", s.getText(p + "category_name")}};
    j["customer_id"] = s.getIntOrNull(p + "customer_id");
    return j;
}

std::optional<Json> loadArticleGroup(Db &db, std::int64_t id)
{
    return loadOne(
        db, articleGroupSelect() + " WHERE g.id = ?", id, [](const Stmt &s) { return articleGroupFromRow(s); });
}

const std::string &categorySelect()
{
    static const std::string sql = "SELECT " + selectList("cat", {"id", "name"}, "") + " FROM categories cat";
    return sql;
}

Json categoryFromRow(const Stmt &s)
{
    return Json {{"id", s.getInt("id")}, {"name", s.getText("name")}};
}

const std::string &inventorySelect()
{
    static const std::string sql = "SELECT "
        + selectList("a", {"id", "eanno", "quantity", "articlegroup_id", "deliveryorder_no"}, "") + ", "
        + articleGroupColumns("group_")
        + " FROM articleinventory a JOIN articlegroups g ON g.id = a.articlegroup_id "
          "LEFT JOIN categories cat ON cat.id = g.category_id";
    return sql;
}

std::optional<Json> loadBooking(Db &db, std::int64_t id)
{
    return loadOne(db, inventorySelect() + " WHERE a.id = ?", id, inventoryFromRow);
}

Json inventoryFromRow(const Stmt &s)
{
    Json j;
    j["id"] = s.getInt("id");
    j["eanno"] = s.getText("eanno");
    j["quantity"] = s.getInt("quantity");
    j["articlegroup_id"] = s.getInt("articlegroup_id");
    j["deliveryorder_no"] = s.getInt("deliveryorder_no");
    j["articlegroup"] = articleGroupFromRow(s, "group_");
    return j;
}

const std::string &deliveryOrderSelect()
{
    static const std::string sql = "SELECT "
        + selectList("d", {"id", "deliveryorders_no", "delivery_date", "created", "customer_id"}, "")
        + " FROM deliveryorders d";
    return sql;
}

std::optional<Json> loadDeliveryOrder(Db &db, std::int64_t id)
{
    return loadOne(db, deliveryOrderSelect() + " WHERE d.id = ?", id, deliveryOrderFromRow);
}

Json deliveryOrderFromRow(const Stmt &s)
{
    Json j;
    j["id"] = s.getInt("id");
    j["deliveryorders_no"] = s.getInt("deliveryorders_no");
    j["delivery_date"] = s.getText("delivery_date");
    j["created"] = s.getBool("created");
    j["customer_id"] = s.getIntOrNull("customer_id");
    return j;
}

const std::string &taxSelect()
{
    static const std::string sql = "SELECT " + selectList("t", {"id", "tax"}, "") + " FROM taxes t";
    return sql;
}

Json taxFromRow(const Stmt &s)
{
    return Json {{"id", s.getInt("id")}, {"tax", s.getText("tax")}};
}

} // namespace vx
