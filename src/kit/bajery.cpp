#include "kit/bajery.h"

#include "kit/KitFonts.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QSet>
#include <QTextLayout>
#include <QTimer>

namespace vek {

// ---- Alignment ----------------------------------------------------------------------------------

namespace {

const char* const alignProperty = "vekAlign";

bool isAligned(const QWidget* w) {
    return w && alignOf(w) != alNone;
}

// Re-arranges a parent when it, or one of its aligned children, changes size or visibility.
class AlignWatcher : public QObject {
public:
    static AlignWatcher& instance() {
        static AlignWatcher* w = new AlignWatcher(qApp); // lives as long as the application
        return *w;
    }

    void watch(QWidget* w) {
        if (w && !w->property("vekAlignWatched").toBool()) {
            w->setProperty("vekAlignWatched", true);
            w->installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject* obj, QEvent* e) override {
        auto* w = qobject_cast<QWidget*>(obj);
        if (!w) {
            return false;
        }
        switch (e->type()) {
        case QEvent::Resize:
            if (!qobject_cast<TPanelEx*>(w)) {
                realign(w); // a panel arranges its own children
            }
            if (isAligned(w)) {
                realign(w->parentWidget());
            }
            break;
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            if (isAligned(w)) {
                realign(w->parentWidget());
            }
            break;
        case QEvent::ParentChange:
            if (isAligned(w) && w->parentWidget()) {
                watch(w->parentWidget());
                realign(w->parentWidget());
            }
            break;
        default:
            break;
        }
        return false;
    }

public:
    QSet<const QWidget*> m_busy; // parents being arranged now

private:
    using QObject::QObject;
};

} // namespace

void setAlign(QWidget* w, TAlign align) {
    if (!w) {
        return;
    }
    w->setProperty(alignProperty, int(align));
    AlignWatcher::instance().watch(w);
    if (QWidget* parent = w->parentWidget()) {
        AlignWatcher::instance().watch(parent);
        realign(parent);
    }
}

TAlign alignOf(const QWidget* w) {
    const QVariant v = w->property(alignProperty);
    return v.isValid() ? TAlign(v.toInt()) : alNone;
}

void alignControls(QWidget* parent, const QRect& area) {
    if (!parent) {
        return;
    }
    AlignWatcher& watcher = AlignWatcher::instance();
    if (watcher.m_busy.contains(parent)) {
        return;
    }
    watcher.m_busy.insert(parent);
    QRect r = area;
    const QList<QWidget*> kids = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (QWidget* c : kids) {
            if (c->isWindow() || c->isHidden() || alignOf(c) != pass) {
                continue;
            }
            switch (pass) {
            case alTop:
                c->setGeometry(r.left(), r.top(), r.width(), c->height());
                r.setTop(r.top() + c->height());
                break;
            case alBottom:
                c->setGeometry(r.left(), r.bottom() + 1 - c->height(), r.width(), c->height());
                r.setBottom(r.bottom() - c->height());
                break;
            case alLeft:
                c->setGeometry(r.left(), r.top(), c->width(), r.height());
                r.setLeft(r.left() + c->width());
                break;
            case alRight:
                c->setGeometry(r.right() + 1 - c->width(), r.top(), c->width(), r.height());
                r.setRight(r.right() - c->width());
                break;
            default:
                c->setGeometry(r.left(), r.top(), qMax(0, r.width()), qMax(0, r.height()));
                break;
            }
        }
    }
    watcher.m_busy.remove(parent);
}

void realign(QWidget* parent) {
    if (!parent) {
        return;
    }
    if (auto* panel = qobject_cast<TPanelEx*>(parent)) {
        alignControls(parent, panel->alignRect());
    } else {
        alignControls(parent, parent->rect());
    }
}

QColor controlColor(const QWidget* w) {
    if (!w) {
        return sys::btnFace;
    }
    const QVariant v = w->property("Color");
    if (v.isValid() && v.value<QColor>().isValid()) {
        return v.value<QColor>();
    }
    return w->palette().color(QPalette::Window);
}

QStringList wrapText(const QString& text, const QFont& font, int width) {
    QStringList lines;
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& paragraph : normalized.split(u'\n')) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(qMax(1, width));
            lines.append(paragraph.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout(); // an empty paragraph still makes one (empty) line
    }
    return lines;
}

// ---- Frames and edges ---------------------------------------------------------------------------

