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
    // The description string may sit where the extensions would be: then they are absent.
    const std::uint32_t headerSize = r.u32(4);
    const std::uint32_t descriptionAt = r.u32(60) ? r.u32(64) : headerSize;
    const std::uint32_t pixelFormatAt = r.u32(88) ? r.u32(92) : headerSize;
    const bool hasMicrometres = headerSize >= 108 && descriptionAt >= 108 && pixelFormatAt >= 108;
    if (hasMicrometres && r.has(100, 8) && r.i32(100) > 0 && r.i32(104) > 0)
        h.millimeters = QSizeF(r.i32(100) / 1000.0, r.i32(104) / 1000.0);
    return true;
}

EmfPlayRun::EmfPlayRun(QPainter& painter, const QRectF& target, const EmfHeader& header,
                       const EmfPlayOptions& options)
    : m_options(options) {
    m_result.valid = true;
    const QRectF frame = header.frameInDeviceUnits();
    if (frame.isEmpty() || !plausibleRect(target.normalized()) || !painter.isActive())
        return;
    // Device units of the reference device onto the target rectangle, then the painter's own
    // transform: device point = frame mapping x window/viewport x world.
    const QTransform deviceToBase =
        QTransform::fromTranslate(-frame.x(), -frame.y()) *
        QTransform::fromScale(target.width() / frame.width(), target.height() / frame.height()) *
        QTransform::fromTranslate(target.x(), target.y());
    m_visible = computeVisible(painter, deviceToBase);
    const EmfColourPolicy colours{options.monochrome, options.ink, options.paper};
    m_playback.emplace(painter, deviceToBase * painter.transform(), header.pixelsPerMm(), colours);
    if (options.monochrome)
        m_playback->dc().setTextColor(options.ink);
}

QRectF EmfPlayRun::computeVisible(QPainter& painter, const QTransform& deviceToBase) const {
    const QRectF everything(-1e15, -1e15, 2e15, 2e15);
    // In the pixels of the device: its own area (a picture recording has none), the painter's clip,
    // the clip asked for.
    const QTransform toPixels = painter.deviceTransform();
    QRectF pixels = everything;
    const QPaintDevice* device = painter.device();
    if (device && device->devType() != QInternal::Picture && device->width() > 0 && device->height() > 0) {
        const double dpr = device->devicePixelRatio();
        pixels = QRectF(0, 0, device->width() * dpr, device->height() * dpr);
    }
    if (painter.hasClipping())
        pixels = pixels.intersected(toPixels.mapRect(painter.clipBoundingRect()));
    if (!m_options.clip.isEmpty())
        pixels = pixels.intersected(toPixels.mapRect(m_options.clip.normalized()));
    bool invertible = false;
    const QTransform pixelsToDevice = (deviceToBase * toPixels).inverted(&invertible);
    if (!invertible || pixels == everything)
        return everything;
    if (pixels.isEmpty())
        return QRectF();
    constexpr double kMarginPixels = 2;
    return pixelsToDevice.mapRect(
        pixels.adjusted(-kMarginPixels, -kMarginPixels, kMarginPixels, kMarginPixels));
}

bool EmfPlayRun::step(const EmfRecord& r, bool visible) {
    if (m_options.cancel && m_options.cancel->load(std::memory_order_relaxed)) {
        m_result.cancelled = true;
        return false;
    }
    if (m_options.onRecord && !m_options.onRecord(r))
        return true;
    if (r.type() == emr::EOF_)
        return false;
    if (!visible) {
        m_playback->skip(r);
        ++m_result.culled;
    } else if (m_playback->play(r)) {
        ++m_result.records;
    } else {
        ++m_result.skipped;
    }
    return true;
}

EmfPlayResult playEmf(QPainter& painter, const QRectF& target, QByteArrayView bytes,
                      const EmfPlayOptions& options) {
    EmfHeader header;
    if (!readEmfHeader(bytes, header))
        return {};
    EmfPlayRun run(painter, target, header, options);
    if (!run.ready())
        return run.result();
    EmfWalker walker(bytes);
    EmfRecord r;
    while (walker.next(r) && run.step(r)) {
    }
    run.result().truncated = walker.damaged();
    return run.result();
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
