// Fuzzes the EMF player: arbitrary bytes played into a small image, in colour and in black and
// white. Playback must never read out of bounds, loop or allocate without limit.
#include "FuzzSupport.h"
#include "platform/EmfPlayer.h"

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
    vek::playEmf(painter, QRectF(0, 0, 64, 48), bytes);
    vek::EmfPlayOptions mono;
    mono.monochrome = true;
    vek::playEmf(painter, QRectF(4, 4, 30, 20), bytes, mono);
    return 0;
}
