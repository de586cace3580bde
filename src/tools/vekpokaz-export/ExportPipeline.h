#pragma once
// Writing on a thread of its own: the composer makes the next pages while the pages made so far are
// played into the PDF, the images or the printer, so the two halves of an export share the cores.
// Pages are immutable shared objects and go to the writing thread as they are; the document stays
// on the composing thread.

#include "ExportWriters.h"

#include <functional>
#include <memory>

namespace vek::exporter {

using WriterFactory = std::function<std::unique_ptr<PageWriter>()>;

// A writer that hands every call on to the writer made by `make`, in the same order, on one
// thread of its own: the writer is made, fed, finished or discarded there and nowhere else.
//
// The factory runs before this returns, and its exception is thrown here. write() only queues
// the page; when a queue of `depth` pages is full it waits for the writing thread. A write that
// fails discards the inner writer on its thread, drops the pages still queued, and makes failed()
// true; the error is thrown by the next finish(). finish() and discard() wait for the thread.
class WriterThread : public PageWriter {
public:
    explicit WriterThread(const WriterFactory& make, int depth = 8);
    ~WriterThread() override;

    void write(int pageNumber, const PagePtr& page) override;
    // Writes what is queued and finishes; throws the first error of the writing thread.
    void finish() override;
    void discard() override;
    // A write has failed: the caller may stop making pages.
    bool failed() const;

private:
    struct Shared;
    std::unique_ptr<Shared> m_shared;
};

} // namespace vek::exporter
