#include "workers.h"

#include "logger.h"

namespace vx {

WorkerPool::WorkerPool(int workers, const OpenDb &open)
{
    for (int i = 0; i < workers; ++i)
        connections_.push_back(open());
    for (auto &db : connections_)
        threads_.emplace_back([this, conn = db.get()] { run(*conn); });
}

WorkerPool::~WorkerPool()
{
    stop();
}

void WorkerPool::post(Job job)
{
    {
        std::lock_guard<std::mutex> g(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

std::size_t WorkerPool::queued()
{
    std::lock_guard<std::mutex> g(mutex_);
    return jobs_.size();
}

void WorkerPool::stop()
{
    {
        std::lock_guard<std::mutex> g(mutex_);
        if (stopping_ && threads_.empty())
            return;
        stopping_ = true;
    }
    wake_.notify_all();
    for (auto &t : threads_)
        t.join();
    threads_.clear();
    connections_.clear();
}

void WorkerPool::run(Db &db)
{
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> g(mutex_);
            wake_.wait(g, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty())
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        ++busy_;
        try {
            job(db);
        } catch (const std::exception &e) {
            // Handlers answer their own errors; this is a last line.
            Logger::error("a worker's job failed", {{"cause", e.what()}});
        }
        --busy_;
    }
}

TaskPool::TaskPool(int threads, std::size_t maxQueued) : maxQueued_(maxQueued)
{
    for (int i = 0; i < threads; ++i)
        threads_.emplace_back([this] { run(); });
}

TaskPool::~TaskPool()
{
    stop();
}

bool TaskPool::tryPost(std::function<void()> task)
{
    {
        std::lock_guard<std::mutex> g(mutex_);
        if (stopping_ || tasks_.size() >= maxQueued_)
            return false;
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
    return true;
}

std::size_t TaskPool::queued()
{
    std::lock_guard<std::mutex> g(mutex_);
    return tasks_.size();
}

void TaskPool::stop()
{
    {
        std::lock_guard<std::mutex> g(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (auto &t : threads_)
        t.join();
    threads_.clear();
}

void TaskPool::run()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> g(mutex_);
            wake_.wait(g, [this] { return stopping_ || !tasks_.empty(); });
            if (tasks_.empty())
                return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        try {
            task();
        } catch (const std::exception &e) {
            Logger::error("a task failed", {{"cause", e.what()}});
        }
    }
}

} // namespace vx
