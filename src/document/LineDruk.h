#pragma once
// LineDruk: the in-memory printout. A document (TMLineWydruk) holds the text styles (TStyle of
// TStyl) and a tree of sections (TMLine); a section holds four groups of lines (TLinie), a group
// holds lines (TLinia), a line holds positioned fields (TPole).
//
// Ownership follows the tree: the document owns its styles, its root section, the page being drawn
// and the page canvas; a section owns its groups and child sections; a group its lines; a line its
// fields; a field its picture; a style its font. Owner and Parent are raw back-pointers that own
// nothing and are never null once an object is built. Finished pages are immutable shared objects
// (PagePtr): the document holds them as long as they are current, and a page handed out lives on
// as long as anyone holds it, after the document and across new loads.
//
// Threads: a document is used by one thread at a time. The fonts its styles cache belong to the
// thread that composed it (GdiFont), so a document is composed and freed on the same thread; its
// finished pages may go to any thread.
//
// Units: vertical positions (Y) and style sizes are millimetres (float); field Left/Width and every
// measured height are page pixels. The page is 210 mm wide and 294 mm tall.
//
// Texts are kept as the Windows-1250 bytes read from the file; they are decoded where drawn.
//
// The model and the reader live in LineDrukModel.cpp and LineDrukReader.cpp; composition and field
// rendering (GetCanvas, NewPage, MakePages, Compose, LayOut, Draw, fonts and metrics) in
// LineDrukCompose.cpp and LineDrukRender.cpp.

#include "platform/Errors.h"
#include "platform/GdiFont.h"
#include "platform/Metafile.h"
#include "platform/Page.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSize>
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QIODevice;

namespace vek {

class GdiCanvas;
class InflateStream;
class BodyReader;
class BodyFeed;

class TMLineWydruk;
class TMLine;
class TLinie;

// An error while reading a printout body. Messages end in "[" + number + "]".
class EReadFileError : public Exception {
public:
    using Exception::Exception;
};

// Page geometry.
inline constexpr float kPageWidthMm = 210.0f;
inline constexpr float kPageHeightMm = 294.0f;
// Screen resolution the pages are composed for: every machine composes the same pages.
inline constexpr int kComposeDpi = 96;
// Size of a fresh page metafile in pixels: 210 x 294 mm at 1.8 x 96 pixels per inch.
QSize freshPageSize();

// What the reader accepts from one file: far above any real printout (1,000 pages of a priced bill
// of quantities are about 250,000 fields and a few MB of body; pages packed with 93 lines of 6
// fields reach the limit at about 3,000), these stop a hostile file before it exhausts memory,
// at about 400 MB. Every style, section, group, line and field is one object; a field takes about
// 200 bytes in memory.
inline constexpr qint64 kMaxPrintoutObjects = 2'000'000;
inline constexpr qint64 kMaxPrintoutBody = qint64(512) << 20; // inflated bytes

// Name of the default style, index 0 of every style list.
inline constexpr char kDefaultStyleName[] = "Domyslny";

// Field kinds.
enum FieldKind : quint8 {
    KindText = 0,
    KindRight = 1,
    KindPageNumber = 2,
    KindHidden = 3,
    KindRule = 4,
    KindLeader = 5,
    KindPicture = 6,
    KindRichText = 7,
};

// One text style.
class TStyl {
public:
    explicit TStyl(TMLineWydruk* owner);
    ~TStyl();
    TStyl(const TStyl&) = delete;
    TStyl& operator=(const TStyl&) = delete;

    qint32 Color = 0; // Windows colour 0x00BBGGRR
    float CharHeight; // mm
    float CharWidth;  // mm
    bool Changed = true;
    TMLineWydruk* Owner;
    GdiFontPtr Font;      // cached, built on the page canvas
    quint8 FontStyle = 0; // bit 0 bold, 1 italic, 2 underline, 3 strike-out
    QByteArray FontName = QByteArrayLiteral("Courier New");
    QByteArray Name;
    qint32 CharsPerLine = 132;
    int TextHeight = 0; // cached height of "A", page pixels; 0 = not measured
    int ZeroWidth = 0;  // cached width of "0", page pixels
    qint32 Charset = 186;
    qint32 Extra = -1;
    QByteArray Alias;

    void SetColor(qint32 c);
    // Sets CharsPerLine; with recalc also the character height and width from it.
    void SetCharsPerLine(qint32 n, bool recalc);
    void SetFontStyle(quint8 s);
    void SetFontName(const QByteArray& f);
    // True when name equals Name or Alias, ignoring letter case (Polish letters included).
    bool Matches(QByteArrayView name) const;

    // Composition side: the style's font, built or rebuilt on the page canvas when Changed or
    // missing; TextHeight and ZeroWidth measured once (GetTextHeight); the height in mm.
    const GdiFontPtr& GetFont();
    int GetTextHeight();
    float HeightMm();

