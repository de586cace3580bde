#include "GdiFont.h"

#include <QCoreApplication>

#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <optional>

namespace vek {

size_t qHash(const LogFont& lf, size_t seed = 0) {
    return qHashMulti(seed, lf.height, lf.width, lf.escapement, lf.orientation, lf.weight, lf.italic,
                      lf.underline, lf.strikeOut, lf.charSet, lf.quality, lf.pitchAndFamily, lf.faceName);
}

namespace {

// Windows faces and the installed faces that stand in for them. The Liberation faces have the
// same advance widths as the faces they replace, so lines break where they broke on Windows.
struct FaceAlias {
    const char16_t* windowsFace;
    const char16_t* family;
};
constexpr FaceAlias kAliases[] = {
    {u"courier new", u"Liberation Mono"},
    {u"courier", u"Liberation Mono"},
    {u"lucida console", u"Liberation Mono"},
    {u"fixedsys", u"Liberation Mono"},
    {u"terminal", u"Liberation Mono"},
    {u"arial", u"Liberation Sans"},
    {u"helvetica", u"Liberation Sans"},
    {u"ms sans serif", u"Liberation Sans"},
    {u"microsoft sans serif", u"Liberation Sans"},
    {u"ms shell dlg", u"Liberation Sans"},
    {u"ms shell dlg 2", u"Liberation Sans"},
    {u"small fonts", u"Liberation Sans"},
    {u"system", u"Liberation Sans"},
    {u"arial narrow", u"Liberation Sans Narrow"},
    {u"tahoma", u"DejaVu Sans"},
    {u"verdana", u"DejaVu Sans"},
    {u"times new roman", u"Liberation Serif"},
    {u"times", u"Liberation Serif"},
    {u"ms serif", u"Liberation Serif"},
    {u"georgia", u"Liberation Serif"},
};
constexpr char16_t kDefaultFamily[] = u"Liberation Sans";
constexpr char16_t kSerifFamily[] = u"Liberation Serif";
constexpr char16_t kMonoFamily[] = u"Liberation Mono";

// Faces that are not installed here but are known to be serif or monospaced: they fall back to a
// face of their kind, so columns of a monospaced face stay columns.
constexpr const char16_t* kSerifFaces[] = {
    u"garamond",
    u"bookman old style",
    u"bookman",
    u"book antiqua",
    u"palatino linotype",
    u"palatino",
    u"century schoolbook",
    u"century",
    u"cambria",
    u"constantia",
    u"baskerville old face",
    u"bodoni mt",
    u"calisto mt",
    u"goudy old style",
    u"perpetua",
    u"footlight mt",
    u"rockwell",
    u"times new roman ps",
    u"antiqua",
};
constexpr const char16_t* kMonoFaces[] = {
    u"consolas",       u"lucida sans typewriter", u"andale mono", u"ocr a extended",    u"letter gothic",
    u"prestige elite", u"courier 10 pitch",       u"monospace",   u"lucida typewriter",
};

// The Windows face a script variant stands for: "Arial CE" is Arial with the Central-European
// code page, and so are the Cyrillic, Greek, Turkish and Baltic ones.
QString baseFace(const QString& key) {
    static constexpr const char16_t* kSuffixes[] = {u" ce", u" cyr", u" greek", u" tur", u" baltic"};
    for (const char16_t* suffix : kSuffixes) {
        if (key.endsWith(QStringView(suffix)))
            return key.chopped(QStringView(suffix).size()).trimmed();
    }
    return key;
}

template <std::size_t N> bool isOneOf(const QString& key, const char16_t* const (&names)[N]) {
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char16_t* n) { return key == QStringView(n); });
}

// An installed family of that exact name, or empty.
QString installedFamily(const QString& name) {
    const QString exact = QFontInfo(QFont(name)).family();
    return exact.compare(name, Qt::CaseInsensitive) == 0 ? exact : QString();
}

// The stand-in of its kind for a face that is not here.
QString fallbackFamily(const QString& key, std::uint8_t pitchAndFamily) {
    if (isOneOf(key, kMonoFaces))
        return QString::fromUtf16(kMonoFamily);
    if (isOneOf(key, kSerifFaces))
        return QString::fromUtf16(kSerifFamily);
    const int family = pitchAndFamily & 0xF0;
    if (family == FF_MODERN || (pitchAndFamily & 0x03) == FIXED_PITCH)
        return QString::fromUtf16(kMonoFamily);
    if (family == FF_ROMAN || family == FF_SCRIPT)
        return QString::fromUtf16(kSerifFamily);
    return QString::fromUtf16(kDefaultFamily);
}

