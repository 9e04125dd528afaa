// The search texts that many records hold, as the last search for each
// found: they filled the search (as many records as a search returns).
// Such a text is best found by reading the first records in id order at
// once; asking the trigram index first whether there are few costs about
// as much as that read, and for them is wasted. A wrong memory costs time,
// never a different answer: the search that skips the question still asks
// the index when the first records hold too few.
#pragma once

#include <mutex>
#include <string>
#include <unordered_set>

namespace vx {

class CommonTexts
{
public:
    bool has(const std::string &key) const
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return common_.count(key) > 0;
    }

    void note(const std::string &key, bool common)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!common) {
            common_.erase(key);
            return;
        }
        // A day's common beginnings of names fit many times over; past
        // that it starts anew rather than grow with every text typed.
        if (common_.size() >= kMost)
            common_.clear();
        common_.insert(key);
    }

private:
    static constexpr std::size_t kMost = 1024;
    mutable std::mutex mutex_;
    std::unordered_set<std::string> common_;
};

} // namespace vx
