// What the server tells its administrator: one line per request and a line
// for each error with its cause, on standard error (the journal under
// systemd), as text for people or as JSON objects for log collectors.
//
// A line never carries a password, a token or the capability of a document
// link: callers hand over a route pattern, never a concrete path, and the
// user's name, never a credential. Values are escaped, so whatever a client
// sends as a user name cannot start a line of its own.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace vx {

enum class LogFormat { Text, Json };

// One answered request.
struct RequestLine
{
    std::string id;
    std::string method;
    std::string route; // the pattern ("/customer/{id}"), never the path
    int status = 0;
    double milliseconds = 0;
    std::string user; // empty: no session
    std::string client;
};

class Logger
{
public:
    using Fields = std::vector<std::pair<std::string, nlohmann::ordered_json>>;

    // Chooses the format for the whole process (default text).
    static void setFormat(LogFormat format);

    static void info(const std::string &message, const Fields &fields = {});
    static void warning(const std::string &message, const Fields &fields = {});
    static void error(const std::string &message, const Fields &fields = {});
    static void request(const RequestLine &line);

    // The line as written, without its newline; `stamped` puts the time
    // first (text lines outside the journal, which stamps its own).
    static std::string textLine(const std::string &message, const Fields &fields, bool stamped);
    static std::string jsonLine(const char *level, const std::string &message, const Fields &fields);
    static std::string requestText(const RequestLine &line);
    static Fields requestFields(const RequestLine &line);

    // A value for a text line: as it is when it is a plain word, else in
    // double quotes with quotes, backslashes and control characters escaped.
    static std::string quoted(const std::string &value);

private:
    static void write(const char *level, const std::string &message, const Fields &fields);
};

// "3f9a0c1d-42": unique within a process and unlikely to repeat across
// the servers behind one load balancer.
std::string newRequestId();

} // namespace vx
