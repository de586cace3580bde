#pragma once
// The way back from worker threads to an object on the GUI thread: a queued call that is made only
// while the receiver exists. The receiver closes the mailbox first thing in its destructor; a call
// queued before that is dropped by Qt together with the receiver. Thread-safe.

#include <QObject>
#include <functional>
#include <mutex>

namespace vek {

class WorkerMailbox {
public:
    explicit WorkerMailbox(QObject* receiver)
        : m_receiver(receiver) {}

    void close() {
        const std::lock_guard lock(m_mutex);
        m_receiver = nullptr;
    }

    // Queues call to run on the receiver's thread, in the receiver's context.
    void post(std::function<void()> call) {
        const std::lock_guard lock(m_mutex);
        if (m_receiver)
            QMetaObject::invokeMethod(m_receiver, std::move(call), Qt::QueuedConnection);
    }

private:
    std::mutex m_mutex;
    QObject* m_receiver;
};

} // namespace vek
