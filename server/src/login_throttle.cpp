#include "login_throttle.h"

#include <algorithm>
#include <vector>

namespace vx {

namespace {

std::string pairKey(const std::string &user, const std::string &address)
{
    return address + '\0' + user;
}

// Drops the half of `map` whose `when` lies furthest back.
template<typename Map, typename When>
void dropOlderHalf(Map &map, When when)
{
    std::vector<LoginThrottle::Clock::time_point> times;
    times.reserve(map.size());
    for (const auto &entry : map)
        times.push_back(when(entry.second));
    const auto middle = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
    std::nth_element(times.begin(), middle, times.end());
    const auto cut = *middle;
    for (auto it = map.begin(); it != map.end();)
        it = when(it->second) < cut ? map.erase(it) : std::next(it);
}

} // namespace

LoginThrottle::LoginThrottle(int pairAttempts, int addressBudget)
    : pairAttempts_(std::max(1, pairAttempts)), addressBudget_(std::max(1, addressBudget)),
      refill_(std::chrono::milliseconds(3600 * 1000 / addressBudget_))
{
}

double LoginThrottle::levelAt(const Address &a, Clock::time_point now) const
{
    const double given = std::chrono::duration<double>(now - a.at) / refill_;
    return std::max(0.0, a.level - given);
}

std::chrono::milliseconds LoginThrottle::addressWait(const Address &a, Clock::time_point now) const
{
    // Taken while at least one failure of the budget is to spare.
    const double over = levelAt(a, now) - (addressBudget_ - 1);
    if (over <= 0)
        return std::chrono::milliseconds(0);
    return std::chrono::duration_cast<std::chrono::milliseconds>(refill_ * over);
}

int LoginThrottle::waitSeconds(const std::string &user, const std::string &address, Clock::time_point now)
{
    std::lock_guard<std::mutex> g(mutex_);
    std::chrono::milliseconds wait {0};
    if (const auto it = pairs_.find(pairKey(user, address)); it != pairs_.end() && it->second.blockedUntil > now)
        wait = std::chrono::duration_cast<std::chrono::milliseconds>(it->second.blockedUntil - now);
    if (const auto it = addresses_.find(address); it != addresses_.end())
        wait = std::max(wait, addressWait(it->second, now));
    return static_cast<int>((wait.count() + 999) / 1000);
}

bool LoginThrottle::failed(const std::string &user, const std::string &address, Clock::time_point now)
{
    std::lock_guard<std::mutex> g(mutex_);
    if (pairs_.size() >= kMaxEntries || addresses_.size() >= kMaxEntries)
        prune(now);

    Pair &p = pairs_[pairKey(user, address)];
    // A pair that has been quiet for an hour starts afresh.
    if (p.failures > 0 && now - p.lastFailure > std::chrono::hours(1))
        p = Pair {};
    ++p.failures;
    p.lastFailure = now;
    const int beyond = p.failures - pairAttempts_;
    if (beyond >= 0)
        p.blockedUntil =
            now + std::min<std::chrono::seconds>(kPairCap, std::chrono::seconds(1LL << std::min(beyond, 20)));

    Address &a = addresses_[address];
    const bool hadSpare = addressWait(a, now).count() == 0;
    a.level = levelAt(a, now) + 1;
    a.at = now;
    return hadSpare && addressWait(a, now).count() > 0;
}

void LoginThrottle::succeeded(const std::string &user, const std::string &address)
{
    // The address's failures stay counted: a guesser with an account of its
    // own does not earn a fresh budget by logging in between guesses.
    std::lock_guard<std::mutex> g(mutex_);
    pairs_.erase(pairKey(user, address));
}

LoginThrottle::Figures LoginThrottle::figures(Clock::time_point now)
{
    std::lock_guard<std::mutex> g(mutex_);
    Figures f;
    f.pairs = pairs_.size();
    f.addresses = addresses_.size();
    for (const auto &[key, p] : pairs_)
        f.waitingPairs += p.blockedUntil > now;
    for (const auto &[key, a] : addresses_)
        f.waitingAddresses += addressWait(a, now).count() > 0;
    return f;
}

// Drops what no longer counts, and if that is not enough, the older half.
void LoginThrottle::prune(Clock::time_point now)
{
    for (auto it = pairs_.begin(); it != pairs_.end();)
        it = it->second.blockedUntil <= now && now - it->second.lastFailure > std::chrono::hours(1) ? pairs_.erase(it)
                                                                                                    : std::next(it);
    for (auto it = addresses_.begin(); it != addresses_.end();)
        it = levelAt(it->second, now) < 1 ? addresses_.erase(it) : std::next(it);
    if (pairs_.size() >= kMaxEntries)
        dropOlderHalf(pairs_, [](const Pair &p) { return p.lastFailure; });
    if (addresses_.size() >= kMaxEntries)
        dropOlderHalf(addresses_, [](const Address &a) { return a.at; });
}

} // namespace vx
