// Passwords, session tokens and random capability strings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

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

// A new session token for the user. Tokens unused for idleSeconds are
// removed, and of the user's tokens only the maxPerUser used most recently
// stay. Runs its own transaction.
std::string issueToken(Db &db, std::int64_t userId, std::int64_t idleSeconds, std::int64_t maxPerUser);
// The user of a live token. A token unused for idleSeconds has expired.
// Use is noted at most once a minute per token, so reads stay reads.
struct SessionUser
{
    std::int64_t id;
    std::string name;
};
std::optional<SessionUser> userForToken(Db &db, const std::string &token, std::int64_t idleSeconds);
void revokeToken(Db &db, const std::string &token);

// Extracts the token of "Bearer <token>" (scheme case-insensitive).
std::optional<std::string> parseBearer(const std::string &authorizationHeader);

} // namespace vx
