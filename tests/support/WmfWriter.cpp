#include "support/WmfWriter.h"

#include "platform/WmfRecords.h"
#include "support/EmfTestSupport.h"

#include <QtEndian>

namespace vek::test {

QByteArray WmfWriter::words(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        putU16(b, std::uint16_t(v));
    return b;
}

WmfWriter& WmfWriter::record(std::uint16_t function, std::initializer_list<int> params) {
    return raw(function, words(params));
}

WmfWriter& WmfWriter::raw(std::uint16_t function, const QByteArray& params) {
    QByteArray p = params;
    if (p.size() % 2)
        p.append('\0');
    const auto words = std::uint32_t(3 + p.size() / 2);
    putI32(m_records, std::int32_t(words));
    putU16(m_records, function);
    m_records.append(p);
    m_maxRecord = std::max(m_maxRecord, words);
    return *this;
}

WmfWriter& WmfWriter::window(int x, int y, int width, int height) {
    record(wmr::SETWINDOWORG, {y, x});
    return record(wmr::SETWINDOWEXT, {height, width});
}

WmfWriter& WmfWriter::mapMode(int mode) {
    return record(wmr::SETMAPMODE, {mode});
}

WmfWriter& WmfWriter::rectangle(int left, int top, int right, int bottom) {
    return record(wmr::RECTANGLE, {bottom, right, top, left});
}

WmfWriter& WmfWriter::polygon(const QList<QPoint>& points) {
    QByteArray p;
    putU16(p, std::uint16_t(points.size()));
    for (const QPoint& pt : points) {
        putU16(p, std::uint16_t(pt.x()));
        putU16(p, std::uint16_t(pt.y()));
    }
    return raw(wmr::POLYGON, p);
}

int WmfWriter::create(std::uint16_t function, const QByteArray& params) {
    raw(function, params);
    return m_objects++;
}

int WmfWriter::createPen(int style, int width, ColorRef colour) {
    record(wmr::CREATEPENINDIRECT, {style, width, 0, int(colour & 0xFFFF), int(colour >> 16)});
    return m_objects++;
}

int WmfWriter::createBrush(int style, ColorRef colour, int hatch) {
    record(wmr::CREATEBRUSHINDIRECT, {style, int(colour & 0xFFFF), int(colour >> 16), hatch});
    return m_objects++;
}

int WmfWriter::createFont(int height, const QByteArray& face, int charset, int weight) {
    QByteArray p;
    for (int w : {height, 0, 0, 0, weight})
        putU16(p, std::uint16_t(w));
    p.append(char(0)).append(char(0)).append(char(0)).append(char(charset));
    p.append(QByteArray(4, '\0'));
    p.append(face).append('\0');
    raw(wmr::CREATEFONTINDIRECT, p);
    return m_objects++;
}

WmfWriter& WmfWriter::select(int index) {
    return record(wmr::SELECTOBJECT, {index});
}

WmfWriter& WmfWriter::textAlign(unsigned align) {
    return record(wmr::SETTEXTALIGN, {int(align)});
}

WmfWriter& WmfWriter::textOut(int x, int y, const QByteArray& text) {
    QByteArray p;
    putU16(p, std::uint16_t(text.size()));
    p.append(text);
    if (text.size() % 2)
        p.append('\0');
    putU16(p, std::uint16_t(y));
    putU16(p, std::uint16_t(x));
    return raw(wmr::TEXTOUT, p);
}

WmfWriter& WmfWriter::extTextOut(int x, int y, unsigned options, const QRect* rect, const QByteArray& text,
                                 const QList<int>& dx) {
    QByteArray p;
    for (int w : {y, x, int(text.size()), int(options)})
        putU16(p, std::uint16_t(w));
    if (rect) {
        for (int w : {rect->left(), rect->top(), rect->right(), rect->bottom()})
            putU16(p, std::uint16_t(w));
    }
    p.append(text);
    if (text.size() % 2)
        p.append('\0');
    for (int d : dx)
        putU16(p, std::uint16_t(d));
    return raw(wmr::EXTTEXTOUT, p);
}

WmfWriter& WmfWriter::stretchDib(const QRect& dest, const QRect& source, const QImage& image,
                                 std::uint32_t rop) {
    QByteArray p;
    putI32(p, std::int32_t(rop));
    for (int w : {0, source.height(), source.width(), source.y(), source.x(), dest.height(), dest.width(),
                  dest.y(), dest.x()})
        putU16(p, std::uint16_t(w));
    p.append(dib(image));
    return raw(wmr::STRETCHDIB, p);
}

QByteArray WmfWriter::dib(const QImage& image) {
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const int stride = (img.width() * 3 + 3) & ~3;
    QByteArray d;
    for (int v : {40, img.width(), img.height()})
        putI32(d, v);
    putU16(d, 1);
    putU16(d, 24);
    for (int v : {0, stride * img.height(), 0, 0, 0, 0})
        putI32(d, v);
    for (int y = img.height() - 1; y >= 0; --y) {
        QByteArray row;
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            row.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        }
        row.append(QByteArray(stride - row.size(), '\0'));
        d.append(row);
    }
    return d;
}

QByteArray WmfWriter::finish(const QRect* box, int unitsPerInch) const {
    QByteArray out;
    if (box) {
        QByteArray p;
        putI32(p, std::int32_t(wmr::PLACEABLE_KEY));
        for (int w : {0, box->left(), box->top(), box->right() + 1, box->bottom() + 1, unitsPerInch, 0, 0})
            putU16(p, std::uint16_t(w));
        std::uint16_t sum = 0;
        for (int i = 0; i < 20; i += 2)
            sum ^= std::uint16_t(std::uint8_t(p[i]) | (std::uint8_t(p[i + 1]) << 8));
        putU16(p, sum);
        out.append(p);
    }
    const auto words = std::uint32_t(9 + m_records.size() / 2 + 3);
    for (int w : {1, 9, 0x300})
        putU16(out, std::uint16_t(w));
    putI32(out, std::int32_t(words));
    putU16(out, std::uint16_t(m_objects));
    putI32(out, std::int32_t(m_maxRecord));
    putU16(out, 0);
    out.append(m_records);
    putI32(out, 3);
    putU16(out, 0);
    return out;
}

} // namespace vek::test