QFont::StyleHint styleHintFor(const QString& family) {
    if (family.contains(u"Mono"))
        return QFont::TypeWriter;
    if (family.contains(u"Serif") && !family.contains(u"Sans"))
        return QFont::Serif;
    return QFont::SansSerif;
}

// usWinAscent, usWinDescent and xAvgCharWidth of the OS/2 table, in font units; GDI measures
// cell heights and average widths from them.
struct Os2Metrics {
    double winAscent = 0;
    double winDescent = 0;
    double avgWidth = 0;
};

Os2Metrics readOs2(const QRawFont& raw) {
    Os2Metrics m;
    const QByteArray os2 = raw.fontTable("OS/2");
    if (os2.size() >= 78) {
        const auto* p = reinterpret_cast<const uchar*>(os2.constData());
        m.avgWidth = qFromBigEndian<qint16>(p + 2);
        m.winAscent = qFromBigEndian<quint16>(p + 74);
        m.winDescent = qFromBigEndian<quint16>(p + 76);
    }
    const double upem = raw.unitsPerEm() > 0 ? raw.unitsPerEm() : 2048;
    const double scale = upem / std::max(1.0, raw.pixelSize());
    if (m.winAscent + m.winDescent <= 0) {
        m.winAscent = raw.ascent() * scale;
        m.winDescent = raw.descent() * scale;
    }
    if (m.avgWidth <= 0)
        m.avgWidth = raw.averageCharWidth() * scale;
    return m;
}

constexpr int kMaxVdmxPpem = 255; // a VDMX record holds sizes up to 255 pixels

// Ascent and descent of a font's cell in whole pixels (TEXTMETRIC's tmAscent and tmDescent).
struct CellExtents {
    int ascent = 0;
    int descent = 0;
};

// The face's own VDMX record for an em of ppem pixels at a 1:1 aspect ratio, if it has one.
std::optional<CellExtents> vdmxExtents(const QRawFont& raw, int ppem) {
    const QByteArray table = raw.fontTable("VDMX");
    const auto* p = reinterpret_cast<const uchar*>(table.constData());
    const qsizetype size = table.size();
    const auto u16 = [&](qsizetype at) {
        return at >= 0 && at + 2 <= size ? int(qFromBigEndian<quint16>(p + at)) : -1;
    };
    const auto s16 = [&](qsizetype at) { return int(qFromBigEndian<qint16>(p + at)); };
    const int ratios = u16(4);
    for (int r = 0; r < ratios && 6 + 4 * r + 4 <= size; ++r) {
        const uchar* ratio = p + 6 + 4 * r;
        const bool square = ratio[1] == 0 || (ratio[1] == 1 && ratio[2] <= 1 && ratio[3] >= 1);
        if (!square)
            continue;
        const int group = u16(6 + 4 * qsizetype(ratios) + 2 * r);
        const int records = u16(group);
        for (int i = 0; group >= 0 && i < records; ++i) {
            const qsizetype at = group + 4 + 6 * qsizetype(i);
            if (at + 6 > size)
                break;
            if (u16(at) == ppem)
                return CellExtents{s16(at + 2), -s16(at + 4)};
        }
        return std::nullopt; // the first matching ratio decides
    }
    return std::nullopt;
}

// What a VDMX records for a face that has none: the hinted extents of the Windows ANSI
// characters at that em, so that no pixel of them lies outside the cell.
CellExtents hintedExtents(const QFont& face, int ppem) {
    static const QString ansi = [] {
        char bytes[0xE0];
        for (int b = 0; b < 0xE0; ++b)
            bytes[b] = char(b + 0x20);
        return QString(QStringDecoder("windows-1252").decode(QByteArrayView(bytes, sizeof bytes)));
    }();
    QFont f = face;
    f.setPixelSize(ppem);
    f.setHintingPreference(QFont::PreferFullHinting);
    const QRawFont raw = QRawFont::fromFont(f);
    double top = 0, bottom = 0;
    for (const quint32 glyph : raw.glyphIndexesForString(ansi)) {
        if (glyph == 0)
            continue;
        const QRectF box = raw.boundingRect(glyph);
        top = std::min(top, box.top());
        bottom = std::max(bottom, box.bottom());
    }
    return CellExtents{int(std::ceil(-top - 1e-6)), int(std::ceil(bottom - 1e-6))};
}

