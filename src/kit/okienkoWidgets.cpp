#include "kit/okienkoWidgets.h"

#include "kit/KitFonts.h"
#include "kit/bajery.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QTimer>
#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace vek {

// ---- edges ----------------------------------------------------------------------------------

namespace {

void edge(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    QRect ring = r;
    frame3D(p, ring, topLeft, bottomRight, 1);
}

} // namespace

void drawRaisedEdge(QPainter& p, const QRect& r, bool outer) {
    if (outer)
        edge(p, r, sys::btnHighlight, sys::btnDkShadow);
    else
        edge(p, r, sys::btnLight, sys::btnShadow);
}

void drawSunkenEdge(QPainter& p, const QRect& r, bool outer) {
    if (outer)
        edge(p, r, sys::btnShadow, sys::btnHighlight);
    else
        edge(p, r, sys::btnDkShadow, sys::btnLight);
}

// ---- panel ----------------------------------------------------------------------------------

TMsgPanel::TMsgPanel(QWidget* parent, Bevel outer, Bevel inner, int borderWidth)
    : QWidget(parent)
    , m_outer(outer)
    , m_inner(inner)
    , m_border(borderWidth)
    , m_fill(sys::btnFace) {}

QRect TMsgPanel::InnerRect() const {
    const int inset = (m_outer != Bevel::None) + (m_inner != Bevel::None) + m_border;
    return rect().adjusted(inset, inset, -inset, -inset);
}

void TMsgPanel::SetFill(const QColor& c) {
    m_fill = c;
    update();
}

namespace {

TBevelCut bevelCut(Bevel b) {
    return b == Bevel::Raised ? bvRaised : b == Bevel::Lowered ? bvLowered : bvNone;
}

} // namespace

void TMsgPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect r = rect();
    paintPanelFrame(p, r, bevelCut(m_outer), bevelCut(m_inner), 1, m_border, m_fill);
    p.fillRect(r, m_fill);
}

// ---- label ----------------------------------------------------------------------------------

TMsgLabel::TMsgLabel(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TMsgLabel::SetText(const QString& text) {
    // A lone CR or LF breaks a line as CR LF does.
    QString t = text;
    t.replace(u"\r\n"_s, u"\n"_s);
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_text = t;
    update();
}

void TMsgLabel::SetAlignment(Qt::Alignment a) {
    m_align = a;
    update();
}

int TMsgLabel::flags() const {
    return int(m_align) | Qt::AlignTop | (m_wordWrap ? Qt::TextWordWrap : 0);
}

QSize TMsgLabel::Measure(int width) const {
    const QFontMetrics fm(font());
    const QStringList lines = m_text.split(QLatin1Char('\n'));
    if (!m_wordWrap) {
        int w = 0;
        for (const QString& line : lines)
            w = std::max(w, fm.horizontalAdvance(line));
        return {w, int(lines.size()) * fm.height()};
    }
    const QRect r = fm.boundingRect(QRect(0, 0, std::max(width, 1), 100000), flags(), m_text);
    return {width, std::max(r.height(), fm.height())};
}

void TMsgLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect(), flags(), m_text);
}

// ---- busy animation -------------------------------------------------------------------------

TBusyAnimation::TBusyAnimation(QWidget* parent)
    : QWidget(parent)
    , m_timer(new QTimer(this)) {
    m_timer->setInterval(90);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_frame = (m_frame + 1) % FrameCount;
        update();
    });
}

void TBusyAnimation::Start() {
    m_timer->start();
}

void TBusyAnimation::Stop() {
    m_timer->stop();
    m_frame = StopFrame;
    update();
}

bool TBusyAnimation::Active() const {
    return m_timer->isActive();
}

void TBusyAnimation::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), sys::btnFace);
    const int cx = width() / 2;
    const int cy = std::min(height() / 2, 30);
    // The computer: a monitor with a blue screen on a small stand.
    const QRect monitor(cx - 12, cy - 10, 24, 18);
    p.fillRect(monitor, QColor(236, 233, 216));
    drawRaisedEdge(p, monitor, true);
    p.fillRect(monitor.adjusted(3, 3, -3, -4), QColor(0, 128, 128));
    p.fillRect(QRect(cx - 4, monitor.bottom() + 1, 8, 2), sys::btnShadow);
    p.fillRect(QRect(cx - 9, monitor.bottom() + 3, 18, 3), QColor(236, 233, 216));
    drawRaisedEdge(p, QRect(cx - 9, monitor.bottom() + 3, 18, 3), false);
    // The glass circles over it.
    const double a = 2.0 * std::numbers::pi * m_frame / FrameCount;
    const QPointF c(cx + 7.0 * std::cos(a), cy - 1 + 5.0 * std::sin(a));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(64, 40, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(4.5, 4.5), c + QPointF(9.5, 9.5));
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(200, 230, 255, 170));
    p.drawEllipse(c, 5.5, 5.5);
    p.setPen(QPen(Qt::white, 1.2));
    p.drawArc(QRectF(c.x() - 3.5, c.y() - 3.5, 7, 7), 100 * 16, 70 * 16);
}

// ---- buttons --------------------------------------------------------------------------------

TMsgButton::TMsgButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    setCursor(Qt::PointingHandCursor);
    setAutoDefault(true);
}

void TMsgButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect r = rect();
    p.fillRect(r, sys::btnFace);
    const bool down = isDown();
    if (isDefault() || hasFocus()) {
        p.setPen(Qt::black);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    if (down) {
        p.setPen(sys::btnShadow);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    } else {
        drawRaisedEdge(p, r, true);
        drawRaisedEdge(p, r.adjusted(1, 1, -1, -1), false);
    }
    const int shift = down ? 1 : 0;
    // Picture and caption, centred together.
    const QFontMetrics fm(font());
    const QString shown = text();
    QString plain = shown;
    plain.remove(QLatin1Char('&'));
    const int iw = icon().isNull() ? 0 : 16;
    const int gap = iw ? 5 : 0;
    const int total = iw + gap + fm.horizontalAdvance(plain);
    int x = (width() - total) / 2 + shift;
    const int y = height() / 2 + shift;
    if (iw) {
        icon().paint(&p, QRect(x, y - 8, 16, 16), Qt::AlignCenter,
                     isEnabled() ? QIcon::Normal : QIcon::Disabled);
        x += iw + gap;
    }
    const QRect tr(x, 0 + shift, fm.horizontalAdvance(plain) + 2, height());
    p.setFont(font());
    if (!isEnabled()) {
        p.setPen(sys::btnHighlight);
        p.drawText(tr.translated(1, 1), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, shown);
    }
    p.setPen(isEnabled() ? sys::btnText : sys::grayText);
    p.drawText(tr, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, shown);
    if (hasFocus()) {
        QPen dots(Qt::black, 1, Qt::DotLine);
        p.setPen(dots);
        p.drawRect(rect().adjusted(4, 4, -5, -5));
    }
}

TTakButton::TTakButton(const QString& caption, QWidget* parent)
    : QToolButton(parent) {
    setText(caption);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void TTakButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool sunk = isChecked() || isDown();
    p.fillRect(rect(), sunk ? QColor(255, 255, 224) : sys::btnFace);
    if (sunk) {
        drawSunkenEdge(p, rect(), true);
        drawSunkenEdge(p, rect().adjusted(1, 1, -1, -1), false);
    } else {
        drawRaisedEdge(p, rect(), true);
        drawRaisedEdge(p, rect().adjusted(1, 1, -1, -1), false);
    }
    p.setFont(font());
    p.setPen(isChecked() ? QColor(0, 128, 0) : sys::btnText);
    p.drawText(rect().translated(sunk ? 1 : 0, sunk ? 1 : 0), Qt::AlignCenter, text());
}

// ---- progress bar ---------------------------------------------------------------------------

TBlockProgress::TBlockProgress(QWidget* parent)
    : QProgressBar(parent) {
    setTextVisible(false);
}

void TBlockProgress::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, sys::btnFace);
    drawSunkenEdge(p, r, true);
    const QRect well = r.adjusted(2, 2, -2, -2);
    const long long span = std::max(1LL, static_cast<long long>(maximum()) - minimum());
    const long long done = std::clamp<long long>(static_cast<long long>(value()) - minimum(), 0, span);
    const int filled = int(well.width() * done / span);
    const int block = std::max(6, well.height() * 2 / 3);
    for (int x = 0; x < filled; x += block + 2)
        p.fillRect(QRect(well.left() + x, well.top(), std::min(block, filled - x), well.height()),
                   sys::highlight);
}

// ---- pictures -------------------------------------------------------------------------------

namespace {

void paintQuestion(QPainter& p) {
    QRadialGradient g(QPointF(12, 10), 18);
    g.setColorAt(0, QColor(120, 170, 255));
    g.setColorAt(1, QColor(0, 40, 160));
    p.setPen(QPen(QColor(0, 20, 90), 1.2));
    p.setBrush(g);
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
    QFont f = kitFont(u"Times New Roman"_s, -24, kfBold);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(2.5, 3, 27, 27), Qt::AlignCenter, u"?"_s);
}

void paintExclamation(QPainter& p) {
    QPainterPath tri;
    tri.moveTo(16, 2.5);
    tri.lineTo(30, 28.5);
    tri.lineTo(2, 28.5);
    tri.closeSubpath();
    QLinearGradient g(0, 2, 0, 29);
    g.setColorAt(0, QColor(255, 240, 110));
    g.setColorAt(1, QColor(245, 190, 0));
    p.setPen(QPen(QColor(90, 60, 0), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(tri);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(14.5, 10, 3, 11), 1.2, 1.2);
    p.drawEllipse(QRectF(14.3, 23, 3.4, 3.4));
}

void paintGlyph(QPainter& p, MsgPicture which) {
    switch (which) {
    case MsgPicture::GlyphOk:
        p.setPen(QPen(QColor(0, 128, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({{3, 8.5}, {6.5, 12}, {13, 4}}));
        break;
    case MsgPicture::GlyphCancel:
        p.setPen(QPen(QColor(192, 0, 0), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case MsgPicture::GlyphNo:
        p.setPen(QPen(QColor(192, 0, 0), 2.0));
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        p.drawLine(QPointF(4.5, 11.5), QPointF(11.5, 4.5));
        break;
    case MsgPicture::GlyphAll:
        p.setPen(QPen(QColor(0, 128, 0), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({{1, 6}, {3.5, 8.5}, {8, 3}}));
        p.drawPolyline(QPolygonF({{6, 11}, {8.5, 13.5}, {14, 6}}));
        break;
    default:
        break;
    }
}

} // namespace

QPixmap msgPicture(MsgPicture which, qreal dpr) {
    const bool big = which == MsgPicture::Question || which == MsgPicture::Exclamation;
    const int size = big ? 32 : 16;
    QPixmap pm(int(std::ceil(size * dpr)), int(std::ceil(size * dpr)));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (which == MsgPicture::Question)
        paintQuestion(p);
    else if (which == MsgPicture::Exclamation)
        paintExclamation(p);
    else
        paintGlyph(p, which);
    return pm;
}

} // namespace vek
