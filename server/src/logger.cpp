#include "logger.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "auth.h"

namespace vx {

namespace {

std::atomic<LogFormat> gFormat {LogFormat::Text};
std::mutex gWriteMutex;

// systemd names the journal's stream in JOURNAL_STREAM ("DEVICE:INODE");
// when standard error is that stream, the journal stamps every line itself.
bool stderrIsJournal()
{
    const char *stream = std::getenv("JOURNAL_STREAM");
    struct stat st
    { };
    if (!stream || ::fstat(STDERR_FILENO, &st) != 0)
        return false;
    unsigned long long device = 0, inode = 0;
    return std::sscanf(stream, "%llu:%llu", &device, &inode) == 2 && device == st.st_dev && inode == st.st_ino;
}

std::string timestamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm {};
    gmtime_r(&seconds, &tm);
    char buf[40];
    const std::size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
    char out[48];
    std::snprintf(out, sizeof out, "%.*s.%03dZ", static_cast<int>(n), buf, static_cast<int>(millis));
    return out;
}

std::string fieldText(const nlohmann::ordered_json &v)
{
    if (v.is_string())
        return Logger::quoted(v.get<std::string>());
    return v.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string millisText(double ms)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, ms < 10 ? "%.2f" : "%.1f", ms);
    return buf;
}

} // namespace

void Logger::setFormat(LogFormat format)
{
    gFormat = format;
}

std::string Logger::quoted(const std::string &value)
{
    bool plain = !value.empty();
    for (unsigned char c : value)
        plain = plain && c > 0x20 && c != 0x7F && c != '"' && c != '\\' && c != '=';
    if (plain)
        return value;
    std::string out = "\"";
    for (unsigned char c : value) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Logger::textLine(const std::string &message, const Fields &fields, bool stamped)
{
    std::string line = stamped ? timestamp() + " vendrix-server: " : "vendrix-server: ";
    // The message is the server's own text, but may quote a cause from
    // elsewhere (a database's error): it stays on its line.
    for (char c : message)
        line += (c == '\n' || c == '\r') ? ' ' : c;
    for (const auto &[key, value] : fields)
        line += " " + key + "=" + fieldText(value);
    return line;
}

std::string Logger::jsonLine(const char *level, const std::string &message, const Fields &fields)
{
    nlohmann::ordered_json j;
    j["time"] = timestamp();
    j["level"] = level;
    j["message"] = message;
    for (const auto &[key, value] : fields)
        j[key] = value;
    return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

Logger::Fields Logger::requestFields(const RequestLine &r)
{
    Fields f {{"request_id", r.id}, {"method", r.method}, {"route", r.route}, {"status", r.status},
        {"duration_ms", std::round(r.milliseconds * 100) / 100}};
    if (!r.user.empty())
        f.emplace_back("user", r.user);
    f.emplace_back("client", r.client);
    return f;
}

std::string Logger::requestText(const RequestLine &r)
{
    // "GET /customer/{id} 200 1.25 ms user=demo client=10.0.0.7 request=…":
    // what happened first, then who and which.
    std::string message = quoted(r.method) + " " + quoted(r.route) + " " + std::to_string(r.status) + " "
        + millisText(r.milliseconds) + " ms";
    Fields f;
    if (!r.user.empty())
        f.emplace_back("user", r.user);
    f.emplace_back("client", r.client);
    f.emplace_back("request", r.id);
    return textLine(message, f, false).substr(std::string("vendrix-server: ").size());
}

void Logger::write(const char *level, const std::string &message, const Fields &fields)
{
    static const bool journal = stderrIsJournal();
    const std::string line =
        (gFormat == LogFormat::Json ? jsonLine(level, message, fields) : textLine(message, fields, !journal)) + "\n";
    std::lock_guard<std::mutex> g(gWriteMutex);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void Logger::info(const std::string &message, const Fields &fields)
{
    write("info", message, fields);
}

void Logger::warning(const std::string &message, const Fields &fields)
{
    write("warning", message, fields);
}

void Logger::error(const std::string &message, const Fields &fields)
{
    write("error", message, fields);
}

void Logger::request(const RequestLine &line)
{
    if (gFormat == LogFormat::Json)
        write("info", "request", requestFields(line));
    else
        write("info", requestText(line), {});
}

std::string newRequestId()
{
    static const std::string prefix = randomHex(4);
    static std::atomic<std::uint64_t> counter {0};
    return prefix + "-" + std::to_string(++counter);
}

} // namespace vx
