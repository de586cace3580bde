// Fuzzes the EMF player: arbitrary bytes played into a small image, in colour and in black and
// white, through a display list into a part of the image, and read for their text and trace.
// Nothing may read out of bounds, loop or allocate without limit.
#include "FuzzSupport.h"
#include "platform/EmfDisplayList.h"
#include "platform/EmfPlayer.h"
#include "platform/EmfTrace.h"
#include "platform/PageText.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vek::fuzz::startGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = vek::fuzz::rawBytes(data, size);
    vek::fuzz::WhiteImage image(QSize(64, 48));
    QPainter& painter = image.painter;
    vek::playEmf(painter, image.rect(), bytes);
    vek::EmfPlayOptions mono;
    mono.monochrome = true;
    vek::playEmf(painter, QRectF(4, 4, 30, 20), bytes, mono);
    const vek::EmfDisplayList list(bytes);
    vek::EmfPlayOptions tile;
    tile.clip = QRectF(16, 12, 20, 10);
    list.play(painter, QRectF(-32, -24, 128, 96), tile);
    vek::extractPageText(bytes);
    vek::emfTrace(list);
    return 0;
}
