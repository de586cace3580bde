#include "kit/uVekForm.h"
#include "kit/uVekFormEdges.h"

#include "kit/HintBar.h"
#include "kit/KitFonts.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace vek {

using namespace formedges;

namespace {

// Posted when the look is to be updated, and once the window is on screen.
const QEvent::Type WM_UPDATELOOK = QEvent::Type(QEvent::User + 1001);
const QEvent::Type WM_AFTERSHOW = QEvent::Type(QEvent::User + 1002);

constexpr int kFrameInset = 4; // bevel width + border width of pFrame
constexpr int kCaptionHeight = 21;
// Mouse travel that turns a press on the caption into a move; smaller jitter keeps double-clicks.
constexpr int kMoveThreshold = 3;
const QColor kCaptionInitial(0, 0, 192);
const QColor kCaptionActive(0, 0, 128);

Qt::Edges edgesOf(int hit) {
    Qt::Edges e;
    if (isTop(hit))
        e |= Qt::TopEdge;
    if (isBottom(hit))
        e |= Qt::BottomEdge;
    if (isLeft(hit))
        e |= Qt::LeftEdge;
    if (isRight(hit))
        e |= Qt::RightEdge;
    return e;
}

bool noModifiers(const QKeyEvent* e) {
    return !(e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
}

// Enables a control and everything inside it; labels are left as they are.
void setEnabledDeep(QWidget* w) {
    if (!w->inherits("QLabel"))
        w->setEnabled(true);
    const auto kids = w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* k : kids)
        setEnabledDeep(k);
}

QString plainClassName(const QObject* o) {
    QString n = QString::fromLatin1(o->metaObject()->className());
    const qsizetype colons = n.lastIndexOf(u"::"_s);
    return colons >= 0 ? n.mid(colons + 2) : n;
}

} // namespace

// ---- caption button -------------------------------------------------------------------------

TCaptionButton::TCaptionButton(const QString& glyph, int emSize, QWidget* parent)
    : QToolButton(parent)
    , m_emSize(emSize) {
    setText(glyph);
    setFont(kitFont(u"Marlett"_s, emSize));
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(17, 15);
}

void TCaptionButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool sunk = isDown() || isChecked();
    p.fillRect(rect(), sys::btnFace);
    if (sunk) {
        QRect r = rect();
        frame3D(p, r, sys::btnDkShadow, sys::btnHighlight, 1);
        frame3D(p, r, sys::btnShadow, sys::btnLight, 1);
        if (isChecked() && !isDown()) {
            // A latched button shows a dithered face, as the era's toolbars did.
            p.fillRect(r, QBrush(sys::btnHighlight, Qt::Dense4Pattern));
        }
    } else {
        QRect r = rect();
        frame3D(p, r, sys::btnHighlight, sys::btnDkShadow, 1);
        frame3D(p, r, sys::btnLight, sys::btnShadow, 1);
    }
    const QRect glyphRect = rect().translated(sunk ? 1 : 0, sunk ? 1 : 0);
    if (isEnabled()) {
        paintMarlettText(p, glyphRect, text(), sys::btnText, m_emSize);
    } else {
        paintMarlettText(p, glyphRect.translated(1, 1), text(), sys::btnHighlight, m_emSize);
        paintMarlettText(p, glyphRect, text(), sys::btnShadow, m_emSize);
    }
}

// ---- creation and destruction ---------------------------------------------------------------

std::function<void(const QString&)> TVekForm::ErrorDisplay = [](const QString& message) {
    // Shown once the current event is handled, never from inside a constructor.
    QTimer::singleShot(0, qApp, [message] { QMessageBox::critical(nullptr, u"VekPokaz"_s, message); });
};

TVekForm::TVekForm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(kitFont(u"MS Sans Serif"_s, 11));
    setMouseTracking(true);
    buildComponents();
    setWindowTitle(u"VekForm"_s);
    arrangeCaptionButtons();
    SetSizeCentered(300, 200);
    linkToOwner(owner);
    qApp->installEventFilter(this);
}

TVekForm::~TVekForm() {
    qApp->removeEventFilter(this);
    if (m_helpMode)
        LeaveHelpMode();
    // The child window goes first; it unlinks itself from this window.
    if (m_childForm)
        delete m_childForm.data();
    if (m_parentForm && m_parentForm->m_childForm == this)
        m_parentForm->m_childForm = nullptr;
}

