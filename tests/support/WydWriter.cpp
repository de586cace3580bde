#include "WydWriter.h"

#include "platform/CodePage.h"

#include <QFile>
#include <bit>
#include <cmath>
#include <zlib.h>

namespace vek::test {

QByteArray cp(QStringView text) {
    return encodeCp1250(text);
}

// ---- Bytes ----

Bytes& Bytes::u8(quint8 v) {
    m_data.append(char(v));
    return *this;
}
Bytes& Bytes::u16(quint16 v) {
    return u8(quint8(v & 0xFF)).u8(quint8(v >> 8));
}
Bytes& Bytes::u32(quint32 v) {
    return u16(quint16(v & 0xFFFF)).u16(quint16(v >> 16));
}
Bytes& Bytes::i32(qint32 v) {
    return u32(quint32(v));
}
Bytes& Bytes::f32(float v) {
    return u32(std::bit_cast<quint32>(v));
}
Bytes& Bytes::raw(QByteArrayView b) {
    m_data.append(b);
    return *this;
}
Bytes& Bytes::str(QByteArrayView s) {
    if (s.size() <= 255)
        u8(101).u8(quint8(s.size()));
    else
        u8(102).u16(quint16(s.size()));
    return raw(s);
}
Bytes& Bytes::emptyGroup() {
    return u8(4).u8(0).u8(0).i32(0);
}

// ---- body ----

namespace {

void writeStyle(Bytes& b, const WStyle& s, int version) {
    b.u8(1).i32(s.color).f32(s.charHeight).i32(s.charsPerLine).f32(s.charWidth).u8(s.fontStyle).i32(s.extra);
    if (version >= 3)
        b.i32(s.charset);
    b.str(s.fontName).str(s.name).str(s.alias);
}

void writeField(Bytes& b, const WField& f, int version) {
    b.u8(6).i32(f.left).i32(f.width).u8(f.kind).u8(f.align);
    if (version >= 6)
        b.u8(f.alignBottom).u8(f.ellipsis);
    b.u8(f.noWrap).u8(f.lineStyle).str(f.style).str(f.text);
    if (version >= 4 && f.kind == 6)
        b.raw(f.picture);
}

void writeGroup(Bytes& b, const WGroup& g, int version) {
    b.u8(4).u8(g.splitLines ? 1 : 0).u8(g.newPageBefore ? 1 : 0).i32(qint32(g.lines.size()));
    for (const WLine& l : g.lines) {
        b.u8(5).u8(l.dropAtPageTop ? 1 : 0).u8(quint8(l.fields.size()));
        for (const WField& f : l.fields)
            writeField(b, f, version);
    }
}

void writeSection(Bytes& b, const WSection& s, int version) {
    b.u8(3);
    writeGroup(b, s.header, version);
    writeGroup(b, s.repeatHeader, version);
    b.u8(12).i32(qint32(s.sections.size()));
    for (const WSection& c : s.sections)
        writeSection(b, c, version);
    writeGroup(b, s.spare, version);
    writeGroup(b, s.footer, version);
    if (version >= 2)
        b.u8(15).str(s.title).u8(s.newPageBefore ? 1 : 0);
}

} // namespace

QByteArray bodyBytes(const WPrintout& p) {
    Bytes b;
    b.u8(p.version);
    if (p.version >= 5)
        b.i32(p.resolution);
    b.f32(p.lineSpacing).i32(p.keptInt).u8(p.keptByte);
    if (p.version >= 2)
        b.i32(p.linesPerPage);
    b.i32(qint32(p.styles.size()));
    for (const WStyle& s : p.styles)
        writeStyle(b, s, p.version);
    writeSection(b, p.root, p.version);
    return b.data();
}

QByteArray compress(QByteArrayView data) {
    uLongf size = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    ::compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                uLong(data.size()), Z_BEST_COMPRESSION);
    out.resize(qsizetype(size));
    return out;
}

QByteArray fileHeader(QByteArrayView signature, QByteArrayView kind) {
    Bytes b;
    b.raw(signature);
    if (kind.size() <= 253)
        b.u8(quint8(kind.size()));
    else
        b.u8(254).u16(quint16(kind.size()));
    return b.raw(kind).data();
}

QByteArray fileFromBody(QByteArrayView body) {
    return fileHeader() + compress(body);
}

QByteArray wydBytes(const WPrintout& p) {
    return fileFromBody(bodyBytes(p));
}

