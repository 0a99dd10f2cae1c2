// The program's writes to disk (the log's lines, the list file's saves) run on a thread of their
// own, in the order they were handed over: the user-interface thread hands over what is to be
// written and never waits for a file another program holds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

class DiskWriter {
public:
    DiskWriter();
    // Lets the thread finish what was handed over. Should a job still wait for a file, the thread
    // is let go with what it needs, and the end of the process ends it.
    ~DiskWriter();
    DiskWriter(const DiskWriter&) = delete;
    DiskWriter& operator=(const DiskWriter&) = delete;

    // Queues a job for the writer's thread and returns at once. Jobs run one at a time, in order.
    void Post(std::function<void()> job);
    // Waits until every job handed over so far has run, for at most timeoutMs. False when time
    // ran out.
    bool Finish(uint32_t timeoutMs);

    struct Queue;  // shared with the thread, which may outlive the writer

private:
    std::shared_ptr<Queue> queue_;
    std::thread thread_;
};
