// Field rendering: style fonts and metrics, field heights, and the drawing of every field kind on
// the page canvas. Vertical values arrive in millimetres and are converted with the document's
// MmToPxY; Left and Width are page pixels already.
#include "LineDruk.h"

#include "platform/CodePage.h"
#include "platform/DrawText.h"
#include "platform/GdiCanvas.h"
#include "richtext/DrawRichText.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace vek {

namespace {

// Format flag sets.
constexpr unsigned kFitProbe = DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP | DT_RIGHT;
constexpr unsigned kMetricProbe = DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP;
constexpr unsigned kMeasureNoWrap = DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP;
constexpr unsigned kMeasureWrap = DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP | DT_WORDBREAK | DT_EDITCONTROL;
constexpr unsigned kDrawNoWrap = DT_NOPREFIX | DT_NOCLIP;
constexpr unsigned kDrawWrap = DT_NOPREFIX | DT_NOCLIP | DT_WORDBREAK | DT_EDITCONTROL;
constexpr unsigned kDrawRight = DT_NOPREFIX | DT_WORDBREAK | DT_RIGHT;
constexpr unsigned kDrawLeader = DT_NOPREFIX | DT_RIGHT;

// Page pixels kept free between the leader's end and the field's right edge.
constexpr int kLeaderGap = 150;
// Magnification of the page over the screen.
constexpr float kPageScale = 1.8f;

const QString kSpacedLeader =
    u". . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . ."_s;
const QString kUnspacedLeader = QString(97, u'.');

unsigned alignFlag(quint8 align) {
    switch (align) {
    case 1:
        return DT_RIGHT;
    case 2:
        return DT_CENTER;
    default:
        return 0;
    }
}

unsigned bottomAndEllipsis(const TPole& field) {
    unsigned flags = 0;
    if (field.AlignBottom)
        flags |= DT_SINGLELINE | DT_BOTTOM;
    if (field.Ellipsis)
        flags |= DT_SINGLELINE | DT_END_ELLIPSIS;
    return flags;
}

LogFont styleLogFont(const TStyl& style, int W, int H) {
    LogFont lf;
    lf.height = -H;
    lf.width = -W;
    lf.weight = (style.FontStyle & 1) ? 700 : 400;
    lf.italic = (style.FontStyle & 2) ? 1 : 0;
    lf.underline = (style.FontStyle & 4) ? 1 : 0;
    lf.strikeOut = 0;
    lf.charSet = std::uint8_t(style.Charset);
    lf.quality = 1; // draft
    lf.pitchAndFamily = 0;
    lf.faceName = decodeCp1250(style.FontName);
    return lf;
}

// Makes the style's font and colour the canvas's.
GdiCanvas& useStyle(TStyl& style) {
    const GdiFontPtr& font = style.GetFont();
    GdiCanvas& canvas = style.Owner->GetCanvas();
    canvas.selectFont(font);
    canvas.setTextColor(ColorRef(style.Color));
    return canvas;
}

// The field's edges. A damaged file may hold positions whose sums would overflow: they are held
// to +-1e9 pixels.
int clampPx(qint64 px) {
    return int(std::clamp<qint64>(px, -1'000'000'000, 1'000'000'000));
}
int fieldLeft(const TPole& field) {
    return clampPx(field.Left);
}
int fieldRight(const TPole& field) {
    return clampPx(qint64(field.Left) + field.Width);
}

// The displayed text of a page-number field: the first "%n" becomes the number of the page being
// drawn; at most 255 characters of what follows are kept, further marks stay as they are.
QByteArray withPageNumber(const QByteArray& text, int pageNumber) {
    const qsizetype at = text.indexOf("%n");
    if (at < 0)
        return text;
    return text.left(at) + QByteArray::number(pageNumber) + text.mid(at + 2, 255);
}

} // namespace

// ---- Style ----

const GdiFontPtr& TStyl::GetFont() {
    if (Changed && Font)
        Font.reset();
    if (Changed || !Font) {
        int W = Owner->MmToPxX(CharWidth);
        int H = Owner->MmToPxY(CharHeight);
        GdiCanvas& canvas = Owner->GetCanvas();
        Font = GdiFont::get(styleLogFont(*this, W, H));
        canvas.selectFont(Font);
        const QString probe = u"1234567890"_s;
        const int Wt = TextWidth(canvas, probe);
        QRect box(0, 0, 1000, 1000);
        const int Ht = DrawText(canvas, probe, box, kFitProbe);
        // A face whose digits are wider or taller than the style's cell is shrunk; never enlarged.
        // Only a real cell is measured against: a damaged style's negative size would "shrink" by
        // its own square.
        const bool tooWide = W > 0 && 10 * W < Wt;
        const bool tooTall = H > 0 && H < Ht;
        if (tooWide || tooTall) {
            if (tooWide)
                W = int(std::trunc(double(W) * (10.0 * W) / Wt));
            if (tooTall)
                H = int(std::trunc(double(H) * H / Ht));
            Font = GdiFont::get(styleLogFont(*this, W, H));
        }
    }
    Changed = false;
    return Font;
}

