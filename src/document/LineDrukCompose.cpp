// Page composition: the document walks its section tree, lays out groups and lines from the top of
// a page downwards and records each page into a metafile through the page canvas. Every page-break
// decision compares 32-bit float millimetres with the page height, exactly as written here: a piece
// whose bottom lands on 294 mm still fits.
//
// The tree may still be being read (TMLineWydruk::Loading): the composer takes every piece through
// the document's Await operations, which read on until the piece is there, and walks lists by
// index, since reading on may lengthen them.
#include "LineDrukBody.h"

#include "platform/GdiCanvas.h"
#include "platform/MetafileCanvas.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vek {

namespace {

constexpr float kWidowLimitMm = 20.0f;
// Pieces of the file read before the first page at most, to settle what it assumes: a few
// milliseconds of reading.
constexpr qint64 kSettleSteps = 4096;
constexpr long double kMaxPx = 1e8L;

// Restores a section's state on every way out of RepeatHeaders, exceptions included.
class StateGuard {
public:
    explicit StateGuard(quint8& state)
        : m_state(state)
        , m_saved(state) {}
    ~StateGuard() { m_state = m_saved; }
    StateGuard(const StateGuard&) = delete;
    StateGuard& operator=(const StateGuard&) = delete;

private:
    quint8& m_state;
    quint8 m_saved;
};

} // namespace

// ---- Document ----

namespace {

// Millimetres to page pixels, rounded half to even. Values read from a damaged file may be
// infinite, not a number or far beyond any page: they are held to +-1e8 pixels (about 15 km), so
// that sums of a few of them never overflow.
int mmToPx(double mm) {
    const long double px = static_cast<long double>(kComposeDpi) * mm * (1.0L / 25.4L) * 1.8L;
    if (std::isnan(px))
        return 0;
    // lrintl rounds as nearbyintl does (the current mode: to nearest, halves to even) but without
    // saving and restoring the floating-point environment, which made this a tenth of composing.
    return int(std::lrintl(std::clamp(px, -kMaxPx, kMaxPx)));
}

} // namespace

int TMLineWydruk::MmToPxX(double mm) {
    return mmToPx(mm);
}

int TMLineWydruk::MmToPxY(double mm) {
    return mmToPx(mm);
}

float TMLineWydruk::PxToMmY(int px) {
    return float(static_cast<long double>(px) / kComposeDpi * 25.4L / 1.8L);
}

GdiCanvas& TMLineWydruk::GetCanvas() {
    if (!Canvas) {
        // The metafile canvas keeps whatever the page already holds, so nothing recorded earlier
        // is lost. Text is drawn without a background.
        Canvas = std::make_unique<MetafileCanvas>(Page, kComposeDpi);
        Canvas->selectBrush(LogBrush{BS_NULL, 0, 0});
    }
    return *Canvas;
}

void TMLineWydruk::NewPage(float& Y) {
    if (Y == 0)
        return; // an empty page is never emitted
    // What the first page was composed on the assumption of: settled now when the next pieces of
    // the file settle it, else right after the page is out.
    if (Pages.empty())
        settleFeed(kSettleSteps);
    Canvas.reset(); // ends the recording into Page
    Pages.push_back(makePage(std::exchange(Page, TMetafile())));
    if (OnNewPage)
        OnNewPage(*this, Pages.back());
    ResetPage();
    Y = 0;
    if (Pages.size() == 1)
        settleFeed();
}

void TMLineWydruk::RepeatHeaders(float& Y) {
    InRepeat = true;
    try {
        Root->RepeatHeaders(Y);
    } catch (...) {
        InRepeat = false;
        throw;
    }
    InRepeat = false;
}

void TMLineWydruk::MakePages() {
    for (;;) {
        InRepeat = false;
        Pages.clear();
        // A composition that failed half-way leaves its page behind: start on a fresh one.
        Canvas.reset();
        ResetPage();
        if (Aborted)
            return;
        float Y = 0;
        try {
            compose(Y);
        } catch (const CompositionStopped&) {
            // Stopped while waiting for the file: as any abort, with the partial page.
        } catch (const CompositionRestart&) {
            if (!Pages.empty() && OnRestart)
                OnRestart(*this); // the pages handed out are withdrawn
            continue;
        }
        // The last page goes out even after an abort: the partial page is still delivered.
        NewPage(Y);
        Styles->ClearChanged();
        return;
    }
}

void TMLineWydruk::compose(float& Y) {
    AwaitStyles();
    if (Feed)
        Feed->forgetAssumptions(); // those of a composition that was stopped
    Root->ResetStates();
    LinesDone = 0;
    LinesTotal = Feed ? 0 : Root->LineCount();
    Styles->MarkAllChanged();
    Root->Compose(Y);
    finishFeed();
}

// ---- Section ----

namespace {

// The first line the first child section prints, for keeping a repeat header with it.
TLinia* firstChildLine(TMLine& section) {
    TMLineWydruk& doc = *section.Owner;
    if (doc.AwaitSections(section) == 0)
        return nullptr;
    TMLine& child = doc.AwaitSection(section, 0);
    if (doc.AwaitLines(child.Header) > 0)
        return &doc.AwaitLine(child.Header, 0);
    if (doc.AwaitLines(child.Footer) > 0)
        return &doc.AwaitLine(child.Footer, 0);
    return nullptr;
}

} // namespace

