#include "record_log.h"

#include <stdexcept>

#include <nlohmann/json.hpp>

namespace vx {

RecordLog::RecordLog(const std::string &path)
{
    file_ = std::fopen(path.c_str(), "ab");
    if (!file_)
        throw std::runtime_error("cannot open record file " + path);
}

RecordLog::~RecordLog()
{
    if (file_)
        std::fclose(file_);
}

std::string RecordLog::line(const httplib::Request &req)
{
    // The target is the request line's path and query exactly as received
    // (not percent-decoded).
    const auto q = req.target.find('?');
    const std::string path = q == std::string::npos ? req.target : req.target.substr(0, q);
    const std::string query = q == std::string::npos ? std::string() : req.target.substr(q + 1);

    nlohmann::ordered_json headers = nlohmann::ordered_json::array();
    for (const auto &[name, value] : req.headers) {
        // The HTTP library files the peer's and our own address among the
        // headers; they did not come over the wire.
        if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT")
            continue;
        headers.push_back({name, value});
    }
    nlohmann::ordered_json j;
    j["method"] = req.method;
    j["path"] = path;
    j["query"] = query;
    j["headers"] = headers;
    j["body"] = req.body;
    return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void RecordLog::write(const httplib::Request &req)
{
    const std::string l = line(req) + "\n";
    std::lock_guard<std::mutex> g(mutex_);
    std::fwrite(l.data(), 1, l.size(), file_);
    std::fflush(file_);
}

} // namespace vx
