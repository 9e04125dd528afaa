#include "metrics.h"

#include <cmath>
#include <cstdio>

namespace vx {

void PromText::family(const std::string &name, const char *type, const char *help)
{
    text_ += "# HELP " + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

void PromText::sample(const std::string &name, const Labels &labels, double value)
{
    text_ += name;
    if (!labels.empty()) {
        text_ += '{';
        for (std::size_t i = 0; i < labels.size(); ++i)
            text_ += (i ? "," : "") + labels[i].first + "=\"" + escape(labels[i].second) + "\"";
        text_ += '}';
    }
    text_ += " " + number(value) + "\n";
}

std::string PromText::escape(const std::string &value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string PromText::number(double value)
{
    if (std::isinf(value))
        return value > 0 ? "+Inf" : "-Inf";
    if (std::isnan(value))
        return "NaN";
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.9g", value);
    return buf;
}

const std::vector<double> &Metrics::latencyBuckets()
{
    static const std::vector<double> buckets = {0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};
    return buckets;
}

void Metrics::request(const std::string &methodSent, const std::string &route, int status, double seconds)
{
    // A client may send any word as its method; each would become series
    // of its own, without end.
    static const char *const kMethods[] = {"GET", "HEAD", "POST", "PUT", "DELETE", "PATCH", "OPTIONS"};
    std::string method = "other";
    for (const char *known : kMethods)
        if (methodSent == known)
            method = known;
    const auto &bounds = latencyBuckets();
    std::size_t bucket = 0;
    while (bucket < bounds.size() && seconds > bounds[bucket])
        ++bucket;
    std::lock_guard<std::mutex> g(mutex_);
    Route &r = routes_[{method, route}];
    if (r.buckets.empty())
        r.buckets.assign(bounds.size() + 1, 0);
    ++r.statuses[status];
    ++r.buckets[bucket];
    r.sum += seconds;
    ++r.count;
}

void Metrics::login(const std::string &outcome)
{
    std::lock_guard<std::mutex> g(mutex_);
    ++logins_[outcome];
}

void Metrics::databaseError(const std::string &kind)
{
    std::lock_guard<std::mutex> g(mutex_);
    ++databaseErrors_[kind];
}

void Metrics::write(PromText &out) const
{
    std::lock_guard<std::mutex> g(mutex_);
    out.family("vendrix_http_requests_total", "counter", "Requests answered, by method, route and status.");
    for (const auto &[key, r] : routes_)
        for (const auto &[status, n] : r.statuses)
            out.sample("vendrix_http_requests_total",
                {{"method", key.first}, {"route", key.second}, {"status", std::to_string(status)}},
                static_cast<double>(n));

    const auto &bounds = latencyBuckets();
    const std::string histogram = "vendrix_http_request_duration_seconds";
    out.family(histogram, "histogram", "Time from a whole request to its reply, by method and route.");
    for (const auto &[key, r] : routes_) {
        std::uint64_t cumulative = 0;
        for (std::size_t i = 0; i <= bounds.size(); ++i) {
            cumulative += r.buckets[i];
            out.sample(histogram + "_bucket",
                {{"method", key.first}, {"route", key.second},
                    {"le", i < bounds.size() ? PromText::number(bounds[i]) : "+Inf"}},
                static_cast<double>(cumulative));
        }
        out.sample(histogram + "_sum", {{"method", key.first}, {"route", key.second}}, r.sum);
        out.sample(histogram + "_count", {{"method", key.first}, {"route", key.second}}, static_cast<double>(r.count));
    }

    out.family("vendrix_logins_total", "counter", "Login attempts, by outcome.");
    for (const auto &[outcome, n] : logins_)
        out.sample("vendrix_logins_total", {{"outcome", outcome}}, static_cast<double>(n));
    out.family("vendrix_database_errors_total", "counter",
        "Requests that failed in the database, by kind (busy: answered 503 to try again).");
    for (const auto &[kind, n] : databaseErrors_)
        out.sample("vendrix_database_errors_total", {{"kind", kind}}, static_cast<double>(n));
}

} // namespace vx
