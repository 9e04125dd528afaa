// Record mode: every request as one JSON line, written and flushed before
// the request is answered, so whoever waits for the reply can read it.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include <httplib.h>

namespace vx {

class RecordLog
{
public:
    explicit RecordLog(const std::string &path); // appends; throws when it cannot open
    ~RecordLog();
    RecordLog(const RecordLog &) = delete;
    RecordLog &operator=(const RecordLog &) = delete;

    void write(const httplib::Request &req);
    // The line as written, without the newline.
    static std::string line(const httplib::Request &req);

private:
    std::FILE *file_ = nullptr;
    std::mutex mutex_;
};

} // namespace vx
