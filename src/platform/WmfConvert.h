#pragma once
// The machinery behind convertWmf: walking WMF records, placing the picture, and translating each
// record into the EMF records of the same device-context operations. Internal to the WMF player.
//
// A WMF record is a 32-bit size in 16-bit words (the 6-byte size and function prefix included), a
// 16-bit function (WmfRecords.h) and the parameters, mostly 16-bit words given in the reverse
// order of the GDI call (a rectangle as bottom, right, top, left; a point as y, x). Records are
// handed out as EmfRecords whose type is the function, so every field read is bounds-checked;
// parameters start at offset 6.

#include "EmfWalk.h"
#include "EmfWriter.h"
#include "Gdi.h"
#include "WmfPlayer.h"

#include <QRect>
#include <set>
#include <vector>

namespace vek {

class WmfWalker {
public:
    WmfWalker(QByteArrayView bytes, qsizetype start)
        : m_bytes(bytes)
        , m_offset(start) {}
    // The next record. False after META_EOF, and at the end of the bytes or at a record whose size
    // field is below 3 words or runs past the end (the walk stops there and damaged() is set).
    bool next(EmfRecord& record);
    bool damaged() const { return m_damaged; }

private:
    QByteArrayView m_bytes;
    qsizetype m_offset;
    bool m_damaged = false;
    bool m_done = false;
};

// Where the picture lies: its box in logical units (origin and signed extent, the initial window)
// and the size of that box on paper.
struct WmfPlacement {
    QPoint origin;
    QSize extent; // never zero
    QSize frame;  // 0.01 mm, positive
};
WmfPlacement placeWmf(QByteArrayView wmf, const WmfInfo& info, QSize extentHimetric);

// The fields of the bitmap records (and PATBLT): destination and source in logical and bitmap
// units, the raster operation and where the bitmap starts (0 when the record carries none).
struct WmfBlt {
    QRect dest;
    QRect source;
    std::uint32_t rop = 0;
    std::int64_t bitmapAt = 0;
    std::uint32_t usage = 0;
    bool deviceBitmap = false;     // an old BITMAP16 rather than a packed DIB
    bool sourceFromBottom = false; // source y counts from the bottom row (StretchDIBits)
};
bool readWmfBlt(const EmfRecord& r, WmfBlt& blt);

// The EMF is drawn on a reference device of 0.01 mm units spanning the picture's frame.
class WmfTranslator {
public:
    explicit WmfTranslator(const WmfPlacement& placement);

    // Translates one record; false when it was skipped as damaged.
    bool translate(const EmfRecord& r);
    qsizetype outputSize() const { return m_out.body().size(); }
    QByteArray finish();

private:
    enum class Kind { Free, Pen, Brush, Font, Palette, Region, Other };
    struct Object {
        Kind kind = Kind::Free;
        int codePage = 0;         // fonts: the code page of their character set
        std::vector<QRect> rects; // regions: logical, right and bottom excluded
    };
    // What the translation must know of the device context, saved and restored with it.
    struct Tracked {
        int mapMode = MM_ANISOTROPIC;
        QPoint windowOrg;
        int codePage = 1250; // of the selected font's character set
    };

    bool mapping(const EmfRecord& r);
    bool state(const EmfRecord& r);
    bool objects(const EmfRecord& r);
    bool shapes(const EmfRecord& r);
    bool text(const EmfRecord& r);
    bool regions(const EmfRecord& r);
    bool bitmaps(const EmfRecord& r);

    void setMapMode(int mode);
    void restoreDC(int level);
    int allocate(Kind kind);
    static std::uint32_t handle(int index) { return std::uint32_t(index) + 1; }
    Object* live(std::uint32_t index);
    bool damagedCreate();
    bool selectObject(std::uint32_t index);
    bool deleteObject(std::uint32_t index);
    bool createPen(const EmfRecord& r);
    bool createBrush(const EmfRecord& r);
    bool createFont(const EmfRecord& r);
    bool createRegion(const EmfRecord& r);
    bool createPatternBrush(const EmfRecord& r);

    bool poly(const EmfRecord& r, std::uint32_t type);
    bool polyPolygon(const EmfRecord& r);
    bool arc(const EmfRecord& r);
    bool textOut(const EmfRecord& r);
    bool extTextOut(const EmfRecord& r);
    void writeText(QPoint ref, std::uint32_t options, const QRect& box, QByteArrayView bytes,
                   const EmfRecord& r, std::int64_t dxAt);
    void writeBounds(const QRect& box);
    void regionPath(const Object& region);
    void selectClip(const Object& region);
    bool fillRegion(const EmfRecord& r);

    bool blt(const EmfRecord& r);
    void writePatBlt(const QRect& dest, std::uint32_t rop);
    void writeBlt(const WmfBlt& b, QByteArrayView dib, std::int64_t infoSize);
    void writeDib(QByteArrayView dib, std::int64_t infoSize);

    WmfPlacement m_place;
    EmfRecordBuffer m_out;
    Tracked m_dc;
    std::vector<Tracked> m_saved;
    std::vector<Object> m_objects;
    std::set<int> m_free; // free slots below m_objects.size()
};

} // namespace vek
