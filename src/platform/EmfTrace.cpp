// Record names and parameters for traces. Only what a trace shows is decoded here; every read is
// checked against the record (EmfRecord gives zero outside it), so damaged records print too.
#include "EmfTrace.h"

#include "EmfTextRecord.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <zlib.h>

namespace vek {
namespace {

struct RecordName {
    std::uint32_t type;
    const char* name;
};

constexpr RecordName kNames[] = {
    {1, "HEADER"},
    {2, "POLYBEZIER"},
    {3, "POLYGON"},
    {4, "POLYLINE"},
    {5, "POLYBEZIERTO"},
    {6, "POLYLINETO"},
    {7, "POLYPOLYLINE"},
    {8, "POLYPOLYGON"},
    {9, "SETWINDOWEXTEX"},
    {10, "SETWINDOWORGEX"},
    {11, "SETVIEWPORTEXTEX"},
    {12, "SETVIEWPORTORGEX"},
    {13, "SETBRUSHORGEX"},
    {14, "EOF"},
    {15, "SETPIXELV"},
    {16, "SETMAPPERFLAGS"},
    {17, "SETMAPMODE"},
    {18, "SETBKMODE"},
    {19, "SETPOLYFILLMODE"},
    {20, "SETROP2"},
    {21, "SETSTRETCHBLTMODE"},
    {22, "SETTEXTALIGN"},
    {23, "SETCOLORADJUSTMENT"},
    {24, "SETTEXTCOLOR"},
    {25, "SETBKCOLOR"},
    {26, "OFFSETCLIPRGN"},
    {27, "MOVETOEX"},
    {28, "SETMETARGN"},
    {29, "EXCLUDECLIPRECT"},
    {30, "INTERSECTCLIPRECT"},
    {31, "SCALEVIEWPORTEXTEX"},
    {32, "SCALEWINDOWEXTEX"},
    {33, "SAVEDC"},
    {34, "RESTOREDC"},
    {35, "SETWORLDTRANSFORM"},
    {36, "MODIFYWORLDTRANSFORM"},
    {37, "SELECTOBJECT"},
    {38, "CREATEPEN"},
    {39, "CREATEBRUSHINDIRECT"},
    {40, "DELETEOBJECT"},
    {41, "ANGLEARC"},
    {42, "ELLIPSE"},
    {43, "RECTANGLE"},
    {44, "ROUNDRECT"},
    {45, "ARC"},
    {46, "CHORD"},
    {47, "PIE"},
    {48, "SELECTPALETTE"},
    {49, "CREATEPALETTE"},
    {50, "SETPALETTEENTRIES"},
    {51, "RESIZEPALETTE"},
    {52, "REALIZEPALETTE"},
    {53, "EXTFLOODFILL"},
    {54, "LINETO"},
    {55, "ARCTO"},
    {56, "POLYDRAW"},
    {57, "SETARCDIRECTION"},
    {58, "SETMITERLIMIT"},
    {59, "BEGINPATH"},
    {60, "ENDPATH"},
    {61, "CLOSEFIGURE"},
    {62, "FILLPATH"},
    {63, "STROKEANDFILLPATH"},
    {64, "STROKEPATH"},
    {65, "FLATTENPATH"},
    {66, "WIDENPATH"},
    {67, "SELECTCLIPPATH"},
    {68, "ABORTPATH"},
    {70, "GDICOMMENT"},
    {71, "FILLRGN"},
    {72, "FRAMERGN"},
    {73, "INVERTRGN"},
    {74, "PAINTRGN"},
    {75, "EXTSELECTCLIPRGN"},
    {76, "BITBLT"},
    {77, "STRETCHBLT"},
    {78, "MASKBLT"},
    {79, "PLGBLT"},
    {80, "SETDIBITSTODEVICE"},
    {81, "STRETCHDIBITS"},
    {82, "EXTCREATEFONTINDIRECTW"},
    {83, "EXTTEXTOUTA"},
    {84, "EXTTEXTOUTW"},
    {85, "POLYBEZIER16"},
    {86, "POLYGON16"},
    {87, "POLYLINE16"},
    {88, "POLYBEZIERTO16"},
    {89, "POLYLINETO16"},
    {90, "POLYPOLYLINE16"},
    {91, "POLYPOLYGON16"},
    {92, "POLYDRAW16"},
    {93, "CREATEMONOBRUSH"},
    {94, "CREATEDIBPATTERNBRUSHPT"},
    {95, "EXTCREATEPEN"},
    {96, "POLYTEXTOUTA"},
    {97, "POLYTEXTOUTW"},
    {98, "SETICMMODE"},
    {99, "CREATECOLORSPACE"},
    {100, "SETCOLORSPACE"},
    {101, "DELETECOLORSPACE"},
    {102, "GLSRECORD"},
    {103, "GLSBOUNDEDRECORD"},
    {104, "PIXELFORMAT"},
    {105, "DRAWESCAPE"},
    {106, "EXTESCAPE"},
    {108, "SMALLTEXTOUT"},
    {109, "FORCEUFIMAPPING"},
    {110, "NAMEDESCAPE"},
    {111, "COLORCORRECTPALETTE"},
    {112, "SETICMPROFILEA"},
    {113, "SETICMPROFILEW"},
    {114, "ALPHABLEND"},
    {115, "SETLAYOUT"},
    {116, "TRANSPARENTBLT"},
    {118, "GRADIENTFILL"},
    {119, "SETLINKEDUFIS"},
    {120, "SETTEXTJUSTIFICATION"},
    {121, "COLORMATCHTOTARGETW"},
    {122, "CREATECOLORSPACEW"},
};

constexpr int kMaxPoints = 64;  // points printed of one figure; the count tells the rest
constexpr int kMaxRawWords = 8; // words printed of a record not decoded

QString num(double v) {
    return QString::number(v, 'g', 7);
}

QString point(const EmfRecord& r, std::int64_t off) {
    return num(r.i32(off)) + u',' + num(r.i32(off + 4));
}

QString rectL(const EmfRecord& r, std::int64_t off) {
    return point(r, off) + u' ' + point(r, off + 8);
}

QString colour(std::uint32_t c) {
    const std::uint32_t rgb = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    return QStringLiteral("#%1").arg(rgb, 6, 16, QChar(u'0'));
}

QString handle(std::uint32_t h) {
    static constexpr const char* kStock[] = {
        "WHITE_BRUSH",     "LTGRAY_BRUSH",      "GRAY_BRUSH",       "DKGRAY_BRUSH", "BLACK_BRUSH",
        "NULL_BRUSH",      "WHITE_PEN",         "BLACK_PEN",        "NULL_PEN",     "STOCK_9",
        "OEM_FIXED_FONT",  "ANSI_FIXED_FONT",   "ANSI_VAR_FONT",    "SYSTEM_FONT",  "DEVICE_DEFAULT_FONT",
        "DEFAULT_PALETTE", "SYSTEM_FIXED_FONT", "DEFAULT_GUI_FONT", "DC_BRUSH",     "DC_PEN"};
    if (h & emr::STOCK_OBJECT) {
        const std::uint32_t i = h & ~emr::STOCK_OBJECT;
        return i < std::size(kStock) ? QString::fromLatin1(kStock[i]) : QStringLiteral("STOCK_%1").arg(i);
    }
    return QStringLiteral("#%1").arg(h);
}

QString quoted(const QString& text) {
    QString out(u'"');
    for (QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0))
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        else
            out += c;
    }
    return out + u'"';
}

