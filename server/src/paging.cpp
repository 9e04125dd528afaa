#include "paging.h"

namespace vx {

bool PageIndex::known(const std::string &list, std::int64_t page, std::int64_t pageSize)
{
    if (page <= 1)
        return true;
    std::lock_guard<std::mutex> g(mutex_);
    const auto it = lists_.find(list);
    return it != lists_.end() && it->second.pageSize == pageSize
        && it->second.lastIds.size() >= static_cast<std::size_t>(page - 1);
}

PageIndex::Start PageIndex::start(
    Db &db, const std::string &list, std::int64_t page, std::int64_t pageSize, bool settled)
{
    if (page <= 1)
        return Start {true, std::nullopt};

    std::int64_t deletions = 0;
    {
        auto s = db.prepare("SELECT deletions FROM list_deletions WHERE list = ?");
        s.bind(1, list);
        if (s.step())
            deletions = s.getInt("deletions");
    }

    std::lock_guard<std::mutex> g(mutex_);
    Known &k = lists_[list];
    if (k.deletions != deletions || k.pageSize != pageSize) {
        k = Known {};
        k.deletions = deletions;
        k.pageSize = pageSize;
    }
    const auto needed = static_cast<std::size_t>(page - 1);
    if (k.lastIds.size() >= needed)
        return Start {true, k.lastIds[needed - 1]};
    // Rows may have been added since the boundaries were read: go on from
    // the last known boundary; from a snapshot that is not settled, for
    // this page only.
    std::vector<std::int64_t> unsettled;
    std::vector<std::int64_t> &lastIds = settled ? k.lastIds : (unsettled = k.lastIds);
    auto s = db.prepare("SELECT id FROM " + list + " WHERE id > ? ORDER BY id");
    s.bind(1, lastIds.empty() ? std::int64_t(0) : lastIds.back());
    std::int64_t inPage = 0;
    while (lastIds.size() < needed && s.step()) {
        if (++inPage == pageSize) {
            lastIds.push_back(s.getInt(0));
            inPage = 0;
        }
    }
    if (lastIds.size() < needed)
        return Start {false, std::nullopt};
    return Start {true, lastIds[needed - 1]};
}

} // namespace vx
