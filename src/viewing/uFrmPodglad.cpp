// TFrmPodglad: the window, its controls and their handlers.
#include "viewing/uFrmPodglad.h"

#include "kit/HintBar.h"
#include "kit/KitFonts.h"
#include "kit/VekBtn.h"
#include "platform/Routines.h"
#include "platform/Startup.h"
#include "viewing/EmfViewer.h"
#include "viewing/FindStrip.h"
#include "viewing/PageSearch.h"
#include "viewing/WebAddresses.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QWindow>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace vek {

namespace {

constexpr int kNarrowWidth = 600;
constexpr QSize kMinimumSize(350, 500);
constexpr int kMarginsWide = 440;
constexpr int kMarginsNarrow = 75;
// The page counter's panel and the label of its number, until a long number widens them.
constexpr int kCounterWidth = 149;
constexpr int kCounterLabelWidth = 58;

bool plainKey(const QKeyEvent* e) {
    return (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

std::function<void(TFrmPodglad&)> TFrmPodglad::PrintDialog;

TFrmPodglad::TFrmPodglad(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(u"VekPokaz - Podgląd wydruku"_s);
    setFont(kitFont(u"MS Sans Serif"_s, -11));
    setMinimumSize(kMinimumSize);
    buildControls();
    placeAtWorkArea();
    LoadSettings();
    qApp->installEventFilter(this);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_stop = true; });
}

TFrmPodglad::~TFrmPodglad() {
    qApp->removeEventFilter(this);
    m_stop = true;
}

void TFrmPodglad::buildControls() {
    hb = new THintBar(this);
    setAlign(hb, alBottom);
    hb->setBtnWidth(85);
    hb->setTextCancel(u"Zamknij"_s);
    hb->setAcceptHint(u"Enter - Wysłanie wydruku do drukarki"_s);
    hb->setCancelHint(u"Esc - Zamknięcie podglądu wydruku"_s);
    hb->setHelpHint(u"F1 - "_s + ProductPageAddress());
    hb->OnAccept = [this](QObject* s) { hbAccept(s); };
    hb->OnCancel = [this](QObject* s) { hbCancel(s); };
    hb->OnHelp = [this](QObject* s) { hbHelp(s); };

    buildTopStrip();

    pViewer = new TPanelEx(this);
    pViewer->setBevelOuter(bvNone);
    pViewer->setBevelInner(bvLowered);
    pViewer->setBorderWidth(2);
    viewer = new TEmfViewer(pViewer);
    setAlign(viewer, alClient);
    viewer->setZoomLevel(zoomPageH);
    viewer->OnMove = [this](QObject*) { viewerMove(); };
    viewer->OnChange = [this](QObject*) { viewerChange(); };

    finder = new TPageFinder(viewer, this);
    viewer->OnPaintPage = [this](QPainter& p, int page, const QRect& inner) {
        finder->paintPage(p, page, inner);
    };
    findStrip = new TFindStrip(finder, this);
    findStrip->ReturnFocusTo = viewer;
    setAlign(findStrip, alBottom); // above the hint bar
    setAlign(pViewer, alClient);

    timerStrona = new QTimer(this);
    timerStrona->setInterval(100);
    connect(timerStrona, &QTimer::timeout, this, &TFrmPodglad::timerStronaTimer);
    margChange();
    viewerChange();
}

void TFrmPodglad::buildTopStrip() {
    pGora = new TPanelEx(this);
    pGora->setBevelOuter(bvNone);
    pGora->setFixedHeight(26);
    setAlign(pGora, alTop);
    buildMargins();
    buildPageCounter();
}

void TFrmPodglad::buildMargins() {
    pMarginesy = new TPanelEx(pGora);
    pMarginesy->setBevelOuter(bvLowered);
    pMarginesy->setFixedWidth(kMarginsWide);
    setAlign(pMarginesy, alLeft);
    lblMarg = new QLabel(u"Marginesy:"_s, pMarginesy);
    lblMarg->setFont(kitFont(u"MS Sans Serif"_s, -11, kfBold));
    lblMarg->setGeometry(6, 5, 68, 16);
    lblMarg->installEventFilter(this);
    struct Edit {
        QLabel*& label;
        QSpinBox*& edit;
        QString caption;
        int value;
    };
    const Edit edits[] = {{lblMargT, margT, u"&górny ="_s, 15},
                          {lblMargL, margL, u"&lewy ="_s, 10},
                          {lblMargR, margR, u"&prawy ="_s, 10},
                          {lblMargB, margB, u"&dolny ="_s, 25}};
    int x = 78;
    for (const Edit& e : edits) {
        e.label = new QLabel(e.caption, pMarginesy);
        const int w = e.label->fontMetrics().horizontalAdvance(e.label->text().remove(u'&')) + 2;
        e.label->setGeometry(x, 5, w, 16);
        e.edit = new QSpinBox(pMarginesy);
        e.edit->setRange(0, 99);
        e.edit->setAlignment(Qt::AlignRight);
        e.edit->setValue(e.value);
        e.edit->setGeometry(x + w + 2, 4, 42, 18);
        e.label->setBuddy(e.edit);
        connect(e.edit, &QSpinBox::valueChanged, this, &TFrmPodglad::margChange);
        x += w + 2 + 42 + 8;
    }
}

void TFrmPodglad::buildPageCounter() {
    pStrony = new TPanelEx(pGora);
    pStrony->setBevelOuter(bvLowered);
    pStrony->setFixedWidth(kCounterWidth);
    setAlign(pStrony, alRight);
    const QFont big = kitFont(u"Arial"_s, 20, kfBold);
    lblStrona1 = new QLabel(u"Strona:"_s, pStrony);
    lblStrona1->setFont(big);
    lblStrona1->setGeometry(4, 1, 72, 24);
    lblStrona = new QLabel(pStrony);
    lblStrona->setFont(big);
    lblStrona->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblStrona->setGeometry(70, 1, kCounterLabelWidth, 24);
    lblStrona->hide();
    btnStronaUp = new TVekBtn(pStrony);
    btnStronaDn = new TVekBtn(pStrony);
    int y = 2;
    for (TVekBtn* b : {btnStronaUp, btnStronaDn}) {
        b->setKolor(3);
        b->setMargines(1);
        b->setFont(kitFont(u"Marlett"_s, 12, kfBold));
        b->setFontColor(Qt::black);
        b->setOpis(b == btnStronaUp ? u"5"_s : u"6"_s);
        b->setGeometry(kCounterWidth - 2 - 15, y, 15, 11);
        b->OnMouseDown = [this](QObject* s, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            btnStronaMouseDown(s);
        };
        b->OnMouseUp = [this](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            btnStronaMouseUp();
        };
        y += 11;
    }
}

// The counter's panel keeps its width of 149 until "%d/%d" needs more than its 58 px (a printout of
// a thousand pages and more): then it widens rather than cut the number off.
void TFrmPodglad::fitPageCounter() {
    const int label =
        std::max(kCounterLabelWidth, lblStrona->fontMetrics().horizontalAdvance(lblStrona->text()) + 2);
    const int panel = kCounterWidth + label - kCounterLabelWidth;
    if (pStrony->width() == panel)
        return;
    pStrony->setFixedWidth(panel);
    lblStrona->setGeometry(70, 1, label, 24);
    btnStronaUp->move(panel - 2 - 15, btnStronaUp->y());
    btnStronaDn->move(panel - 2 - 15, btnStronaDn->y());
}

QRect TFrmPodglad::WorkArea() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

void TFrmPodglad::placeAtWorkArea() {
    fitMinimumSize();
    const QRect a = WorkArea();
    const int w = std::max(a.width() - 300, minimumWidth());
    const int h = std::max(a.height() - 10, minimumHeight());
    move(a.left() + std::max(0, (a.width() - w) / 2), a.top() + std::clamp(a.height() - h, 0, 5));
    resize(w, h);
}

void TFrmPodglad::fitMinimumSize() {
    // On a small screen, or at a large scale, the usual minimum does not fit: the window would
    // reach past the work area and its bottom controls out of reach. The minimum then shrinks so
    // that the window with its frame fits, once the frame is known.
    const QRect a = WorkArea();
    const QSize frame = isVisible() ? frameGeometry().size() - geometry().size() : QSize(0, 0);
    setMinimumSize(std::clamp(a.width() - frame.width(), 1, kMinimumSize.width()),
                   std::clamp(a.height() - frame.height(), 1, kMinimumSize.height()));
}

void TFrmPodglad::fitToScreen() {
    // The window came to another screen (or its work area changed): it is brought within it.
    fitMinimumSize();
    if (isMaximized() || isFullScreen())
        return;
    const QRect a = WorkArea();
    const QSize frame = frameGeometry().size() - geometry().size();
    const int w = std::min(width(), a.width() - frame.width());
    const int h = std::min(height(), a.height() - frame.height());
    if (w < width() || h < height())
        resize(std::max(w, minimumWidth()), std::max(h, minimumHeight()));
    const QRect f = frameGeometry();
    const int left = std::clamp(f.left(), a.left(), std::max(a.left(), a.right() - f.width() + 1));
    const int top = std::clamp(f.top(), a.top(), std::max(a.top(), a.bottom() - f.height() + 1));
    if (left != f.left() || top != f.top())
        move(left, top);
}

void TFrmPodglad::fitFrameOnce() {
    // The frame's size is known only once the window is on screen: a window whose frame then
    // reaches past the work area is made smaller, once.
    const QRect frame = frameGeometry();
    if (m_frameFitted || !isVisible() || frame == geometry() || isMaximized())
        return;
    m_frameFitted = true;
    fitMinimumSize();
    const QRect a = WorkArea();
    const int overRight = frame.right() - a.right();
    const int overBottom = frame.bottom() - a.bottom();
    if (overRight > 0 || overBottom > 0)
        resize(width() - std::max(0, overRight), height() - std::max(0, overBottom));
}

// ---- creator's interface ----

void TFrmPodglad::SetPrintoutFile(const QString& path) {
    m_filePath = path;
    m_displayName = QFileInfo(path).completeBaseName();
}

QString PrintoutFileIn(const QString& folder, const QString& name) {
    const QString wanted = name + u".wyd"_s;
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& file : files)
        if (file.compare(wanted, Qt::CaseInsensitive) == 0)
            return withTrailingSeparator(folder) + file;
    return withTrailingSeparator(folder) + name + u".WYD"_s;
}

