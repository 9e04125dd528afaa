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

void replyPage(Ctx &c, const char *table, const std::string &select, const RowReader &read)
{
    const auto page = c.page();
    auto count = c.db().prepare(std::string("SELECT count(*) FROM ") + table);
    count.step();
    const auto w = pageWindow(page, c.app.options.pageSize, count.getInt(0));
    auto s = c.db().prepare(select + " LIMIT ? OFFSET ?");
    s.bind(1, w.limit).bind(2, w.offset);
    replyRows(c, s, read);
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

void replyDeleted(Ctx &c, std::int64_t id)
{
    c.reply(200, Json {{"id", id}, {"deleted", true}});
}

} // namespace vx