void TVekForm::buildComponents() {
    pFrame = new TPanelEx(this);
    pFrame->setBevelWidth(2);
    pFrame->setBorderWidth(2);
    pFrame->setFont(kitFont(u"MS Sans Serif"_s, 11));
    pFrame->setGeometry(rect());

    pCaption = new TPanelEx(pFrame);
    pCaption->setBevelOuter(bvLowered);
    pCaption->setBorderWidth(1);
    pCaption->setColor(kCaptionInitial);
    pCaption->setCursor(Qt::PointingHandCursor);
    pCaption->resize(pCaption->width(), kCaptionHeight);
    setAlign(pCaption, alTop);

    pCaptionBtns = new TPanelEx(pCaption);
    pCaptionBtns->setBevelOuter(bvNone);
    pCaptionBtns->setParentColor(true);
    pCaptionBtns->resize(71, pCaptionBtns->height());
    setAlign(pCaptionBtns, alRight);

    btnCapHelp = new TCaptionButton(u"s"_s, 11, pCaptionBtns);
    btnCapHelp->setCheckable(true);
    btnCapHelp->setToolTip(u"Pomoc do elementów ekranu"_s);
    btnCapMinimize = new TCaptionButton(u"0"_s, 11, pCaptionBtns);
    btnCapMinimize->setToolTip(u"Minimalizuj"_s);
    btnCapMinimize->hide();
    btnCapMaximize = new TCaptionButton(u"1"_s, 11, pCaptionBtns);
    btnCapMaximize->setToolTip(u"Ctrl+Enter - Maksymalizuj"_s);
    btnCapClose = new TCaptionButton(u"r"_s, 10, pCaptionBtns);
    btnCapClose->setToolTip(u"Ctrl+F4 - Zamknij"_s);

    pCapIkona = new TPanelEx(pCaption);
    pCapIkona->setBevelOuter(bvNone);
    pCapIkona->setParentColor(true);
    pCapIkona->setFont(kitFont(u"Courier New"_s, 18, kfBold));
    pCapIkona->resize(18, pCapIkona->height());
    setAlign(pCapIkona, alLeft);
    pCapIkona->hide();
    pCapIkona->OnDblClick = [this](QObject*) { close(); };

    pCapText = new TPanelEx(pCaption);
    pCapText->setBevelOuter(bvNone);
    pCapText->setParentColor(true);
    pCapText->setAlignment(taLeftJustify);
    QFont bold = font();
    bold.setBold(true);
    pCaption->setFont(bold);
    pCapText->setFont(bold);
    pCaption->setFontColor(sys::captionText);
    pCapText->setFontColor(sys::captionText);
    setAlign(pCapText, alClient);

    hb = new THintBar(pFrame);
    hb->setTextCancel(u"Zamknij"_s);
    hb->setHelpHint(u"F1"_s);
    hb->setAcceptHint(u"Enter"_s);
    hb->setCancelHint(u"Esc"_s);
    hb->setErrorState(false);
    setAlign(hb, alBottom);
    hb->OnAccept = [this](QObject* s) { hbAccept(s); };
    hb->OnCancel = [this](QObject* s) { hbCancel(s); };
    hb->OnHelp = [this](QObject* s) { hbHelp(s); };

    // The frame, the strip and the caption text are the window's own frame and title bar: they
    // hand the mouse to the window, which decides between moving and sizing.
    for (TPanelEx* p : {pFrame, pCaption, pCaptionBtns, pCapText}) {
        p->setMouseTracking(true);
        p->OnHitTest = [](QObject*, int, int, int& result) { result = HTTRANSPARENT; };
        p->OnSetCursor = [this](QObject*, int, std::optional<Qt::CursorShape>& result) {
            // Sizing cursors over the frame ring; elsewhere the panel's own (the hand over the caption).
            const Qt::CursorShape shape = cursorFor(HitTest(mapFromGlobal(QCursor::pos())));
            if (shape != Qt::ArrowCursor)
                result = shape;
        };
    }
    connect(btnCapClose, &QToolButton::clicked, this, [this] { close(); });
    connect(btnCapMaximize, &QToolButton::clicked, this, [this] { btnCapMaximizeClick(); });
    connect(btnCapHelp, &QToolButton::clicked, this, [this] { EnterHelpMode(); });
}