QString points(const EmfRecord& r, std::int64_t off, std::int64_t count, bool small) {
    const std::int64_t size = small ? 4 : 8;
    if (!r.hasArray(off, count, size))
        return QStringLiteral("<damaged>");
    QStringList out;
    for (std::int64_t i = 0; i < std::min<std::int64_t>(count, kMaxPoints); ++i) {
        const std::int64_t at = off + i * size;
        out << (small ? num(r.i16(at)) + u',' + num(r.i16(at + 2)) : point(r, at));
    }
    if (count > kMaxPoints)
        out << QStringLiteral("...");
    return out.join(u' ');
}

QString polyParams(const EmfRecord& r, bool small) {
    // rclBounds, count, points.
    const std::int64_t count = r.u32(24);
    return QStringLiteral("n=%1 ").arg(count) + points(r, 28, count, small);
}

QString polyPolyParams(const EmfRecord& r, bool small) {
    // rclBounds, number of figures, total points, the count of each, the points.
    const std::int64_t polys = r.u32(24), total = r.u32(28);
    if (!r.hasArray(32, polys, 4))
        return QStringLiteral("<damaged>");
    QStringList counts;
    for (std::int64_t i = 0; i < std::min<std::int64_t>(polys, kMaxPoints); ++i)
        counts << QString::number(r.u32(32 + 4 * i));
    return QStringLiteral("figures=[%1] ").arg(counts.join(u' ')) + points(r, 32 + 4 * polys, total, small);
}

QString fontParams(const EmfRecord& r) {
    QString face;
    for (int i = 0; i < 32 && r.u16(40 + 2 * i) != 0; ++i)
        face.append(QChar(r.u16(40 + 2 * i)));
    QString out = handle(r.u32(8)) + u' ' + quoted(face) +
                  QStringLiteral(" h=%1 w=%2 esc=%3 wt=%4 cs=%5")
                      .arg(r.i32(12))
                      .arg(r.i32(16))
                      .arg(r.i32(20))
                      .arg(r.i32(28))
                      .arg(r.u8(35));
    if (r.u8(32))
        out += QStringLiteral(" italic");
    if (r.u8(33))
        out += QStringLiteral(" underline");
    if (r.u8(34))
        out += QStringLiteral(" strikeout");
    return out;
}