void frame3D(QPainter& p, QRect& r, const QColor& topColor, const QColor& bottomColor, int width) {
    for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
        p.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topColor);
        p.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topColor);
        p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomColor);
        p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomColor);
        r.adjust(1, 1, -1, -1);
    }
}

void paintPanelFrame(QPainter& p, QRect& r, TBevelCut outer, TBevelCut inner, int bevelWidth, int borderWidth,
                     const QColor& face) {
    const auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone)
            return;
        const bool lowered = cut == bvLowered;
        const bool space = cut == bvSpace;
        frame3D(p, r,
                space     ? face
                : lowered ? sys::btnShadow
                          : sys::btnHighlight,
                space     ? face
                : lowered ? sys::btnHighlight
                          : sys::btnShadow,
                bevelWidth);
    };
    bevel(outer);
    frame3D(p, r, face, face, borderWidth);
    bevel(inner);
}

namespace {

void ring(QPainter& p, QRect& r, const QColor& tl, const QColor& br) {
    frame3D(p, r, tl, br, 1);
}

} // namespace

QRect drawEdge(QPainter& p, const QRect& rect, unsigned edge, bool soft) {
    QRect r = rect;
    const bool raisedOuter = edge & BDR_RAISEDOUTER;
    const bool sunkenOuter = edge & BDR_SUNKENOUTER;
    const bool raisedInner = edge & BDR_RAISEDINNER;
    const bool sunkenInner = edge & BDR_SUNKENINNER;
    const bool hasOuter = raisedOuter || sunkenOuter;
    const bool hasInner = raisedInner || sunkenInner;
    if (hasOuter && hasInner) {
        if (raisedOuter) {
            ring(p, r, soft ? sys::btnHighlight : sys::btnLight, sys::btnDkShadow);
        } else {
            ring(p, r, sys::btnShadow, sys::btnHighlight);
        }
        if (raisedInner) {
            ring(p, r, soft ? sys::btnLight : sys::btnHighlight, sys::btnShadow);
        } else {
            ring(p, r, soft ? sys::btnShadow : sys::btnDkShadow, sys::btnLight);
        }
        return r;
    }
    // A single ring: the light and dark pair of a thin button or field border.
    if (raisedOuter || raisedInner) {
        ring(p, r, sys::btnHighlight, raisedOuter && !soft ? sys::btnDkShadow : sys::btnShadow);
    } else if (sunkenOuter || sunkenInner) {
        ring(p, r, sunkenInner && !soft ? sys::btnDkShadow : sys::btnShadow, sys::btnHighlight);
    }
    return r;
}

// ---- TPanelEx -----------------------------------------------------------------------------------

TPanelEx::TPanelEx(QWidget* parent)
    : QFrame(parent)
    , m_color(sys::btnFace) {
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(kitFont(QStringLiteral("MS Sans Serif"), -11));
    AlignWatcher::instance().watch(this);
    resize(185, 41);
}

TPanelEx::~TPanelEx() = default;

void TPanelEx::setBevelOuter(TBevelCut v) {
    if (v != m_bevelOuter) {
        m_bevelOuter = v;
        realign(this);
        update();
    }
}

void TPanelEx::setBevelInner(TBevelCut v) {
    if (v != m_bevelInner) {
        m_bevelInner = v;
        realign(this);
        update();
    }
}

void TPanelEx::setBevelWidth(int v) {
    v = qMax(1, v);
    if (v != m_bevelWidth) {
        m_bevelWidth = v;
        realign(this);
        update();
    }
}

void TPanelEx::setBorderWidth(int v) {
    v = qMax(0, v);
    if (v != m_borderWidth) {
        m_borderWidth = v;
        realign(this);
        applyAutoHeight();
        update();
    }
}

void TPanelEx::setCaption(const QString& v) {
    if (v != m_caption) {
        m_caption = v;
        update();
    }
}

void TPanelEx::setAlignment(TAlignment v) {
    if (v != m_alignment) {
        m_alignment = v;
        update();
    }
}

QColor TPanelEx::Color() const {
    if (m_parentColor && parentWidget()) {
        return controlColor(parentWidget());
    }
    return m_color;
}

void TPanelEx::setColor(const QColor& c) {
    m_parentColor = false;
    if (c != m_color) {
        m_color = c;
    }
    update();
}

void TPanelEx::setParentColor(bool v) {
    if (v != m_parentColor) {
        m_parentColor = v;
        update();
    }
}

void TPanelEx::setFontColor(const QColor& c) {
    if (c != m_fontColor) {
        m_fontColor = c;
        update();
    }
}

