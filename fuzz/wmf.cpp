// Fuzzes the WMF reader: arbitrary bytes converted to EMF and played into a small image, with and
// without a size given from outside, and the converted picture recorded into a page as rich text
// does. Conversion and playback must never read out of bounds, loop or allocate without limit.
#include "FuzzSupport.h"
#include "platform/EmfPlayer.h"
#include "platform/MetafileCanvas.h"
#include "platform/WmfPlayer.h"

#include <QImage>
#include <QPainter>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vek::fuzz::startGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    vek::playWmf(painter, QRectF(0, 0, 64, 48), bytes);
    const vek::WmfConversion c = vek::convertWmf(bytes, QSize(2000, 1000));
    if (c.emf.isEmpty())
        return 0;
    vek::TMetafile page;
    page.setSize(QSize(64, 48));
    {
        vek::MetafileCanvas canvas(page);
        canvas.stretchDraw(QRect(4, 4, 50, 30), vek::TMetafile::fromBytes(c.emf));
    }
    vek::playEmf(painter, QRectF(0, 0, 64, 48), page);
    return 0;
}