    void ReadFromStream(BodyReader& r);
};

// The style list. Index 0 is the default style and stays while the list lives.
class TStyle {
public:
    explicit TStyle(TMLineWydruk* owner);
    TStyle(const TStyle&) = delete;
    TStyle& operator=(const TStyle&) = delete;

    TMLineWydruk* Owner;
    std::vector<std::unique_ptr<TStyl>> Items;

    int Count() const { return int(Items.size()); }
    TStyl& operator[](int i) { return *Items[size_t(i)]; }
    const TStyl& operator[](int i) const { return *Items[size_t(i)]; }
    TStyl& Default() { return *Items.front(); }

    // Frees every style but the default one.
    void Clear();
    // First style from index 1 named or aliased name (ignoring case); the default style otherwise.
    TStyl& FindStyle(QByteArrayView name);
    TStyl& AddStyle(const QByteArray& name, qint32 color, qint32 charsPerLine, quint8 fontStyle,
                    const QByteArray& fontName);
    bool AnyChanged() const;
    void MarkAllChanged();
    void ClearChanged();

private:
    TStyl* FindLoaded(QByteArrayView name);
};

// One field of a line.
class TPole {
public:
    explicit TPole(TMLineWydruk* owner);
    TPole(const TPole&) = delete;
    TPole& operator=(const TPole&) = delete;

    TMLineWydruk* Owner;
    int Left = 0;   // page pixels
    int Width = 0;  // page pixels
    int Height = 0; // cached measured height, page pixels; 0 = not measured
    int DrawnHeight = 0;
    quint8 Kind = KindText;
    QByteArray StyleName = QByteArrayLiteral("Domyslny");
    quint8 Align = 0; // 0 left, 1 right, 2 centre
    bool AlignBottom = false;
    bool Ellipsis = false;
    TStyl* Styl = nullptr; // resolved style, cached for the field's life
    bool NoWrap = false;
    quint8 LineStyle = 0;
    std::unique_ptr<TMetafile> Picture; // Kind 6

    const QByteArray& Text() const { return m_text; }
    // Sets the text and forgets the measured height.
    void SetText(QByteArray text);
    // The field's style: looked up by StyleName on first use, then kept.
    TStyl& GetStyl();

    // Composition side: measured height (page pixels, cached in Height) and drawing at Y (mm)
    // with A the tallest height drawn so far in the line and B the line's tallest style (mm).
    int GetHeight();
    void Draw(float& Y, float A, float B);

    void ReadFromStream(BodyReader& r);

private:
    QByteArray m_text;
};

// One printed line.
class TLinia {
public:
    TLinia(TMLineWydruk* owner, TLinie* parent);
    TLinia(const TLinia&) = delete;
    TLinia& operator=(const TLinia&) = delete;

    TMLineWydruk* Owner;
    TLinie* Parent;
    bool DropAtPageTop = false;
    std::vector<std::unique_ptr<TPole>> Fields;

    int Count() const { return int(Fields.size()); }

    // Composition side: the line's height in page pixels and its drawing at Y, which it advances.
    int GetHeight();
    void Draw(float& Y);

    void ReadFromStream(BodyReader& r);
};

// A group of lines.
class TLinie {
public:
    TLinie(TMLineWydruk* owner, TMLine* parent);
    TLinie(const TLinie&) = delete;
    TLinie& operator=(const TLinie&) = delete;

    TMLineWydruk* Owner;
    bool SplitLines = false;
    TMLine* Parent;
    bool NewPageBefore = false;
    std::vector<std::unique_ptr<TLinia>> Lines;

    int Count() const { return int(Lines.size()); }
    void Clear();

    // Composition side.
    void LayOut(float& Y);
    bool FitsOnPage(float& Y);
};

// Section layout states.
enum SectionState : quint8 {
    StateIdle = 0,
    StateDone = 1,
    StateHeader = 2,
    StateFooter = 3,
    StateSections = 4,
    StateRepeat = 5,
};

// A section: header, repeated header, child sections, spare lines and footer.
class TMLine {
public:
    explicit TMLine(TMLineWydruk* owner);
    TMLine(const TMLine&) = delete;
    TMLine& operator=(const TMLine&) = delete;

    TLinie Header;
    TLinie RepeatHeader;
    std::vector<std::unique_ptr<TMLine>> Sections;
    TLinie Spare;
    TLinie Footer;
    TMLineWydruk* Owner;
    quint8 State = StateIdle;
    QByteArray Title;
    bool NewPageBefore = false;

    // Empties the four groups and frees the child sections.
    void Clear();
    // Header lines + child sections' counts + Footer lines.
    int LineCount() const;
    void ResetStates();

    // Composition side.
    void Compose(float& Y);
    void RepeatHeaders(float& Y);
};

// The document.
class TMLineWydruk {
public:
    TMLineWydruk();
    virtual ~TMLineWydruk();
    TMLineWydruk(const TMLineWydruk&) = delete;
    TMLineWydruk& operator=(const TMLineWydruk&) = delete;

