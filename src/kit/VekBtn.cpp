#include "kit/VekBtn.h"

#include "kit/KitFonts.h"
#include "kit/KitPictures.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <array>

namespace vek {

namespace {

constexpr QSize capSize{22, 17};
constexpr QSize labelSize{20, 13};
constexpr int colourCount = 5;

// The image with every pixel of the colour of its top-left one made transparent.
QImage keyedOut(const QImage& picture) {
    QImage img = picture.convertToFormat(QImage::Format_ARGB32);
    if (img.isNull()) {
        return img;
    }
    const QRgb key = img.pixel(0, 0);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (line[x] == key) {
                line[x] = 0;
            }
        }
    }
    return img;
}

// Cuts a sheet drawn at the given scale into cells, making the colour of its top-left pixel
// transparent. Each cell keeps the scale as its pixel ratio, so it paints at the cell size.
QList<QImage> sheetCells(const QString& name, QSize cell, int column, int rows, int scale) {
    const QImage sheet = keyedOut(kitImage(name, scale));
    QList<QImage> cells;
    if (sheet.isNull()) {
        for (int i = 0; i < rows; ++i) {
            cells.append(QImage());
        }
        return cells;
    }
    const QSize size = cell * scale;
    for (int i = 0; i < rows; ++i) {
        QImage c = sheet.copy(column * size.width(), i * size.height(), size.width(), size.height());
        c.setDevicePixelRatio(scale);
        cells.append(c);
    }
    return cells;
}

// The cap and label cells shared by every button, cut once for each scale.
struct Sheets {
    QList<QImage> caps[2];   // enabled, disabled
    QList<QImage> labels[2]; // enabled, disabled

    // The cells for a device pixel ratio: the double-size drawings above 1.
    static const Sheets& get(qreal ratio) {
        static const Sheets single(1);
        static const Sheets twice(2);
        return ratio > 1.0 ? twice : single;
    }

private:
    explicit Sheets(int scale) {
        for (int col = 0; col < 2; ++col) {
            caps[col] = sheetCells(QStringLiteral("VEKBTN_BG"), capSize, col, colourCount, scale);
            labels[col] = sheetCells(QStringLiteral("VEKBTN_FG"), labelSize, col, vekBtnTypCount, scale);
        }
    }
};

// Frame edges for (hot, sunk): classic colours whose 3-D light equals the face use the first table.
struct FrameStyle {
    unsigned edge;
    bool soft;
};

FrameStyle frameStyle(bool hot, bool sunk) {
    static const std::array<FrameStyle, 4> tableA{
        {{BDR_RAISEDINNER, false}, {BDR_SUNKENOUTER, false}, {EDGE_RAISED, true}, {EDGE_SUNKEN, true}}};
    static const std::array<FrameStyle, 4> tableB{{{BDR_RAISEDINNER, true},
                                                   {BDR_SUNKENOUTER, true},
                                                   {BDR_RAISEDINNER, false},
                                                   {BDR_SUNKENOUTER, false}}};
    static const bool useA = sys::btnLight == sys::btnFace;
    return (useA ? tableA : tableB)[(hot ? 2 : 0) + (sunk ? 1 : 0)];
}

// One half of an own picture, keyed out; it keeps the picture's pixel ratio.
QPixmap maskedHalf(const QPixmap& pm, int half) {
    if (pm.isNull()) {
        return {};
    }
    const QImage img = keyedOut(pm.toImage());
    const int w = img.width() / 2;
    QImage out = img.copy(half * w, 0, w, img.height());
    out.setDevicePixelRatio(pm.devicePixelRatio());
    return QPixmap::fromImage(out);
}

} // namespace

TVekBtn::TVekBtn(QWidget* parent)
    : QWidget(parent)
    , m_colorDown(sys::btnHighlight)
    , m_color(sys::btnFace) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setFont(kitFont(QStringLiteral("Arial"), 11, kfBold));
    resize(40, 33);
}

TVekBtn::~TVekBtn() = default;

void TVekBtn::setTyp(TVekBtnTyp v) {
    if (v != m_typ) {
        m_typ = v;
        update();
    }
}

void TVekBtn::setKolor(int v) {
    v = qBound(0, v, colourCount - 1);
    if (v != m_kolor) {
        m_kolor = v;
        update();
    }
}

void TVekBtn::setOpis(const QString& v) {
    if (v != m_opis) {
        m_opis = v;
        updateShortcut();
        update();
    }
}

void TVekBtn::setMargines(int v) {
    if (v != m_margines) {
        m_margines = v;
        update();
    }
}

