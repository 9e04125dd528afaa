// Record mode: every request as one JSON line, written and flushed before
// the request is answered, so whoever waits for the reply can read it.
//
// The file is readable by its owner only, and credentials do not reach it:
// Authorization values keep their scheme with "<redacted>" for the rest,
// JSON body fields that hold a password, token or secret read
// "<redacted>", and so does the capability of a document link
// ("/files/<redacted>/R-1.pdf"), which is the permission to read it. A test
// harness that checks what a client sent can ask to keep them.
//
// At its size bound the file moves aside to FILE.1 (replacing an older
// one) and a new file begins, so two files at most are kept.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "http.h"

namespace vx {

class RecordLog
{
public:
    // Appends; throws when it cannot open. maxBytes: the size at which the
    // file moves aside.
    RecordLog(const std::string &path, bool keepCredentials, std::int64_t maxBytes);
    ~RecordLog();
    RecordLog(const RecordLog &) = delete;
    RecordLog &operator=(const RecordLog &) = delete;

    void write(const Request &req);
    // The line as written, without the newline.
    static std::string line(const Request &req, bool keepCredentials);

private:
    void open();

    std::string path_;
    std::FILE *file_ = nullptr;
    bool keepCredentials_;
    std::int64_t maxBytes_;
    std::int64_t size_ = 0;
    std::mutex mutex_;
};

} // namespace vx
