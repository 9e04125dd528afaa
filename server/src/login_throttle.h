// Slows down password guessing without handing a guesser a way to lock
// others out. Two counts of failed logins, kept in memory and bounded in
// size:
//
// - per user name and client address (the pair): after a number of free
//   failures, the next attempt of that name from that address waits 1 s,
//   doubling with every further failure up to a minute. Other addresses,
//   and other names from this address, are not affected. A success clears
//   the pair.
// - per client address, over all names: a budget of failures per hour,
//   given back gradually (one failure is forgotten every hour / budget).
//   Beyond it every login from that address waits until the budget has a
//   failure to spare again. The budget is meant to be far more than an
//   office behind one address mistypes.
//
// So a right password from an address that has not failed is always let
// through; the checks run before the slow password check, so waiting
// costs the guesser time, not the server.
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

    // pairAttempts: free failures per name and address; addressBudget:
    // failures per hour per address.
    LoginThrottle(int pairAttempts, int addressBudget);

    // Seconds until the next attempt of this name from this address is
    // taken, or 0 when it is taken now.
    int waitSeconds(const std::string &user, const std::string &address, Clock::time_point now = Clock::now());
    // Returns true when this failure spent the address's budget (worth a
    // line in the log: many failures from one address).
    bool failed(const std::string &user, const std::string &address, Clock::time_point now = Clock::now());
    void succeeded(const std::string &user, const std::string &address);

    // What the throttle holds now, for the metrics: pairs and addresses it
    // remembers, and of them those whose logins wait.
    struct Figures
    {
        std::size_t pairs = 0;
        std::size_t addresses = 0;
        std::size_t waitingPairs = 0;
        std::size_t waitingAddresses = 0;
    };
    Figures figures(Clock::time_point now = Clock::now());

    static constexpr std::chrono::seconds kPairCap {60};
    static constexpr std::size_t kMaxEntries = 20000;

private:
    struct Pair
    {
        int failures = 0;
        Clock::time_point blockedUntil {};
        Clock::time_point lastFailure {};
    };
    struct Address
    {
        // Failures not yet given back, as of `at`.
        double level = 0;
        Clock::time_point at {};
    };

    double levelAt(const Address &a, Clock::time_point now) const;
    std::chrono::milliseconds addressWait(const Address &a, Clock::time_point now) const;
    void prune(Clock::time_point now);

    int pairAttempts_;
    int addressBudget_;
    // The time in which one failure of the budget is given back.
    std::chrono::milliseconds refill_;
    std::mutex mutex_;
    std::unordered_map<std::string, Pair> pairs_; // key: address, NUL, name
    std::unordered_map<std::string, Address> addresses_;
};

} // namespace vx
