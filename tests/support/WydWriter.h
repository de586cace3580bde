#pragma once
// Fixture writer: printouts described in code and written in the .wyd format of any body version
// 0 to 7, zlib-compressed. Used by the tests, the benchmarks, the fuzz seeds and examples/.
//
// Texts are Windows-1250 bytes; cp() encodes Unicode text. Field Left/Width are file units
// (Resolution per inch), as the file holds them.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <vector>

namespace vek::test {

// Windows-1250 bytes of a Unicode text.
QByteArray cp(QStringView text);

struct WStyle {
    qint32 color = 0;
    float charHeight = 3.5f;
    qint32 charsPerLine = 132;
    float charWidth = 210.0f / 132.0f;
    quint8 fontStyle = 0;
    qint32 extra = -1;
    qint32 charset = 238;
    QByteArray fontName = QByteArrayLiteral("Courier New");
    QByteArray name;
    QByteArray alias;
};

struct WField {
    qint32 left = 0;
    qint32 width = 0;
    quint8 kind = 0;
    quint8 align = 0;
    quint8 alignBottom = 0;
    quint8 ellipsis = 0;
    quint8 noWrap = 0;
    quint8 lineStyle = 0;
    QByteArray style = QByteArrayLiteral("Domyslny");
    QByteArray text;
    QByteArray picture; // Kind 6, version 4 and later: the EMF bytes
};

struct WLine {
    bool dropAtPageTop = false;
    std::vector<WField> fields;
};

struct WGroup {
    bool splitLines = true;
    bool newPageBefore = false;
    std::vector<WLine> lines;
};

struct WSection {
    WGroup header;
    WGroup repeatHeader;
    std::vector<WSection> sections;
    WGroup spare;
    WGroup footer;
    QByteArray title;
    bool newPageBefore = false;
};

struct WPrintout {
    quint8 version = 7;
    qint32 resolution = 1200;
    float lineSpacing = 0;
    qint32 keptInt = 0;
    quint8 keptByte = 0;
    qint32 linesPerPage = 84;
    std::vector<WStyle> styles;
    WSection root;
};

// Little-endian builder of raw bytes, for bodies written by hand (hostile input).
class Bytes {
public:
    Bytes& u8(quint8 v);
    Bytes& u16(quint16 v);
    Bytes& i32(qint32 v);
    Bytes& u32(quint32 v);
    Bytes& f32(float v);
    Bytes& raw(QByteArrayView b);
    // A body string: tag 101 with a uint8 length up to 255 characters, else tag 102.
    Bytes& str(QByteArrayView s);
    // An empty group record.
    Bytes& emptyGroup();
    const QByteArray& data() const { return m_data; }

private:
    QByteArray m_data;
};

// The decompressed body of a printout, in its version's layout.
QByteArray bodyBytes(const WPrintout& p);
// zlib (RFC 1950) compression.
QByteArray compress(QByteArrayView data);
// The file header: signature and kind string.
QByteArray fileHeader(QByteArrayView signature = "VEKTA2001", QByteArrayView kind = "Wydruk");
// A whole file from a raw body: header + compressed body.
QByteArray fileFromBody(QByteArrayView body);
// A whole .wyd file.
QByteArray wydBytes(const WPrintout& p);
// Writes a .wyd file; returns false when the file cannot be written.
bool writeWyd(const QString& path, const WPrintout& p);
bool writeFile(const QString& path, QByteArrayView bytes);

// A small valid EMF of the given frame (0.01 mm) holding a filled rectangle and an ellipse.
QByteArray sampleEmf(int frameWidth = 5000, int frameHeight = 2000, quint32 color = 0x00804000);

// Quick builders.
WField textField(qint32 left, qint32 width, QByteArray text, QByteArray style = "Domyslny", quint8 kind = 0,
                 quint8 align = 0);
WLine line(std::vector<WField> fields);
WGroup group(std::vector<WLine> lines, bool splitLines = false);
// A rule (Kind 4) across the given span.
WField ruleField(quint8 lineStyle, QByteArray style, qint32 left, qint32 width);
// A style sized by its characters per line as the composer expects (84 lines per page).
WStyle nominalStyle(QByteArray name, QByteArray font, qint32 charsPerLine, quint8 fontStyle = 0,
                    qint32 color = 0);
// Text as RTF characters: Windows-1250 bytes, \'xx above 127, braces and backslashes escaped.
QByteArray rtfEscape(const QString& text);
// "12 345,67" from grosze, Windows-1250.
QByteArray money(qint64 grosze);

} // namespace vek::test
