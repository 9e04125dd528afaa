// Passwords, session tokens and random capability strings.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "db.h"

namespace vx {

// Iterations of PBKDF2-HMAC-SHA256 for newly set passwords; stored with
// each user so the figure can be raised without invalidating old hashes.
constexpr int kPasswordIterations = 600000;

std::string randomHex(std::size_t bytes);
std::string sha256Hex(const std::string &data);
std::string base64Decode(const std::string &in, bool *ok);

// Creates the user or replaces its password and names.
void setUser(Db &db, const std::string &username, const std::string &password, const std::string &surname,
    const std::string &lastname);

struct Credentials
{
    std::string username;
    std::string password;
};
// Parses "Basic <base64 of user:password>"; the password may contain ':'.
std::optional<Credentials> parseBasic(const std::string &authorizationHeader);

struct StoredSecret
{
    std::int64_t userId;
    std::string salt;
    std::string hash;
    int iterations;
};
// Reading the secret needs the database; checking it is slow on purpose and
// runs without holding the database lock.
std::optional<StoredSecret> loadSecret(Db &db, const std::string &username);
bool verifyPassword(const std::optional<StoredSecret> &secret, const std::string &password);

struct SessionUser
{
    std::int64_t id;
    std::string name;
};

// The tokens this server found live in the database within the last
// second. A desk sends its requests in bursts (a list and its pages, a
// search per keystroke); on PostgreSQL asking the database for the token
// of each costs a round trip of its own. A token revoked through this
// server is forgotten at once; one revoked by another server on the same
// database is refused here at most a second later. Only live tokens are
// kept: an unknown or expired one is always asked for.
class TokenMemory
{
public:
    static constexpr std::chrono::milliseconds kTrusted {1000};

    // The user of the token with this hash, if it was found live a moment
    // ago and its noted use is recent enough to need no new note (within
    // `fresh` seconds of now) and to keep it alive.
    std::optional<SessionUser> recall(const std::string &hash, std::int64_t now, std::int64_t fresh);
    void keep(const std::string &hash, const SessionUser &user, std::int64_t lastUsed);
    void forget(const std::string &hash);
    void forgetUser(std::int64_t userId);

private:
    struct Known
    {
        SessionUser user;
        std::int64_t lastUsed;
        std::chrono::steady_clock::time_point checked;
    };
    // Enough for every desk of an office many times over; past it the
    // memory starts anew rather than grow with tokens nobody uses.
    static constexpr std::size_t kMost = 4096;
    std::mutex mutex_;
    std::unordered_map<std::string, Known> known_;
};

// A new session token for the user. Tokens unused for idleSeconds are
// removed, and of the user's tokens only the maxPerUser used most recently
// stay. Runs its own transaction.
std::string issueToken(
    Db &db, TokenMemory &memory, std::int64_t userId, std::int64_t idleSeconds, std::int64_t maxPerUser);
// The user of a live token. A token unused for idleSeconds has expired.
// Use is noted at most once a minute per token, so reads stay reads.
std::optional<SessionUser> userForToken(
    Db &db, TokenMemory &memory, const std::string &token, std::int64_t idleSeconds);
void revokeToken(Db &db, TokenMemory &memory, const std::string &token);

// Extracts the token of "Bearer <token>" (scheme case-insensitive).
std::optional<std::string> parseBearer(const std::string &authorizationHeader);

} // namespace vx