// GDI's cell of a TrueType face asked for by its em: the VDMX record for that size (the face's
// own, or the hinted extents a VDMX records); sizes beyond a VDMX's reach, fractional ems and
// faces without outlines take usWinAscent and usWinDescent scaled and rounded each.
CellExtents cellExtents(const QFont& face, const QRawFont& raw, const Os2Metrics& os2, double upem, double em,
                        bool emRequested) {
    const CellExtents scaled{roundHalfEven(os2.winAscent * em / upem),
                             roundHalfEven(os2.winDescent * em / upem)};
    const int ppem = int(em);
    if (!emRequested || ppem != em || ppem < 1 || ppem > kMaxVdmxPpem)
        return scaled;
    if (const std::optional<CellExtents> vdmx = vdmxExtents(raw, ppem))
        return *vdmx;
    const CellExtents hinted = hintedExtents(face, ppem);
    return hinted.ascent + hinted.descent > 0 ? hinted : scaled;
}

constexpr double kDefaultEm = 13; // the em of a LOGFONT that leaves the height to the system
constexpr double kMaxEm = 16384;

} // namespace

QString GdiFont::substituteFor(const QString& faceName) {
    const QString key = baseFace(faceName.trimmed().toLower());
    for (const FaceAlias& a : kAliases) {
        if (key == QStringView(a.windowsFace))
            return QString::fromUtf16(a.family);
    }
    return {};
}

namespace {

// The family that stands for the face itself: its substitute, or a family installed under its own
// name (or under that name without its script suffix); empty when there is none.
QString ownFamily(const QString& faceName) {
    if (const QString substitute = GdiFont::substituteFor(faceName); !substitute.isEmpty())
        return substitute;
    const QString name = faceName.trimmed();
    if (const QString exact = installedFamily(name); !exact.isEmpty())
        return exact;
    const QString key = name.toLower();
    const QString base = baseFace(key);
    return base != key ? installedFamily(base) : QString();
}

} // namespace

QString GdiFont::familyFor(const QString& faceName, std::uint8_t pitchAndFamily) {
    const QString key = faceName.trimmed().toLower();
    if (key.isEmpty())
        return fallbackFamily(key, pitchAndFamily);
    if (const QString own = ownFamily(faceName); !own.isEmpty())
        return own;
    return fallbackFamily(baseFace(key), pitchAndFamily);
}

bool GdiFont::hasFace(const QString& faceName) {
    return !faceName.trimmed().isEmpty() && !ownFamily(faceName).isEmpty();
}

std::shared_ptr<const GdiFont> GdiFont::get(const LogFont& lf) {
    // One cache per thread: Qt's fonts belong to the thread that made them (their engines come
    // from that thread's font cache), so every thread makes its own and nothing here is shared.
    thread_local QHash<LogFont, std::shared_ptr<const GdiFont>> cache;
    // Qt's font engines die with the application object; the cached fonts must go before them,
    // also when the application object itself is a static that outlives this cache's set-up. The
    // post routine runs on the thread that ends the application and clears that thread's cache;
    // the caches of other threads go with their threads.
    static const bool cleanupRegistered = [] {
        qAddPostRoutine([] { cache.clear(); });
        return true;
    }();
    Q_UNUSED(cleanupRegistered);
    if (auto it = cache.constFind(lf); it != cache.constEnd())
        return it.value();
    if (cache.size() > 4096)
        cache.clear(); // fonts are few; this only bounds a runaway caller
    auto font = std::make_shared<const GdiFont>(lf);
    cache.insert(lf, font);
    return font;
}