void TPanelEx::setCaption2(const QString& v) {
    if (v == m_caption2) {
        return;
    }
    m_caption2 = v;
    update();
    applyAutoHeight();
}

void TPanelEx::setAutoHeight(bool v) {
    m_autoHeight = v;
    applyAutoHeight();
}

void TPanelEx::setMinWidth(int v) {
    m_minWidth = qMax(0, v);
    setMinimumWidth(m_minWidth);
}

QRect TPanelEx::caption2Rect() const {
    return rect().adjusted(m_borderWidth, m_borderWidth, -m_borderWidth, -m_borderWidth);
}

void TPanelEx::applyAutoHeight() {
    if (!m_autoHeight || m_caption2.isEmpty()) {
        return;
    }
    const QRect inset = caption2Rect();
    const int lines = int(wrapText(m_caption2, font(), inset.width()).size());
    const int h = lines * QFontMetrics(font()).height() + inset.top() + (height() - (inset.bottom() + 1));
    resize(width(), h);
}

QRect TPanelEx::alignRect() const {
    int inset = m_borderWidth;
    if (m_bevelOuter != bvNone) {
        inset += m_bevelWidth;
    }
    if (m_bevelInner != bvNone) {
        inset += m_bevelWidth;
    }
    return rect().adjusted(inset, inset, -inset, -inset);
}

int TPanelEx::hitTest(const QPoint& globalPos) {
    int result = HTCLIENT;
    if (OnHitTest) {
        OnHitTest(this, globalPos.x(), globalPos.y(), result);
    }
    return result;
}

void TPanelEx::updateCursor(int hit) {
    if (!OnSetCursor) {
        return;
    }
    std::optional<Qt::CursorShape> shape;
    OnSetCursor(this, hit, shape);
    if (shape) {
        if (!m_savedCursor) {
            m_savedCursor = cursor();
        }
        QWidget::setCursor(*shape);
    } else if (m_savedCursor) {
        QWidget::setCursor(*m_savedCursor);
        m_savedCursor.reset();
    }
}

// Mouse messages pass the hit test first: a transparent answer hands them to the parent, a
// non-client answer turns a left press or double-click into the non-client events.
bool TPanelEx::routeMouse(QMouseEvent* e) {
    if (m_mouseHeld && e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonDblClick) {
        return QFrame::event(e); // the panel holds the mouse until the button is released
    }
    const int hit = hitTest(e->globalPosition().toPoint());
    if (e->type() == QEvent::MouseMove) {
        updateCursor(hit);
    }
    if (hit == HTTRANSPARENT) {
        e->ignore();
        return false;
    }
    if (hit != HTCLIENT) {
        if (e->button() == Qt::LeftButton) {
            if (e->type() == QEvent::MouseButtonPress && OnNCLMouseUp) {
                OnNCLMouseUp(this);
            } else if (e->type() == QEvent::MouseButtonDblClick && OnNCLMouseDblClk) {
                OnNCLMouseDblClk(this);
            }
        }
        e->accept();
        return true;
    }
    return QFrame::event(e);
}

bool TPanelEx::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return routeMouse(static_cast<QMouseEvent*>(e));
    case QEvent::LayoutRequest:
        realign(this);
        break;
    case QEvent::ParentChange:
        update();
        break;
    default:
        break;
    }
    return QFrame::event(e);
}

void TPanelEx::paintEvent(QPaintEvent*) {
    QPainter p(this);
    bool doErase = m_caption2.isEmpty();
    if (OnEraseBkgnd) {
        OnEraseBkgnd(this, doErase);
    }
    if (doErase) {
        p.fillRect(rect(), Color());
    }
    p.setFont(font());
    p.setBrush(Color());
    bool doDefault = true;
    if (OnBeforePaint) {
        OnBeforePaint(this, p, doDefault);
    }
    if (doDefault) {
        if (m_caption2.isEmpty()) {
            paintPanel(p);
        } else {
            paintCaption2(p);
        }
    }
    if (OnAfterPaint) {
        OnAfterPaint(this, p);
    }
}

void TPanelEx::paintPanel(QPainter& p) {
    QRect r = rect();
    const QColor bg = Color();
    paintPanelFrame(p, r, m_bevelOuter, m_bevelInner, m_bevelWidth, m_borderWidth, bg);
    p.fillRect(r, bg);
    if (m_caption.isEmpty()) {
        return;
    }
    const int align = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic |
                      (m_alignment == taLeftJustify    ? Qt::AlignLeft
                       : m_alignment == taRightJustify ? Qt::AlignRight
                                                       : Qt::AlignHCenter);
    const QColor ink = isEnabled() ? m_fontColor : sys::grayText;
    if (isMarlettFont(font())) {
        paintMarlettText(p, r, m_caption, ink, font().pixelSize(), Qt::Alignment(align));
        return;
    }
    p.setPen(ink);
    p.drawText(r, align, m_caption);
}

