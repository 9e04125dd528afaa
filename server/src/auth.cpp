#include "auth.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <stdexcept>
#include <vector>

#include "clock.h"

namespace vx {

namespace {

std::string toHex(const unsigned char *p, std::size_t n)
{
    static const char *digits = "0123456789abcdef";
    std::string out;
    out.reserve(n * 2);
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[p[i] >> 4];
        out += digits[p[i] & 0x0F];
    }
    return out;
}

std::string derive(const std::string &password, const std::string &salt, int iterations)
{
    unsigned char out[32];
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
            reinterpret_cast<const unsigned char *>(salt.data()), static_cast<int>(salt.size()), iterations,
            EVP_sha256(), sizeof out, out)
        != 1)
        throw std::runtime_error("PBKDF2 failed");
    return std::string(reinterpret_cast<char *>(out), sizeof out);
}

std::string randomBytes(std::size_t n)
{
    std::string out(n, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char *>(out.data()), static_cast<int>(n)) != 1)
        throw std::runtime_error("no random bytes available");
    return out;
}

bool startsWithCi(const std::string &s, const std::string &prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

std::string trim(const std::string &s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return s.substr(b, e - b);
}

} // namespace

std::string randomHex(std::size_t bytes)
{
    const std::string raw = randomBytes(bytes);
    return toHex(reinterpret_cast<const unsigned char *>(raw.data()), raw.size());
}

std::string sha256Hex(const std::string &data)
{
    unsigned char md[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char *>(data.data()), data.size(), md);
    return toHex(md, sizeof md);
}

std::string base64Decode(const std::string &in, bool *ok)
{
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    *ok = false;
    if (in.size() % 4 != 0)
        return {};
    const auto firstPad = in.find('=');
    if (firstPad != std::string::npos
        && (in.size() - firstPad > 2 || in.find_first_not_of('=', firstPad) != std::string::npos))
        return {};
    const std::size_t dataLen = firstPad == std::string::npos ? in.size() : firstPad;
    std::string out;
    std::uint32_t buffer = 0;
    int bits = 0;
    for (std::size_t i = 0; i < dataLen; ++i) {
        const auto pos = alphabet.find(in[i]);
        if (pos == std::string::npos)
            return {};
        buffer = (buffer << 6) | static_cast<std::uint32_t>(pos);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    *ok = true;
    return out;
}

void setUser(Db &db, const std::string &username, const std::string &password, const std::string &surname,
    const std::string &lastname)
{
    const std::string salt = randomBytes(16);
    const std::string hash = derive(password, salt, kPasswordIterations);
    db.prepare("INSERT INTO users(username, surname, lastname, salt, password_hash, iterations) "
               "VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT(username) DO UPDATE SET surname = excluded.surname, "
               "lastname = excluded.lastname, salt = excluded.salt, password_hash = excluded.password_hash, "
               "iterations = excluded.iterations")
        .bind(1, username)
        .bind(2, surname)
        .bind(3, lastname)
        .bindBlob(4, salt)
        .bindBlob(5, hash)
        .bind(6, kPasswordIterations)
        .run();
}

std::optional<Credentials> parseBasic(const std::string &header)
{
    const std::string h = trim(header);
    if (!startsWithCi(h, "basic "))
        return std::nullopt;
    bool ok = false;
    const std::string decoded = base64Decode(trim(h.substr(6)), &ok);
    if (!ok)
        return std::nullopt;
    const auto colon = decoded.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    return Credentials {decoded.substr(0, colon), decoded.substr(colon + 1)};
}

std::optional<StoredSecret> loadSecret(Db &db, const std::string &username)
{
    auto s = db.prepare("SELECT id, salt, password_hash, iterations FROM users WHERE username = ?");
    s.bind(1, username);
    if (!s.step())
        return std::nullopt;
    return StoredSecret {
        s.getInt("id"), s.getBlob("salt"), s.getBlob("password_hash"), static_cast<int>(s.getInt("iterations"))};
}

bool verifyPassword(const std::optional<StoredSecret> &secret, const std::string &password)
{
    if (!secret) {
        // Same work as a real check, so the answer time does not tell
        // which user names exist.
        derive(password, "no-such-user-salt", kPasswordIterations);
        return false;
    }
    const int iterations = secret->iterations > 0 ? secret->iterations : kPasswordIterations;
    const std::string actual = derive(password, secret->salt, iterations);
    return actual.size() == secret->hash.size()
        && CRYPTO_memcmp(actual.data(), secret->hash.data(), actual.size()) == 0;
}

std::optional<SessionUser> TokenMemory::recall(const std::string &hash, std::int64_t now, std::int64_t fresh)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto it = known_.find(hash);
    if (it == known_.end())
        return std::nullopt;
    if (std::chrono::steady_clock::now() - it->second.checked > kTrusted || it->second.lastUsed <= now - fresh) {
        known_.erase(it);
        return std::nullopt;
    }
    return it->second.user;
}

