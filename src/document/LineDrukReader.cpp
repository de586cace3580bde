// The printout reader: the file header check, the primitive reads of the body and the records of
// styles, lines and fields. The body is read in file order by BodyFeed (LineDrukFeed.cpp), at once
// or piece by piece while it is composed.
//
// A .wyd file is a plain header followed by one zlib stream (RFC 1950) running to the end of the
// file. Integers are little-endian; int32 signed, uint16/uint8 unsigned, float32 IEEE single.
// Strings are Windows-1250 bytes without terminator, kept as read.
//
// Header:
//   9 bytes   "VEKTA2001" or "VEKTA2000"
//   header string (kind, "Wydruk"): uint8 L; L <= 253: L chars; L = 254: uint16 n, n chars;
//             L = 255: int32 n, n chars (n <= 0: empty)
//
// Body (decompressed), read strictly in this order; bytes after the root section are ignored:
//   uint8 Version (0..7)          | int32 Resolution (v >= 5, else 1200)
//   float32 LineSpacing           | int32 kept | uint8 kept | int32 LinesPerPage (v >= 2)
//   int32 style count N, N styles | root section
//
//   body string: uint8 tag 101 + uint8 length, or tag 102 + uint16 length; then the characters
//   style   (tag 1):  int32 Color, float32 CharHeight, int32 CharsPerLine, float32 CharWidth,
//                     uint8 FontStyle, int32 Extra, int32 Charset (v >= 3, else 186),
//                     string FontName, string Name, string Alias
//   section (tag 3):  group Header, group RepeatHeader, uint8 12, int32 N, N sections,
//                     group Spare, group Footer, [v >= 2: uint8 15, string Title, uint8 NewPageBefore]
//   group   (tag 4):  uint8 SplitLines, uint8 NewPageBefore, int32 N, N lines
//   line    (tag 5):  uint8 DropAtPageTop, uint8 N, N fields
//   field   (tag 6):  int32 Left, int32 Width, uint8 Kind, uint8 Align,
//                     [v >= 6: uint8 AlignBottom, uint8 Ellipsis], uint8 NoWrap, uint8 LineStyle,
//                     string StyleName, string Text, [v >= 4 and Kind 6: EMF block]
//   EMF block: a whole EMF file; its 100-byte header holds " EMF" at offset 40 and the block's
//   total length (nBytes) at offset 48.
//   Counts of 0 or less mean none.
//
// Field positions are converted to page pixels on reading: Scale = 180 / Resolution (float32),
// Left = round-half-even(Left x Scale), Width = trunc(Width x Scale), products in long double.
//
// Every count and length comes from an untrusted file: objects are created one record at a time
// and large blocks are read in chunks, so nothing is allocated ahead of the bytes behind it. A
// small file can still inflate to gigabytes of records: the reader counts the objects it creates
// and the bytes it inflates, and refuses the printout as soon as either passes its limit
// (kMaxPrintoutObjects, kMaxPrintoutBody), naming the record it was reading.

#include "LineDrukBody.h"

#include <QFile>
#include <QIODevice>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace vek {

namespace {

constexpr qsizetype kChunk = 1024 * 1024;
constexpr quint32 kEmfSignature = 0x464D4520; // " EMF"
constexpr qsizetype kEmfHeaderSize = 100;
// Distinct style names kept for sharing; a real printout names a few dozen styles.
constexpr size_t kMaxShared = 4096;

QString tooBigError(int tag) {
    return QStringLiteral("Błąd czytania z pliku - wydruk jest zbyt duży [%1]").arg(tag);
}

int saturate(long double v) {
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<long double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<long double>(INT_MIN))
        return INT_MIN;
    return int(v);
}

// Reads from the file header a given number of bytes; a short file is a stream read error.
QByteArray readDevice(QIODevice& stream, qint64 size) {
    QByteArray out;
    while (out.size() < size) {
        const qint64 want = std::min<qint64>(size - out.size(), kChunk);
        const QByteArray part = stream.read(want);
        if (part.size() != want)
            throw EStreamError(QStringLiteral("Błąd odczytu strumienia"));
        out += part;
    }
    return out;
}

int scaleLeft(qint32 left, float scale) {
    // lrintl rounds as nearbyintl does (to nearest, halves to even) without saving and restoring
    // the floating-point environment, which cost a few per cent of the reading.
    const long double v = static_cast<long double>(left) * static_cast<long double>(scale);
    return std::isnan(v) || std::fabs(v) >= static_cast<long double>(INT_MAX) ? saturate(v)
                                                                              : int(std::lrintl(v));
}

int scaleWidth(qint32 width, float scale) {
    return saturate(std::truncl(static_cast<long double>(width) * static_cast<long double>(scale)));
}

} // namespace

QString tagError(int expected) {
    return QStringLiteral("Błąd czytania z pliku [%1]").arg(expected);
}

// ---- BodyReader ----

void BodyReader::refuse(int tag) {
    m_refused = true;
    throw EReadFileError(tooBigError(tag));
}

void BodyReader::endOfData() {
    throw EReadFileError(
        QStringLiteral("Błąd czytania z pliku - nieoczekiwany koniec danych [%1]").arg(m_stream.position()));
}

QByteArray BodyReader::bytes(qint64 size, QByteArray out) {
    checkBody(size);
    qint64 left = size;
    while (left > 0) {
        const qsizetype n = qsizetype(std::min<qint64>(left, kChunk));
        const qsizetype at = out.size();
        out.resize(at + n);
        raw(out.data() + at, n);
        left -= n;
    }
    return out;
}