void TVekBtn::setColorDown(const QColor& v) {
    if (v != m_colorDown) {
        m_colorDown = v;
        update();
    }
}

void TVekBtn::setDown(bool v) {
    if (v != m_down) {
        m_down = v;
        update();
    }
}

void TVekBtn::setIkonka(const QPixmap& v) {
    m_ikonka = v;
    m_ikonkaNormal = maskedHalf(v, 0);
    m_ikonkaDisabled = maskedHalf(v, 1);
    update();
}

void TVekBtn::setShowFrame(bool v) {
    if (v != m_showFrame) {
        m_showFrame = v;
        update();
    }
}

QColor TVekBtn::Color() const {
    return m_parentColor && parentWidget() ? controlColor(parentWidget()) : m_color;
}

void TVekBtn::setColor(const QColor& c) {
    m_parentColor = false;
    m_color = c;
    update();
}

void TVekBtn::setParentColor(bool v) {
    if (v != m_parentColor) {
        m_parentColor = v;
        update();
    }
}

void TVekBtn::setFontColor(const QColor& c) {
    if (c != m_fontColor) {
        m_fontColor = c;
        update();
    }
}

// The accelerator of the caption ("&D" in "&Drukuj") clicks the button with Alt.
void TVekBtn::updateShortcut() {
    if (m_shortcutId != 0) {
        releaseShortcut(m_shortcutId);
        m_shortcutId = 0;
    }
    const QKeySequence seq = QKeySequence::mnemonic(m_opis);
    if (!seq.isEmpty()) {
        m_shortcutId = grabShortcut(seq);
    }
}

void TVekBtn::Click() {
    struct Reset {
        TVekBtn* b;
        ~Reset() {
            b->m_pressed = false;
            b->m_hot = false;
            b->update();
        }
    } reset{this};
    if (OnClick) {
        OnClick(this);
    }
    Q_EMIT clicked();
}

bool TVekBtn::event(QEvent* e) {
    if (e->type() == QEvent::Shortcut) {
        auto* se = static_cast<QShortcutEvent*>(e);
        if (se->shortcutId() == m_shortcutId && isVisible() && isEnabled()) {
            Click();
            return true;
        }
    }
    return QWidget::event(e);
}

void TVekBtn::enterEvent(QEnterEvent* e) {
    if (OnMouseEnter) {
        OnMouseEnter(this);
    }
    m_hot = true;
    update();
    QWidget::enterEvent(e);
}

void TVekBtn::leaveEvent(QEvent* e) {
    if (OnMouseLeave) {
        OnMouseLeave(this);
    }
    m_hot = false;
    update();
    QWidget::leaveEvent(e);
}

void TVekBtn::mouseMoveEvent(QMouseEvent* e) {
    // Outside the button a move arrives only while a mouse button holds it: it has left.
    const bool inside = rect().contains(e->position().toPoint());
    if (inside != m_hot) {
        m_hot = inside;
        update();
    }
}

void TVekBtn::mousePressEvent(QMouseEvent* e) {
    m_pressed = true;
    update();
    if (OnMouseDown) {
        const QPoint pt = e->position().toPoint();
        OnMouseDown(this, e->button(), e->modifiers(), pt.x(), pt.y());
    }
}

void TVekBtn::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e); // a double click is a second click
}

void TVekBtn::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = m_pressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    m_pressed = false;
    update();
    if (OnMouseUp) {
        const QPoint pt = e->position().toPoint();
        OnMouseUp(this, e->button(), e->modifiers(), pt.x(), pt.y());
    }
    if (click && isEnabled()) {
        Click();
    }
}

TVekBtn::Layout TVekBtn::layout() const {
    if (height() > 2 * width()) {
        return PictureBelow;
    }
    return height() < 30 ? PictureLeft : PictureAbove;
}

void TVekBtn::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintButton(p);
}

void TVekBtn::paintButton(QPainter& p) {
    const int W = width(), H = height();
    p.fillRect(rect(), m_down ? m_colorDown : Color());
    const bool sunk = (m_hot && m_pressed) || m_down;
    const Layout lay = layout();
    const QSize own = m_ikonka.deviceIndependentSize().toSize();
    const QSize pic = m_typ == sbWlasny ? QSize(own.width() / 2, own.height()) : capSize;
    int x = 0, y = 0;
    switch (lay) {
    case PictureAbove:
        x = (W - pic.width()) / 2;
        y = m_margines;
        break;
    case PictureLeft:
        x = m_margines;
        y = (H - pic.height()) / 2;
        break;
    case PictureBelow:
        x = (W - pic.width()) / 2;
        y = H - pic.height() - m_margines;
        break;
    }
    if (sunk) {
        ++x;
        ++y;
    }
    paintPicture(p, x, y);
    if (!m_opis.isEmpty()) {
        paintCaption(p, lay, pic, sunk);
    }
    if (OnPaint) {
        OnPaint(this, p, QRect(1, 1, W - 2, H - 2).translated(sunk ? 1 : 0, sunk ? 1 : 0));
    }
    paintFrame(p, sunk);
}

