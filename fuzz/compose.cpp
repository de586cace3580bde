// Fuzzes composition: a body the reader accepts is laid out into page metafiles and the first
// page is played back. Whatever the sizes, styles and kinds, composing must end, stay in bounds
// and hand out pages that play. Inputs are taken as decompressed bodies, as in the reader target.
#include "FuzzSupport.h"
#include "document/LineDruk.h"
#include "platform/EmfPlayer.h"
#include "platform/InflateStream.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

namespace {

constexpr int kMaxPages = 30; // enough to reach repeated headers and page breaks of every kind

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vek::fuzz::startGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QBuffer buf;
    buf.setData(vek::fuzz::compressed(data, size));
    buf.open(QIODevice::ReadOnly);
    vek::TMLineWydruk doc;
    try {
        vek::InflateStream body(buf);
        doc.LoadFromStream(body);
    } catch (const vek::Exception&) {
        return 0;
    }
    int pages = 0;
    doc.OnNewPage = [&](vek::TMLineWydruk& sender, const vek::PagePtr&) {
        if (++pages >= kMaxPages)
            sender.Aborted = true;
    };
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
