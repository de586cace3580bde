#include "ExportPipeline.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace vek::exporter {

namespace {

enum class End { None, Finish, Discard };

} // namespace

struct WriterThread::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<int, PagePtr>> queue;
    std::size_t depth = 1;
    bool ready = false; // the factory has run
    End end = End::None;
    std::exception_ptr error; // the first error of the writing thread
    std::atomic<bool> failed{false};
    std::thread thread;

    void fail(std::exception_ptr e) {
        const std::lock_guard lock(mutex);
        if (!error)
            error = std::move(e);
        failed = true;
        queue.clear();
        changed.notify_all();
    }
    void run(const WriterFactory& make);
    void feed(PageWriter& writer);
    // Asks the writing thread to end as `how` (the first request stands) and waits for it;
    // discarding drops the pages still queued.
    void stop(End how);
};

void WriterThread::Shared::run(const WriterFactory& make) {
    std::unique_ptr<PageWriter> writer;
    try {
        writer = make();
    } catch (...) {
        fail(std::current_exception());
    }
    {
        const std::lock_guard lock(mutex);
        ready = true;
    }
    changed.notify_all();
    if (writer)
        feed(*writer);
    // The writer goes on its own thread too: a PDF writer or a printer is ended where it was begun.
}

void WriterThread::Shared::feed(PageWriter& writer) {
    while (true) {
        std::pair<int, PagePtr> item;
        End now = End::None;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return !queue.empty() || end != End::None; });
            if (!queue.empty() && end != End::Discard) {
                item = std::move(queue.front());
                queue.pop_front();
                changed.notify_all();
            } else {
                now = end;
            }
        }
        try {
            if (now == End::Finish) {
                writer.finish();
                return;
            }
            if (now == End::Discard) {
                writer.discard();
                return;
            }
            writer.write(item.first, item.second);
        } catch (...) {
            fail(std::current_exception());
            if (now == End::None) {
                try {
                    writer.discard();
                } catch (...) { // the first error is the one to report
                }
            }
            return;
        }
    }
}

WriterThread::WriterThread(const WriterFactory& make, int depth)
    : m_shared(std::make_unique<Shared>()) {
    Shared& s = *m_shared;
    s.depth = std::size_t(std::max(1, depth));
    s.thread = std::thread([&s, make] { s.run(make); });
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&] { return s.ready; });
    if (s.error) {
        const std::exception_ptr e = s.error;
        lock.unlock();
        s.thread.join();
        std::rethrow_exception(e);
    }
}

WriterThread::~WriterThread() {
    if (m_shared->thread.joinable())
        discard();
}

void WriterThread::write(int pageNumber, const PagePtr& page) {
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&] { return s.queue.size() < s.depth || s.failed || s.end != End::None; });
    if (s.failed || s.end != End::None)
        return;
    s.queue.emplace_back(pageNumber, page);
    s.changed.notify_all();
}

void WriterThread::Shared::stop(End how) {
    {
        const std::lock_guard lock(mutex);
        if (end == End::None)
            end = how;
        if (how == End::Discard)
            queue.clear();
    }
    changed.notify_all();
    if (thread.joinable())
        thread.join();
}

void WriterThread::finish() {
    m_shared->stop(End::Finish);
    if (m_shared->error)
        std::rethrow_exception(m_shared->error);
}

void WriterThread::discard() {
    m_shared->stop(End::Discard);
}

bool WriterThread::failed() const {
    return m_shared->failed;
}

} // namespace vek::exporter
