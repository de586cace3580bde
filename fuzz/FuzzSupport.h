#pragma once
// Pieces shared by the fuzz targets.
#include "platform/GdiFont.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <zlib.h>

namespace vek::fuzz {

// An offscreen application for targets that draw text.
inline void startGuiApplication(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    static QGuiApplication app(*argc, *argv);
    // The shared font cache outlives Qt's font engine storage at exit; end the process before
    // static destructors run, as the fuzzer's own work is done by then.
    GdiFont::get(LogFont{});
    std::atexit([] { std::_Exit(0); });
}

// The input as bytes, without copying it.
inline QByteArray rawBytes(const uint8_t* data, size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A white image with a painter open on it, for targets that play pictures.
struct WhiteImage {
    explicit WhiteImage(QSize size)
        : image(size, QImage::Format_RGB32) {
        image.fill(Qt::white);
        painter.begin(&image);
    }
    QRectF rect() const { return QRectF(image.rect()); }

    QImage image;
    QPainter painter; // declared after the image: it ends before the image goes
};

// The input deflated as a printout body is, so that targets fuzz records rather than deflate data.
inline QByteArray compressed(const uint8_t* data, size_t size) {
    uLongf out = compressBound(uLong(size));
    QByteArray z(qsizetype(out), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef*>(z.data()), &out, data, uLong(size), 1);
    z.resize(qsizetype(out));
    return z;
}

} // namespace vek::fuzz