    // The page canvas, created on demand on Page (composition side).
    virtual GdiCanvas& GetCanvas();

    std::unique_ptr<GdiCanvas> Canvas;
    TMetafile Page;             // the page being drawn
    std::vector<PagePtr> Pages; // finished pages in order
    std::unique_ptr<TMLine> Root;
    std::unique_ptr<TStyle> Styles;
    // Called after every laid-out line with the group that laid it out.
    std::function<void(TLinie& sender)> OnLine;
    // Called with every finished page; a receiver keeps the page by keeping the pointer.
    std::function<void(TMLineWydruk& sender, const PagePtr& page)> OnNewPage;
    // Composing while reading (BeginLoad): called now and then while the composition waits for
    // more of the file, and when the pages handed out so far are withdrawn because the
    // composition starts again (see LineDrukFeed.cpp).
    std::function<void(TMLineWydruk& sender)> OnWait;
    std::function<void(TMLineWydruk& sender)> OnRestart;
    int LinesDone = 0;
    int LinesTotal = 0;            // cached LineCount; 0 = not computed
    long double LineWidth = 0.15L; // pen width of rules, mm
    float LineSpacing = 0;         // mm added below every line
    qint32 KeptInt = 0;            // read from the body header, not used
    quint8 KeptByte = 0;           // read from the body header, not used
    // A stop was requested; composition ends at the next check. May be set from any thread.
    std::atomic<bool> Aborted{false};
    quint8 Version = 0;
    qint32 LinesPerPage = 84;
    float Scale = 0;          // page pixels per file unit, 180 / Resolution
    qint32 Resolution = 1200; // file units per inch of the loaded file
    bool InRepeat = false;

    // Frees the pages, the loaded styles, the section tree and the canvas; Page becomes a fresh page.
    void Clear();
    // Header and Footer lines of the whole tree; while the tree is still being read (Loading), an
    // estimate from the part read and how much of the file that is.
    int LineCount();

    // Reads a whole body from a decompressing stream placed just after the file header.
    // Throws EReadFileError, EZlibError, EInvalidGraphic; leaves what was read so far. A body
    // that passes the reader's limits (kMaxPrintoutObjects, kMaxPrintoutBody) is refused as soon
    // as it passes them.
    void LoadFromStream(InflateStream& stream);
    // Reading a body while it is composed: BeginLoad reads the document header from a device
    // placed just after the file header and keeps the device; MakePages then reads the styles and
    // the section tree as it needs them, and a read error comes out of MakePages after the pages
    // before it. FinishLoad reads whatever is left. The errors are those of LoadFromStream.
    void BeginLoad(std::unique_ptr<QIODevice> device);
    void FinishLoad();
    bool Loading() const { return Feed != nullptr; }
    std::unique_ptr<BodyFeed> Feed; // the reading in progress, while Loading

    // The composer's access to the section tree while it is read: each waits until its piece is
    // read (and answers at once when the whole tree is there). AwaitLines gives the group's line
    // count, known once its head (with its flags) is read; AwaitGroup waits for all its lines.
    void AwaitStyles();
    int AwaitLines(TLinie& group);
    TLinia& AwaitLine(TLinie& group, int i);
    int AwaitGroup(TLinie& group);
    int AwaitSections(TMLine& section);
    TMLine& AwaitSection(TMLine& section, int i);
    bool AwaitNewPageBefore(TMLine& section);

    // Composition side.
    void NewPage(float& Y);
    void RepeatHeaders(float& Y);
    void MakePages();
    int MmToPxX(double mm);
    int MmToPxY(double mm);
    float PxToMmY(int px);

private:
    void ResetPage();
    void compose(float& Y);
    void settleFeed(qint64 maxSteps = -1);
    void finishFeed();
};

// The file header: reads the 9-byte signature ("VEKTA2001" or "VEKTA2000") and, when it matches,
// one header string, and tells whether that string equals kindName (case-sensitive).
// A file shorter than what is read throws EStreamError.
bool CheckFileSignature(QIODevice& stream, QByteArrayView kindName);
// A header string: a length byte (254: uint16 follows, 255: int32 follows) and the characters.
QByteArray ReadHeaderString(QIODevice& stream);

// Opens a printout file for reading and checks its header ("Wydruk"): the file is left at its
// body. Throws EFOpenError and EStreamError ("Plik nie zawiera prawidłowego wydruku Vekta" for a
// file that is no printout).
std::unique_ptr<QIODevice> openPrintoutFile(const QString& path);
// Opens a printout file (openPrintoutFile) and reads its body into doc.
// Throws EFOpenError, EStreamError ("Plik nie zawiera prawidłowego wydruku Vekta" for a file that is
// no printout) and the reader's errors.
void loadPrintoutFile(const QString& path, TMLineWydruk& doc);

} // namespace vek
