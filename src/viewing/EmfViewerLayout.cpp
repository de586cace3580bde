// TEmfViewer: the strip arithmetic, the page list, zoom, margins, scroll positions and point mapping.
#include "viewing/EmfViewer.h"

#include "kit/KitFonts.h"
#include "platform/EmfPlayer.h"
#include "viewing/GridHdrButton.h"
#include "viewing/PageRenderer.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <climits>
#include <cmath>

namespace vek {

namespace emfview {

qint64 roundEven(double v) {
    return qint64(std::nearbyint(v)); // the default rounding mode: to nearest, halves to even
}

QSize sheetSize(TEmfZoomLevel level, int viewWidth, int viewHeight, int margLeft, int margRight) {
    const double w = viewWidth;
    const double hv = viewHeight;
    qint64 width = 0;
    qint64 height = -1; // derived from the width unless the level fixes it
    switch (level) {
    case zoomPageH:
        height = viewHeight - 10;
        width = roundEven(std::max<qint64>(height, 1) * kSheetRatio);
        break;
    case zoomPageAvg:
        width = roundEven(((hv - 10) * kSheetRatio + (w - 12)) * 0.5);
        break;
    case zoomPageW:
        width = viewWidth - 12;
        break;
    case zoomTextW:
        width = roundEven(w / (1 - (margLeft + margRight) / 210.0)) - 6;
        break;
    case zoomExtra1:
        width = roundEven(w * 4 / 3);
        break;
    case zoomExtra2:
        width = roundEven(w * 5 / 3);
        break;
    case zoomExtra3:
        width = roundEven(w * 6 / 3);
        break;
    }
    width = std::clamp<qint64>(width, 1, INT_MAX / 4);
    if (height < 0)
        height = roundEven(width / kSheetRatio);
    height = std::clamp<qint64>(height, 1, INT_MAX / 4);
    return QSize(int(width), int(height));
}

qint64 proportionalPosition(qint64 oldPosition, qint64 oldMax, qint64 range) {
    if (oldMax == 0)
        return 0;
    return roundEven(double(oldPosition) / double(oldMax) * double(range));
}

qint64 ScrollAxis::barScale() const {
    constexpr qint64 kBarLimit = qint64(1) << 30;
    return max <= kBarLimit ? 1 : max / kBarLimit + 1;
}

} // namespace emfview

using namespace emfview;

TEmfViewer::TEmfViewer(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted: no erasing first
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    m_captionFont = kitFont(QStringLiteral("Small Fonts"), -8);
    m_renderer = new PageRenderer(this);
    connect(m_renderer, &PageRenderer::tileReady, this, qOverload<>(&QWidget::update));
    m_vertBar = new QScrollBar(Qt::Vertical, this);
    m_vertBar->setFocusPolicy(Qt::NoFocus);
    m_vertBar->setCursor(Qt::ArrowCursor);
    connect(m_vertBar, &QScrollBar::valueChanged, this, &TEmfViewer::vertBarMoved);
    m_btnTop = new TGridHdrButton(GridHdrGlyph::Top, this);
    m_btnTop->setToolTip(QStringLiteral("Przejście na początek"));
    m_btnBottom = new TGridHdrButton(GridHdrGlyph::Bottom, this);
    m_btnBottom->setToolTip(QStringLiteral("Przejście na koniec"));
    for (TGridHdrButton* b : {m_btnTop, m_btnBottom}) {
        b->setCursor(Qt::ArrowCursor);
        connect(b, &QAbstractButton::clicked, this, [this, b] {
            // The buttons act exactly as the keys Home and End.
            QKeyEvent key(QEvent::KeyPress, b == m_btnTop ? Qt::Key_Home : Qt::Key_End, Qt::NoModifier);
            keyPressEvent(&key);
        });
    }
    if (parent)
        setAlign(this, alClient); // the viewer fills its parent
    UpdateLayout(false);
}

TEmfViewer::~TEmfViewer() = default;

// ---- pages ----

int TEmfViewer::AddPage(PagePtr page) {
    EmfHeader header;
    QRectF frame;
    if (page && readEmfHeader(QByteArrayView(page->metafile().bytes()), header))
        frame = header.frameInDeviceUnits();
    if (frame.isEmpty())
        frame = QRectF(QPointF(0, 0), page ? QSizeF(page->size()) : QSizeF(1, 1));
    m_pages.append(std::move(page));
    m_frames.append(frame);
    UpdateLayout(false);
    if (OnChange)
        OnChange(this);
    return int(m_pages.size()) - 1;
}

void TEmfViewer::ClearPages() {
    if (m_pages.isEmpty())
        return;
    m_pages.clear();
    m_frames.clear();
    m_renderer->clear();
    UpdateLayout(false);
    if (OnChange)
        OnChange(this);
}

// ---- properties ----

int TEmfViewer::PageNr() const {
    const PagePoint at = PointToPage(m_viewWidth / 2, m_viewHeight / 2);
    const qint64 n = qint64(std::trunc(at.PageF)) + 1;
    return int(std::clamp<qint64>(n, 1, std::max(1, PageCount())));
}

void TEmfViewer::setPageNr(int n) {
    setVertPosition((qint64(n) - 1) * slot());
}

void TEmfViewer::setZoomLevel(TEmfZoomLevel level) {
    level = TEmfZoomLevel(std::clamp(int(level), int(zoomPageH), int(zoomExtra3)));
    if (level == m_zoom)
        return;
    m_zoom = level;
    UpdateLayout(true);
    if (OnZoom)
        OnZoom(this);
}

void TEmfViewer::setMargin(int index, int v) {
    if (index < 1 || index > 4)
        return;
    v = std::clamp(v, 0, 99);
    if (m_marg[index - 1] == v)
        return;
    m_marg[index - 1] = v;
    if (m_zoom == zoomTextW)
        UpdateLayout(true);
    update();
}

void TEmfViewer::setShowPageNr(bool v) {
    if (m_showPageNr == v)
        return;
    m_showPageNr = v;
    update();
}

void TEmfViewer::setShowMarg(bool v) {
    if (m_showMarg == v)
        return;
    m_showMarg = v;
    update();
}

// ---- zoom and point mapping ----

void TEmfViewer::ZoomIn() {
    if (m_zoom < zoomExtra3)
        setZoomLevel(TEmfZoomLevel(m_zoom + 1));
}

void TEmfViewer::ZoomOut() {
    if (m_zoom > zoomPageH)
        setZoomLevel(TEmfZoomLevel(m_zoom - 1));
    if (m_zoom == zoomPageH)
        SnapToPage();
}

void TEmfViewer::SnapToPage() {
    const PagePoint at = PointToPage(m_viewWidth / 2, m_viewHeight / 2);
    setVertPosition(qint64(std::trunc(at.PageF)) * slot());
}

PagePoint TEmfViewer::PointToPage(int X, int Y) const {
    const int cx = m_viewWidth > m_pageWidth ? (m_viewWidth - m_pageWidth) / 2 : 0;
    const qint64 x = X + m_h.position - cx - 5;
    const qint64 y = Y + m_v.position;
    const qint64 k = y / slot();
    PagePoint at;
    at.XF = double(x) / m_pageWidth;
    at.PageF = double(k) + double(y % slot() - 5) / m_pageHeight;
    return at;
}

void TEmfViewer::ScrollToPoint(int X, int Y, const PagePoint& at) {
    const qint64 oldH = m_h.position;
    const qint64 oldV = m_v.position;
    if (m_zoom >= zoomExtra1)
        m_h.position = m_h.clamp(roundEven(m_pageWidth * at.XF) + 5 - X);
    const double whole = std::trunc(at.PageF);
    m_v.position =
        m_v.clamp(roundEven(whole * double(slot())) + 5 + roundEven((at.PageF - whole) * m_pageHeight) - Y);
    positionsChanged(oldH, oldV);
}

// ---- layout ----

void TEmfViewer::placeChildren(int barWidth) {
    m_btnTop->setGeometry(m_viewWidth, 0, barWidth, kBarButton);
    m_btnBottom->setGeometry(m_viewWidth, kBarButton, barWidth, kBarButton);
    m_vertBar->setGeometry(m_viewWidth, 2 * kBarButton, barWidth, std::max(0, height() - 2 * kBarButton));
}

void TEmfViewer::setAxisRange(ScrollAxis& axis, qint64 range, qint64 largeStep, bool keepPosition) {
    range = std::max<qint64>(range, 0);
    const qint64 proportional = proportionalPosition(axis.position, axis.max, range);
    axis.max = range;
    axis.largeStep = largeStep;
    axis.position = axis.clamp(keepPosition ? proportional : axis.position);
}

void TEmfViewer::UpdateLayout(bool keepPosition) {
    const qint64 oldH = m_h.position;
    const qint64 oldV = m_v.position;
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    m_viewWidth = std::max(0, width() - bar);
    m_viewHeight = height();
    placeChildren(bar);
    const QSize sheet = sheetSize(m_zoom, m_viewWidth, m_viewHeight, MargLeft(), MargRight());
    m_pageWidth = sheet.width();
    m_pageHeight = sheet.height();
    setAxisRange(m_h, qint64(m_pageWidth) - m_viewWidth + 10, m_viewWidth, keepPosition);
    setAxisRange(m_v, PageCount() * slot() - m_viewHeight, m_viewHeight, keepPosition);
    if (m_zoom < zoomTextW)
        m_h.position = 0;
    else if (m_zoom == zoomTextW)
        m_h.position = m_h.clamp(roundEven(m_pageWidth * MargLeft() / 210.0) + 3);
    syncVertBar();
    positionsChanged(oldH, oldV);
    update();
}

void TEmfViewer::syncVertBar() {
    const qint64 scale = m_v.barScale();
    m_syncingBar = true;
    m_vertBar->setRange(0, int(m_v.max / scale));
    m_vertBar->setPageStep(int(std::max<qint64>(1, m_v.largeStep / scale)));
    m_vertBar->setSingleStep(int(std::max<qint64>(1, kSmallStep / scale)));
    m_vertBar->setValue(int(m_v.position / scale));
    m_syncingBar = false;
}

void TEmfViewer::vertBarMoved(int value) {
    if (m_syncingBar)
        return;
    // The bar's last unit is the end of the strip, whatever the scale.
    const qint64 v = value >= m_vertBar->maximum() ? m_v.max : qint64(value) * m_v.barScale();
    setVertPosition(v);
}

void TEmfViewer::setVertPosition(qint64 v) {
    const qint64 oldV = m_v.position;
    m_v.position = m_v.clamp(v);
    positionsChanged(m_h.position, oldV);
}

void TEmfViewer::setHorzPosition(qint64 h) {
    const qint64 oldH = m_h.position;
    m_h.position = m_h.clamp(h);
    positionsChanged(oldH, m_v.position);
}

void TEmfViewer::positionsChanged(qint64 oldH, qint64 oldV) {
    if (m_h.position == oldH && m_v.position == oldV)
        return;
    syncVertBar();
    update();
    if (OnMove)
        OnMove(this);
}

// ---- page geometry ----

int TEmfViewer::sheetLeft() const {
    if (m_pageWidth > m_viewWidth)
        return int(5 - m_h.position);
    return (m_viewWidth - m_pageWidth) / 2;
}

QRect TEmfViewer::SheetRect(int page) const {
    const qint64 top = page * slot() + 5 - m_v.position;
    return QRect(sheetLeft(), int(std::clamp<qint64>(top, INT_MIN / 2, INT_MAX / 2)), m_pageWidth,
                 m_pageHeight);
}

QRect TEmfViewer::marginRect(const QRect& sheet) const {
    const int mL = int(roundEven(MargLeft() * double(m_pageWidth) / 210));
    const int mR = int(roundEven(MargRight() * double(m_pageWidth) / 210));
    const int mT = int(roundEven(MargTop() * double(m_pageHeight) / 297));
    const int mB = int(roundEven(MargBottom() * double(m_pageHeight) / 297));
    const int left = sheet.left() + mL;
    const int top = sheet.top() + mT;
    const int right = sheet.left() + sheet.width() - mR;
    const int bottom = sheet.top() + sheet.height() - mB;
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

QRect TEmfViewer::InnerRect(int page) const {
    return marginRect(SheetRect(page));
}

QRectF TEmfViewer::PageToView(int page, const QRectF& r) const {
    if (page < 0 || page >= PageCount())
        return {};
    const QRectF frame = m_frames.at(page);
    const QRect inner = InnerRect(page);
    const double sx = inner.width() / frame.width();
    const double sy = inner.height() / frame.height();
    return QRectF(inner.left() + (r.left() - frame.left()) * sx, inner.top() + (r.top() - frame.top()) * sy,
                  r.width() * sx, r.height() * sy);
}

void TEmfViewer::ShowPageRect(int page, const QRectF& r) {
    const QRectF v = PageToView(page, r);
    if (v.isNull())
        return;
    const qint64 oldH = m_h.position;
    const qint64 oldV = m_v.position;
    if (v.top() < 0 || v.bottom() > m_viewHeight)
        m_v.position = m_v.clamp(m_v.position + roundEven(v.center().y() - m_viewHeight / 2.0));
    if (m_zoom >= zoomExtra1 && (v.left() < 0 || v.right() > m_viewWidth))
        m_h.position = m_h.clamp(m_h.position + roundEven(v.center().x() - m_viewWidth / 2.0));
    positionsChanged(oldH, oldV);
}

void TEmfViewer::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    UpdateLayout(true);
}

} // namespace vek
