// Registration of the resource handlers, and the helpers they share. Every
// handler runs on a worker with that worker's own database connection
// (c.db()) and with an authenticated user.
//
// Each resource file names one handler function per route and lists them
// in its add...Routes() function, which reads as the table of its routes:
//   routes_session.cpp    me, me/logout
//   routes_customers.cpp  customer, customer_commercial, customer searches
//   routes_orders.cpp     assignment (orders), taxes, checkout, invoice
//   routes_warehouse.cpp  articlegroups, categories, articleinventory,
//                         deliveryorder
#pragma once

#include <string>

#include "http.h"
#include "record_cache.h"
#include "records.h"

namespace vx {

void addSessionRoutes(Router &r);
void addCustomerRoutes(Router &r);
void addOrderRoutes(Router &r); // orders, taxes, checkout, invoices
void addWarehouseRoutes(Router &r);

// Searches return at most this many records.
constexpr int kSearchLimit = 200;

// What a list without rows answers: an empty array (lists), or 204 without
// a body (searches, whose callers test for "no hits").
enum class WhenEmpty { EmptyArray, NoContent };

// Collects the rows (collectRows) and replies with them (200).
void replyRows(Ctx &c, Stmt &s, const RowReader &read, WhenEmpty whenEmpty = WhenEmpty::EmptyArray);
// One page of a paged list in id order: `select` (ending before its WHERE)
// over the rows of the table `list`, whose id column is `idColumn`; 400
// past the last page, but page 1 of an empty list is an empty page.
void replyPage(Ctx &c, const char *list, const std::string &select, const char *idColumn, const RowReader &read);
// A search: the text under `bodyKey` of the request, case-folded, is looked
// for anywhere in the SQL expression `haystack`, row by row; `select` ends
// before its WHERE, `orderBy` is appended after it. For small tables.
void replySearch(Ctx &c, const char *bodyKey, const std::string &select, const std::string &haystack,
    const std::string &orderBy, const RowReader &read);

// A search through a trigram index (schema): three whole queries (with
// their ORDER BY and LIMIT) that find the same records: `indexed` through
// SQLite's index, with ?1 the quoted FTS phrase of the folded text (as in
// "... MATCH '{name} : ' || ?1"); `trigram` through PostgreSQL's, with ?1
// the folded text (trigramMatch(), then the text itself); `scan` with ?1
// the folded text, looked for in the search texts one by one, for texts
// shorter than the three characters an index entry holds.
//
// `trigramCommon`, where not empty, finds the same through PostgreSQL's
// index for texts that filled a search before: it reads the first records
// in id order at once, skipping `trigram`'s first question to the index
// (whether there are few), and asks the index only when they hold too few.
//
// `kept`, where not empty, holds the same searches on PostgreSQL for
// records kept in a RecordCache: they select each found record's id and
// version only, and `byIdList` reads the records not kept.
struct IndexedSearch
{
    std::string indexed;
    std::string trigram;
    std::string scan;
    std::string trigramCommon = {};
    struct Kept
    {
        std::string trigram, scan, trigramCommon, byIdList;
    } kept = {};
};
// How PostgreSQL tells the versions of records kept in a RecordCache:
// `select` of each record's "id" and "version", ending before its WHERE
// (FROM as in the search's select); `byIdList`, the records whose ids are
// in ?1 (as "1,2,3"), each with its "version".
struct RecordVersions
{
    std::string select;
    std::string byIdList;
};
// The condition under which PostgreSQL's trigram index of the search text
// `text` finds every row whose text holds the folded text ?1 (and a few
// that do not). `text` must be written as the index has it (schema).
std::string trigramMatch(const std::string &text);
// The search text of a customer as its trigram index has it.
constexpr const char *kCustomerTrigramText = "name || chr(31) || company";
// The search of `select` (ending before its WHERE) for the records whose
// `idColumn` is among the ids that `matchIds`, `trigramIds` or `scanIds`
// select; with `versions`, also their forms for a RecordCache (Kept).
IndexedSearch searchByIds(const std::string &select, const std::string &idColumn, const std::string &matchIds,
    const std::string &trigramIds, const std::string &scanIds, const std::string &commonTrigramIds = {},
    const RecordVersions &versions = {});
// Replies with the records a search finds; on PostgreSQL those of a search
// with `kept` queries come from `cache` where their rows are unchanged.
void replyIndexedSearch(
    Ctx &c, const char *bodyKey, const IndexedSearch &search, const RowReader &read, RecordCache *cache = nullptr);
// {"id": id, "deleted": true}, the reply of a deleted record.
void replyDeleted(Ctx &c, std::int64_t id);

} // namespace vx