void TVekForm::arrangeCaptionButtons() {
    int x = 0;
    btnCapHelp->setVisible(m_borderIcons & biHelp);
    if (m_borderIcons & biHelp) {
        btnCapHelp->move(0, 1);
        x = btnCapHelp->width() + 2;
    }
    btnCapMinimize->hide();
    if (m_borderIcons & (biMinimize | biMaximize)) {
        btnCapMaximize->move(x, 1);
        btnCapMaximize->show();
        x += btnCapMaximize->width();
    } else {
        btnCapMaximize->hide();
    }
    btnCapClose->move(x, 1);
    pCaptionBtns->resize(x + btnCapClose->width() + 1, pCaptionBtns->height());
    realign(pCaption);
}

void TVekForm::SetBorderIcons(int icons) {
    m_borderIcons = icons;
    arrangeCaptionButtons();
    if (m_isActive)
        UpdateLook();
}

void TVekForm::linkToOwner(QWidget* owner) {
    auto* ownerForm = qobject_cast<TVekForm*>(owner);
    if (!ownerForm)
        return;
    m_parentForm = ownerForm;
    if (!ownerForm->m_childForm) {
        ownerForm->m_childForm = this;
        return;
    }
    // Reported once this window is fully made, so that the message names its real class.
    const QPointer<TVekForm> existing = ownerForm->m_childForm;
    QTimer::singleShot(0, this, [this, existing] {
        ErrorDisplay(
            u"%1.Create - próba utworzenia drugiego podokna przed zamknięciem poprzedniego (%2)"_s.arg(
                plainClassName(this), existing ? plainClassName(existing) : QString()));
    });
}

// ---- bounds ---------------------------------------------------------------------------------

QRect TVekForm::WorkArea() const {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 800, 600);
}

void TVekForm::applySizeHints() {
    // Hints for the window manager, which sizes the window itself during a system resize.
    setMinimumSize(std::max(MinWidth, 1), std::max(MinHeight, 1));
    setMaximumSize(MaxWidth ? MaxWidth : QWIDGETSIZE_MAX, MaxHeight ? MaxHeight : QWIDGETSIZE_MAX);
}

void TVekForm::SetBounds(int left, int top, int width, int height) {
    const QSize s = vekform::ClampSize({width, height}, Limits());
    applySizeHints();
    setGeometry(left, top, s.width(), s.height());
    // A hidden window gets its resize event only when shown; its skin must fit at once.
    pFrame->setGeometry(rect());
    realign(pFrame);
    realign(pCaption);
}

void TVekForm::SetFixedWidth(int w) {
    MinWidth = NormalWidth = MaxWidth = w;
    SetBounds(x(), y(), w, height());
}

void TVekForm::SetFixedHeight(int h) {
    MinHeight = NormalHeight = MaxHeight = h;
    SetBounds(x(), y(), width(), h);
}

void TVekForm::SetSizeCentered(int w, int h) {
    SetBounds(vekform::CenteredRect(w, h, WorkArea(), Limits()));
    FitIntoWorkArea();
}

void TVekForm::FitIntoWorkArea() {
    SetBounds(vekform::FitRectIntoArea(geometry(), WorkArea(), Limits()));
}

QRect TVekForm::GetDefaultBounds() {
    return vekform::DefaultBoundsIn(WorkArea(), NormalWidth, NormalHeight);
}

void TVekForm::SetSizeMode(TSizeMode mode) {
    if (m_sizeMode == smNormal)
        m_normalBounds = geometry();
    if (mode == smMaximized) {
        if (m_isActive)
            raise();
        SetBounds(WorkArea());
    } else {
        const bool useDefault = geometry() == m_normalBounds || m_normalBounds.isEmpty();
        SetBounds(useDefault ? GetDefaultBounds() : m_normalBounds);
    }
    setWindowState(Qt::WindowNoState);
    updateSizeMode();
}

void TVekForm::btnCapMaximizeClick() {
    if (btnCapMaximize->isHidden() || !btnCapMaximize->isEnabled())
        return;
    SetSizeMode(m_sizeMode == smNormal ? smMaximized : smNormal);
}

void TVekForm::updateSizeMode() {
    m_sizeMode = geometry() == WorkArea() ? smMaximized : smNormal;
    const bool maxed = m_sizeMode == smMaximized;
    btnCapMaximize->setText(maxed ? u"2"_s : u"1"_s);
    btnCapMaximize->setToolTip(maxed ? u"Ctrl+Enter - Przywróć"_s : u"Ctrl+Enter - Maksymalizuj"_s);
    btnCapMaximize->update();
}

void TVekForm::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    pFrame->setGeometry(rect());
    updateSizeMode();
}

void TVekForm::moveEvent(QMoveEvent* e) {
    QDialog::moveEvent(e);
    updateSizeMode();
}

