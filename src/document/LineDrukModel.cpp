// The printout model's own operations: creation, clearing, counting and style look-up.
#include "LineDrukBody.h"

#include "platform/CodePage.h"
#include "platform/GdiCanvas.h"

#include <cmath>

namespace vek {

QSize freshPageSize() {
    const auto px = [](double mm) { return int(std::nearbyint(kComposeDpi * mm / 25.4 * 1.8)); };
    return QSize(px(kPageWidthMm), px(kPageHeightMm));
}

// ---- TStyl ----

TStyl::TStyl(TMLineWydruk* owner)
    : CharHeight(kPageHeightMm / float(owner->LinesPerPage))
    , CharWidth(kPageWidthMm / 132.0f)
    , Owner(owner) {}

TStyl::~TStyl() = default;

void TStyl::SetColor(qint32 c) {
    if (c != Color)
        Changed = true;
    Color = c;
}

void TStyl::SetCharsPerLine(qint32 n, bool recalc) {
    if (n == CharsPerLine && !Changed)
        return;
    Changed = true;
    CharsPerLine = n;
    if (recalc) {
        // Float division: a zero count from a file gives an infinite size, never a trap.
        CharHeight = float(294.0L / (double(n) * Owner->LinesPerPage * (1.0 / 132.0)));
        CharWidth = float(210.0L / double(n));
    }
}

void TStyl::SetFontStyle(quint8 s) {
    if (s == FontStyle)
        return;
    Changed = true;
    TextHeight = 0;
    ZeroWidth = 0;
    FontStyle = s;
}

void TStyl::SetFontName(const QByteArray& f) {
    if (f == FontName)
        return;
    Changed = true;
    TextHeight = 0;
    ZeroWidth = 0;
    FontName = f;
}

bool TStyl::Matches(QByteArrayView name) const {
    return ansiSameText(name, Name) || ansiSameText(name, Alias);
}

// ---- TStyle ----

TStyle::TStyle(TMLineWydruk* owner)
    : Owner(owner) {
    AddStyle(QByteArray(kDefaultStyleName), 0, 132, 0, QByteArrayLiteral("Courier New"));
}

void TStyle::Clear() {
    if (!Items.empty())
        Items.resize(1);
}

TStyl* TStyle::FindLoaded(QByteArrayView name) {
    for (size_t i = 1; i < Items.size(); ++i) {
        if (Items[i]->Matches(name))
            return Items[i].get();
    }
    return nullptr;
}

TStyl& TStyle::FindStyle(QByteArrayView name) {
    TStyl* s = FindLoaded(name);
    return s ? *s : Default();
}

TStyl& TStyle::AddStyle(const QByteArray& name, qint32 color, qint32 charsPerLine, quint8 fontStyle,
                        const QByteArray& fontName) {
    TStyl* s = FindLoaded(name);
    std::unique_ptr<TStyl> created;
    if (!s) {
        created = std::make_unique<TStyl>(Owner);
        s = created.get();
    }
    s->SetColor(color);
    s->SetCharsPerLine(charsPerLine, true);
    s->SetFontStyle(fontStyle);
    s->SetFontName(fontName);
    s->Name = name;
    if (created)
        Items.push_back(std::move(created));
    return *s;
}

bool TStyle::AnyChanged() const {
    for (size_t i = 1; i < Items.size(); ++i) {
        if (Items[i]->Changed)
            return true;
    }
    return false;
}

void TStyle::MarkAllChanged() {
    for (size_t i = 1; i < Items.size(); ++i)
        Items[i]->Changed = true;
}

void TStyle::ClearChanged() {
    for (size_t i = 1; i < Items.size(); ++i)
        Items[i]->Changed = false;
}

// ---- TPole, TLinia, TLinie ----

TPole::TPole(TMLineWydruk* owner)
    : Owner(owner) {}

void TPole::SetText(QByteArray text) {
    m_text = std::move(text);
    Height = 0;
}

TStyl& TPole::GetStyl() {
    if (!Styl)
        Styl = &Owner->Styles->FindStyle(StyleName);
    return *Styl;
}

TLinia::TLinia(TMLineWydruk* owner, TLinie* parent)
    : Owner(owner)
    , Parent(parent) {}

TLinie::TLinie(TMLineWydruk* owner, TMLine* parent)
    : Owner(owner)
    , Parent(parent) {}

void TLinie::Clear() {
    Lines.clear();
}

// ---- TMLine ----

TMLine::TMLine(TMLineWydruk* owner)
    : Header(owner, this)
    , RepeatHeader(owner, this)
    , Spare(owner, this)
    , Footer(owner, this)
    , Owner(owner) {}

void TMLine::Clear() {
    Header.Clear();
    RepeatHeader.Clear();
    Spare.Clear();
    Footer.Clear();
    Sections.clear();
}

int TMLine::LineCount() const {
    int n = Header.Count() + Footer.Count();
    for (const auto& s : Sections)
        n += s->LineCount();
    return n;
}

void TMLine::ResetStates() {
    State = StateIdle;
    for (const auto& s : Sections)
        s->ResetStates();
}

// ---- TMLineWydruk ----

TMLineWydruk::TMLineWydruk() {
    LinesPerPage = 84; // before the default style: its height follows from it
    Styles = std::make_unique<TStyle>(this);
    ResetPage();
    Root = std::make_unique<TMLine>(this);
}

// The reading in progress and the pages go first; the canvas before the page it records into.
TMLineWydruk::~TMLineWydruk() {
    Feed.reset();
    Pages.clear();
    Root.reset();
    Canvas.reset();
    Styles.reset();
}

void TMLineWydruk::ResetPage() {
    Page.setSize(freshPageSize());
    Page.setFrame(QRect(QPoint(0, 0), QPoint(int(kPageWidthMm * 100), int(kPageHeightMm * 100))));
}

void TMLineWydruk::Clear() {
    try {
        Feed.reset(); // a reading in progress belongs to the content that goes
        Pages.clear();
        Styles->Clear();
        Root->Clear();
        Canvas.reset();
        ResetPage();
    } catch (...) {
        // Clearing never fails towards the caller: a half-cleared document is still consistent.
    }
}

int TMLineWydruk::LineCount() {
    if (Feed)
        return Feed->estimatedLineCount();
    if (LinesTotal == 0)
        LinesTotal = Root->LineCount();
    return LinesTotal;
}

} // namespace vek