// Numbers with runs of one value written as "value*count".
QString runs(const std::vector<double>& values) {
    QStringList out;
    for (std::size_t i = 0; i < values.size();) {
        std::size_t n = 1;
        while (i + n < values.size() && values[i + n] == values[i])
            ++n;
        out << (n > 1 ? num(values[i]) + u'*' + QString::number(n) : num(values[i]));
        i += n;
    }
    return out.join(u' ');
}

QString textParams(const EmfRecord& r) {
    QStringList out;
    EmfTextOut t;
    for (int i = 0; i < std::max(0, emfTextCount(r)); ++i) {
        if (!readEmfTextOut(r, i, EASTEUROPE_CHARSET, t)) {
            out << QStringLiteral("<damaged>");
            continue;
        }
        QString s = QStringLiteral("ref=%1,%2 opts=%3")
                        .arg(num(t.reference.x()), num(t.reference.y()))
                        .arg(t.options, 0, 16);
        if (t.hasRect)
            s += QStringLiteral(" rect=%1,%2 %3x%4")
                     .arg(num(t.rect.x()), num(t.rect.y()), num(t.rect.width()), num(t.rect.height()));
        s += u' ' + quoted(t.text);
        if (!t.dx.empty())
            s += QStringLiteral(" dx=[%1]").arg(runs(t.dx));
        out << s;
    }
    if (emfTextCount(r) < 0)
        out << QStringLiteral("<damaged>");
    return out.join(QStringLiteral(" | "));
}

QString bitsCrc(const EmfRecord& r, std::int64_t offBits, std::int64_t cbBits) {
    const QByteArrayView bits = r.span(offBits, cbBits);
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(bits.data()), uInt(bits.size()));
    return QStringLiteral("crc=%1").arg(quint32(crc), 8, 16, QChar(u'0'));
}

QString bitmapInfo(const EmfRecord& r, std::int64_t offBmi) {
    // BITMAPINFOHEADER: size, width, height, planes, bit count.
    return QStringLiteral("bmp=%1x%2x%3")
        .arg(r.i32(offBmi + 4))
        .arg(r.i32(offBmi + 8))
        .arg(r.u16(offBmi + 14));
}

QString rawParams(const EmfRecord& r) {
    QStringList words;
    const std::int64_t n = (r.size() - 8) / 4;
    for (std::int64_t i = 0; i < std::min<std::int64_t>(n, kMaxRawWords); ++i)
        words << QString::number(r.i32(8 + 4 * i));
    if (n > kMaxRawWords)
        words << QStringLiteral("(+%1 bytes)").arg((n - kMaxRawWords) * 4);
    return words.join(u' ');
}

QString stateParams(const EmfRecord& r) {
    switch (r.type()) {
    case emr::SETTEXTCOLOR:
    case emr::SETBKCOLOR:
        return colour(r.u32(8));
    case emr::SELECTOBJECT:
    case emr::DELETEOBJECT:
        return handle(r.u32(8));
    case emr::CREATEPEN:
        return handle(r.u32(8)) + QStringLiteral(" style=%1 w=%2 ").arg(r.u32(12), 0, 16).arg(r.i32(16)) +
               colour(r.u32(24));
    case emr::EXTCREATEPEN:
        return handle(r.u32(8)) + QStringLiteral(" style=%1 w=%2 ").arg(r.u32(28), 0, 16).arg(r.i32(32)) +
               colour(r.u32(40));
    case emr::CREATEBRUSHINDIRECT:
        return handle(r.u32(8)) + QStringLiteral(" style=%1 ").arg(r.u32(12)) + colour(r.u32(16)) +
               QStringLiteral(" hatch=%1").arg(r.u32(20));
    case emr::EXTCREATEFONTINDIRECTW:
        return fontParams(r);
    case emr::SETWORLDTRANSFORM:
    case emr::MODIFYWORLDTRANSFORM: {
        QStringList m;
        for (int i = 0; i < 6; ++i)
            m << num(r.f32(8 + 4 * i));
        QString out = QStringLiteral("[%1]").arg(m.join(u' '));
        if (r.type() == emr::MODIFYWORLDTRANSFORM)
            out += QStringLiteral(" mode=%1").arg(r.i32(32));
        return out;
    }
    case emr::SCALEVIEWPORTEXTEX:
    case emr::SCALEWINDOWEXTEX:
        return QStringLiteral("%1/%2 %3/%4").arg(r.i32(8)).arg(r.i32(12)).arg(r.i32(16)).arg(r.i32(20));
    case emr::SETWINDOWEXTEX:
    case emr::SETWINDOWORGEX:
    case emr::SETVIEWPORTEXTEX:
    case emr::SETVIEWPORTORGEX:
    case emr::MOVETOEX:
    case emr::LINETO:
        return point(r, 8);
    case emr::INTERSECTCLIPRECT:
    case emr::EXCLUDECLIPRECT:
    case emr::RECTANGLE:
    case emr::ELLIPSE:
        return rectL(r, 8);
    case emr::ROUNDRECT:
        return rectL(r, 8) + QStringLiteral(" corner=") + point(r, 24);
    case emr::EXTSELECTCLIPRGN:
        return QStringLiteral("mode=%1 rects=%2").arg(r.i32(12)).arg(r.u32(8) >= 32 ? r.u32(24) : 0);
    case emr::SAVEDC:
    case emr::EOF_:
        return {};
    default:
        return rawParams(r);
    }
}