// ---- hit testing, moving and sizing ---------------------------------------------------------

int TVekForm::HitTest(QPoint p) const {
    const QRect caption(pCaption->mapTo(this, QPoint(0, 0)), pCaption->size());
    const int hit = vekform::FrameHitTest(p, size(), caption, pFrame->geometry(), kFrameInset);
    return vekform::RestrictHit(hit, m_sizeMode == smMaximized, Limits());
}

Qt::CursorShape TVekForm::cursorFor(int hit) const {
    switch (hit) {
    case HTLEFT:
    case HTRIGHT:
        return Qt::SizeHorCursor;
    case HTTOP:
    case HTBOTTOM:
        return Qt::SizeVerCursor;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
        return Qt::SizeFDiagCursor;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
        return Qt::SizeBDiagCursor;
    default:
        return Qt::ArrowCursor;
    }
}

void TVekForm::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(e);
        return;
    }
    const int hit = HitTest(mapFromGlobal(e->globalPosition().toPoint()));
    if (hit != HTCAPTION && edgesOf(hit) == Qt::Edges()) {
        QDialog::mousePressEvent(e);
        return;
    }
    e->accept();
    // The move or resize starts when the mouse moves: a system move started on the press would
    // take the second click of a double-click on the caption away from the window.
    m_dragHit = hit;
    m_dragManual = false;
    m_dragStart = e->globalPosition().toPoint();
    m_dragGeometry = geometry();
}

bool TVekForm::startSystemDrag() {
    QWindow* win = windowHandle();
    if (!win)
        return false;
    return m_dragHit == HTCAPTION ? win->startSystemMove() : win->startSystemResize(edgesOf(m_dragHit));
}

void TVekForm::mouseMoveEvent(QMouseEvent* e) {
    if (!m_dragHit) {
        QDialog::mouseMoveEvent(e);
        return;
    }
    e->accept();
    const QPoint d = e->globalPosition().toPoint() - m_dragStart;
    if (!m_dragManual && m_dragHit == HTCAPTION && d.manhattanLength() < kMoveThreshold)
        return;
    followMouse(d);
    if (!m_dragManual) {
        // The window is where the mouse has taken it so far; the window manager goes on from here.
        if (startSystemDrag())
            m_dragHit = 0;
        else
            m_dragManual = true; // no system move or resize here: follow the mouse ourselves
    }
}

void TVekForm::followMouse(QPoint d) {
    if (m_dragHit == HTCAPTION) {
        move(m_dragGeometry.topLeft() + d);
        return;
    }
    int l = m_dragGeometry.x();
    int t = m_dragGeometry.y();
    int r = rightOf(m_dragGeometry);
    int b = bottomOf(m_dragGeometry);
    if (isLeft(m_dragHit))
        l += d.x();
    if (isRight(m_dragHit))
        r += d.x();
    if (isTop(m_dragHit))
        t += d.y();
    if (isBottom(m_dragHit))
        b += d.y();
    SetBounds(vekform::LimitSizingRect(fromEdges(l, t, r, b), m_dragHit, Limits()));
}

void TVekForm::mouseReleaseEvent(QMouseEvent* e) {
    if (m_dragHit && e->button() == Qt::LeftButton) {
        m_dragHit = 0;
        e->accept();
        return;
    }
    QDialog::mouseReleaseEvent(e);
}

void TVekForm::mouseDoubleClickEvent(QMouseEvent* e) {
    const QPoint p = mapFromGlobal(e->globalPosition().toPoint());
    const QRect caption(pCaption->mapTo(this, QPoint(0, 0)), pCaption->size());
    if (e->button() == Qt::LeftButton && (HitTest(p) == HTCAPTION || caption.contains(p))) {
        e->accept();
        btnCapMaximizeClick();
        return;
    }
    QDialog::mouseDoubleClickEvent(e);
}

// ---- showing and the look -------------------------------------------------------------------

void TVekForm::changeEvent(QEvent* e) {
    if (e->type() == QEvent::WindowTitleChange && pCapText)
        pCapText->setCaption(u" "_s + windowTitle());
    QDialog::changeEvent(e);
}

void TVekForm::setIsActive(bool on) {
    if (m_isActive == on)
        return;
    m_isActive = on;
    if (!m_lookUpdatePending) {
        m_lookUpdatePending = true;
        QCoreApplication::postEvent(this, new QEvent(WM_UPDATELOOK));
    }
}

void TVekForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    setIsActive(true);
    QCoreApplication::postEvent(this, new QEvent(WM_AFTERSHOW));
}

