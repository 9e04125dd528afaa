#include "options.h"
#include "routes.h"
#include "text_fold.h"

namespace vx {

void replyRows(Ctx &c, Stmt &s, const RowReader &read, WhenEmpty whenEmpty)
{
    const Json list = collectRows(s, read);
    if (list.empty() && whenEmpty == WhenEmpty::NoContent)
        c.replyNoContent();
    else
        c.reply(200, list);
}

void replyPage(Ctx &c, const char *list, const std::string &select, const char *idColumn, const RowReader &read)
{
    const auto page = c.page();
    const auto pageSize = c.app.options.pageSize;
    Json rows;
    {
        ReadTransaction snapshot(c.db());
        const auto start = c.app.pages.start(c.db(), list, page, pageSize);
        if (start.exists) {
            auto s = c.db().prepare(select + " WHERE " + idColumn + " > ? ORDER BY " + idColumn + " LIMIT ?");
            s.bind(1, start.afterId.value_or(0)).bind(2, pageSize);
            rows = collectRows(s, read);
        }
    }
    if (page > 1 && (rows.is_null() || rows.empty()))
        fail(400, "page " + std::to_string(page) + " is past the last page");
    c.reply(200, rows.is_null() ? Json::array() : rows);
}

void replySearch(Ctx &c, const char *bodyKey, const std::string &select, const std::string &haystack,
    const std::string &orderBy, const RowReader &read)
{
    const Json body = c.bodyObject();
    const std::string needle = foldCase(Fields(body).text(bodyKey));
    auto s = c.db().prepare(select + " WHERE instr(vx_fold(" + haystack + "), ?) > 0 ORDER BY " + orderBy + " LIMIT "
        + std::to_string(kSearchLimit));
    s.bind(1, needle);
    replyRows(c, s, read, WhenEmpty::NoContent);
}

namespace {

std::size_t codePoints(const std::string &utf8)
{
    std::size_t n = 0;
    for (unsigned char ch : utf8)
        n += (ch & 0xC0) != 0x80;
    return n;
}

std::string ftsPhrase(const std::string &text)
{
    std::string out = "\"";
    for (char ch : text) {
        out += ch;
        if (ch == '"')
            out += '"';
    }
    return out + "\"";
}

} // namespace

IndexedSearch searchByIds(
    const std::string &select, const std::string &idColumn, const std::string &matchIds, const std::string &scanIds)
{
    const std::string tail = ") ORDER BY " + idColumn + " LIMIT " + std::to_string(kSearchLimit);
    return IndexedSearch {select + " WHERE " + idColumn + " IN (" + matchIds + tail,
        select + " WHERE " + idColumn + " IN (" + scanIds + tail};
}

void replyIndexedSearch(Ctx &c, const char *bodyKey, const IndexedSearch &search, const RowReader &read)
{
    const Json body = c.bodyObject();
    const std::string needle = foldCase(Fields(body).text(bodyKey));
    // The index holds every run of three characters; shorter texts are
    // looked for in the indexed (already folded) texts one by one. On
    // PostgreSQL the folded texts are always scanned.
    const bool indexed = codePoints(needle) >= 3 && c.db().engine() == Engine::Sqlite;
    auto s = c.db().prepare(indexed ? search.indexed : search.scan);
    s.bind(1, indexed ? ftsPhrase(needle) : needle);
    replyRows(c, s, read, WhenEmpty::NoContent);
}

void replyDeleted(Ctx &c, std::int64_t id)
{
    c.reply(200, Json {{"id", id}, {"deleted", true}});
}

} // namespace vx