void TokenMemory::keep(const std::string &hash, const SessionUser &user, std::int64_t lastUsed)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (known_.size() >= kMost)
        known_.clear();
    known_[hash] = Known {user, lastUsed, std::chrono::steady_clock::now()};
}

void TokenMemory::forget(const std::string &hash)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    known_.erase(hash);
}

void TokenMemory::forgetUser(std::int64_t userId)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = known_.begin(); it != known_.end();)
        it = it->second.user.id == userId ? known_.erase(it) : std::next(it);
}

std::string issueToken(
    Db &db, TokenMemory &memory, std::int64_t userId, std::int64_t idleSeconds, std::int64_t maxPerUser)
{
    const std::string token = randomHex(32);
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    Transaction tx(db);
    db.prepare("DELETE FROM tokens WHERE last_used < ?").bind(1, now - idleSeconds).run();
    db.prepare("INSERT INTO tokens(token_hash, user_id, created_at, last_used) VALUES (?, ?, ?, ?)")
        .bind(1, sha256Hex(token))
        .bind(2, userId)
        .bind(3, nowIso())
        .bind(4, now)
        .run();
    db.prepare("DELETE FROM tokens WHERE user_id = ?1 AND token_hash NOT IN (SELECT token_hash FROM tokens "
               "WHERE user_id = ?1 ORDER BY last_used DESC, rowid DESC LIMIT ?2)")
        .bind(1, userId)
        .bind(2, maxPerUser)
        .run();
    tx.commit();
    // Its older tokens may have gone; they are asked for again.
    memory.forgetUser(userId);
    return token;
}

std::optional<SessionUser> userForToken(Db &db, TokenMemory &memory, const std::string &token, std::int64_t idleSeconds)
{
    const std::string hash = sha256Hex(token);
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    // Noting use is a write; once a minute (or a tenth of the idle time, if
    // that is shorter) keeps a token alive.
    const std::int64_t granularity = std::max<std::int64_t>(1, std::min<std::int64_t>(60, idleSeconds / 10));
    if (auto known = memory.recall(hash, now, granularity))
        return known;
    SessionUser user {0, {}};
    {
        auto s = db.prepare("SELECT t.user_id AS user_id, t.last_used AS last_used, u.username AS username "
                            "FROM tokens t JOIN users u ON u.id = t.user_id WHERE t.token_hash = ?");
        s.bind(1, hash);
        if (!s.step() || s.getInt("last_used") < now - idleSeconds)
            return std::nullopt;
        user = SessionUser {s.getInt("user_id"), s.getText("username")};
        if (s.getInt("last_used") > now - granularity) {
            memory.keep(hash, user, s.getInt("last_used"));
            return user;
        }
    }
    Transaction tx(db);
    db.prepare("UPDATE tokens SET last_used = ? WHERE token_hash = ?").bind(1, now).bind(2, hash).run();
    tx.commit();
    memory.keep(hash, user, now);
    return user;
}

void revokeToken(Db &db, TokenMemory &memory, const std::string &token)
{
    const std::string hash = sha256Hex(token);
    Transaction tx(db);
    db.prepare("DELETE FROM tokens WHERE token_hash = ?").bind(1, hash).run();
    tx.commit();
    // Forgotten once gone from the database; a request of this token that
    // read it there just before may still keep it, for its second.
    memory.forget(hash);
}

std::optional<std::string> parseBearer(const std::string &header)
{
    const std::string h = trim(header);
    if (!startsWithCi(h, "bearer "))
        return std::nullopt;
    std::string t = trim(h.substr(7));
    if (t.empty())
        return std::nullopt;
    return t;
}

} // namespace vx
