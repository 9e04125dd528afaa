// Records as the JSON text of a reply, each kept under the version of the
// rows it was read from. PostgreSQL tells a row's version for a few bytes
// (the transaction that wrote it and where the row lies); sending the
// hundred-odd customers of a search again costs it three times as much as
// telling their versions, and this server as much again to read them. So a
// search asks for the versions of what it found and reads only the records
// whose versions it does not hold. A record changed in any way has a new
// version and is read anew; one deleted is never asked for again. Each
// server keeps its own, so servers sharing one database agree.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace vx {

class RecordCache
{
public:
    struct Record
    {
        std::int64_t id = 0;
        std::string version;
        std::shared_ptr<const std::string> json; // null while not known
    };

    // Sets the text of each record kept under the same version.
    void fill(std::vector<Record> &records) const
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        for (auto &r : records) {
            const auto kept = records_.find(r.id);
            if (kept != records_.end() && kept->second.version == r.version)
                r.json = kept->second.json;
        }
    }

    void keep(const std::vector<Record> &records)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        for (const auto &r : records) {
            auto &kept = records_[r.id];
            bytes_ -= kept.json ? kept.json->size() : 0;
            bytes_ += r.json->size();
            kept = r;
        }
        // Customers searched for in a day fit many times over; past that it
        // starts anew rather than grow with every record ever found.
        if (bytes_ > kMostBytes) {
            records_.clear();
            bytes_ = 0;
        }
    }

private:
    static constexpr std::size_t kMostBytes = 32u << 20;
    mutable std::mutex mutex_;
    std::unordered_map<std::int64_t, Record> records_;
    std::size_t bytes_ = 0;
};

} // namespace vx
