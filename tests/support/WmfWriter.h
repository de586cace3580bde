#pragma once
// Writes small Windows Metafiles for tests, record by record. Parameters are 16-bit words in the
// order the record stores them (for most records the reverse of the GDI call); the helpers below
// take GDI's order. Objects are numbered in the order they are created (nothing is deleted).

#include "platform/Gdi.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <cstdint>
#include <initializer_list>

namespace vek::test {

class WmfWriter {
public:
    WmfWriter& record(std::uint16_t function, std::initializer_list<int> params);
    WmfWriter& raw(std::uint16_t function, const QByteArray& params);

    WmfWriter& window(int x, int y, int width, int height);
    WmfWriter& mapMode(int mode);
    WmfWriter& rectangle(int left, int top, int right, int bottom);
    WmfWriter& polygon(const QList<QPoint>& points);
    int createPen(int style, int width, ColorRef colour);
    int createBrush(int style, ColorRef colour, int hatch = 0);
    int createFont(int height, const QByteArray& face, int charset = 0, int weight = 400);
    // Any record that creates an object; answers its slot.
    int create(std::uint16_t function, const QByteArray& params);
    WmfWriter& select(int index);
    WmfWriter& textAlign(unsigned align);
    WmfWriter& textOut(int x, int y, const QByteArray& text);
    // rect: left, top, right, bottom when the options ask for one; dx may be empty.
    WmfWriter& extTextOut(int x, int y, unsigned options, const QRect* rect, const QByteArray& text,
                          const QList<int>& dx = {});
    // The image as a bottom-up 24-bit DIB, source in image pixels (y from the bottom row).
    WmfWriter& stretchDib(const QRect& dest, const QRect& source, const QImage& image,
                          std::uint32_t rop = 0x00CC0020);

    // The metafile: header, records, META_EOF; with a placeable header when box is given.
    QByteArray finish(const QRect* box = nullptr, int unitsPerInch = 1440) const;

    // A packed 24-bit DIB (BITMAPINFOHEADER and bottom-up rows) of the image.
    static QByteArray dib(const QImage& image);
    // 16-bit words, little-endian, for the parameters of raw records.
    static QByteArray words(std::initializer_list<int> values);

private:
    QByteArray m_records;
    std::uint32_t m_maxRecord = 3;
    int m_objects = 0;
};

} // namespace vek::test
