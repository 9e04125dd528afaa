// Timestamps and dates as the server stores and shows them, all in UTC.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace vx {

// "2024-06-01T08:00:00Z": what the server stores for its own events.
std::string isoUtc(std::time_t t);
std::string nowIso();
// "2024-06-01T08:00:00.000Z": the shape the client sends delivery dates in.
std::string isoUtcMillis(std::time_t t);
// "01.06.2024": the shape the client's order forms write dates in.
std::string germanDate(std::time_t t);
// Milliseconds of the monotonic clock, for measuring and comparing times
// within the process.
std::int64_t steadyMs();

} // namespace vx
