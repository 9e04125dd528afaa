#include "money.h"

#include <cmath>
#include <limits>

namespace vx {

namespace {
constexpr std::int64_t kMaxCents = std::numeric_limits<std::int64_t>::max() / 1000;
}

std::optional<std::int64_t> parseMoney(const std::string &raw)
{
    std::size_t b = 0, e = raw.size();
    while (b < e && (raw[b] == ' ' || raw[b] == '\t'))
        ++b;
    while (e > b && (raw[e - 1] == ' ' || raw[e - 1] == '\t'))
        --e;
    const std::string s = raw.substr(b, e - b);
    if (s.empty())
        return 0;

    const auto lastComma = s.rfind(',');
    const auto lastDot = s.rfind('.');
    char decimal = 0;
    if (lastComma != std::string::npos && lastDot != std::string::npos)
        decimal = lastComma > lastDot ? ',' : '.';
    else if (lastComma != std::string::npos)
        decimal = ',';
    else if (lastDot != std::string::npos)
        decimal = '.';
    const char grouping = decimal == ',' ? '.' : (decimal == '.' ? ',' : 0);
    const bool bothSeparators = lastComma != std::string::npos && lastDot != std::string::npos;

    std::int64_t whole = 0, frac = 0;
    int fracDigits = 0, wholeDigits = 0;
    bool inFraction = false;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            if (inFraction) {
                if (++fracDigits > 2)
                    return std::nullopt;
                frac = frac * 10 + (c - '0');
            } else {
                ++wholeDigits;
                whole = whole * 10 + (c - '0');
                if (whole > kMaxCents / 100)
                    return std::nullopt;
            }
        } else if (c == decimal && !inFraction) {
            // With only one kind of separator present it must occur once.
            if (!bothSeparators && s.find(decimal) != s.rfind(decimal))
                return std::nullopt;
            inFraction = true;
        } else if (bothSeparators && c == grouping && !inFraction) {
            continue;
        } else {
            return std::nullopt;
        }
    }
    if (wholeDigits == 0 && fracDigits == 0)
        return std::nullopt;
    if (fracDigits == 1)
        frac *= 10;
    return whole * 100 + frac;
}

std::optional<std::int64_t> parseMoney(const nlohmann::ordered_json &value)
{
    if (value.is_string())
        return parseMoney(value.get<std::string>());
    if (value.is_number_integer()) {
        const auto v = value.get<std::int64_t>();
        if (v < 0 || v > kMaxCents / 100)
            return std::nullopt;
        return v * 100;
    }
    if (value.is_number_float()) {
        const double v = value.get<double>();
        if (!std::isfinite(v) || v < 0 || v > static_cast<double>(kMaxCents / 100))
            return std::nullopt;
        return static_cast<std::int64_t>(std::llround(v * 100.0));
    }
    return std::nullopt;
}

std::string formatMoneyDe(std::int64_t cents)
{
    const bool negative = cents < 0;
    const std::uint64_t abs =
        negative ? static_cast<std::uint64_t>(-(cents + 1)) + 1 : static_cast<std::uint64_t>(cents);
    std::string whole = std::to_string(abs / 100);
    std::string grouped;
    const std::size_t n = whole.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            grouped += '.';
        grouped += whole[i];
    }
    const unsigned frac = static_cast<unsigned>(abs % 100);
    std::string out = negative ? "-" : "";
    out += grouped;
    out += ',';
    out += static_cast<char>('0' + frac / 10);
    out += static_cast<char>('0' + frac % 10);
    return out;
}

std::optional<std::int64_t> addCents(std::int64_t a, std::int64_t b)
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return std::nullopt;
    return sum;
}

std::optional<std::int64_t> taxOf(std::int64_t netCents, int ratePercent)
{
    // Half up on the exact product; amounts are never negative here.
    std::int64_t product = 0;
    if (__builtin_mul_overflow(netCents, static_cast<std::int64_t>(ratePercent), &product)
        || __builtin_add_overflow(product, 50, &product))
        return std::nullopt;
    return product / 100;
}

} // namespace vx