bool writeFile(const QString& path, QByteArrayView bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(bytes.data(), bytes.size()) == bytes.size();
}

bool writeWyd(const QString& path, const WPrintout& p) {
    return writeFile(path, wydBytes(p));
}

// ---- pictures ----

QByteArray sampleEmf(int frameWidth, int frameHeight, quint32 color) {
    // Reference device: A4 at 96 pixels per inch.
    const int devW = 794, devH = 1123, mmW = 210, mmH = 297;
    const int pxW = int(std::lround(frameWidth / 100.0 * devW / mmW));
    const int pxH = int(std::lround(frameHeight / 100.0 * devH / mmH));
    Bytes rec;
    rec.u32(39).u32(24).u32(1).u32(0).u32(color).u32(0);                             // CREATEBRUSHINDIRECT #1
    rec.u32(37).u32(12).u32(1);                                                      // SELECTOBJECT #1
    rec.u32(43).u32(24).i32(0).i32(0).i32(pxW - 1).i32(pxH - 1);                     // RECTANGLE
    rec.u32(38).u32(28).u32(2).u32(0).i32(2).i32(0).u32(0x00FFFFFF);                 // CREATEPEN #2 white
    rec.u32(37).u32(12).u32(2);                                                      // SELECTOBJECT #2
    rec.u32(42).u32(24).i32(pxW / 8).i32(pxH / 8).i32(pxW * 7 / 8).i32(pxH * 7 / 8); // ELLIPSE
    rec.u32(14).u32(20).u32(0).u32(16).u32(20);                                      // EOF
    const quint32 headerSize = 108;
    const quint32 total = headerSize + quint32(rec.data().size());
    Bytes h;
    h.u32(1).u32(headerSize);
    h.i32(0).i32(0).i32(pxW - 1).i32(pxH - 1);        // rclBounds
    h.i32(0).i32(0).i32(frameWidth).i32(frameHeight); // rclFrame
    h.u32(0x464D4520).u32(0x10000).u32(total).u32(8); // signature, version, nBytes, nRecords
    h.u16(3).u16(0).u32(0).u32(0).u32(0);             // handles, reserved, description, palette
    h.i32(devW).i32(devH).i32(mmW).i32(mmH);          // szlDevice, szlMillimeters
    h.u32(0).u32(0).u32(0);                           // pixel format, OpenGL
    h.i32(mmW * 1000).i32(mmH * 1000);                // szlMicrometers
    return h.data() + rec.data();
}

// ---- builders ----

WField textField(qint32 left, qint32 width, QByteArray text, QByteArray style, quint8 kind, quint8 align) {
    WField f;
    f.left = left;
    f.width = width;
    f.text = std::move(text);
    f.style = std::move(style);
    f.kind = kind;
    f.align = align;
    return f;
}

WLine line(std::vector<WField> fields) {
    WLine l;
    l.fields = std::move(fields);
    return l;
}

WGroup group(std::vector<WLine> lines, bool splitLines) {
    WGroup g;
    g.splitLines = splitLines;
    g.lines = std::move(lines);
    return g;
}

WField ruleField(quint8 lineStyle, QByteArray style, qint32 left, qint32 width) {
    WField f = textField(left, width, {}, std::move(style), 4);
    f.lineStyle = lineStyle;
    return f;
}

WStyle nominalStyle(QByteArray name, QByteArray font, qint32 charsPerLine, quint8 fontStyle, qint32 color) {
    WStyle s;
    s.name = std::move(name);
    s.fontName = std::move(font);
    s.charsPerLine = charsPerLine;
    s.charHeight = 294.0f / (float(charsPerLine) * 84.0f / 132.0f);
    s.charWidth = 210.0f / float(charsPerLine);
    s.fontStyle = fontStyle;
    s.color = color;
    return s;
}

QByteArray rtfEscape(const QString& text) {
    QByteArray out;
    for (const char c : cp(text)) {
        const auto b = uchar(c);
        if (b >= 0x80)
            out += "\\'" + QByteArray::number(b, 16);
        else if (c == '\\' || c == '{' || c == '}')
            out += QByteArray(1, '\\') + c;
        else
            out += c;
    }
    return out;
}

QByteArray money(qint64 grosze) {
    QString digits = QString::number(grosze / 100);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u' ');
    return cp(QStringLiteral("%1,%2").arg(digits).arg(grosze % 100, 2, 10, QLatin1Char('0')));
}

} // namespace vek::test
