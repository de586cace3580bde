#pragma once
// Pieces shared by the fuzz targets.
#include "platform/GdiFont.h"

#include <QByteArray>
#include <QGuiApplication>
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

// The input deflated as a printout body is, so that targets fuzz records rather than deflate data.
inline QByteArray compressed(const uint8_t* data, size_t size) {
    uLongf out = compressBound(uLong(size));
    QByteArray z(qsizetype(out), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef*>(z.data()), &out, data, uLong(size), 1);
    z.resize(qsizetype(out));
    return z;
}

} // namespace vek::fuzz