void TPanelEx::paintCaption2(QPainter& p) {
    p.fillRect(rect(), Color());
    p.setPen(isEnabled() ? m_fontColor : sys::grayText);
    const QRect r = caption2Rect();
    const QFontMetrics fm(font());
    p.save();
    p.setClipRect(r);
    int y = r.top();
    for (const QString& line : wrapText(m_caption2, font(), r.width())) {
        p.drawText(r.left(), y + fm.ascent(), line);
        y += fm.height();
    }
    p.restore();
}

void TPanelEx::scheduleExitSizeMove() {
    // A burst of moves and resizes ends when the event loop is idle again.
    if (m_exitPending) {
        return;
    }
    m_exitPending = true;
    QTimer::singleShot(0, this, [this] {
        m_exitPending = false;
        if (m_minWidth != 0 && width() < m_minWidth) {
            resize(m_minWidth, height());
        }
        if (OnExitSizeMove) {
            OnExitSizeMove(this);
        }
    });
}

void TPanelEx::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    if (OnPanelResize) {
        OnPanelResize(this, geometry());
    }
    realign(this);
    if (OnResize) {
        OnResize(this);
    }
    scheduleExitSizeMove();
}

void TPanelEx::moveEvent(QMoveEvent* e) {
    QFrame::moveEvent(e);
    if (OnPanelMove) {
        OnPanelMove(this, geometry());
    }
    scheduleExitSizeMove();
}

void TPanelEx::enterEvent(QEnterEvent* e) {
    QFrame::enterEvent(e);
    if (OnMouseEnter) {
        OnMouseEnter(this);
    }
}

void TPanelEx::leaveEvent(QEvent* e) {
    QFrame::leaveEvent(e);
    if (OnMouseLeave) {
        OnMouseLeave(this);
    }
}

void TPanelEx::mousePressEvent(QMouseEvent* e) {
    m_pressedInside = e->button() == Qt::LeftButton;
    m_mouseHeld = true;
    if (OnMouseDown) {
        const QPoint pt = e->position().toPoint();
        OnMouseDown(this, e->button(), e->modifiers(), pt.x(), pt.y());
    }
    e->accept();
}

void TPanelEx::mouseReleaseEvent(QMouseEvent* e) {
    const bool click =
        m_pressedInside && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    m_pressedInside = false;
    m_mouseHeld = e->buttons() != Qt::NoButton;
    if (OnMouseUp) {
        const QPoint pt = e->position().toPoint();
        OnMouseUp(this, e->button(), e->modifiers(), pt.x(), pt.y());
    }
    if (click && OnClick) {
        OnClick(this);
    }
    e->accept();
}

void TPanelEx::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && OnDblClick) {
        OnDblClick(this);
    }
    m_pressedInside = e->button() == Qt::LeftButton;
    m_mouseHeld = true;
    e->accept();
}

void TPanelEx::mouseMoveEvent(QMouseEvent* e) {
    if (OnMouseMove) {
        const QPoint pt = e->position().toPoint();
        OnMouseMove(this, e->modifiers(), pt.x(), pt.y());
    }
    e->accept();
}

void TPanelEx::keyPressEvent(QKeyEvent* e) {
    int key = e->key();
    if (OnKeyDown) {
        OnKeyDown(this, key, e->modifiers());
    }
    if (key != 0 && OnKeyPress && !e->text().isEmpty()) {
        QChar c = e->text().at(0);
        OnKeyPress(this, c);
        if (c.isNull()) {
            key = 0;
        }
    }
    if (key == 0) {
        e->accept();
        return;
    }
    QFrame::keyPressEvent(e);
}

void TPanelEx::keyReleaseEvent(QKeyEvent* e) {
    int key = e->key();
    if (OnKeyUp) {
        OnKeyUp(this, key, e->modifiers());
    }
    if (key == 0) {
        e->accept();
        return;
    }
    QFrame::keyReleaseEvent(e);
}

bool TPanelEx::focusNextPrevChild(bool next) {
    if (OnNextDlgCtl) {
        OnNextDlgCtl(this);
    }
    return QFrame::focusNextPrevChild(next);
}

} // namespace vek
