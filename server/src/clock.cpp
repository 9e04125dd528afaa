#include "clock.h"

#include <chrono>

namespace vx {

namespace {

std::string formatUtc(std::time_t t, const char *format)
{
    std::tm tm {};
    gmtime_r(&t, &tm);
    char buf[40];
    const std::size_t n = std::strftime(buf, sizeof buf, format, &tm);
    return std::string(buf, n);
}

} // namespace

std::string isoUtc(std::time_t t)
{
    return formatUtc(t, "%Y-%m-%dT%H:%M:%SZ");
}

std::string nowIso()
{
    return isoUtc(std::time(nullptr));
}

std::string isoUtcMillis(std::time_t t)
{
    return formatUtc(t, "%Y-%m-%dT%H:%M:%S.000Z");
}

std::string germanDate(std::time_t t)
{
    return formatUtc(t, "%d.%m.%Y");
}

std::int64_t steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace vx
