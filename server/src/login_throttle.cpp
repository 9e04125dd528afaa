#include "login_throttle.h"

#include <algorithm>
#include <vector>

namespace vx {

LoginThrottle::LoginThrottle(int freeAttempts) : freeAttempts_(freeAttempts)
{
}

int LoginThrottle::waitSeconds(const std::string &user, const std::string &address, Clock::time_point now)
{
    std::lock_guard<std::mutex> g(mutex_);
    Clock::time_point until {};
    if (const auto it = users_.find(user); it != users_.end())
        until = std::max(until, it->second.blockedUntil);
    if (const auto it = addresses_.find(address); it != addresses_.end())
        until = std::max(until, it->second.blockedUntil);
    if (until <= now)
        return 0;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
    return static_cast<int>((left + 999) / 1000);
}

void LoginThrottle::failed(const std::string &user, const std::string &address, Clock::time_point now)
{
    std::lock_guard<std::mutex> g(mutex_);
    fail(users_, user, kUserCap, now);
    fail(addresses_, address, kAddressCap, now);
}

void LoginThrottle::succeeded(const std::string &user, const std::string &address)
{
    std::lock_guard<std::mutex> g(mutex_);
    users_.erase(user);
    addresses_.erase(address);
}

void LoginThrottle::fail(Map &map, const std::string &key, std::chrono::seconds cap, Clock::time_point now)
{
    if (map.size() >= kMaxEntries && map.find(key) == map.end())
        prune(map, now);
    Entry &e = map[key];
    // A name or address that has been quiet for an hour starts afresh.
    if (e.failures > 0 && now - e.lastFailure > std::chrono::hours(1))
        e = Entry {};
    ++e.failures;
    e.lastFailure = now;
    const int beyond = e.failures - freeAttempts_ + 1;
    if (beyond <= 0)
        return;
    const auto wait = std::min<std::chrono::seconds>(cap, std::chrono::seconds(1LL << std::min(beyond - 1, 20)));
    e.blockedUntil = now + wait;
}

// Drops what no longer blocks and has been quiet for an hour, and if that
// is not enough, the half that failed longest ago.
void LoginThrottle::prune(Map &map, Clock::time_point now)
{
    for (auto it = map.begin(); it != map.end();) {
        if (it->second.blockedUntil <= now && now - it->second.lastFailure > std::chrono::hours(1))
            it = map.erase(it);
        else
            ++it;
    }
    if (map.size() < kMaxEntries)
        return;
    std::vector<Clock::time_point> times;
    times.reserve(map.size());
    for (const auto &[key, e] : map)
        times.push_back(e.lastFailure);
    auto middle = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
    std::nth_element(times.begin(), middle, times.end());
    const auto cut = *middle;
    for (auto it = map.begin(); it != map.end();) {
        if (it->second.lastFailure < cut)
            it = map.erase(it);
        else
            ++it;
    }
}

} // namespace vx
