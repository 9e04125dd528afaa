#include "json_write.h"
#include "options.h"
#include "routes.h"
#include "text_fold.h"

#include <cctype>
#include <memory>
#include <unordered_map>

namespace vx {

namespace {

void replyList(Ctx &c, const Json &list, WhenEmpty whenEmpty)
{
    if (list.empty() && whenEmpty == WhenEmpty::NoContent)
        c.replyNoContent();
    else
        c.reply(200, list);
}

} // namespace

void replyRows(Ctx &c, Stmt &s, const RowReader &read, WhenEmpty whenEmpty)
{
    replyList(c, collectRows(s, read), whenEmpty);
}

void replyPage(Ctx &c, const char *list, const std::string &select, const char *idColumn, const RowReader &read)
{
    const auto page = c.page();
    const auto pageSize = c.app.options.pageSize;
    Json rows;
    {
        ReadTransaction snapshot(c.db(), c.app.pages.known(list, page, pageSize) ? nullptr : list);
        const auto start = c.app.pages.start(c.db(), list, page, pageSize, snapshot.settled());
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

// Three letters or digits in a row that PostgreSQL's trigram index holds
// as such in a database of any locale: ASCII, and (in their plain form,
// schema) the German ä, ö, ü and ß of a folded text.
bool hasThreeLettersInARow(const std::string &folded)
{
    int run = 0;
    for (std::size_t i = 0; i < folded.size() && run < 3; ++i) {
        const auto ch = static_cast<unsigned char>(folded[i]);
        if (ch < 0x80 && std::isalnum(ch)) {
            ++run;
        } else if (ch == 0xC3 && i + 1 < folded.size()) {
            const auto next = static_cast<unsigned char>(folded[++i]);
            run = next == 0xA4 || next == 0xB6 || next == 0xBC || next == 0x9F ? run + 1 : 0;
        } else if ((ch & 0xC0) != 0x80) {
            run = 0;
        }
    }
    return run >= 3;
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

std::string trigramMatch(const std::string &text)
{
    return "vx_trigram_text(" + text + ") LIKE vx_substring_pattern(?1)";
}

IndexedSearch searchByIds(const std::string &select, const std::string &idColumn, const std::string &matchIds,
    const std::string &trigramIds, const std::string &scanIds, const std::string &commonTrigramIds,
    const RecordVersions &versions)
{
    const std::string tail = ") ORDER BY " + idColumn + " LIMIT " + std::to_string(kSearchLimit);
    const auto among = [&](const std::string &of, const std::string &ids) {
        return of + " WHERE " + idColumn + " IN (" + ids + tail;
    };
    // PostgreSQL plans "IN (ids)" of a few hundred as a hash join that reads
    // every record of a small table; the ids as one array are looked up one
    // by one in the primary key, which costs half as much.
    const auto byArray = [&](const std::string &of, const std::string &ids) {
        return ids.empty() ? ids : of + " WHERE " + idColumn + " = ANY(ARRAY(" + ids + ")" + tail;
    };
    IndexedSearch search {among(select, matchIds), byArray(select, trigramIds), among(select, scanIds),
        byArray(select, commonTrigramIds)};
    if (!versions.select.empty())
        search.kept = {byArray(versions.select, trigramIds), among(versions.select, scanIds),
            byArray(versions.select, commonTrigramIds), versions.byIdList};
    return search;
}

namespace {

// The records of a search whose versions `found` selects ("id", "version"
// in id order), those unchanged from `cache`, the others read by
// `byIdList` and kept; as the JSON text of the reply's list, and how many.
std::pair<std::string, std::size_t> keptRecords(
    Ctx &c, Stmt &found, const std::string &byIdList, const RowReader &read, RecordCache &cache)
{
    std::vector<RecordCache::Record> records;
    while (found.step())
        records.push_back({found.getInt(0), found.getText(1), nullptr});
    cache.fill(records);
    std::string missing;
    for (const auto &r : records)
        if (!r.json)
            missing += (missing.empty() ? "" : ",") + std::to_string(r.id);
    if (!missing.empty()) {
        // Read after the versions, so a record may have changed meanwhile:
        // it is kept under the version read with it, and one deleted
        // meanwhile is left out.
        std::vector<RecordCache::Record> fresh;
        auto s = c.db().prepare(byIdList);
        s.bind(1, missing);
        while (s.step())
            fresh.push_back(
                {s.getInt("id"), s.getText("version"), std::make_shared<const std::string>(writeJson(read(s)))});
        cache.keep(fresh);
        std::unordered_map<std::int64_t, std::shared_ptr<const std::string>> freshById;
        for (const auto &f : fresh)
            freshById.emplace(f.id, f.json);
        for (auto &r : records)
            if (const auto it = freshById.find(r.id); !r.json && it != freshById.end())
                r.json = it->second;
    }
    std::string list = "[";
    std::size_t count = 0;
    for (const auto &r : records) {
        if (!r.json)
            continue;
        if (count++ > 0)
            list += ',';
        list += *r.json;
    }
    list += ']';
    return {list, count};
}

} // namespace

void replyIndexedSearch(
    Ctx &c, const char *bodyKey, const IndexedSearch &search, const RowReader &read, RecordCache *cache)
{
    const Json body = c.bodyObject();
    const std::string needle = foldCase(Fields(body).text(bodyKey));
    // The indexes hold every run of three characters (PostgreSQL's only of
    // letters and digits); other texts are looked for in the search texts
    // one by one.
    const std::string *sql = &search.scan;
    std::string text = needle;
    // The text for this search (each lives as long as the server), under
    // which the server keeps whether it filled the search (CommonTexts).
    std::string common;
    if (c.db().engine() == Engine::Sqlite && codePoints(needle) >= 3) {
        sql = &search.indexed;
        text = ftsPhrase(needle);
    } else if (c.db().engine() == Engine::Postgres && hasThreeLettersInARow(needle)) {
        sql = &search.trigram;
        if (!search.trigramCommon.empty()) {
            common = std::to_string(reinterpret_cast<std::uintptr_t>(&search)) + ' ' + needle;
            if (c.app.commonTexts.has(common))
                sql = &search.trigramCommon;
        }
    }
    // The same search for versions, where records are kept.
    const std::string *keptSql = nullptr;
    if (cache && c.db().engine() == Engine::Postgres && !search.kept.byIdList.empty())
        keptSql = sql == &search.trigram   ? &search.kept.trigram
            : sql == &search.trigramCommon ? &search.kept.trigramCommon
                                           : &search.kept.scan;
    auto s = c.db().prepare(keptSql ? *keptSql : *sql);
    s.bind(1, text);
    std::size_t found = 0;
    if (keptSql) {
        auto [list, count] = keptRecords(c, s, search.kept.byIdList, read, *cache);
        found = count;
        if (count == 0)
            c.replyNoContent();
        else
            c.replyJsonText(200, std::move(list));
    } else {
        const Json list = collectRows(s, read);
        found = list.size();
        replyList(c, list, WhenEmpty::NoContent);
    }
    if (!common.empty())
        c.app.commonTexts.note(common, found >= static_cast<std::size_t>(kSearchLimit));
}

void replyDeleted(Ctx &c, std::int64_t id)
{
    c.reply(200, Json {{"id", id}, {"deleted", true}});
}

} // namespace vx
