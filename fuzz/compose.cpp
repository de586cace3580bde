// Fuzzes composition: a body the reader accepts is laid out into page metafiles and the first
// page is played back; the same body is also composed while it is read, which composes the pages
// before a read error too. Whatever the sizes, styles and kinds, composing must end, stay in bounds
// and hand out pages that play. Inputs are taken as decompressed bodies, as in the reader target.
#include "FuzzSupport.h"
#include "document/LineDruk.h"
#include "platform/EmfPlayer.h"
#include "platform/InflateStream.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <memory>

namespace {

constexpr int kMaxPages = 30; // enough to reach repeated headers and page breaks of every kind

void limitPages(vek::TMLineWydruk& doc, int& pages) {
    doc.OnNewPage = [&pages](vek::TMLineWydruk& sender, const vek::PagePtr&) {
        if (++pages >= kMaxPages)
            sender.Aborted = true;
    };
}

void composeWhileReading(const QByteArray& body) {
    auto buf = std::make_unique<QBuffer>();
    buf->setData(body);
    buf->open(QIODevice::ReadOnly);
    vek::TMLineWydruk doc;
    int pages = 0;
    limitPages(doc, pages);
    try {
        doc.BeginLoad(std::move(buf));
        doc.MakePages();
    } catch (const vek::Exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vek::fuzz::startGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body = vek::fuzz::compressed(data, size);
    composeWhileReading(body);
    QBuffer buf;
    buf.setData(body);
    buf.open(QIODevice::ReadOnly);
    vek::TMLineWydruk doc;
    try {
        vek::InflateStream body(buf);
        doc.LoadFromStream(body);
    } catch (const vek::Exception&) {
        return 0;
    }
    int pages = 0;
    limitPages(doc, pages);
    try {
        doc.MakePages();
    } catch (const vek::Exception&) {
        return 0;
    }
    if (!doc.Pages.empty()) {
        QImage image(72, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        vek::playEmf(painter, QRectF(0, 0, 72, 100), doc.Pages.front()->metafile().bytes());
    }
    return 0;
}
