#include "ExportText.h"

#include "platform/EmfTrace.h"
#include "platform/Page.h"
#include "platform/PageText.h"

#include <cstdio>

namespace vek::exporter {

namespace {

void printUtf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// One line of text per printed line, each ending in "\n".
QString pageText(const Page& page) {
    const QString text = extractPageText(page).text;
    return text.isEmpty() ? text : text + u'\n';
}

class TextWriter : public PageWriter {
public:
    void write(int, const PagePtr& page) override {
        if (m_pages++ > 0)
            std::fputc('\f', stdout);
        printUtf8(pageText(*page));
    }
    void finish() override { std::fflush(stdout); }

private:
    int m_pages = 0;
};

class TraceWriter : public PageWriter {
public:
    void write(int pageNumber, const PagePtr& page) override {
        printUtf8(QStringLiteral("# page %1\n").arg(pageNumber) + emfTrace(page->displayList()));
    }
    void finish() override { std::fflush(stdout); }
};

} // namespace

std::unique_ptr<PageWriter> makeTextWriter() {
    return std::make_unique<TextWriter>();
}

std::unique_ptr<PageWriter> makeTraceWriter() {
    return std::make_unique<TraceWriter>();
}

} // namespace vek::exporter