int TStyl::GetTextHeight() {
    if (TextHeight == 0) {
        GdiCanvas& canvas = useStyle(*this);
        QRect box(0, 0, 100, 10);
        TextHeight = DrawText(canvas, u"A"_s, box, kMetricProbe);
        ZeroWidth = TextWidth(canvas, u"0"_s);
    }
    return TextHeight;
}

float TStyl::HeightMm() {
    return Owner->PxToMmY(GetTextHeight());
}

// ---- Field: measuring ----

namespace {

int richTextHeight(TPole& field) {
    TMLineWydruk& doc = *field.Owner;
    const QRect box(0, 0, field.Width, doc.MmToPxY(kPageHeightMm));
    return DrawRichText(doc.GetCanvas(), box, field.Text(), false, true, kPageScale);
}

} // namespace

int TPole::GetHeight() {
    if (Height != 0)
        return Height;
    if (Kind == KindPicture) {
        // The picture spans the page width; a missing or zero-width picture has no height.
        if (Picture && Picture->width() > 0)
            Height = int(std::clamp<qint64>(
                qint64(Owner->MmToPxX(kPageWidthMm)) * Picture->height() / Picture->width(), 0, 100'000'000));
    } else if (Kind == KindRichText) {
        Height = richTextHeight(*this) + Owner->MmToPxY(0.5) + Owner->MmToPxY(1);
    } else {
        GdiCanvas& canvas = useStyle(GetStyl());
        const unsigned flags =
            (NoWrap ? kMeasureNoWrap : kMeasureWrap) | alignFlag(Align) | bottomAndEllipsis(*this);
        QRect box(0, 0, Width, 10);
        Height = DrawText(canvas, Text(), box, flags);
    }
    return Height;
}

// ---- Field: drawing ----

