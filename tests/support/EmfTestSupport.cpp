#include "support/EmfTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QtEndian>

namespace vek::test {

QImage renderEmf(const QByteArray& bytes, QSize size, const EmfPlayOptions& options) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    playEmf(p, QRectF(0, 0, size.width(), size.height()), bytes, options);
    p.end();
    return img;
}

int inkPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            n += qGray(line[x]) < 230 || qRed(line[x]) < 200 || qGreen(line[x]) < 200 || qBlue(line[x]) < 200;
    }
    return n;
}

int pixelsNear(const QImage& image, QColor c, int tol) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            n += std::abs(qRed(line[x]) - c.red()) <= tol && std::abs(qGreen(line[x]) - c.green()) <= tol &&
                 std::abs(qBlue(line[x]) - c.blue()) <= tol;
    }
    return n;
}

QPointF centroidOf(const QImage& image, QColor c, int& count, int tol) {
    double sx = 0, sy = 0;
    count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (std::abs(qRed(p) - c.red()) < tol && std::abs(qGreen(p) - c.green()) < tol &&
                std::abs(qBlue(p) - c.blue()) < tol) {
                sx += x;
                sy += y;
                ++count;
            }
        }
    }
    return count ? QPointF(sx / count, sy / count) : QPointF();
}

QRect inkBounds(const QImage& image) {
    QRect r;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(line[x]) < 200 || qRed(line[x]) < 200 || qGreen(line[x]) < 200 || qBlue(line[x]) < 200)
                r |= QRect(x, y, 1, 1);
        }
    }
    return r;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString dataDir() {
    const QString root = qEnvironmentVariable("VEK_SOURCE_DIR");
    if (!root.isEmpty())
        return root + QStringLiteral("/tests/data/emf/");
    return QFileInfo(QString::fromUtf8(__FILE__)).absolutePath() + QStringLiteral("/../data/emf/");
}

void putI32(QByteArray& b, std::int32_t v) {
    char buf[4];
    qToLittleEndian<qint32>(v, buf);
    b.append(buf, 4);
}

void putU16(QByteArray& b, std::uint16_t v) {
    char buf[2];
    qToLittleEndian<quint16>(v, buf);
    b.append(buf, 2);
}

EmfBuilder& EmfBuilder::record(std::uint32_t type, std::initializer_list<std::int32_t> fields) {
    QByteArray body;
    for (std::int32_t f : fields)
        putI32(body, f);
    return raw(type, body);
}

EmfBuilder& EmfBuilder::raw(std::uint32_t type, const QByteArray& bodyIn) {
    QByteArray body = bodyIn;
    while (body.size() % 4)
        body.append('\0');
    putI32(m_records, std::int32_t(type));
    putI32(m_records, std::int32_t(body.size() + 8));
    m_records.append(body);
    ++m_count;
    return *this;
}

QByteArray EmfBuilder::finish(QRect frame, QRect bounds, QSize devicePx, QSize deviceMm) {
    QByteArray eof;
    putI32(eof, 14);
    putI32(eof, 20);
    putI32(eof, 0);
    putI32(eof, 16);
    putI32(eof, 20);
    QByteArray h;
    const int headerSize = 108;
    const int total = headerSize + int(m_records.size()) + int(eof.size());
    putI32(h, 1);
    putI32(h, headerSize);
    for (int v : {bounds.left(), bounds.top(), bounds.right(), bounds.bottom()})
        putI32(h, v);
    for (int v : {frame.left(), frame.top(), frame.right(), frame.bottom()})
        putI32(h, v);
    putI32(h, 0x464D4520);
    putI32(h, 0x10000);
    putI32(h, total);
    putI32(h, m_count + 2);
    putU16(h, 16); // handles
    putU16(h, 0);
    putI32(h, 0); // description
    putI32(h, 0);
    putI32(h, 0); // palette entries
    putI32(h, devicePx.width());
    putI32(h, devicePx.height());
    putI32(h, deviceMm.width());
    putI32(h, deviceMm.height());
    putI32(h, 0); // pixel format
    putI32(h, 0);
    putI32(h, 0); // OpenGL
    putI32(h, deviceMm.width() * 1000);
    putI32(h, deviceMm.height() * 1000);
    return h + m_records + eof;
}

} // namespace vek::test