void TMLine::Compose(float& Y) {
    State = StateHeader;
    Header.LayOut(Y);
    if (Owner->Aborted)
        return;
    State = StateRepeat;
    bool headerBroke = false;
    if (Owner->AwaitGroup(RepeatHeader) > 0) {
        if (TLinia* first = firstChildLine(*this)) {
            float probe = Y + Owner->PxToMmY(first->GetHeight());
            if (!RepeatHeader.FitsOnPage(probe)) {
                headerBroke = true;
                Owner->NewPage(Y);
                if (Owner->Aborted)
                    return;
                State = StateSections;
                Owner->RepeatHeaders(Y); // lays out this section's repeat header too
                if (Owner->Aborted)
                    return;
            }
        }
    }
    if (!headerBroke) {
        RepeatHeader.LayOut(Y);
        if (Owner->Aborted)
            return;
    }
    State = StateSections;
    const int count = Owner->AwaitSections(*this);
    for (int i = 0; i < count; ++i) {
        TMLine& child = Owner->AwaitSection(*this, i);
        if ((i > 0 || !headerBroke) && Owner->AwaitNewPageBefore(child)) {
            Owner->NewPage(Y);
            if (Owner->Aborted)
                return;
            Owner->RepeatHeaders(Y);
            if (Owner->Aborted)
                return;
        }
        child.Compose(Y);
        if (Owner->Aborted)
            return;
    }
    State = StateFooter;
    Footer.LayOut(Y);
    State = StateDone;
}

void TMLine::RepeatHeaders(float& Y) {
    StateGuard guard(State);
    if (State != StateSections)
        return;
    State = StateRepeat;
    RepeatHeader.LayOut(Y);
    for (size_t i = 0; i < Sections.size(); ++i)
        Sections[i]->RepeatHeaders(Y);
}

// ---- Group ----

namespace {

// A line left out right after a page break and in repeated headers: one marked so, or a lone rule
// outside a repeat header.
bool droppable(const TLinia& line, const TMLine& section) {
    if (line.DropAtPageTop)
        return true;
    return line.Count() == 1 && line.Fields.front()->Kind == KindRule && section.State != StateRepeat;
}

// Counting, notification and the abort check after every laid-out line. True: stop the group.
bool afterLine(TLinie& group) {
    TMLineWydruk& doc = *group.Owner;
    const quint8 state = group.Parent->State;
    if (state == StateHeader || state == StateFooter || state == StateSections)
        ++doc.LinesDone;
    if (doc.OnLine)
        doc.OnLine(group);
    return doc.Aborted;
}

void breakPage(TMLineWydruk& doc, float& Y) {
    doc.NewPage(Y);
    doc.RepeatHeaders(Y);
}

} // namespace

bool TLinie::FitsOnPage(float& Y) {
    qint64 total = 0;
    for (auto& line : Lines)
        total += line->GetHeight();
    const float bottom = Owner->PxToMmY(int(std::min<qint64>(total, qint64(kMaxPx)))) + Y;
    return bottom <= kPageHeightMm;
}

void TLinie::LayOut(float& Y) {
    TMLineWydruk& doc = *Owner;
    const int count = doc.AwaitLines(*this); // read with the group's flags
    if (!SplitLines)
        doc.AwaitGroup(*this); // kept whole: measured whole
    if (NewPageBefore)
        breakPage(doc, Y);
    if (SplitLines) {
        for (int i = 0; i < count; ++i) {
            TLinia& line = doc.AwaitLine(*this, i);
            float H = doc.PxToMmY(line.GetHeight());
            // Widow rule: the last two lines go to the next page together unless either is tall.
            if (H < kWidowLimitMm && count > 1 && i == count - 2) {
                const float H2 = doc.PxToMmY(doc.AwaitLine(*this, i + 1).GetHeight());
                if (H2 < kWidowLimitMm)
                    H = H + H2;
            }
            bool broke = false;
            const float bottom = H + Y;
            if (bottom > kPageHeightMm) {
                breakPage(doc, Y);
                broke = true;
            }
            if (!((broke || doc.InRepeat) && droppable(line, *Parent)))
                line.Draw(Y);
            if (afterLine(*this))
                break;
        }
        return;
    }
    bool broke = false;
    if (!FitsOnPage(Y)) {
        breakPage(doc, Y);
        broke = true;
    }
    for (auto& line : Lines) {
        if (!((broke || doc.InRepeat) && droppable(*line, *Parent)))
            line->Draw(Y);
        broke = false;
        if (afterLine(*this))
            break;
    }
}

// ---- Line ----

int TLinia::GetHeight() {
    int height = 0;
    for (auto& field : Fields)
        if (field->Kind != KindHidden)
            height = std::max(height, field->GetHeight());
    return height;
}

void TLinia::Draw(float& Y) {
    float B = 0;
    for (auto& field : Fields)
        if (field->Kind != KindHidden)
            B = std::max(B, field->GetStyl().HeightMm());
    float A = 0;
    for (auto& field : Fields) {
        if (field->Kind == KindHidden)
            continue;
        field->Draw(Y, A, B);
        A = std::max(A, Owner->PxToMmY(field->DrawnHeight));
    }
    Y = Y + A + Owner->LineSpacing;
}

} // namespace vek
