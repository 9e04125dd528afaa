#include "json_write.h"

#include <charconv>

namespace vx {

namespace {

using Json = nlohmann::ordered_json;

std::string dumped(const Json &value)
{
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The length of the well-formed UTF-8 sequence at p[i] (RFC 3629), 0 for
// none.
std::size_t sequenceAt(const unsigned char *p, std::size_t i, std::size_t n)
{
    const auto in = [&](std::size_t k, unsigned lo, unsigned hi) {
        return i + k < n && p[i + k] >= lo && p[i + k] <= hi;
    };
    const unsigned c = p[i];
    if (c >= 0xC2 && c <= 0xDF)
        return in(1, 0x80, 0xBF) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        const unsigned lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
        return in(1, lo, hi) && in(2, 0x80, 0xBF) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const unsigned lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
        return in(1, lo, hi) && in(2, 0x80, 0xBF) && in(3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

// A string as nlohmann escapes it; one that is not well-formed UTF-8 is
// left to nlohmann, whose replacement characters it keeps.
void writeString(std::string &out, const std::string &s)
{
    static const char kHex[] = "0123456789abcdef";
    const std::size_t start = out.size();
    const auto *p = reinterpret_cast<const unsigned char *>(s.data());
    const std::size_t n = s.size();
    out += '"';
    std::size_t copied = 0;
    for (std::size_t i = 0; i < n;) {
        const unsigned c = p[i];
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            ++i;
            continue;
        }
        if (c >= 0x80) {
            const std::size_t length = sequenceAt(p, i, n);
            if (length == 0) {
                out.resize(start);
                out += dumped(Json(s));
                return;
            }
            i += length;
            continue;
        }
        out.append(s, copied, i - copied);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
        copied = ++i;
    }
    out.append(s, copied, n - copied);
    out += '"';
}

template<typename Int>
void writeInteger(std::string &out, Int v)
{
    char buf[24];
    const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
    out.append(buf, end);
}

void write(std::string &out, const Json &v)
{
    switch (v.type()) {
    case Json::value_t::object: {
        out += '{';
        bool first = true;
        for (const auto &[key, member] : v.items()) {
            if (!first)
                out += ',';
            first = false;
            writeString(out, key);
            out += ':';
            write(out, member);
        }
        out += '}';
        break;
    }
    case Json::value_t::array: {
        out += '[';
        bool first = true;
        for (const auto &element : v) {
            if (!first)
                out += ',';
            first = false;
            write(out, element);
        }
        out += ']';
        break;
    }
    case Json::value_t::string:
        writeString(out, v.get_ref<const Json::string_t &>());
        break;
    case Json::value_t::boolean:
        out += v.get<bool>() ? "true" : "false";
        break;
    case Json::value_t::null:
        out += "null";
        break;
    case Json::value_t::number_integer:
        writeInteger(out, v.get<Json::number_integer_t>());
        break;
    case Json::value_t::number_unsigned:
        writeInteger(out, v.get<Json::number_unsigned_t>());
        break;
    default: // floats and the rest, as nlohmann writes them
        out += dumped(v);
    }
}

} // namespace

std::string writeJson(const Json &value)
{
    std::string out;
    // A list of records in one piece, without growing it record by record.
    out.reserve(value.is_array() ? 512 * value.size() + 2 : 512);
    write(out, value);
    return out;
}

} // namespace vx
