#pragma once
// The RTF reader's machinery: group states, font and colour tables, the picture being read, and
// the cursor that builds the document. Internal to the Rtf* units.

#include "RtfFormat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <QHash>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextOption>
#include <optional>
#include <vector>

class QTextDocument;

namespace vek::rtf {

// FontSub: a group inside one font's entry ({\*\panose}, {\*\falt}); FontAlt: the alternative
// face's name.
// Upr: the ANSI part of \upr, left for its Unicode part {\*\ud}.
enum class Dest { Text, FontTable, FontEntry, FontSub, FontAlt, ColorTable, Picture, Upr, Skip };

constexpr int SymbolCharset = 2;

struct CharState {
    int font = -1; // font number; -1 = the default font
    int halfPoints = 24;
    int color = 0; // colour table index, 0 = auto
    int highlight = 0;
    bool bold = false;
    bool italic = false;
    int underline = 0; // UnderlineKind
    int strike = 0;    // 1 single, 2 double (\striked1)
    bool caps = false;
    bool smallCaps = false;
    int rise = 0;     // \up / \dn, half-points
    int scaleX = 100; // \charscalex, percent
    int spacing = 0;  // \expndtw, twips added after every character
    int shading = 0;  // \chcbpat: colour table index of the character background
    bool hidden = false;
    int vertical = 0;    // 1 superscript, -1 subscript
    int unicodeSkip = 1; // \uc
    bool operator==(const CharState&) const = default;
};

struct TabStop {
    int twips = 0;
    QTextOption::TabType type = QTextOption::LeftTab;
    int leader = 0; // TabLeader
    bool operator==(const TabStop&) const = default;
};

struct ParaState {
    Qt::Alignment align = Qt::AlignLeft;
    int left = 0; // twips
    int right = 0;
    int first = 0;
    int before = 0;
    int after = 0;
    int lineSpacing = 0;
    bool lineMultiple = false;
    std::vector<TabStop> tabs;
    int nextLeader = 0;   // leader of the tab stop being defined
    int borders = 0;      // BorderSide bits
    int borderTwips = 0;  // \brdrw
    int borderColor = 0;  // \brdrcf
    int borderSpace = 0;  // \brsp, twips
    bool inTable = false; // \intbl
    int background = 0;   // \cbpat: colour index
    int shading = 0;      // \shading, hundredths of a percent
    bool operator==(const ParaState&) const = default;
};

// A table row's definition: \trleft, \trgaph, the right edges of its cells (\cellx, twips) and
// the borders of each cell (\clbrdrt, ...).
struct RowDef {
    int left = 0;
    int gap = 0;
    std::vector<int> cellx;
    std::vector<int> borders;
    int pendingBorders = 0; // for the cell whose \cellx comes next
    int borderTwips = 15;
};

struct GroupState {
    Dest dest = Dest::Text;
    CharState chr;
    ParaState para;
};

struct FontEntry {
    QString face;
    QString alt;                     // {\*\falt}: the face to use when this one is not installed
    std::uint8_t pitchAndFamily = 0; // LOGFONT's: \froman, \fswiss, ... and \fprq
    int charset = 1;
    int codePage = 0; // 0 = the document's ANSI code page
};

struct Picture {
    PictureKind kind = PictureKind::None;
    QByteArray data;
    int pendingNibble = -1;
    int picw = 0, pich = 0;         // pixels, or 0.01 mm for metafiles
    int goalw = 0, goalh = 0;       // twips
    int scalex = 100, scaley = 100; // percent
    // \wbitmap: a device-dependent bitmap of \picw x \pich pixels with this geometry.
    bool deviceBitmap = false;
    int bitsPixel = 1, planes = 1, widthBytes = 0;
};

class Reader {
public:
    Reader(QByteArrayView in, QTextDocument& doc);
    void run();

private:
    static constexpr qsizetype kMaxDepth = 256;
    static constexpr std::size_t kMaxTabs = 64;

    GroupState& state() { return m_stack.back(); }
    const GroupState& state() const { return m_stack.back(); }

    // Tokens.
    void readControl();
    void controlSymbol(char c);
    void readBinary(int count);
    void pushGroup();
    void popGroup();
    void textByte(unsigned char byte, bool escaped = false);
    void textChar(QChar c);
    static bool isDoubleByteCodePage(int cp);
    static bool isLeadByte(int cp, unsigned char byte);
    static QString decodeDoubleByte(QByteArrayView pair, int cp);
    void pictureHex(unsigned char byte);

    // Control words (RtfReaderWords.cpp).
    void handleWord(QByteArrayView word, bool hasParam, int param);
    bool destinationWord(QByteArrayView word);
    bool characterWord(QByteArrayView word, bool hasParam, int param);
    bool paragraphWord(QByteArrayView word, bool hasParam, int param);
    bool specialCharacterWord(QByteArrayView word, int param);
    bool tableWord(QByteArrayView word, bool hasParam, int param);
    bool tableRowWord(QByteArrayView word, int param);
    bool pictureWord(QByteArrayView word, bool hasParam, int param);

    // Tables.
    const FontEntry* findFont(int number) const;
    void commitFont();
    void commitColor();

    // Document building (RtfReaderOutput.cpp).
    void appendText(const QString& text);
    void appendRun(const QString& text, bool small);
    void paragraphBreak();
    void flushRun();
    void applyBlockFormat();
    QTextCharFormat charFormat() const;
    std::optional<QColor> color(int index) const;
    QTextBlockFormat blockFormat() const;
    void insertPicture();
    void finish();

    QByteArrayView m_in;
    qsizetype m_pos = 0;
    QTextDocument& m_doc;
    QTextCursor m_cursor;
    std::vector<GroupState> m_stack;
    qsizetype m_overflowDepth = 0;
    int m_skipChars = 0;
    int m_leadByte = -1; // first byte of a double-byte character
    bool m_ignorableNext = false;

    int m_ansiCodePage = 1252;
    int m_defaultFont = 0;
    QHash<int, FontEntry> m_fonts;
    int m_fontId = -1;
    QByteArray m_fontName;
    QByteArray m_fontAlt;
    std::vector<std::optional<QColor>> m_colors;
    QColor m_color{0, 0, 0};
    bool m_colorSet = false;
    Picture m_picture;
    int m_pictureCount = 0;
    int m_footnotes = 0;       // footnote marks shown so far
    bool m_cellBorder = false; // border words now describe a table cell's border
    RowDef m_row;
    int m_rowNumber = 1;
    int m_cellIndex = 0;
    static constexpr std::size_t kMaxCells = 64;
    // Pixels the decoded pictures of the document may still take: a small PNG can declare a huge
    // image, so many of them could otherwise exhaust memory.
    qint64 m_pixelBudget = 16'000'000;

    QString m_run;
    QTextCharFormat m_runFormat;
    bool m_formatDirty = true;
    bool m_runSmall = false; // the run holds small capitals
    bool m_pendingPar = false;
    bool m_finished = false;
};

} // namespace vek::rtf
