#include "text_fold.h"

#include <sqlite3.h>

#include <cstdint>

namespace vx {

namespace {

// Decodes one UTF-8 sequence at s[i]; malformed bytes come back as-is so
// folding never loses data.
std::uint32_t decodeUtf8(const std::string &s, std::size_t &i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    auto cont = [&](std::size_t k) {
        return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    };
    if (c < 0x80) {
        i += 1;
        return c;
    }
    if ((c & 0xE0) == 0xC0 && cont(1)) {
        std::uint32_t cp = ((c & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
        i += 2;
        return cp;
    }
    if ((c & 0xF0) == 0xE0 && cont(1) && cont(2)) {
        std::uint32_t cp = ((c & 0x0F) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3F) << 6)
            | (static_cast<unsigned char>(s[i + 2]) & 0x3F);
        i += 3;
        return cp;
    }
    if ((c & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
        std::uint32_t cp = ((c & 0x07) << 18) | ((static_cast<unsigned char>(s[i + 1]) & 0x3F) << 12)
            | ((static_cast<unsigned char>(s[i + 2]) & 0x3F) << 6) | (static_cast<unsigned char>(s[i + 3]) & 0x3F);
        i += 4;
        return cp;
    }
    i += 1;
    return 0xFFFD;
}

void appendUtf8(std::string &out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void sqlFold(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int len = sqlite3_value_bytes(argv[0]);
    const std::string folded = foldCase(std::string(text ? text : "", static_cast<std::size_t>(len)));
    sqlite3_result_text(ctx, folded.c_str(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

} // namespace

std::string foldCase(const std::string &utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t start = i;
        std::uint32_t cp = decodeUtf8(utf8, i);
        if (cp == 0xFFFD && i == start + 1 && static_cast<unsigned char>(utf8[start]) >= 0x80) {
            out += utf8[start]; // keep a stray byte untouched
            continue;
        }
        if (cp >= 'A' && cp <= 'Z')
            cp += 32;
        else if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)) // Latin-1 capitals, Ä Ö Ü among them
            cp += 32;
        else if (cp == 0x1E9E) // capital sharp s
            cp = 0xDF;
        appendUtf8(out, cp);
    }
    return out;
}

void registerFoldFunction(sqlite3 *db)
{
    sqlite3_create_function_v2(db, "vx_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
        sqlFold, nullptr, nullptr, nullptr);
}

} // namespace vx
