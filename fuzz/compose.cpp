// Fuzzes composition: a body is laid out into page metafiles and the first page is played back.
// Half the inputs (by their length) are read whole first, as the exporter does, and only a body
// the reader accepts is composed; the others are composed while they are read, as the preview
// does, which composes the pages before a read error too. Whatever the sizes, styles and kinds,
// composing must end, stay in bounds and hand out pages that play. Inputs are taken as
// decompressed bodies, as in the reader target.
#include "FuzzSupport.h"
#include "document/LineDruk.h"
#include "platform/EmfPlayer.h"
#include "platform/InflateStream.h"

#include <QBuffer>
#include <memory>

namespace {

constexpr int kMaxPages = 30; // enough to reach repeated headers and page breaks of every kind

// Reads the body whole; false when the reader refuses it.
bool readWhole(vek::TMLineWydruk& doc, const QByteArray& body) {
    QBuffer buf;
    buf.setData(body);
    buf.open(QIODevice::ReadOnly);
    try {
        vek::InflateStream stream(buf);
        doc.LoadFromStream(stream);
    } catch (const vek::Exception&) {
        return false;
    }
    return true;
}

// Reads the body's head; the rest is read while MakePages composes it.
bool beginReading(vek::TMLineWydruk& doc, const QByteArray& body) {
    auto buf = std::make_unique<QBuffer>();
    buf->setData(body);
    buf->open(QIODevice::ReadOnly);
    try {
        doc.BeginLoad(std::move(buf));
    } catch (const vek::Exception&) {
        return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vek::fuzz::startGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body = vek::fuzz::compressed(data, size);
    vek::TMLineWydruk doc;
    if (!(size % 2 == 0 ? readWhole(doc, body) : beginReading(doc, body)))
        return 0;
    int pages = 0;
    doc.OnNewPage = [&](vek::TMLineWydruk& sender, const vek::PagePtr&) {
        if (++pages >= kMaxPages)
            sender.Aborted = true;
    };
    try {
        doc.MakePages();
    } catch (const vek::Exception&) {
        // a read error while composing: the pages before it are played as any
    }
    if (!doc.Pages.empty()) {
        vek::fuzz::WhiteImage image(QSize(72, 100));
        vek::playEmf(image.painter, image.rect(), doc.Pages.front()->metafile().bytes());
    }
    return 0;
}
