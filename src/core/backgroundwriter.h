#pragma once
// Writes files through safefile::write on a thread of its own: a write waits for the disk
// (it is flushed before it replaces the old file), and a frame should not. A file offered
// again before its last offer was written is written once, with the newer bytes.

#include "core/safefile.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class BackgroundWriter final {
public:
    struct Done {
        std::string path;
        bool ok = false;
        std::string why;
    };

    BackgroundWriter() = default;
    // Writes what is still waiting first.
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    void offer(const std::string& path, std::string bytes, safefile::Over over = safefile::Over::ANYTHING);
    // The writes finished since last asked, in the order they finished.
    std::vector<Done> takeDone();
    // Returns once everything offered so far is written.
    void finish();

private:
    struct Job {
        std::string path;
        std::string bytes;
        safefile::Over over;
    };
    void run();

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    std::vector<Done> done;
    bool busy = false;
    bool stopping = false;
    std::thread thread;
};
