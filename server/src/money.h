// Amounts of money as whole cents.
//
// The client sends prices as the user typed them ("12,50", "12.50",
// "1.234,50") or as JSON numbers; they are stored as sent and read with
// parseMoney() whenever something is computed from them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace vx {

// Text: optional blanks, digits with at most one decimal separator ("," or
// ".") and at most two decimals; when both separators occur, the last one
// is the decimal separator and the other groups thousands. The empty text
// is zero (the client sends "" for an amount that was not chosen).
// Negative amounts are not accepted.
std::optional<std::int64_t> parseMoney(const std::string &text);
std::optional<std::int64_t> parseMoney(const nlohmann::ordered_json &value);

// The largest single amount the server takes (99.999.999,99 EUR). Sums of
// such amounts are computed with overflow checks (addCents), so no number
// of them can wrap around.
constexpr std::int64_t kMaxAmountCents = 9999999999;

// a + b, or nothing when the sum leaves the range of whole cents.
std::optional<std::int64_t> addCents(std::int64_t a, std::int64_t b);

// German notation: "1.234,50", "0,00", "-3,10".
std::string formatMoneyDe(std::int64_t cents);

// VAT on a net amount at a whole percent rate, rounded half up to cents;
// nothing when the product leaves the range of whole cents.
std::optional<std::int64_t> taxOf(std::int64_t netCents, int ratePercent);

} // namespace vx