template <typename Read> QByteArray BodyReader::readString(Read read) {
    try {
        const quint8 t = u8();
        if (t == kTagShortString)
            return read(u8());
        if (t == kTagLongString)
            return read(u16());
    } catch (...) {
        if (m_refused)
            throw; // a printout refused as too big stays so
    }
    throw EReadFileError(tagError(kTagShortString));
}

QByteArray BodyReader::string() {
    return readString([this](qint64 size) {
        checkBody(size);
        const QByteArrayView at = size > 0 ? m_stream.buffered() : QByteArrayView();
        if (size > at.size())
            return bytes(size);
        QByteArray out(at.data(), size);
        m_stream.skip(size);
        return out;
    });
}

QByteArray BodyReader::sharedString() {
    return readString([this](qint64 size) {
        checkBody(size);
        const QByteArrayView at = size > 0 ? m_stream.buffered() : QByteArrayView();
        if (size <= at.size()) {
            const QByteArrayView s = at.first(size);
            // Neighbouring fields mostly share their style: the last name first.
            if (s != m_lastShared) {
                const auto it = m_shared.find(s);
                if (it == m_shared.end())
                    return newShared(size);
                m_lastShared = *it;
            }
            m_stream.skip(size);
            return m_lastShared;
        }
        return newShared(size);
    });
}

QByteArray BodyReader::newShared(qint64 size) {
    QByteArray s = bytes(size);
    if (m_shared.size() < kMaxShared)
        m_shared.insert(s);
    return s;
}

std::unique_ptr<TMetafile> BodyReader::emf() {
    QByteArray head = bytes(kEmfHeaderSize);
    const auto at = [&](int off) {
        quint32 v;
        std::memcpy(&v, head.constData() + off, 4);
        return qFromLittleEndian(v);
    };
    const quint32 nBytes = at(48);
    if (at(40) != kEmfSignature || nBytes < quint32(kEmfHeaderSize))
        throw EInvalidGraphic(QStringLiteral("Nieprawidłowy metaplik"));
    QByteArray all = bytes(qint64(nBytes) - kEmfHeaderSize, std::move(head));
    return std::make_unique<TMetafile>(TMetafile::fromBytes(std::move(all)));
}

// ---- header ----

QByteArray ReadHeaderString(QIODevice& stream) {
    const quint8 len = quint8(readDevice(stream, 1).at(0));
    qint64 size = len;
    if (len == 254) {
        const QByteArray b = readDevice(stream, 2);
        size = quint8(b[0]) | (quint8(b[1]) << 8);
    } else if (len == 255) {
        const QByteArray b = readDevice(stream, 4);
        size = qint32(quint32(quint8(b[0])) | (quint32(quint8(b[1])) << 8) | (quint32(quint8(b[2])) << 16) |
                      (quint32(quint8(b[3])) << 24));
        if (size <= 0)
            return {};
    }
    return readDevice(stream, size);
}

bool CheckFileSignature(QIODevice& stream, QByteArrayView kindName) {
    const QByteArray signature = readDevice(stream, 9);
    if (signature != "VEKTA2001" && signature != "VEKTA2000")
        return false;
    return ReadHeaderString(stream) == kindName;
}

std::unique_ptr<QIODevice> openPrintoutFile(const QString& path) {
    // Read-only: nothing is ever written, and printouts on read-only media must open too.
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        throw EFOpenError(
            QStringLiteral("Nie można otworzyć pliku \"%1\". %2").arg(path, file->errorString()));
    if (!CheckFileSignature(*file, "Wydruk"))
        throw EStreamError(QStringLiteral("Plik nie zawiera prawidłowego wydruku Vekta"));
    return file;
}

void loadPrintoutFile(const QString& path, TMLineWydruk& doc) {
    const std::unique_ptr<QIODevice> file = openPrintoutFile(path);
    InflateStream body(*file);
    doc.LoadFromStream(body);
}

// ---- body records ----

void TStyl::ReadFromStream(BodyReader& r) {
    r.tag(kTagStyle);
    Color = r.i32();
    CharHeight = r.f32();
    CharsPerLine = r.i32();
    CharWidth = r.f32();
    FontStyle = r.u8();
    Extra = r.i32();
    if (r.version() >= 3)
        Charset = r.i32();
    FontName = r.string();
    Name = r.string();
    Alias = r.string();
}

void TLinia::ReadFromStream(BodyReader& r) {
    r.tag(kTagLine);
    DropAtPageTop = r.flag();
    const int count = r.u8();
    Fields.reserve(size_t(count)); // at most 255, each with its bytes behind it
    for (int i = 0; i < count; ++i) {
        r.admit(kTagField);
        auto field = std::make_unique<TPole>(Owner);
        field->ReadFromStream(r);
        Fields.push_back(std::move(field));
    }
}

void TPole::ReadFromStream(BodyReader& r) {
    r.tag(kTagField);
    const float scale = Owner->Scale;
    Left = scaleLeft(r.i32(), scale);
    Width = scaleWidth(r.i32(), scale);
    Kind = r.u8();
    Align = r.u8();
    if (r.version() >= 6) {
        AlignBottom = r.flag();
        Ellipsis = r.flag();
    }
    NoWrap = r.flag();
    LineStyle = r.u8();
    StyleName = r.sharedString();
    SetText(r.string());
    if (r.version() >= 4 && Kind == KindPicture)
        Picture = r.emf();
}

} // namespace vek
