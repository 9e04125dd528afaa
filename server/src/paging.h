// Where each page of a paged list starts, without counting the table or
// skipping rows with OFFSET for every page: the list is read in id order,
// and the last id of every page is remembered, so page N is a seek to the
// id that ends page N - 1. The first request for a page beyond what is
// known reads the ids up to it once; later requests for any page up to it
// cost what the first page costs.
//
// New rows get higher ids than all others and only extend the last page,
// so the remembered boundaries stay right. Where writes run side by side a
// row may be committed after one with a higher id, so boundaries are kept
// only when read from a settled snapshot (ReadTransaction, db.h). A
// deletion shifts every later page; the database counts deletions per list
// (schema), and a changed count makes the boundaries be read again.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "db.h"

namespace vx {

class PageIndex
{
public:
    struct Start
    {
        bool exists = true; // false: the page lies past the last one
        std::optional<std::int64_t> afterId; // the page starts after this id; none: from the first row
    };

    // Whether start() knows where the page starts without reading
    // boundaries (unless deletions came meanwhile); when not, the snapshot
    // for it is better a settled one.
    bool known(const std::string &list, std::int64_t page, std::int64_t pageSize);
    // Must run inside a ReadTransaction, so the deletion count and the rows
    // belong to one snapshot; `settled` is whether it is a settled one.
    // `list` is the table name ("customers", "orders", "invoices").
    Start start(Db &db, const std::string &list, std::int64_t page, std::int64_t pageSize, bool settled);

private:
    struct Known
    {
        std::int64_t deletions = -1;
        std::int64_t pageSize = 0;
        std::vector<std::int64_t> lastIds; // lastIds[k]: the last id of page k + 1
    };
    std::mutex mutex_;
    std::map<std::string, Known> lists_;
};

} // namespace vx
