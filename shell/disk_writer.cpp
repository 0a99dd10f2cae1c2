#include "shell/disk_writer.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

struct DiskWriter::Queue {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::function<void()>> jobs;  // under lock
    bool busy = false;                        // under lock: a job is running
    bool stopping = false;                    // under lock
};

namespace {

void RunJobs(const std::shared_ptr<DiskWriter::Queue>& queue)
{
    std::unique_lock<std::mutex> hold(queue->lock);
    for (;;) {
        queue->changed.wait(hold, [&] { return queue->stopping || !queue->jobs.empty(); });
        if (queue->jobs.empty())
            return;
        std::function<void()> job = std::move(queue->jobs.front());
        queue->jobs.pop_front();
        queue->busy = true;
        hold.unlock();
        job();
        hold.lock();
        queue->busy = false;
        queue->changed.notify_all();
    }
}

}  // namespace

DiskWriter::DiskWriter() : queue_(std::make_shared<Queue>())
{
    thread_ = std::thread([queue = queue_] { RunJobs(queue); });
}

DiskWriter::~DiskWriter()
{
    {
        std::lock_guard<std::mutex> hold(queue_->lock);
        queue_->stopping = true;
    }
    queue_->changed.notify_all();
    if (Finish(0))
        thread_.join();
    else
        thread_.detach();
}

void DiskWriter::Post(std::function<void()> job)
{
    {
        std::lock_guard<std::mutex> hold(queue_->lock);
        queue_->jobs.push_back(std::move(job));
    }
    queue_->changed.notify_all();
}

bool DiskWriter::Finish(uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> hold(queue_->lock);
    return queue_->changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                                    [this] { return queue_->jobs.empty() && !queue_->busy; });
}
