// playEmf: header, frame mapping and the record loop.
#include "EmfPlayer.h"

#include "EmfPlayback.h"
#include "Metafile.h"

#include <QtEndian>
#include <cmath>

namespace vek {
namespace {

constexpr std::uint32_t kEmfSignature = 0x464D4520; // " EMF"

bool plausibleRect(const QRectF& r) {
    return r.width() > 0 && r.height() > 0 && std::isfinite(r.width()) && std::isfinite(r.height()) &&
           r.width() < 1e9 && r.height() < 1e9;
}

} // namespace

QSizeF EmfHeader::pixelsPerMm() const {
    const double fallback = 96 / 25.4;
    const double x =
        millimeters.width() > 0 && device.width() > 0 ? device.width() / millimeters.width() : fallback;
    const double y =
        millimeters.height() > 0 && device.height() > 0 ? device.height() / millimeters.height() : fallback;
    return QSizeF(x, y);
}

QRectF EmfHeader::frameInDeviceUnits() const {
    const QSizeF ppmm = pixelsPerMm();
    const QRectF f(frame.left() * ppmm.width() / 100, frame.top() * ppmm.height() / 100,
                   (double(frame.right()) - frame.left()) * ppmm.width() / 100,
                   (double(frame.bottom()) - frame.top()) * ppmm.height() / 100);
    if (plausibleRect(f))
        return f;
    const QRectF b(bounds.left(), bounds.top(), double(bounds.right()) - bounds.left() + 1,
                   double(bounds.bottom()) - bounds.top() + 1);
    return plausibleRect(b) ? b : QRectF();
}

bool readEmfHeader(QByteArrayView bytes, EmfHeader& h) {
    EmfWalker walker(bytes);
    EmfRecord r;
    if (!walker.next(r) || r.type() != emr::HEADER || !r.has(0, 88) || r.u32(40) != kEmfSignature)
        return false;
    h.bounds = r.rectL(8);
    h.frame = r.rectL(24);
    h.handles = r.u16(56);
    h.device = QSize(r.i32(72), r.i32(76));
    h.millimeters = QSizeF(r.i32(80), r.i32(84));
    // Headers of 108 bytes or more carry the exact size in micrometres.
    const std::uint32_t headerSize = r.u32(4);
    if (headerSize >= 108 && r.has(100, 8) && r.i32(100) > 0 && r.i32(104) > 0)
        h.millimeters = QSizeF(r.i32(100) / 1000.0, r.i32(104) / 1000.0);
    return true;
}

EmfPlayResult playEmf(QPainter& painter, const QRectF& target, QByteArrayView bytes,
                      const EmfPlayOptions& options) {
    EmfPlayResult result;
    EmfHeader header;
    if (!readEmfHeader(bytes, header))
        return result;
    result.valid = true;
    const QRectF frame = header.frameInDeviceUnits();
    if (frame.isEmpty() || !plausibleRect(target.normalized()) || !painter.isActive())
        return result;

    QByteArray mono;
    if (options.monochrome) {
        mono = emfMonochromeCopy(bytes, options.ink, options.paper);
        bytes = mono;
    }
    // Device units of the reference device onto the target rectangle, then the painter's own
    // transform: device point = frame mapping x window/viewport x world.
    const QTransform deviceToPainter =
        QTransform::fromTranslate(-frame.x(), -frame.y()) *
        QTransform::fromScale(target.width() / frame.width(), target.height() / frame.height()) *
        QTransform::fromTranslate(target.x(), target.y()) * painter.transform();
    EmfPlayback playback(painter, deviceToPainter, header.pixelsPerMm());
    if (options.monochrome)
        playback.dc().setTextColor(options.ink);

    EmfWalker walker(bytes);
    EmfRecord r;
    while (walker.next(r)) {
        if (options.onRecord && !options.onRecord(r))
            continue;
        if (r.type() == emr::EOF_)
            break;
        if (playback.play(r))
            ++result.records;
        else
            ++result.skipped;
    }
    result.truncated = walker.damaged();
    return result;
}

EmfPlayResult playEmf(QPainter& painter, const QRectF& target, const TMetafile& picture,
                      const EmfPlayOptions& options) {
    return playEmf(painter, target, QByteArrayView(picture.bytes()), options);
}

QByteArray emfMonochromeCopy(QByteArrayView bytes, ColorRef ink, ColorRef paper) {
    QByteArray copy(bytes.data(), bytes.size());
    EmfWalker walker(copy);
    EmfRecord r;
    auto put = [&](qsizetype recordStart, std::int64_t off, ColorRef c) {
        if (!r.has(off, 4))
            return;
        qToLittleEndian<quint32>(c, copy.data() + recordStart + off);
    };
    while (true) {
        const qsizetype start = walker.offset();
        if (!walker.next(r))
            break;
        switch (r.type()) {
        case emr::SETTEXTCOLOR:
            put(start, 8, ink);
            break;
        case emr::SETBKCOLOR:
            put(start, 8, paper);
            break;
        case emr::CREATEPEN:
            put(start, 24, ink);
            break;
        case emr::CREATEBRUSHINDIRECT:
            put(start, 16, paper);
            break;
        case emr::EXTCREATEPEN:
            put(start, 40, ink);
            break;
        default:
            break;
        }
    }
    return copy;
}

} // namespace vek
