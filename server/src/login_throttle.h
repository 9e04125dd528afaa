// Slows down password guessing: after a number of failed logins for a user
// name, or from a client address, further attempts are refused for a while
// (1 s, doubling with every further failure, up to a cap), before the slow
// password check runs. A successful login clears both counts. Kept in
// memory, bounded in size.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace vx {

class LoginThrottle
{
public:
    using Clock = std::chrono::steady_clock;

    explicit LoginThrottle(int freeAttempts);

    // Seconds until the next attempt of this name from this address is
    // taken, or 0 when it is taken now.
    int waitSeconds(const std::string &user, const std::string &address, Clock::time_point now = Clock::now());
    void failed(const std::string &user, const std::string &address, Clock::time_point now = Clock::now());
    void succeeded(const std::string &user, const std::string &address);

    static constexpr std::chrono::seconds kUserCap {60};
    static constexpr std::chrono::seconds kAddressCap {15 * 60};
    static constexpr std::size_t kMaxEntries = 20000;

private:
    struct Entry
    {
        int failures = 0;
        Clock::time_point blockedUntil {};
        Clock::time_point lastFailure {};
    };
    using Map = std::unordered_map<std::string, Entry>;

    void fail(Map &map, const std::string &key, std::chrono::seconds cap, Clock::time_point now);
    static void prune(Map &map, Clock::time_point now);

    int freeAttempts_;
    std::mutex mutex_;
    Map users_;
    Map addresses_;
};

} // namespace vx
