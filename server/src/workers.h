// The threads that run request handlers. Each worker owns one database
// connection for its whole life, so handlers never share a connection and
// readers proceed side by side.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "db.h"

namespace vx {

class WorkerPool
{
public:
    using Job = std::function<void(Db &)>;
    using OpenDb = std::function<std::unique_ptr<Db>()>;

    // Opens one connection per worker before any thread starts, so a
    // database that cannot be opened stops the start (throws DbError).
    WorkerPool(int workers, const OpenDb &open);
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    void post(Job job);
    // Runs what is queued, then ends the threads and closes the connections.
    void stop();

    std::size_t size() const { return threads_.size(); }
    // Jobs waiting for a worker, and workers running one.
    std::size_t queued();
    int busy() const { return busy_; }

private:
    void run(Db &db);

    std::vector<std::unique_ptr<Db>> connections_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::atomic<int> busy_ {0};
};

// A few threads for work that is slow on purpose and needs no database
// (password checks), with a bounded queue: such work cannot occupy the
// workers that answer everything else, and a crowd of it is refused
// instead of piling up.
class TaskPool
{
public:
    TaskPool(int threads, std::size_t maxQueued);
    ~TaskPool();
    TaskPool(const TaskPool &) = delete;
    TaskPool &operator=(const TaskPool &) = delete;

    // False when the queue is full (the task is not run).
    bool tryPost(std::function<void()> task);
    // Runs what is queued, then ends the threads.
    void stop();
    std::size_t queued();

private:
    void run();

    std::size_t maxQueued_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
};

} // namespace vx
