// Fuzzes the WMF reader: arbitrary bytes converted to EMF and played into a small image, with and
// without a size given from outside, and the converted picture recorded into a page as rich text
// does. Conversion and playback must never read out of bounds, loop or allocate without limit.
#include "FuzzSupport.h"
#include "platform/EmfPlayer.h"
#include "platform/MetafileCanvas.h"
#include "platform/WmfPlayer.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vek::fuzz::startGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = vek::fuzz::rawBytes(data, size);
    vek::fuzz::WhiteImage image(QSize(64, 48));
    vek::playWmf(image.painter, image.rect(), bytes);
    const vek::WmfConversion c = vek::convertWmf(bytes, QSize(2000, 1000));
    if (c.emf.isEmpty())
        return 0;
    vek::TMetafile page;
    page.setSize(QSize(64, 48));
    {
        vek::MetafileCanvas canvas(page);
        canvas.stretchDraw(QRect(4, 4, 50, 30), vek::TMetafile::fromBytes(c.emf));
    }
    vek::playEmf(image.painter, image.rect(), page);
    return 0;
}