QString params(const EmfRecord& r) {
    switch (r.type()) {
    case emr::HEADER:
        return QStringLiteral("bounds=%1 frame=%2 device=%3x%4 mm=%5x%6 records=%7 handles=%8")
            .arg(rectL(r, 8), rectL(r, 24))
            .arg(r.i32(72))
            .arg(r.i32(76))
            .arg(r.i32(80))
            .arg(r.i32(84))
            .arg(r.u32(52))
            .arg(r.u16(56));
    case emr::POLYBEZIER:
    case emr::POLYGON:
    case emr::POLYLINE:
    case emr::POLYBEZIERTO:
    case emr::POLYLINETO:
        return polyParams(r, false);
    case emr::POLYBEZIER16:
    case emr::POLYGON16:
    case emr::POLYLINE16:
    case emr::POLYBEZIERTO16:
    case emr::POLYLINETO16:
        return polyParams(r, true);
    case emr::POLYPOLYLINE:
    case emr::POLYPOLYGON:
        return polyPolyParams(r, false);
    case emr::POLYPOLYLINE16:
    case emr::POLYPOLYGON16:
        return polyPolyParams(r, true);
    case emr::EXTTEXTOUTW:
    case emr::EXTTEXTOUTA:
    case emr::POLYTEXTOUTW:
    case emr::POLYTEXTOUTA:
    case emr::SMALLTEXTOUT:
        return textParams(r);
    case emr::STRETCHDIBITS:
        // rclBounds, xDest, yDest, xSrc, ySrc, cxSrc, cySrc, offBmi, cbBmi, offBits, cbBits,
        // iUsage, dwRop, cxDest, cyDest.
        return QStringLiteral("dest=%1 %2x%3 src=%4 %5x%6 rop=%7 ")
                   .arg(point(r, 24))
                   .arg(r.i32(72))
                   .arg(r.i32(76))
                   .arg(point(r, 32))
                   .arg(r.i32(40))
                   .arg(r.i32(44))
                   .arg(r.u32(68), 0, 16) +
               bitmapInfo(r, r.u32(48)) + u' ' + bitsCrc(r, r.u32(56), r.u32(60));
    default:
        return stateParams(r);
    }
}

QString extentText(const EmfExtent& e) {
    switch (e.kind) {
    case EmfExtent::State:
        return {};
    case EmfExtent::Unbounded:
        return QStringLiteral("@ *");
    case EmfExtent::Bounded:
        break;
    }
    if (e.bounds.isEmpty())
        return QStringLiteral("@ -");
    // Whole device pixels covering the bounds; in 64 bits, since hostile bounds may span more
    // than an int holds.
    const auto whole = [](double v) {
        return std::isnan(v) ? 0LL : static_cast<long long>(std::clamp(v, -1e15, 1e15));
    };
    const long long left = whole(std::floor(e.bounds.left()));
    const long long top = whole(std::floor(e.bounds.top()));
    const long long right = whole(std::ceil(e.bounds.right()));
    const long long bottom = whole(std::ceil(e.bounds.bottom()));
    return QStringLiteral("@ %1,%2 %3x%4").arg(left).arg(top).arg(right - left).arg(bottom - top);
}

} // namespace

QString emfRecordName(std::uint32_t type) {
    for (const RecordName& n : kNames) {
        if (n.type == type)
            return QString::fromLatin1(n.name);
    }
    return QStringLiteral("EMR_%1").arg(type);
}

QString emfTraceLine(const EmfRecord& r, const EmfExtent& extent) {
    QString line = emfRecordName(r.type());
    const QString p = params(r);
    if (!p.isEmpty())
        line += u' ' + p;
    const QString e = extentText(extent);
    if (!e.isEmpty())
        line += u' ' + e;
    return line;
}

QString emfTrace(const EmfDisplayList& list) {
    QString out;
    for (const EmfDisplayItem& item : list.items())
        out += emfTraceLine(list.record(item), EmfExtent{item.kind, item.bounds}) + u'\n';
    return out;
}

} // namespace vek
