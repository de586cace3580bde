// Control words of the RTF reader, grouped by what they change.

#include "RtfReaderState.h"
#include "RtfSymbolFont.h"
#include "platform/CodePage.h"

#include <QTextDocument>
#include <algorithm>
#include <iterator>

namespace vek::rtf {
namespace {

// Destinations whose content is never shown, whether or not they are marked ignorable.
// clang-format off
constexpr const char* kSkippedDestinations[] = {
    "stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl",
    "footerr", "footerf", "footnote", "fldinst", "nonshppict", "pn", "xe", "tc", "txe",
    "annotation", "atnid", "atnauthor", "themedata", "colorschememapping", "latentstyles",
    "datastore", "xmlnstbl", "rsidtbl", "listtable", "listoverridetable", "generator", "revtbl",
    "filetbl", "objdata", "template",
};
// clang-format on

bool isSkippedDestination(QByteArrayView word) {
    return std::any_of(std::begin(kSkippedDestinations), std::end(kSkippedDestinations),
                       [&](const char* d) { return word == QByteArrayView(d); });
}

// The code page of a font character set; 0 for the document's own (DEFAULT_CHARSET, symbols).
int codePageOfCharset(int charset) {
    switch (charset) {
    case 1:
    case SymbolCharset:
        return 0;
    case 128:
        return 932; // SHIFTJIS
    case 129:
        return 949; // HANGUL
    case 134:
        return 936; // GB2312
    case 136:
        return 950; // CHINESEBIG5
    default:
        return codePageForCharset(charset);
    }
}

// The LOGFONT family of a font-table family word; -1 for any other word.
int fontFamily(QByteArrayView word) {
    struct Family {
        const char* word;
        int family;
    };
    static constexpr Family kFamilies[] = {{"fnil", 0},       {"froman", 0x10},  {"fswiss", 0x20},
                                           {"fmodern", 0x30}, {"fscript", 0x40}, {"fdecor", 0x50},
                                           {"ftech", 0},      {"fbidi", 0}};
    for (const Family& f : kFamilies) {
        if (word == QByteArrayView(f.word))
            return f.family;
    }
    return -1;
}

int underlineKind(QByteArrayView word) {
    struct Kind {
        const char* word;
        int kind;
    };
    static constexpr Kind kKinds[] = {
        {"ul", UlSingle},       {"uldb", UlDouble},     {"ulw", UlWords},    {"uld", UlDotted},
        {"ulth", UlThick},      {"ulthd", UlDotted},    {"uldash", UlDash},  {"uldashd", UlDash},
        {"uldashdd", UlDash},   {"ulthdash", UlDash},   {"ulldash", UlDash}, {"ulthldash", UlDash},
        {"ulthdashd", UlDash},  {"ulthdashdd", UlDash}, {"ulwave", UlWave},  {"ulhwave", UlWave},
        {"ululdbwave", UlWave},
    };
    for (const Kind& k : kKinds) {
        if (word == QByteArrayView(k.word))
            return k.kind;
    }
    return UlNone;
}

int tabLeader(QByteArrayView word) {
    if (word == "tldot" || word == "tlmdot")
        return LeaderDots;
    if (word == "tlhyph")
        return LeaderHyphens;
    if (word == "tlul")
        return LeaderUnderline;
    if (word == "tlth")
        return LeaderThick;
    if (word == "tleq")
        return LeaderEquals;
    return LeaderNone;
}

int borderSide(QByteArrayView word) {
    if (word == "brdrt")
        return BorderTop;
    if (word == "brdrb")
        return BorderBottom;
    if (word == "brdrl")
        return BorderLeft;
    if (word == "brdrr")
        return BorderRight;
    if (word == "box")
        return BorderTop | BorderBottom | BorderLeft | BorderRight;
    return 0;
}

bool toggle(bool hasParam, int param) {
    return !hasParam || param != 0;
}

} // namespace

Reader::Reader(QByteArrayView in, QTextDocument& doc)
    : m_in(in)
    , m_doc(doc)
    , m_cursor(&doc) {
    m_stack.emplace_back();
}

const FontEntry* Reader::findFont(int number) const {
    auto it = m_fonts.constFind(number < 0 ? m_defaultFont : number);
    if (it == m_fonts.constEnd())
        it = m_fonts.constFind(m_defaultFont);
    return it == m_fonts.constEnd() ? nullptr : &*it;
}

void Reader::handleWord(QByteArrayView word, bool hasParam, int param) {
    const bool ignorable = m_ignorableNext;
    m_ignorableNext = false;
    GroupState& s = state();
    if (s.dest == Dest::Skip)
        return;
    if (s.dest == Dest::Upr) {
        if (word == "ud")
            s.dest = Dest::Text;
        return;
    }
    if (s.dest == Dest::FontSub) {
        s.dest = word == "falt" ? Dest::FontAlt : Dest::Skip;
        return;
    }
    if (destinationWord(word))
        return;
    if (ignorable && word != "shppict") {
        s.dest = Dest::Skip;
        return;
    }
    switch (s.dest) {
    case Dest::FontTable:
    case Dest::FontEntry:
        tableWord(word, hasParam, param);
        return;
    case Dest::FontSub:
    case Dest::FontAlt:
    case Dest::Upr:
        return;
    case Dest::ColorTable:
        tableWord(word, hasParam, param);
        return;
    case Dest::Picture:
        pictureWord(word, hasParam, param);
        return;
    case Dest::Skip:
        return;
    case Dest::Text:
        break;
    }
    if (word == "ansicpg" && hasParam) {
        m_ansiCodePage = param > 0 ? param : 1252;
    } else if (word == "ansi") {
        m_ansiCodePage = 1252;
    } else if (word == "deff" && hasParam) {
        m_defaultFont = param;
    } else if (characterWord(word, hasParam, param) || paragraphWord(word, hasParam, param)) {
        m_formatDirty = true;
    } else if (tableRowWord(word, param)) {
    } else {
        specialCharacterWord(word, param);
    }
}

// Words that start a destination: returns true when the word was one.
bool Reader::destinationWord(QByteArrayView word) {
    GroupState& s = state();
    if (word == "fonttbl") {
        s.dest = Dest::FontTable;
    } else if (word == "colortbl") {
        s.dest = Dest::ColorTable;
        m_colors.clear();
    } else if (word == "pict") {
        s.dest = Dest::Picture;
        m_picture = Picture{};
    } else if (isSkippedDestination(word)) {
        s.dest = Dest::Skip;
    } else {
        return false;
    }
    return true;
}

bool Reader::characterWord(QByteArrayView word, bool hasParam, int param) {
    CharState& c = state().chr;
    if (word == "plain") {
        const int uc = c.unicodeSkip;
        c = CharState{};
        c.unicodeSkip = uc;
    } else if (word == "f") {
        c.font = hasParam ? param : -1;
    } else if (word == "fs") {
        c.halfPoints = hasParam ? std::clamp(param, 2, 3276) : 24;
    } else if (word == "b") {
        c.bold = toggle(hasParam, param);
    } else if (word == "i") {
        c.italic = toggle(hasParam, param);
    } else if (word == "ulnone") {
        c.underline = UlNone;
    } else if (const int kind = underlineKind(word); kind != UlNone) {
        c.underline = toggle(hasParam, param) ? kind : UlNone;
    } else if (word == "strike") {
        c.strike = toggle(hasParam, param) ? 1 : 0;
    } else if (word == "striked") {
        c.strike = toggle(hasParam, param) ? 2 : 0;
    } else if (word == "caps") {
        c.caps = toggle(hasParam, param);
    } else if (word == "scaps") {
        c.smallCaps = toggle(hasParam, param);
    } else if (word == "up") {
        c.rise = hasParam ? std::clamp(param, -1000, 1000) : 6;
    } else if (word == "dn") {
        c.rise = -(hasParam ? std::clamp(param, -1000, 1000) : 6);
    } else if (word == "charscalex") {
        c.scaleX = hasParam ? std::clamp(param, 1, 600) : 100;
    } else if (word == "expndtw") {
        c.spacing = std::clamp(param, -2000, 2000);
    } else if (word == "expnd") {
        c.spacing = std::clamp(param, -400, 400) * 5; // quarter points
    } else if (word == "chcbpat") {
        c.shading = std::max(0, param);
    } else if (word == "super") {
        c.vertical = 1;
    } else if (word == "sub") {
        c.vertical = -1;
    } else if (word == "nosupersub") {
        c.vertical = 0;
    } else if (word == "cf") {
        c.color = std::max(0, param);
    } else if (word == "highlight" || word == "cb") {
        c.highlight = std::max(0, param);
    } else if (word == "v") {
        c.hidden = toggle(hasParam, param);
    } else if (word == "uc") {
        c.unicodeSkip = std::clamp(param, 0, 16);
    } else {
        return false;
    }
    return true;
}

bool Reader::paragraphWord(QByteArrayView word, bool hasParam, int param) {
    ParaState& p = state().para;
    constexpr int kMaxTwips = 31680; // 22 inches
    const int twips = std::clamp(param, -kMaxTwips, kMaxTwips);
    if (word == "pard") {
        p = ParaState{};
    } else if (word == "ql") {
        p.align = Qt::AlignLeft;
    } else if (word == "qr") {
        p.align = Qt::AlignRight;
    } else if (word == "qc") {
        p.align = Qt::AlignHCenter;
    } else if (word == "qj" || word == "qd") {
        p.align = Qt::AlignJustify;
    } else if (word == "li") {
        p.left = twips;
    } else if (word == "ri") {
        p.right = twips;
    } else if (word == "fi") {
        p.first = twips;
    } else if (word == "sb") {
        p.before = std::max(0, twips);
    } else if (word == "sa") {
        p.after = std::max(0, twips);
    } else if (word == "sl") {
        p.lineSpacing = hasParam ? twips : 0;
    } else if (word == "slmult") {
        p.lineMultiple = toggle(hasParam, param);
    } else if (const int leader = tabLeader(word); leader != LeaderNone) {
        p.nextLeader = leader;
    } else if (const int side = borderSide(word); side != 0) {
        m_cellBorder = false;
        p.borders |= side;
        if (p.borderTwips == 0)
            p.borderTwips = 15;
    } else if (word == "intbl") {
        p.inTable = toggle(hasParam, param);
    } else if (word == "brdrw" && !m_cellBorder) {
        p.borderTwips = std::clamp(param, 0, 300);
    } else if (word == "brdrcf" && !m_cellBorder) {
        p.borderColor = std::max(0, param);
    } else if (word == "brsp" && !m_cellBorder) {
        p.borderSpace = std::clamp(param, 0, 1440);
    } else if (word == "cbpat") {
        p.background = std::max(0, param);
    } else if (word == "shading") {
        p.shading = std::clamp(param, 0, 10000);
    } else if (word == "tqr" || word == "tqc" || word == "tqdec") {
        TabStop next;
        next.twips = -1; // type of the next \tx
        next.leader = p.nextLeader;
        next.type = word == "tqc"   ? QTextOption::CenterTab
                    : word == "tqr" ? QTextOption::RightTab
                                    : QTextOption::DelimiterTab;
        if (p.tabs.empty() || p.tabs.back().twips >= 0) {
            if (p.tabs.size() < kMaxTabs)
                p.tabs.push_back(next);
        } else {
            p.tabs.back() = next;
        }
    } else if (word == "tx" || word == "tb") {
        if (!p.tabs.empty() && p.tabs.back().twips < 0) {
            p.tabs.back().twips = std::max(0, twips);
            p.tabs.back().leader = p.nextLeader;
        } else if (p.tabs.size() < kMaxTabs) {
            p.tabs.push_back(TabStop{std::max(0, twips), QTextOption::LeftTab, p.nextLeader});
        }
        p.nextLeader = LeaderNone;
    } else {
        return false;
    }
    return true;
}

bool Reader::specialCharacterWord(QByteArrayView word, int param) {
    struct Named {
        const char* word;
        char16_t ch;
    };
    static constexpr Named kNamed[] = {{"line", 0x2028},     {"tab", u'\t'},      {"cell", u'\t'},
                                       {"emdash", 0x2014},   {"endash", 0x2013},  {"emspace", 0x2003},
                                       {"enspace", 0x2002},  {"qmspace", 0x2005}, {"bullet", 0x2022},
                                       {"lquote", 0x2018},   {"rquote", 0x2019},  {"ldblquote", 0x201C},
                                       {"rdblquote", 0x201D}};
    if (word == "par" || word == "page" || word == "sect" || word == "nestcell") {
        paragraphBreak();
        return true;
    }
    if (word == "cell") {
        paragraphBreak();
        ++m_cellIndex;
        return true;
    }
    if (word == "row") {
        if (m_cellIndex == 0 && !m_pendingPar)
            paragraphBreak(); // a row without cells: keep its text as a paragraph
        ++m_rowNumber;
        m_cellIndex = 0;
        return true;
    }
    if (word == "chftn") {
        const QString number = QString::number(++m_footnotes);
        for (const QChar c : number)
            textChar(c);
        return true;
    }
    if (word == "upr") {
        state().dest = Dest::Upr; // the Unicode part {\*\ud} follows the ANSI one
        return true;
    }
    if (word == "u") {
        const int unit = param < 0 ? param + 65536 : param;
        const FontEntry* font = findFont(state().chr.font);
        if (unit >= 0xF020 && unit <= 0xF0FF && font && font->charset == SymbolCharset)
            textChar(QChar(symbolToUnicode(static_cast<unsigned char>(unit - 0xF000))));
        else if (unit > 0 && unit <= 0xFFFF)
            textChar(QChar(char16_t(unit)));
        m_skipChars = state().chr.unicodeSkip;
        return true;
    }
    for (const Named& n : kNamed) {
        if (word == QByteArrayView(n.word)) {
            textChar(QChar(n.ch));
            return true;
        }
    }
    return false;
}

// Words that define a table row: its left edge, the gap in its cells, the cells' right edges and
// borders.
bool Reader::tableRowWord(QByteArrayView word, int param) {
    constexpr int kMaxTwips = 31680;
    RowDef& r = m_row;
    if (word == "trowd") {
        r = RowDef{};
        m_cellBorder = false;
    } else if (word == "trleft") {
        r.left = std::clamp(param, -kMaxTwips, kMaxTwips);
    } else if (word == "trgaph") {
        r.gap = std::clamp(param, 0, kMaxTwips);
    } else if (word == "cellx") {
        if (r.cellx.size() < kMaxCells) {
            r.cellx.push_back(std::clamp(param, -kMaxTwips, kMaxTwips));
            r.borders.push_back(r.pendingBorders);
        }
        r.pendingBorders = 0;
    } else if (word.startsWith("clbrdr")) {
        const int side = borderSide(QByteArray("brdr").append(word.sliced(6)));
        r.pendingBorders |= side;
        m_cellBorder = true;
    } else if (word == "brdrw" && m_cellBorder) {
        r.borderTwips = std::clamp(param, 0, 300);
    } else {
        return false;
    }
    return true;
}

// Words inside the font and colour tables.
bool Reader::tableWord(QByteArrayView word, bool hasParam, int param) {
    if (state().dest == Dest::ColorTable) {
        const int v = std::clamp(param, 0, 255);
        if (word == "red")
            m_color.setRed(v);
        else if (word == "green")
            m_color.setGreen(v);
        else if (word == "blue")
            m_color.setBlue(v);
        else
            return false;
        m_colorSet = true;
        return true;
    }
    if (word == "f" && hasParam) {
        m_fontId = param;
        m_fontName.clear();
        m_fonts.insert(param, FontEntry{});
    } else if (word == "fcharset" && m_fontId >= 0 && m_fonts.contains(m_fontId)) {
        FontEntry& f = m_fonts[m_fontId];
        f.charset = std::clamp(param, 0, 255);
        f.codePage = codePageOfCharset(f.charset);
    } else if (word == "cpg" && m_fontId >= 0 && m_fonts.contains(m_fontId) && param > 0) {
        m_fonts[m_fontId].codePage = param;
    } else if (const int family = fontFamily(word);
               family >= 0 && m_fontId >= 0 && m_fonts.contains(m_fontId)) {
        FontEntry& f = m_fonts[m_fontId];
        f.pitchAndFamily = std::uint8_t((f.pitchAndFamily & 0x0F) | family);
    } else if (word == "fprq" && m_fontId >= 0 && m_fonts.contains(m_fontId)) {
        FontEntry& f = m_fonts[m_fontId];
        f.pitchAndFamily = std::uint8_t((f.pitchAndFamily & 0xF0) | std::clamp(param, 0, 2));
    } else {
        return false;
    }
    return true;
}

bool Reader::pictureWord(QByteArrayView word, bool hasParam, int param) {
    Picture& p = m_picture;
    const int v = std::clamp(param, 0, 1000000);
    if (word == "emfblip")
        p.kind = PictureKind::Emf;
    else if (word == "pngblip")
        p.kind = PictureKind::Png;
    else if (word == "jpegblip")
        p.kind = PictureKind::Jpeg;
    else if (word == "wmetafile")
        p.kind = PictureKind::Wmf;
    else if (word == "dibitmap" || word == "wbitmap") {
        p.kind = PictureKind::Bitmap;
        p.deviceBitmap = word == "wbitmap";
    } else if (word == "wbmbitspixel")
        p.bitsPixel = std::clamp(param, 0, 64);
    else if (word == "wbmplanes")
        p.planes = std::clamp(param, 0, 64);
    else if (word == "wbmwidthbytes")
        p.widthBytes = v;
    else if (word == "picw")
        p.picw = v;
    else if (word == "pich")
        p.pich = v;
    else if (word == "picwgoal")
        p.goalw = v;
    else if (word == "pichgoal")
        p.goalh = v;
    else if (word == "picscalex")
        p.scalex = hasParam ? std::clamp(param, 1, 10000) : 100;
    else if (word == "picscaley")
        p.scaley = hasParam ? std::clamp(param, 1, 10000) : 100;
    else
        return false;
    return true;
}

} // namespace vek::rtf