namespace {

void drawPicture(TPole& field, int top) {
    TMLineWydruk& doc = *field.Owner;
    const int height = field.GetHeight();
    if (field.Picture && height > 0)
        doc.GetCanvas().stretchDraw(QRect(0, top, doc.MmToPxX(kPageWidthMm), height), *field.Picture);
    field.DrawnHeight = height;
}

void dashes(GdiCanvas& canvas, int left, int right, int y, int dash, int space, int pageWidth) {
    // A dash never shorter than one pixel: a style without measurable digits would loop forever.
    dash = std::max(dash, 1);
    const std::int64_t step = std::int64_t(dash) + std::max(space, 0);
    // Only the dashes that reach the page are drawn, in their places: a damaged rule far wider
    // than the page would otherwise write millions of segments nobody sees.
    std::int64_t x = left;
    if (x + dash < 0)
        x += (-x - dash) / step * step;
    const std::int64_t end = std::min(right, pageWidth);
    for (; x < end; x += step) {
        const std::int64_t d = std::min<std::int64_t>(dash, right - x);
        canvas.moveTo(int(x), y);
        canvas.lineTo(int(x + d), y);
    }
}

void drawRule(TPole& field, int top) {
    TMLineWydruk& doc = *field.Owner;
    TStyl& style = field.GetStyl();
    GdiCanvas& canvas = useStyle(style);
    const int height = field.GetHeight();
    field.DrawnHeight = height;
    const int bottom = top + height;
    const int mid = top + (bottom - top) / 2;
    const int gap = (bottom - top) / 11;
    const int left = fieldLeft(field);
    const int right = fieldRight(field);
    const long double width = doc.LineWidth;
    LogPen pen{PS_SOLID, doc.MmToPxY(double(field.LineStyle == 3 ? width * 3 : width)),
               ColorRef(style.Color)};
    canvas.selectPen(pen);
    switch (field.LineStyle) {
    case 0:
    case 3:
        canvas.moveTo(left, mid);
        canvas.lineTo(right, mid);
        break;
    case 1:
    case 2: {
        style.GetTextHeight(); // ZeroWidth is measured with the text height
        const int D = int(std::nearbyint(style.ZeroWidth * 1.4));
        const int pageWidth = doc.MmToPxX(kPageWidthMm);
        if (field.LineStyle == 2) {
            dashes(canvas, left, right, mid - gap, D, 0, pageWidth);
            dashes(canvas, left, right, mid + gap, D, 0, pageWidth);
        } else {
            const int dash = int(std::nearbyint(D * 0.65));
            dashes(canvas, left, right, mid, dash, int(std::nearbyint(dash * 0.35)), pageWidth);
        }
        break;
    }
    default:
        break; // unknown rule styles draw nothing but still take their height
    }
}

// Rich text from the top of the field, continued on as many pages as it needs; every continuation
// page starts with the repeated headers. Y follows the text to its last page.
void drawRichText(TPole& field, float& Y, int top) {
    TMLineWydruk& doc = *field.Owner;
    const int right = fieldRight(field);
    const int bottom = doc.MmToPxY(kPageHeightMm);
    QRect box(QPoint(fieldLeft(field), top + doc.MmToPxY(0.5)), QPoint(right - 1, bottom - 1));
    int pos = 0;
    int H = DrawRichText(doc.GetCanvas(), box, field.Text(), true, true, kPageScale, &pos);
    while (pos > 0) {
        Y = doc.PxToMmY(top + H);
        doc.NewPage(Y);
        doc.RepeatHeaders(Y);
        top = doc.MmToPxY(Y);
        box = QRect(QPoint(fieldLeft(field), top), QPoint(right - 1, bottom - 1));
        const int before = pos;
        H = DrawRichText(doc.GetCanvas(), box, field.Text(), true, true, kPageScale, &pos);
        // A page that takes nothing more (headers filling it) would repeat forever: stop there.
        if (pos == before)
            break;
    }
    field.DrawnHeight = H + doc.MmToPxY(1);
}

unsigned textFlags(const TPole& field) {
    unsigned flags = 0;
    switch (field.Kind) {
    case KindText:
    case KindLeader:
        flags = (field.NoWrap ? kDrawNoWrap : kDrawWrap) | alignFlag(field.Align);
        break;
    case KindPageNumber:
        // Page numbers are right-aligned unless centred on purpose.
        flags = field.Align == 2 ? (kDrawRight & ~unsigned(DT_RIGHT)) | DT_CENTER : kDrawRight;
        break;
    default:
        flags = kDrawRight;
        break;
    }
    return flags | bottomAndEllipsis(field);
}

void drawLeader(TPole& field, GdiCanvas& canvas, const QByteArray& shown, int boxTop, int boxBottom) {
    const int left = fieldLeft(field);
    const int right = fieldRight(field);
    const int Wx = TextWidth(canvas, shown + "X");
    if (Wx >= right - left)
        return;
    QRect box(QPoint(left + Wx, boxTop), QPoint(right - kLeaderGap - 1, boxBottom - 1));
    const int Z = int(std::nearbyint(0.8 * TextWidth(canvas, u"0000000000"_s)));
    const QString& leader = TextWidth(canvas, u".........."_s) < Z ? kSpacedLeader : kUnspacedLeader;
    DrawText(canvas, leader, box, kDrawLeader);
}

void drawText(TPole& field, int top, float A, float B) {
    TMLineWydruk& doc = *field.Owner;
    TStyl& style = field.GetStyl();
    GdiCanvas& canvas = useStyle(style);
    const QByteArray shown =
        field.Kind == KindPageNumber ? withPageNumber(field.Text(), int(doc.Pages.size()) + 1) : field.Text();
    const int U = style.GetTextHeight();
    // "LOGO" text is centred on the tallest thing drawn so far in the line (a picture); other text
    // shares the bottom of the line's tallest style.
    const int boxTop = field.StyleName == "LOGO" ? top + (doc.MmToPxY(A) - U) / 2 : top + doc.MmToPxY(B) - U;
    int boxHeight = doc.MmToPxY(A);
    const bool clipped = field.Kind != KindText && field.Kind != KindLeader;
    // Clipped text always gets at least its own height, so that the first field of a line shows.
    if (clipped)
        boxHeight = std::max(boxHeight, field.GetHeight());
    QRect box(QPoint(fieldLeft(field), boxTop), QPoint(fieldRight(field) - 1, boxTop + boxHeight - 1));
    field.DrawnHeight = DrawText(canvas, shown, box, textFlags(field));
    if (field.Kind == KindLeader)
        drawLeader(field, canvas, shown, boxTop, boxTop + std::max(boxHeight, field.DrawnHeight));
}

} // namespace

void TPole::Draw(float& Y, float A, float B) {
    const int top = Owner->MmToPxY(Y);
    switch (Kind) {
    case KindPicture:
        drawPicture(*this, top);
        break;
    case KindRule:
        drawRule(*this, top);
        break;
    case KindRichText:
        drawRichText(*this, Y, top);
        break;
    case KindHidden:
        break;
    default:
        drawText(*this, top, A, B);
        break;
    }
}

} // namespace vek
