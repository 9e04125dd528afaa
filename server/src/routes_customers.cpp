#include "records.h"
#include "routes.h"

namespace vx {

namespace {

struct CustomerValues
{
    std::string surname, lastname, street, zipcode, town, province;
    std::int64_t country = 0;
    std::string phone, fax, email, info;
    bool commercial = false;
};

CustomerValues readCustomer(const Fields &f)
{
    CustomerValues v;
    v.surname = f.text("surname");
    v.lastname = f.text("lastname");
    v.street = f.text("address_street_no");
    v.zipcode = f.text("address_zipcode");
    v.town = f.text("address_town");
    v.country = f.integer("address_country");
    v.province = f.text("address_province");
    v.phone = f.text("phone");
    v.fax = f.text("fax");
    v.email = f.text("email");
    v.info = f.text("info", kMaxNoteLength);
    v.commercial = f.boolean("commercialability");
    return v;
}

void bindCustomer(Stmt &s, const CustomerValues &v)
{
    s.bind(1, v.surname)
        .bind(2, v.lastname)
        .bind(3, v.street)
        .bind(4, v.zipcode)
        .bind(5, v.town)
        .bind(6, v.province)
        .bind(7, v.country)
        .bind(8, v.phone)
        .bind(9, v.fax)
        .bind(10, v.email)
        .bind(11, v.info)
        .bind(12, v.commercial);
}

Json requireCustomer(Db &db, std::int64_t id)
{
    auto c = loadCustomer(db, id);
    if (!c)
        fail(406, "no customer with id " + std::to_string(id));
    return *c;
}

struct CommercialValues
{
    std::string company, vatid, contact;
    Json fuel;
};

CommercialValues readCommercial(const Fields &f)
{
    return CommercialValues {
        f.text("company"), f.text("vatid"), f.text("contact_person"), f.textOrNumber("fuel_surcharge")};
}

Json requireCommercial(Db &db, std::int64_t id)
{
    auto rec = loadCommercial(db, id);
    if (!rec)
        fail(406, "no commercial record with id " + std::to_string(id));
    return *rec;
}

// ------------------------------------------------------------ customers

void listCustomers(Ctx &c)
{
    replyPage(c, "customers", customerSelect(), "c.id", customerFromRow);
}

void getCustomer(Ctx &c)
{
    c.reply(200, requireCustomer(c.db(), c.id()));
}

void createCustomer(Ctx &c)
{
    const Json body = c.bodyObject();
    const Fields f(body);
    const CustomerValues v = readCustomer(f);
    const auto commercialId = f.optionalIdLoose("commercial_id");
    // Checked inside the write: a commercial record that went with its last
    // customer meanwhile is refused, not a broken reference.
    Transaction tx(c.db(), WriteKind::Adding);
    if (commercialId && !loadCommercial(c.db(), *commercialId))
        fail(422, "\"commercial_id\" names no commercial record: " + std::to_string(*commercialId));
    auto s =
        c.db().prepare("INSERT INTO customers(surname, lastname, address_street_no, address_zipcode, address_town, "
                       "address_province, address_country, phone, fax, email, info, commercialability, "
                       "commercial_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    bindCustomer(s, v);
    s.bind(13, commercialId);
    s.run();
    const Json created = requireCustomer(c.db(), c.db().lastInsertId());
    tx.commit();
    c.reply(201, created);
}

// The link to the commercial record is fixed when the customer is created;
// an update never carries it.
void updateCustomer(Ctx &c)
{
    const Json body = c.bodyObject();
    const CustomerValues v = readCustomer(Fields(body));
    Transaction tx(c.db());
    requireCustomer(c.db(), c.id());
    auto s = c.db().prepare("UPDATE customers SET surname = ?, lastname = ?, address_street_no = ?, "
                            "address_zipcode = ?, address_town = ?, address_province = ?, address_country = ?, "
                            "phone = ?, fax = ?, email = ?, info = ?, commercialability = ? WHERE id = ?");
    bindCustomer(s, v);
    s.bind(13, c.id());
    s.run();
    const Json updated = requireCustomer(c.db(), c.id());
    tx.commit();
    c.reply(200, updated);
}

void deleteCustomer(Ctx &c)
{
    // The checks inside the write: a record made for this customer
    // meanwhile keeps it, and of two deletions one succeeds.
    Transaction tx(c.db());
    const Json customer = requireCustomer(c.db(), c.id());
    {
        // Orders, invoices, delivery orders and article groups keep their
        // customer; such a customer stays.
        auto refs =
            c.db().prepare("SELECT (SELECT count(*) FROM orders WHERE customer_id = ?1) + "
                           "(SELECT count(*) FROM invoices WHERE customer_id = ?1) + "
                           "(SELECT count(*) FROM deliveryorders WHERE customer_id = ?1) + "
                           "(SELECT count(*) FROM articlegroups WHERE customer_id = ?1) + "
                           "(SELECT count(*) FROM billings WHERE customer_id = ?1 AND confirmed_at IS NOT NULL)");
        refs.bind(1, c.id());
        refs.step();
        if (refs.getInt(0) > 0)
            fail(406,
                "customer " + std::to_string(c.id())
                    + " still has orders, invoices, delivery orders or article groups");
    }
    c.db().prepare("DELETE FROM billings WHERE customer_id = ?").bind(1, c.id()).run();
    c.db().prepare("DELETE FROM customers WHERE id = ?").bind(1, c.id()).run();
    if (!customer["commercial_id"].is_null()) {
        // The commercial record goes with its last customer.
        c.db()
            .prepare("DELETE FROM customer_commercial WHERE id = ?1 AND NOT EXISTS "
                     "(SELECT 1 FROM customers WHERE commercial_id = ?1)")
            .bind(1, customer["commercial_id"].get<std::int64_t>())
            .run();
    }
    tx.commit();
    replyDeleted(c, c.id());
}

// ------------------------------------------------------------ commercial records

void createCommercial(Ctx &c)
{
    const Json body = c.bodyObject();
    const CommercialValues v = readCommercial(Fields(body));
    Transaction tx(c.db(), WriteKind::Adding);
    auto s = c.db().prepare(
        "INSERT INTO customer_commercial(company, vatid, fuel_surcharge, contact_person) VALUES (?, ?, ?, ?)");
    s.bind(1, v.company).bind(2, v.vatid).bindJson(3, v.fuel).bind(4, v.contact);
    s.run();
    const Json created = requireCommercial(c.db(), c.db().lastInsertId());
    tx.commit();
    c.reply(201, created);
}

void getCommercial(Ctx &c)
{
    c.reply(200, requireCommercial(c.db(), c.id()));
}

void updateCommercial(Ctx &c)
{
    const Json body = c.bodyObject();
    const CommercialValues v = readCommercial(Fields(body));
    Transaction tx(c.db());
    requireCommercial(c.db(), c.id());
    auto s = c.db().prepare("UPDATE customer_commercial SET company = ?, vatid = ?, fuel_surcharge = ?, "
                            "contact_person = ? WHERE id = ?");
    s.bind(1, v.company).bind(2, v.vatid).bindJson(3, v.fuel).bind(4, v.contact).bind(5, c.id());
    s.run();
    const Json updated = requireCommercial(c.db(), c.id());
    tx.commit();
    c.reply(200, updated);
}

// ------------------------------------------------------------ searches

// A customer search over columns of customer_search (schema). SQLite's
// index drives the query in id order, so it stops at the search limit
// however many customers match.
IndexedSearch customerSearch(const std::string &columns)
{
    // PostgreSQL's LIKE of a pattern worked out once costs less per row
    // than its strpos (behind instr), which prepares its search anew for
    // every text it looks into; reading in id order, that is most of the
    // cost.
    const std::string pattern = "(SELECT '%' || replace(replace(replace(?1, '\\', '\\\\'), '%', '\\%'), '_', "
                                "'\\_') || '%')";
    std::string anyColumn; // "instr(name, ?1) > 0 OR instr(company, ?1) > 0"
    std::string anyColumnLike; // "name LIKE '%' || ?1 || '%' OR ...", ?1 escaped
    std::size_t start = 0;
    while (start < columns.size()) {
        auto blank = columns.find(' ', start);
        if (blank == std::string::npos)
            blank = columns.size();
        const std::string column = columns.substr(start, blank - start);
        anyColumn += (anyColumn.empty() ? "" : " OR ") + std::string("instr(") + column + ", ?1) > 0";
        anyColumnLike += (anyColumnLike.empty() ? "" : " OR ") + column + " LIKE " + pattern;
        start = blank + 1;
    }
    const std::string limit = " ORDER BY rowid LIMIT " + std::to_string(kSearchLimit);
    // PostgreSQL's trigram index finds the few customers that hold a rare
    // text at once, but checks each candidate it yields again, at several
    // times the cost of reading a customer in id order, and yields them
    // in no order; for a text that many hold (the first letters of a
    // common name, among 250,000), reading in id order until enough are
    // found costs less. So the index is asked first for one match more
    // than a search returns: fewer, and they are all there are. Otherwise
    // among many customers those of the first K ids are read in id order
    // (K = 200 * sqrt(N / 20) of N, where both ways cost about alike;
    // fewer where customers were deleted), and only when they hold fewer
    // matches than a search returns does the index find them all.
    // A text that filled the search last time skips the first question
    // (CommonTexts).
    const std::string found = std::to_string(kSearchLimit);
    const std::string head = "head AS MATERIALIZED (SELECT rowid FROM customer_search WHERE rowid < (SELECT "
                             "min(rowid) FROM customer_search) + (SELECT CASE WHEN reltuples > 50000 THEN 200 * "
                             "sqrt(reltuples / 20) ELSE 0 END FROM pg_class WHERE oid = "
                             "'customer_search'::regclass)::bigint AND ("
        + anyColumnLike + ")" + limit + ")";
    const std::string all = "SELECT rowid FROM (SELECT rowid FROM customer_search WHERE "
        + trigramMatch(kCustomerTrigramText) + " AND (" + anyColumn + ")" + limit + ") t WHERE ";
    const std::string headFull = "(SELECT count(*) FROM head) = " + found;
    const std::string headShort = "(SELECT count(*) FROM head) < " + found;
    const std::string many = "(SELECT count(*) FROM few) > " + found;
    const std::string trigramIds = "WITH few AS MATERIALIZED (SELECT rowid FROM customer_search WHERE "
        + trigramMatch(kCustomerTrigramText) + " AND (" + anyColumn + ") LIMIT " + found + " + 1), " + head
        + " SELECT rowid FROM (SELECT rowid FROM few" + limit + ") a WHERE NOT " + many
        + " UNION ALL SELECT rowid FROM head WHERE " + many + " AND " + headFull + " UNION ALL " + all + many + " AND "
        + headShort;
    const std::string commonIds =
        "WITH " + head + " SELECT rowid FROM head WHERE " + headFull + " UNION ALL " + all + headShort;
    return searchByIds(customerSelect(), "c.id",
        "SELECT rowid FROM customer_search WHERE customer_search MATCH '{" + columns + "} : ' || ?1" + limit,
        trigramIds, "SELECT rowid FROM customer_search WHERE " + anyColumn + limit, commonIds,
        RecordVersions {customerVersionSelect(), customersByIdList()});
}

// Full name is "first name, blank, family name"; business customers are
// also found by their company name.
void searchCustomersByFullName(Ctx &c)
{
    static const IndexedSearch search = customerSearch("name company");
    replyIndexedSearch(c, "fullname", search, customerFromRow, &c.app.customers);
}

void searchCustomersBySurname(Ctx &c)
{
    static const IndexedSearch search = customerSearch("surname");
    replyIndexedSearch(c, "vorname", search, customerFromRow, &c.app.customers);
}

void searchCustomersByLastname(Ctx &c)
{
    static const IndexedSearch search = customerSearch("lastname");
    replyIndexedSearch(c, "nachname", search, customerFromRow, &c.app.customers);
}

} // namespace

void addCustomerRoutes(Router &r)
{
    r.add("GET", "customer", listCustomers);
    r.add("GET", "customer/{id}", getCustomer);
    r.add("POST", "customer", createCustomer);
    r.add("PUT", "customer/{id}", updateCustomer);
    r.add("DELETE", "customer/{id}", deleteCustomer);

    r.add("POST", "customer_commercial", createCommercial);
    r.add("GET", "customer_commercial/{id}", getCommercial);
    r.add("PUT", "customer_commercial/{id}", updateCommercial);

    r.add("POST", "customer/search", searchCustomersByFullName);
    r.add("POST", "customer_search_surname", searchCustomersBySurname);
    r.add("POST", "customer_search_lastname", searchCustomersByLastname);
}

} // namespace vx
