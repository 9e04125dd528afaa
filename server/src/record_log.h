// Record mode: every request as one JSON line, written and flushed before
// the request is answered, so whoever waits for the reply can read it.
//
// The file is readable by its owner only, and credentials do not reach it:
// Authorization values keep their scheme with "<redacted>" for the rest,
// and JSON body fields that hold a password, token or secret read
// "<redacted>". A test harness that checks what a client sent can ask to
// keep them.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "http.h"

namespace vx {

class RecordLog
{
public:
    // Appends; throws when it cannot open.
    RecordLog(const std::string &path, bool keepCredentials);
    ~RecordLog();
    RecordLog(const RecordLog &) = delete;
    RecordLog &operator=(const RecordLog &) = delete;

    void write(const Request &req);
    // The line as written, without the newline.
    static std::string line(const Request &req, bool keepCredentials);

private:
    std::FILE *file_ = nullptr;
    bool keepCredentials_;
    std::mutex mutex_;
};

} // namespace vx
