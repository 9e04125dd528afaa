#include "billing.h"
#include "clock.h"
#include "records.h"
#include "routes.h"
#include "text_fold.h"

namespace vx {

namespace {

// Whether `sql` (taking the id as its one parameter) finds a row.
bool exists(Db &db, const char *sql, std::int64_t id)
{
    auto s = db.prepare(sql);
    s.bind(1, id);
    return s.step();
}

Json requireGroup(Db &db, std::int64_t id)
{
    auto g = loadArticleGroup(db, id);
    if (!g)
        fail(406, "no article group with id " + std::to_string(id));
    return *g;
}

// Pieces: never below zero, and small enough that no sum of them (stock,
// a delivery note's total) can leave the range of whole numbers.
constexpr std::int64_t kMaxQuantity = 1000000000;

std::int64_t nonNegative(const Fields &f, const char *key)
{
    const std::int64_t v = f.integer(key);
    if (v < 0)
        fail(422, std::string("\"") + key + "\" must not be below zero, got " + std::to_string(v));
    if (v > kMaxQuantity)
        fail(422, std::string("\"") + key + "\" must not be above " + std::to_string(kMaxQuantity));
    return v;
}

struct DeliveryOrderRow
{
    std::int64_t id;
    std::int64_t number;
    bool created;
};

std::optional<DeliveryOrderRow> findDeliveryOrder(Db &db, const char *column, std::int64_t value)
{
    auto s =
        db.prepare(std::string("SELECT id, deliveryorders_no, created FROM deliveryorders WHERE ") + column + " = ?");
    s.bind(1, value);
    if (!s.step())
        return std::nullopt;
    return DeliveryOrderRow {s.getInt("id"), s.getInt("deliveryorders_no"), s.getBool("created")};
}

std::optional<DeliveryOrderRow> deliveryOrderByNumber(Db &db, std::int64_t number)
{
    return findDeliveryOrder(db, "deliveryorders_no", number);
}

std::optional<DeliveryOrderRow> deliveryOrderById(Db &db, std::int64_t id)
{
    return findDeliveryOrder(db, "id", id);
}

Json groupFromRow(const Stmt &s)
{
    return articleGroupFromRow(s);
}

// A one-element array or an empty one, as the client asks for it.
void replyFirstDeliveryOrder(Ctx &c, const std::string &where)
{
    auto s = c.db().prepare(deliveryOrderSelect() + where + " ORDER BY d.deliveryorders_no DESC LIMIT 1");
    replyRows(c, s, deliveryOrderFromRow);
}

// ------------------------------------------------------------ article groups

void listArticleGroups(Ctx &c)
{
    auto s = c.db().prepare(articleGroupSelect() + " ORDER BY g.id");
    replyRows(c, s, groupFromRow);
}

void getArticleGroup(Ctx &c)
{
    c.reply(200, requireGroup(c.db(), c.id()));
}

void createArticleGroup(Ctx &c)
{
    const Json body = c.bodyObject();
    const Fields f(body);
    const std::string name = f.text("articlename");
    const std::string articleno = f.text("articleno");
    const std::string farbe = f.text("farbe");
    const std::string size = f.text("size");
    const std::string typ = f.text("typ");
    const std::int64_t quantity = nonNegative(f, "quantity");
    const std::string storage = f.text("storage_location");
    // The client leaves the category out when creating it failed, and sends
    // "" for the customer when none was chosen.
    const auto categoryId = f.optionalIdLoose("category_id");
    const auto customerId = f.optionalIdLoose("customer_id");
    // Checked inside the write: a category or customer deleted meanwhile
    // is refused, not a broken reference.
    Transaction tx(c.db());
    if (categoryId && !exists(c.db(), "SELECT 1 FROM categories WHERE id = ?", *categoryId))
        fail(422, "\"category_id\" names no category: " + std::to_string(*categoryId));
    if (customerId && !customerExists(c.db(), *customerId))
        fail(422, "\"customer_id\" names no customer: " + std::to_string(*customerId));
    c.db()
        .prepare("INSERT INTO articlegroups(articlename, articleno, farbe, size, typ, quantity, storage_location, "
                 "category_id, customer_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .bind(1, name)
        .bind(2, articleno)
        .bind(3, farbe)
        .bind(4, size)
        .bind(5, typ)
        .bind(6, quantity)
        .bind(7, storage)
        .bind(8, categoryId)
        .bind(9, customerId)
        .run();
    const Json created = requireGroup(c.db(), c.db().lastInsertId());
    tx.commit();
    c.reply(201, created);
}

// Sets the quantity still to be booked (the client computes it).
void setArticleGroupQuantity(Ctx &c)
{
    const Json body = c.bodyObject();
    const std::int64_t quantity = nonNegative(Fields(body), "quantity");
    Transaction tx(c.db());
    requireGroup(c.db(), c.id());
    c.db().prepare("UPDATE articlegroups SET quantity = ? WHERE id = ?").bind(1, quantity).bind(2, c.id()).run();
    const Json updated = requireGroup(c.db(), c.id());
    tx.commit();
    c.reply(200, updated);
}

void deleteArticleGroup(Ctx &c)
{
    // The checks and the deletion in one transaction: a booking made in
    // between cannot slip past them, and of two deletions one succeeds.
    Transaction tx(c.db());
    requireGroup(c.db(), c.id());
    {
        auto refs = c.db().prepare("SELECT count(*) FROM articleinventory WHERE articlegroup_id = ?");
        refs.bind(1, c.id());
        refs.step();
        if (refs.getInt(0) > 0)
            fail(406, "article group " + std::to_string(c.id()) + " has stock booked against it");
    }
    c.db().prepare("DELETE FROM articlegroups WHERE id = ?").bind(1, c.id()).run();
    tx.commit();
    replyDeleted(c, c.id());
}

void searchArticleGroups(Ctx &c)
{
    replySearch(c, "articlename", articleGroupSelect(), "g.articlename", "g.id", groupFromRow);
}

// ------------------------------------------------------------ categories

void listCategories(Ctx &c)
{
    auto s = c.db().prepare(categorySelect() + " ORDER BY cat.id");
    replyRows(c, s, categoryFromRow);
}

// A name that exists already (ignoring case) is not created twice; the
// existing category comes back with 200.
void createCategory(Ctx &c)
{
    const Json body = c.bodyObject();
    const std::string name = Fields(body).text("keyword");
    if (name.find_first_not_of(" \t") == std::string::npos)
        fail(422, "\"keyword\" must not be empty");
    // Looked up inside the write transaction: two requests for the same
    // new name create it once.
    Transaction tx(c.db());
    {
        auto existing = c.db().prepare(categorySelect() + " WHERE vx_fold(cat.name) = ? ORDER BY cat.id");
        existing.bind(1, foldCase(name));
        if (existing.step()) {
            c.reply(200, categoryFromRow(existing));
            return;
        }
    }
    c.db().prepare("INSERT INTO categories(name) VALUES (?)").bind(1, name).run();
    const auto id = c.db().lastInsertId();
    tx.commit();
    c.reply(201, Json {{"id", id}, {"name", name}});
}

void searchCategories(Ctx &c)
{
    replySearch(c, "keyword", categorySelect(), "cat.name", "cat.id", categoryFromRow);
}

// ------------------------------------------------------------ stock bookings

// The stock overview works on the delivery order being filled: bookings of
// generated delivery orders are not listed any more.
void listStock(Ctx &c)
{
    auto s = c.db().prepare(inventorySelect()
        + " JOIN deliveryorders dlv ON dlv.deliveryorders_no = a.deliveryorder_no "
          "WHERE dlv.created = 0 ORDER BY a.id");
    replyRows(c, s, inventoryFromRow);
}

void bookStock(Ctx &c)
{
    const Json body = c.bodyObject();
    const Fields f(body);
    const std::string ean = f.text("eanno");
    const std::int64_t quantity = nonNegative(f, "quantity");
    const std::int64_t groupId = f.idLoose("articlegroup_id");
    const std::int64_t number = f.integer("deliveryorder_no");
    // Checked inside the write: nothing is booked into a delivery order
    // that was generated (its note handed out) or deleted meanwhile.
    Transaction tx(c.db());
    if (!exists(c.db(), "SELECT 1 FROM articlegroups WHERE id = ?", groupId))
        fail(422, "\"articlegroup_id\" names no article group: " + std::to_string(groupId));
    const auto order = deliveryOrderByNumber(c.db(), number);
    if (!order)
        fail(422, "\"deliveryorder_no\" names no delivery order: " + std::to_string(number));
    if (order->created)
        fail(409, "delivery order " + std::to_string(number) + " has been generated; open a new one");
    c.db()
        .prepare("INSERT INTO articleinventory(eanno, quantity, articlegroup_id, deliveryorder_no) "
                 "VALUES (?, ?, ?, ?)")
        .bind(1, ean)
        .bind(2, quantity)
        .bind(3, groupId)
        .bind(4, number)
        .run();
    const auto booking = loadBooking(c.db(), c.db().lastInsertId());
    if (!booking)
        throw DbError("the new stock booking cannot be read back");
    tx.commit();
    c.reply(201, *booking);
}

// The booking view lowers the article group's quantity still to be booked
// when it books; a booking that is taken back gives its pieces back to the
// group, in the same transaction, so no stock goes missing.
void deleteBooking(Ctx &c)
{
    // Read inside the write transaction: two deletions of the same booking
    // give its pieces back once, and an open read does not keep the write
    // from starting (SQLite answers that with "busy").
    Transaction tx(c.db());
    std::int64_t quantity = 0;
    std::int64_t groupId = 0;
    {
        auto s = c.db().prepare("SELECT a.quantity AS quantity, a.articlegroup_id AS articlegroup_id, "
                                "d.created AS created FROM articleinventory a JOIN deliveryorders d ON "
                                "d.deliveryorders_no = a.deliveryorder_no WHERE a.id = ?");
        s.bind(1, c.id());
        if (!s.step())
            fail(406, "no stock booking with id " + std::to_string(c.id()));
        if (s.getBool("created"))
            fail(406, "stock booking " + std::to_string(c.id()) + " belongs to a generated delivery order");
        quantity = s.getInt("quantity");
        groupId = s.getInt("articlegroup_id");
    }
    c.db()
        .prepare("UPDATE articlegroups SET quantity = quantity + ? WHERE id = ?")
        .bind(1, quantity)
        .bind(2, groupId)
        .run();
    c.db().prepare("DELETE FROM articleinventory WHERE id = ?").bind(1, c.id()).run();
    tx.commit();
    replyDeleted(c, c.id());
}

// Takes the delivery order number, not a record id: the bookings carry the
// number. Like a single delete, it gives every group its pieces back.
void deleteBookingSeries(Ctx &c)
{
    const std::int64_t number = c.id();
    // Checked inside the write: the stock of a note handed out meanwhile
    // stays on it.
    Transaction tx(c.db());
    const auto order = deliveryOrderByNumber(c.db(), number);
    if (!order)
        fail(406, "no delivery order with number " + std::to_string(number));
    if (order->created)
        fail(406, "delivery order " + std::to_string(number) + " has been generated; its stock stays");
    c.db()
        .prepare("UPDATE articlegroups SET quantity = quantity + (SELECT sum(a.quantity) FROM articleinventory a "
                 "WHERE a.articlegroup_id = articlegroups.id AND a.deliveryorder_no = ?1) "
                 "WHERE id IN (SELECT articlegroup_id FROM articleinventory WHERE deliveryorder_no = ?1)")
        .bind(1, number)
        .run();
    c.db().prepare("DELETE FROM articleinventory WHERE deliveryorder_no = ?").bind(1, number).run();
    const int deleted = c.db().changes();
    tx.commit();
    c.reply(200, Json {{"deliveryorders_no", number}, {"deleted", deleted}});
}

// ------------------------------------------------------------ delivery orders

void listDeliveryOrders(Ctx &c)
{
    auto s = c.db().prepare(deliveryOrderSelect() + " ORDER BY d.deliveryorders_no");
    replyRows(c, s, deliveryOrderFromRow);
}

// Numbers come from the client (last number plus one). The record id is the
// number itself: the client addresses a delivery order by "id" when
// generating it and by its number when cancelling it, and both must reach
// the same record.
void openDeliveryOrder(Ctx &c)
{
    const Json body = c.bodyObject();
    const Fields f(body);
    const std::string date = f.text("delivery_date");
    const std::int64_t number = f.integer("deliveryorders_no");
    const bool created = f.boolean("created");
    const auto customerId = f.optionalIdLoose("customer_id");
    if (number < 1)
        fail(422, "\"deliveryorders_no\" must be 1 or more, got " + std::to_string(number));
    // Checked under the write lock, which every writer of the database
    // takes (on PostgreSQL also other servers): of delivery orders opened at
    // once, one is opened and the others are refused.
    Transaction tx(c.db());
    if (customerId && !customerExists(c.db(), *customerId))
        fail(422, "\"customer_id\" names no customer: " + std::to_string(*customerId));
    if (deliveryOrderByNumber(c.db(), number))
        fail(409, "delivery order number " + std::to_string(number) + " exists already");
    // Stock is always booked against the one open delivery order; a second
    // one would split it.
    if (!created) {
        auto open = c.db().prepare("SELECT deliveryorders_no FROM deliveryorders WHERE created = 0 LIMIT 1");
        if (open.step())
            fail(409,
                "delivery order " + std::to_string(open.getInt(0))
                    + " is still open; generate or cancel it before opening another");
    }
    auto ins = c.db().prepare("INSERT INTO deliveryorders(id, deliveryorders_no, delivery_date, created, "
                              "customer_id, generated_at) VALUES (?1, ?1, ?2, ?3, ?4, ?5)");
    ins.bind(1, number).bind(2, date).bind(3, created).bind(4, customerId);
    if (created)
        ins.bind(5, nowIso());
    else
        ins.bindNull(5);
    ins.run();
    const auto order = loadDeliveryOrder(c.db(), number);
    if (!order)
        throw DbError("the new delivery order cannot be read back");
    tx.commit();
    c.reply(201, *order);
}

void openDeliveryOrderCheck(Ctx &c)
{
    replyFirstDeliveryOrder(c, " WHERE d.created = 0");
}

void lastDeliveryOrder(Ctx &c)
{
    replyFirstDeliveryOrder(c, "");
}

// Takes the record id (which equals the number). An order with bookings is
// refused: the client deletes the bookings first (series delete).
void deleteDeliveryOrder(Ctx &c)
{
    // Checked inside the write: a delivery order generated meanwhile keeps
    // its number.
    Transaction tx(c.db());
    const auto order = deliveryOrderById(c.db(), c.id());
    if (!order)
        fail(406, "no delivery order with id " + std::to_string(c.id()));
    if (order->created)
        fail(406, "delivery order " + std::to_string(order->number) + " has been generated and stays");
    {
        auto refs = c.db().prepare("SELECT count(*) FROM articleinventory WHERE deliveryorder_no = ?");
        refs.bind(1, order->number);
        refs.step();
        if (refs.getInt(0) > 0)
            fail(406, "delivery order " + std::to_string(order->number) + " still has stock booked");
    }
    c.db().prepare("DELETE FROM deliveryorders WHERE id = ?").bind(1, c.id()).run();
    tx.commit();
    replyDeleted(c, c.id());
}

// The note kept for a generated delivery order, if it has one yet.
std::optional<std::string> storedNote(Db &db, std::int64_t id)
{
    auto s = db.prepare("SELECT note_pdf FROM deliveryorders WHERE id = ?");
    s.bind(1, id);
    if (!s.step() || s.isNull(0))
        return std::nullopt;
    return s.getBlob(0);
}

// Closes the delivery order and hands out its delivery note. Asking again
// (a client whose reply was lost) gives the same note, byte for byte: the
// first one drawn is kept, and nothing is generated twice.
void generateDeliveryOrder(Ctx &c)
{
    std::int64_t number = 0;
    std::optional<std::string> pdf;
    {
        Transaction tx(c.db());
        const auto order = deliveryOrderById(c.db(), c.id());
        if (!order)
            fail(406, "no delivery order with id " + std::to_string(c.id()));
        number = order->number;
        if (!order->created)
            c.db()
                .prepare("UPDATE deliveryorders SET created = 1, generated_at = ? WHERE id = ?")
                .bind(1, nowIso())
                .bind(2, c.id())
                .run();
        pdf = storedNote(c.db(), c.id());
        tx.commit();
    }
    if (!pdf) {
        // Drawn outside the write lock: a long document holds up no other
        // writer. The delivery order is closed, so its stock stays as
        // drawn; of two drawings at once, the first kept is handed out.
        const std::string drawn = renderDeliveryNote(loadDeliveryNote(c.db(), c.id()));
        Transaction tx(c.db());
        c.db()
            .prepare("UPDATE deliveryorders SET note_pdf = ? WHERE id = ? AND note_pdf IS NULL")
            .bindBlob(1, drawn)
            .bind(2, c.id())
            .run();
        pdf = storedNote(c.db(), c.id());
        tx.commit();
        if (!pdf)
            fail(406, "no delivery order with id " + std::to_string(c.id()));
    }
    c.res.status = 200;
    c.res.set_header("Content-Disposition", "inline; filename=\"Lieferschein-" + std::to_string(number) + ".pdf\"");
    c.res.set_content(*pdf, "application/pdf");
}

} // namespace

void addWarehouseRoutes(Router &r)
{
    r.add("GET", "articlegroups", listArticleGroups);
    r.add("GET", "articlegroups/{id}", getArticleGroup);
    r.add("POST", "articlegroups", createArticleGroup);
    r.add("PUT", "articlegroups/{id}", setArticleGroupQuantity);
    r.add("DELETE", "articlegroups/{id}", deleteArticleGroup);
    r.add("POST", "articlegroups_search", searchArticleGroups);
    r.add("POST", "articlegroups/search", searchArticleGroups);

    r.add("GET", "articlegroups/category", listCategories);
    r.add("POST", "articlegroups/category", createCategory);
    r.add("POST", "articlegroups/category/search", searchCategories);

    r.add("GET", "articleinventory", listStock);
    r.add("POST", "articleinventory", bookStock);
    r.add("DELETE", "articleinventory/{id}", deleteBooking);
    r.add("DELETE", "articleinventory/series/{id}", deleteBookingSeries);

    r.add("GET", "deliveryorder", listDeliveryOrders);
    r.add("POST", "deliveryorder", openDeliveryOrder);
    r.add("GET", "deliveryorder/checklast", openDeliveryOrderCheck);
    r.add("GET", "deliveryorder/getlastno", lastDeliveryOrder);
    r.add("DELETE", "deliveryorder/{id}", deleteDeliveryOrder);
    r.add("GET", "deliveryorder/generate/{id}", generateDeliveryOrder);
}

} // namespace vx