void TFrmPodglad::SetPrintoutName(const QString& name) {
    m_filePath = PrintoutFileIn(programFolder(), name);
    m_displayName = name;
}

void TFrmPodglad::DisableSettingsSave() {
    m_noSave = true;
}

// ---- window events ----

void TFrmPodglad::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    m_closing = false;
    if (!m_screenWatched && windowHandle()) {
        m_screenWatched = true;
        connect(windowHandle(), &QWindow::screenChanged, this, &TFrmPodglad::fitToScreen);
    }
    if (!m_loadPosted) {
        // Loading starts once the window is on screen.
        m_loadPosted = true;
        QMetaObject::invokeMethod(this, &TFrmPodglad::previewLoad, Qt::QueuedConnection);
    }
}

void TFrmPodglad::done(int result) {
    if (!m_closing) {
        m_closing = true;
        m_stop = true;
        if (!m_noSave)
            SaveSettings();
    }
    QDialog::done(result);
}

void TFrmPodglad::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    applyNarrowRule();
    fitFrameOnce();
}

void TFrmPodglad::moveEvent(QMoveEvent* e) {
    QDialog::moveEvent(e);
    fitFrameOnce();
}

void TFrmPodglad::applyNarrowRule() {
    const bool narrow = width() < kNarrowWidth;
    pMarginesy->setFixedWidth(narrow ? kMarginsNarrow : kMarginsWide);
    lblMarg->setCursor(narrow ? Qt::PointingHandCursor : Qt::ArrowCursor);
    for (QSpinBox* edit : {margT, margL, margR, margB})
        edit->setEnabled(!narrow);
    realign(pGora);
}

