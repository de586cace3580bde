#pragma once
// TMetafile: one Enhanced Metafile held as its bytes. A page of a printout is one metafile;
// pictures embedded in printouts are metafiles too. Copying copies bytes.
//
// Size: a metafile has a frame (rclFrame, 0.01 mm) and a size in pixels. A picture's pixel size
// is its frame at 96 pixels per inch; a page made by the composer has the size it was given
// (1429 x 2000) with the 210 x 294 mm frame.

#include <QByteArray>
#include <QRect>
#include <QSize>

namespace vek {

class TMetafile {
public:
    TMetafile() = default;

    // Takes the bytes of an EMF file. Throws EInvalidGraphic when the header is not an
    // Enhanced Metafile header or its length fields disagree with the bytes.
    static TMetafile fromBytes(QByteArray bytes);

    bool isEmpty() const { return m_bytes.isEmpty(); }
    const QByteArray& bytes() const { return m_bytes; }
    // Replaces the content by recorded bytes (used by the metafile canvas). The first form takes
    // the size from the frame at 96 pixels per inch, the second keeps the given size.
    void setBytes(QByteArray bytes);
    void setBytes(QByteArray bytes, QSize size);

    // rclFrame, inclusive-inclusive, in 0.01 mm: the picture spans right - left by bottom - top.
    QRect frame() const { return m_frame; }
    void setFrame(const QRect& frame) { m_frame = frame; }
    // rclBounds, device units.
    QRect bounds() const { return m_bounds; }

    int width() const { return m_size.width(); }
    int height() const { return m_size.height(); }
    QSize size() const { return m_size; }
    // Empties the metafile and gives it a new size; the frame follows at 96 pixels per inch unless
    // set afterwards.
    void setSize(QSize size);
    void clear();
    // Empties the metafile and makes it a page: 210 x 294 mm drawn at 1.8 times logPixels
    // (1429 x 2000 pixels at 96).
    void setPageSize(int logPixels = 96);

private:
    void readHeader();

    QByteArray m_bytes;
    QRect m_frame;
    QRect m_bounds;
    QSize m_size;
};

} // namespace vek