void TVekBtn::paintPicture(QPainter& p, int x, int y) const {
    const int state = isEnabled() ? 0 : 1;
    if (m_typ == sbWlasny) {
        const QPixmap& pm = state == 0 ? m_ikonkaNormal : m_ikonkaDisabled;
        if (!pm.isNull()) {
            p.drawPixmap(x, y, pm);
        }
        return;
    }
    const Sheets& s = Sheets::get(paintRatio(p));
    drawKitImage(p, QPointF(x, y), s.caps[state].value(m_kolor));
    drawKitImage(p, QPointF(x + 1, y + 2), s.labels[state].value(m_typ));
}

void TVekBtn::paintCaption(QPainter& p, Layout lay, QSize pic, bool sunk) const {
    const int W = width(), H = height();
    const int textH = QFontMetrics(font()).height();
    QRect r;
    int flags = Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::TextDontClip;
    switch (lay) {
    case PictureAbove:
        r = QRect(QPoint(1, H - textH - m_margines), QPoint(W - 2, H - 2));
        flags |= Qt::AlignHCenter | Qt::AlignTop;
        break;
    case PictureLeft: {
        const int m = qMax(0, m_margines);
        const int left = ownPictureEmpty() ? m : 2 * m + pic.width();
        r = QRect(QPoint(left, 1), QPoint(W - 2, H - 2));
        flags |= Qt::AlignVCenter | (m_margines < 0 ? Qt::AlignHCenter : Qt::AlignLeft);
        break;
    }
    case PictureBelow: {
        const int bottom = ownPictureEmpty() ? H - m_margines : H - pic.height() - 2 * m_margines;
        r = QRect(QPoint(1, 1), QPoint(W - 2, bottom - 1));
        break;
    }
    }
    if (sunk) {
        r.translate(1, 1);
    }
    if (lay == PictureBelow) {
        paintRotatedCaption(p, r);
    } else {
        paintCaptionText(p, r, flags);
    }
}

void TVekBtn::paintCaptionText(QPainter& p, const QRect& r, int flags) const {
    auto draw = [&](const QRect& at, const QColor& ink) {
        if (isMarlettFont(font())) {
            paintMarlettText(p, at, m_opis, ink, font().pixelSize(),
                             Qt::Alignment(flags & (Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask)));
            return;
        }
        p.setPen(ink);
        p.drawText(at, flags, m_opis);
    };
    p.setFont(font());
    if (isEnabled()) {
        draw(r, m_fontColor);
    } else {
        draw(r.translated(1, 1), sys::btnHighlight);
        draw(r, sys::btnShadow);
    }
}

// The caption of a tall narrow button reads upwards from the bottom of its rectangle.
void TVekBtn::paintRotatedCaption(QPainter& p, QRect r) const {
    QFont f = font();
    f.setWeight(f.bold() ? QFont::Bold : QFont::Normal);
    const QFontMetrics fm(f);
    const int x = (r.left() + r.right() + 1 - fm.height()) / 2;
    p.save();
    p.setClipRect(r);
    p.setFont(f);
    auto draw = [&](int dx, int dy, const QColor& ink) {
        p.save();
        p.translate(x + dx, r.bottom() + 1 + dy);
        p.rotate(-90);
        p.setPen(ink);
        p.drawText(QRect(0, 0, 10000, fm.height()),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic |
                       Qt::TextDontClip,
                   m_opis);
        p.restore();
    };
    if (isEnabled()) {
        draw(0, 0, m_fontColor);
    } else {
        draw(1, 1, sys::btnHighlight);
        draw(0, 0, sys::btnShadow);
    }
    p.restore();
}

void TVekBtn::paintFrame(QPainter& p, bool sunk) const {
    const bool hot = m_hot && isEnabled();
    if (m_showFrame || hot) {
        const FrameStyle style = frameStyle(hot, sunk);
        drawEdge(p, rect(), style.edge, style.soft);
        return;
    }
    // Erase a frame drawn earlier.
    const QColor parent = controlColor(parentWidget());
    p.setPen(parent);
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace vek