void TFrmPodglad::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    // Minimizing the preview minimizes the whole program.
    if (e->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget* w : windows)
            if (w != this && w->isVisible() && !w->isMinimized())
                w->showMinimized();
    }
}

bool TFrmPodglad::eventFilter(QObject* watched, QEvent* e) {
    if (watched == lblMarg && e->type() == QEvent::MouseButtonPress) {
        lblMargClick();
        return false;
    }
    if (e->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this && FormKeyDown(static_cast<QKeyEvent*>(e)))
        return true;
    return QDialog::eventFilter(watched, e);
}

// ---- keys ----

bool TFrmPodglad::findKey(QKeyEvent* e) {
    if (e->matches(QKeySequence::Find)) {
        findStrip->Open();
        return true;
    }
    const bool next = e->matches(QKeySequence::FindNext);
    if (!next && !e->matches(QKeySequence::FindPrevious))
        return false;
    if (!findStrip->IsOpen())
        findStrip->Open();
    if (next)
        findStrip->FindNext();
    else
        findStrip->FindPrevious();
    return true;
}

bool TFrmPodglad::FormKeyDown(QKeyEvent* e) {
    if (findKey(e))
        return true;
    if (!plainKey(e))
        return false;
    const bool inStrip = findStrip->Owns(QApplication::focusWidget());
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (inStrip)
            return false; // the strip's own: the next place found
        hbAccept(nullptr);
        return true;
    case Qt::Key_Escape:
        if (inStrip)
            return false; // the strip closes itself
        if (findStrip->IsOpen())
            findStrip->Close();
        else
            hbCancel(nullptr);
        return true;
    case Qt::Key_F1:
        hbHelp(nullptr);
        return true;
    default:
        return false;
    }
}