bool TVekForm::event(QEvent* e) {
    if (e->type() == WM_UPDATELOOK) {
        if (m_lookUpdatePending) {
            m_lookUpdatePending = false;
            UpdateLook();
            repaint();
        }
        return true;
    }
    if (e->type() == WM_AFTERSHOW) {
        AfterShow();
        return true;
    }
    return QDialog::event(e);
}

void TVekForm::UpdateLook() {
    setEnabledDeep(pFrame);
    btnCapHelp->setEnabled(m_borderIcons & biHelp);
    btnCapMaximize->setEnabled(m_borderIcons & biMaximize);
    pCaption->setColor(kCaptionActive);
    pCaption->setFontColor(Qt::white);
    pCapText->setFontColor(Qt::white);
    hb->setActive(true);
}

// ---- keys -----------------------------------------------------------------------------------

bool TVekForm::formKeyDown(QKeyEvent* e) {
    const int key = e->key();
    const bool plain = noModifiers(e);
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (plain && enter) {
        if (hb->TextAccept().isEmpty() || !hb->OnAccept)
            return false;
        hb->OnAccept(nullptr);
        return true;
    }
    if (plain && key == Qt::Key_Escape) {
        if (hb->TextCancel().isEmpty() || !hb->OnCancel)
            return false;
        hb->OnCancel(nullptr);
        return true;
    }
    if (key == Qt::Key_F1 && plain) {
        ShowHelpFor(focusWidget() ? focusWidget() : this);
        return true;
    }
    if (enter && e->modifiers() == Qt::ControlModifier) {
        btnCapMaximizeClick(); // the caption button's advertised shortcut
        return true;
    }
    if (key == Qt::Key_F4 && e->modifiers() == Qt::ControlModifier) {
        close();
        return true;
    }
    return false;
}

void TVekForm::keyPressEvent(QKeyEvent* e) {
    // Esc and Enter that the form did not take do nothing (no dialog default button, no reject).
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->ignore();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool TVekForm::eventFilter(QObject* watched, QEvent* e) {
    if (m_helpMode && helpModeFilter(e))
        return true;
    if (e->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if (formKeyDown(ke)) {
            ke->accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

// ---- help -----------------------------------------------------------------------------------

void TVekForm::hbAccept(QObject*) {}

void TVekForm::hbCancel(QObject*) {
    close();
}

void TVekForm::hbHelp(QObject*) {
    ShowHelpFor(this);
}

QString TVekForm::GetHelpText(QWidget*) {
    return {};
}

void TVekForm::EnterHelpMode() {
    if (m_helpMode)
        return;
    m_helpMode = true;
    btnCapHelp->setChecked(true);
    QGuiApplication::setOverrideCursor(Qt::WhatsThisCursor);
    grabMouse();
}

void TVekForm::LeaveHelpMode() {
    if (!m_helpMode)
        return;
    m_helpMode = false;
    btnCapHelp->setChecked(false);
    QGuiApplication::restoreOverrideCursor();
    releaseMouse();
}

bool TVekForm::helpModeFilter(QEvent* e) {
    // Input is swallowed while the user points at a control; painting and timers go on.
    switch (e->type()) {
    case QEvent::KeyRelease:
        LeaveHelpMode();
        return true;
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() != Qt::LeftButton)
            return true;
        const QPoint at = me->globalPosition().toPoint();
        LeaveHelpMode();
        if (QWidget* c = ControlAtPoint(this, at))
            ShowHelpFor(c);
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

QString TVekForm::ShowHelpFor(QWidget* control) {
    LeaveHelpMode();
    if (!control || control == hb || control == btnCapHelp || control == btnCapMinimize ||
        control == btnCapMaximize || control == btnCapClose)
        return {};
    for (QWidget* c = control; c; c = c->isWindow() ? nullptr : c->parentWidget()) {
        const QString text = GetHelpText(c);
        if (!text.isEmpty())
            return text;
    }
    return {};
}

QWidget* TVekForm::ControlAtPoint(QWidget* container, QPoint globalPos) {
    const QPoint p = container->mapFromGlobal(globalPos);
    const auto kids = container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (auto it = kids.crbegin(); it != kids.crend(); ++it) {
        QWidget* k = *it;
        if (k->isWindow() || !k->isVisible() || !k->geometry().contains(p))
            continue;
        return ControlAtPoint(k, globalPos);
    }
    return container->rect().contains(p) ? container : nullptr;
}

} // namespace vek
