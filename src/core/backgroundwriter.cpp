#include "core/backgroundwriter.h"

BackgroundWriter::~BackgroundWriter()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    if (thread.joinable())
        thread.join();
}

void BackgroundWriter::offer(const std::string& path, std::string bytes, safefile::Over over)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        bool replaced = false;
        for (Job& job : jobs)
            if (job.path == path) {
                job.bytes = std::move(bytes);
                job.over = over;
                replaced = true;
                break;
            }
        if (!replaced)
            jobs.push_back(Job{path, std::move(bytes), over});
        if (!thread.joinable())
            thread = std::thread(&BackgroundWriter::run, this);
    }
    changed.notify_all();
}

std::vector<BackgroundWriter::Done> BackgroundWriter::takeDone()
{
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<Done> finished;
    finished.swap(done);
    return finished;
}

void BackgroundWriter::finish()
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return jobs.empty() && !busy; });
}

void BackgroundWriter::run()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return stopping || !jobs.empty(); });
        if (jobs.empty())
            return;
        Job job = std::move(jobs.front());
        jobs.pop_front();
        busy = true;
        lock.unlock();
        Done result;
        result.path = job.path;
        result.ok = safefile::write(job.path, job.bytes, result.why, job.over);
        lock.lock();
        busy = false;
        done.push_back(std::move(result));
        changed.notify_all();
    }
}