GdiFont::GdiFont(const LogFont& lf)
    : m_lf(lf) {
    m_latinAdvances.fill(-1);
    const QString family = familyFor(lf.faceName, lf.pitchAndFamily);
    QFont base(family);
    base.setStyleHint(styleHintFor(family), QFont::PreferOutline);
    base.setHintingPreference(QFont::PreferNoHinting);
    base.setKerning(false);
    base.setWeight(QFont::Weight(std::clamp(lf.weight == 0 ? 400 : int(lf.weight), 1, 1000)));
    base.setItalic(lf.italic != 0);
    base.setUnderline(lf.underline != 0);
    base.setStrikeOut(lf.strikeOut != 0);
    base.setPixelSize(100);

    QRawFont probe = QRawFont::fromFont(base);
    const Os2Metrics os2 = readOs2(probe);
    const double upem = probe.unitsPerEm() > 0 ? probe.unitsPerEm() : 2048;
    const double cell = os2.winAscent + os2.winDescent;

    if (lf.height < 0)
        m_em = -double(lf.height);
    else if (lf.height > 0)
        m_em = lf.height * upem / (cell > 0 ? cell : upem);
    else
        m_em = kDefaultEm;
    // Heights come from printout files: keep them where pixel sizes stay whole numbers.
    m_em = std::clamp(m_em, 0.5, kMaxEm);

    const CellExtents extents = cellExtents(base, probe, os2, upem, m_em, lf.height <= 0);
    m_ascent = extents.ascent;
    m_descent = extents.descent;
    m_internalLeading = std::max(0, height() - roundHalfEven(m_em));

    const double naturalAvg = os2.avgWidth * m_em / upem;
    const int wantedWidth = int(std::min(std::abs(double(lf.width)), kMaxEm));
    if (wantedWidth > 0 && naturalAvg > 0) {
        m_stretch = wantedWidth / naturalAvg;
        m_avgWidth = wantedWidth;
    } else {
        m_avgWidth = roundHalfEven(naturalAvg);
    }

    m_font = base;
    m_font.setPixelSize(std::max(1, roundHalfEven(m_em)));
    if (m_stretch != 1)
        m_font.setStretch(std::clamp(roundHalfEven(m_stretch * 100), 1, 4000));
    m_raw = probe;
    m_raw.setPixelSize(m_em);
}

int GdiFont::measureAdvance(char32_t c) const {
    const QString s = QString::fromUcs4(&c, 1);
    const QList<quint32> glyphs = m_raw.glyphIndexesForString(s);
    double adv = 0;
    const bool control = c < 0x20 || (c >= 0x7f && c < 0xa0);
    if (control) {
        // Not drawable: the face's default glyph stands in, as GDI shows it.
        const QList<QPointF> a = m_raw.advancesForGlyphIndexes(QList<quint32>{0}, QRawFont::UseDesignMetrics);
        adv = a.isEmpty() ? 0 : a.front().x();
    } else if (glyphs.size() == 1 && glyphs.front() != 0) {
        const QList<QPointF> a = m_raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
        adv = a.isEmpty() ? 0 : a.front().x();
    } else {
        // Not in the face: measure what the font falls back to.
        QFont f = m_font;
        f.setStretch(QFont::Unstretched);
        adv = QFontMetricsF(f).horizontalAdvance(s) * m_em / f.pixelSize();
    }
    return roundHalfEven(adv * m_stretch);
}

int GdiFont::advanceSlow(char16_t c) const {
    if (c < m_latinAdvances.size()) {
        int& slot = m_latinAdvances[c];
        if (slot < 0)
            slot = measureAdvance(c);
        return slot;
    }
    if (auto it = m_otherAdvances.constFind(c); it != m_otherAdvances.constEnd())
        return it.value();
    const int a = QChar::isSurrogate(c) ? 0 : measureAdvance(c);
    m_otherAdvances.insert(c, a);
    return a;
}

void GdiFont::advances(QStringView text, QList<int>& dx) const {
    const qsizetype base = dx.size();
    dx.resize(base + text.size());
    advances(text, dx.data() + base);
}

void GdiFont::advances(QStringView text, int* out) const {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t cp = QChar::surrogateToUcs4(c, text[i + 1].unicode());
            auto it = m_otherAdvances.constFind(cp);
            if (it == m_otherAdvances.constEnd())
                it = m_otherAdvances.insert(cp, measureAdvance(cp));
            out[i] = it.value();
            out[++i] = 0;
            continue;
        }
        out[i] = advance(c);
    }
}

int GdiFont::textWidth(QStringView text) const {
    int w = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            QList<int> dx;
            advances(text.mid(i, 2), dx);
            w += dx.front();
            ++i;
            continue;
        }
        w += advance(c);
    }
    return w;
}

} // namespace vek