// ---- handlers ----

void TFrmPodglad::hbAccept(QObject*) {
    if (!hb->TextAccept().isEmpty() && PrintDialog)
        PrintDialog(*this);
}

void TFrmPodglad::hbCancel(QObject*) {
    m_stop = true;
    close();
}

void TFrmPodglad::hbHelp(QObject*) {
    OpenAddress(ProductPageAddress());
}

void TFrmPodglad::margChange() {
    viewer->setMargTop(margT->value());
    viewer->setMargLeft(margL->value());
    viewer->setMargRight(margR->value());
    viewer->setMargBottom(margB->value());
}

void TFrmPodglad::lblMargClick() {
    if (width() < kNarrowWidth)
        resize(kNarrowWidth, height());
}

void TFrmPodglad::btnStronaMouseDown(QObject* sender) {
    m_step = sender == btnStronaUp ? -1 : 1;
    viewer->setPageNr(viewer->PageNr() + m_step);
    timerStrona->setInterval(500);
    timerStrona->start();
}

void TFrmPodglad::btnStronaMouseUp() {
    timerStrona->stop();
}

void TFrmPodglad::timerStronaTimer() {
    // A button disabled under the mouse at the end of the printout gets no release.
    const TVekBtn* held = m_step < 0 ? btnStronaUp : btnStronaDn;
    if (!held->isEnabled()) {
        timerStrona->stop();
        return;
    }
    viewer->setPageNr(viewer->PageNr() + m_step);
    timerStrona->setInterval(100);
}

void TFrmPodglad::viewerChange() {
    lblStrona->setVisible(viewer->PageCount() > 0);
    finder->pagesChanged();
    viewerMove();
}

void TFrmPodglad::viewerMove() {
    const int nr = viewer->PageNr();
    lblStrona->setText(u"%1/%2"_s.arg(nr).arg(viewer->PageCount()));
    fitPageCounter();
    btnStronaUp->setEnabled(nr > 1);
    btnStronaDn->setEnabled(nr < viewer->PageCount());
}

} // namespace vek
