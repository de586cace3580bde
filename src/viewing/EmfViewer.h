#pragma once
// TEmfViewer: the page viewer. It shows the pages of one printout as a vertical strip of white A4
// sheets with drop shadows on a silver desk, each page stretched inside the sheet's margins under
// a small page-number caption. Seven fixed zoom levels (keys, left and right clicks), dragging
// with the hand at three times the mouse, the wheel, the keyboard and one vertical scroll bar with
// two jump buttons move the view. The viewer holds no printout logic: the preview feeds it pages
// while they are composed, the print dialog reads its pages, current page and margins.
//
// Pages are shared (PagePtr): the viewer holds references and never copies a page. Drawing a page
// is the renderer's work on worker threads (PageRenderer): a page not drawn yet shows as an empty
// sheet and is filled in when ready, so painting never waits for a page.
//
// Geometry: a page slot is a sheet's height plus a 10-pixel gap; page i (0-based) occupies strip
// rows i x (PageHeight + 10) + 5 up to that plus PageHeight. The vertical position V is the strip
// row shown at the top of the view, the horizontal position H the offset into a sheet wider than
// the view. Sheets always have the A4 ratio 210:297, whatever the page's own size. Widget
// coordinates are logical pixels; pages are drawn in device pixels of the window's screen.

#include "kit/bajery.h"
#include "platform/Page.h"

#include <QList>
#include <QWidget>
#include <functional>

class QScrollBar;

namespace vek {

class PageRenderer;
class TGridHdrButton;

enum TEmfZoomLevel : int { zoomPageH, zoomPageAvg, zoomPageW, zoomTextW, zoomExtra1, zoomExtra2, zoomExtra3 };

// The layout arithmetic of the strip, without widgets.
namespace emfview {

inline constexpr double kSheetRatio = 210.0 / 297.0;
inline constexpr int kSlotGap = 10;   // desk between two sheets
inline constexpr int kBarButton = 15; // height of a jump button
inline constexpr int kSmallStep = 30; // arrow keys, bar arrows; a wheel notch is three

// Rounds to the nearest integer, halves to even.
qint64 roundEven(double v);
// The sheet's width and height at a zoom level in a view of viewWidth x viewHeight, with the left
// and right margins in millimetres. Never below 1 x 1, so that a view too small for a sheet maps
// points without dividing by zero.
QSize sheetSize(TEmfZoomLevel level, int viewWidth, int viewHeight, int margLeft, int margRight);
// The position that keeps the same proportion of a range that changes from oldMax to range.
qint64 proportionalPosition(qint64 oldPosition, qint64 oldMax, qint64 range);

// A scroll position with its range and steps. 64-bit: a long printout at a large zoom is taller
// than an int; the visible scroll bar shows the position scaled down to its int range.
struct ScrollAxis {
    qint64 position = 0;
    qint64 max = 0;
    qint64 largeStep = 0;
    qint64 clamp(qint64 v) const { return v < 0 ? 0 : (v > max ? max : v); }
    // The scale from positions to scroll bar units (1 while the range fits comfortably in an int).
    qint64 barScale() const;
};

} // namespace emfview

// The point of the strip under a view point: PageF's integer part is the 0-based page, its
// fraction the height within the sheet; XF the width fraction within the sheet.
struct PagePoint {
    double PageF = 0;
    double XF = 0;
};

class TEmfViewer : public QWidget {
    Q_OBJECT
public:
    explicit TEmfViewer(QWidget* parent = nullptr);
    ~TEmfViewer() override;

    // ---- pages ----
    // Appends a page; returns its index. Fires OnChange.
    int AddPage(PagePtr page);
    // Forgets every page (the pages live on with whoever else holds them). Fires OnChange when
    // there were pages.
    void ClearPages();
    // The same as ClearPages: the viewer's references are the only thing it frees.
    void FreePages() { ClearPages(); }
    int PageCount() const { return int(m_pages.size()); }
    const QList<PagePtr>& Pages() const { return m_pages; }

    // ---- properties ----
    // 1-based number of the page under the centre of the view, within 1..PageCount (1 without
    // pages). Writing it scrolls that page's slot to the top of the view, within the range.
    int PageNr() const;
    void setPageNr(int n);
    TEmfZoomLevel ZoomLevel() const { return m_zoom; }
    void setZoomLevel(TEmfZoomLevel level);
    // Margins in millimetres of the 210 x 297 mm sheet, kept within 0..99.
    int MargLeft() const { return m_marg[0]; }
    int MargRight() const { return m_marg[1]; }
    int MargTop() const { return m_marg[2]; }
    int MargBottom() const { return m_marg[3]; }
    void setMargLeft(int v) { setMargin(1, v); }
    void setMargRight(int v) { setMargin(2, v); }
    void setMargTop(int v) { setMargin(3, v); }
    void setMargBottom(int v) { setMargin(4, v); }
    // index 1 to 4: left, right, top, bottom.
    void setMargin(int index, int v);
    bool ShowPageNr() const { return m_showPageNr; }
    void setShowPageNr(bool v);
    bool ShowMarg() const { return m_showMarg; }
    void setShowMarg(bool v);

    // ---- operations ----
    void ZoomIn();
    void ZoomOut();
    void SnapToPage();
    PagePoint PointToPage(int X, int Y) const;
    void ScrollToPoint(int X, int Y, const PagePoint& at);
    void UpdateLayout(bool keepPosition);

    // ---- geometry, as the last layout left it ----
    int PageWidth() const { return m_pageWidth; }
    int PageHeight() const { return m_pageHeight; }
    int ViewWidth() const { return m_viewWidth; }
    int ViewHeight() const { return m_viewHeight; }
    qint64 VertPosition() const { return m_v.position; }
    qint64 VertMax() const { return m_v.max; }
    qint64 VertLargeStep() const { return m_v.largeStep; }
    qint64 HorzPosition() const { return m_h.position; }
    qint64 HorzMax() const { return m_h.max; }
    // Moves the view (clamped into the range); repaints and fires OnMove on a change.
    void setVertPosition(qint64 v);
    void setHorzPosition(qint64 h);
    // The sheet of page i in view coordinates (it may lie outside the view), and the rectangle
    // inside its margins where the page is drawn.
    QRect SheetRect(int page) const;
    QRect InnerRect(int page) const;
    // A rectangle in the page's own device units (1429 x 2000 for a composed page) in view
    // coordinates, and the way back.
    QRectF PageToView(int page, const QRectF& r) const;
    // Scrolls, when the rectangle (page units) is not wholly in view, so that it sits in the middle
    // of the view; sideways only where the view can move sideways.
    void ShowPageRect(int page, const QRectF& r);

    QScrollBar* VertBar() const { return m_vertBar; }
    TGridHdrButton* BtnTop() const { return m_btnTop; }
    TGridHdrButton* BtnBottom() const { return m_btnBottom; }
    PageRenderer& Renderer() const { return *m_renderer; }

    // ---- events ----
    TNotifyEvent OnZoom;   // the zoom level changed (after the new layout)
    TNotifyEvent OnMove;   // a scroll position changed
    TNotifyEvent OnChange; // the page list changed
    // Runs after the viewer's own key handling with the key left over (0 when consumed).
    std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    // Paints over a page once it is drawn (the marks of a search): page index and the rectangle
    // inside the margins, view coordinates.
    std::function<void(QPainter& p, int page, const QRect& inner)> OnPaintPage;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    // Layout.
    qint64 slot() const { return qint64(m_pageHeight) + emfview::kSlotGap; }
    int sheetLeft() const;
    void placeChildren(int barWidth);
    void setAxisRange(emfview::ScrollAxis& axis, qint64 range, qint64 largeStep, bool keepPosition);
    void syncVertBar();
    void vertBarMoved(int value);
    void positionsChanged(qint64 oldH, qint64 oldV);
    QRect marginRect(const QRect& sheet) const;
    // Painting (EmfViewerPaint.cpp).
    void paintSheet(QPainter& p, int page, const QRect& sheet, qreal dpr, QList<struct TileRequest>& wanted);
    void paintPageImage(QPainter& p, int page, const QRect& inner, qreal dpr, QList<TileRequest>& wanted);
    void prefetch(int page, const QRect& sheet, qreal dpr, QList<TileRequest>& wanted) const;
    // Input.
    bool scrollKey(int key, bool ctrl);
    bool zoomKey(int key);

    QList<PagePtr> m_pages;
    QList<QRectF> m_frames; // each page's frame in its device units: what fills the inner rect
    TEmfZoomLevel m_zoom = zoomPageW;
    int m_marg[4] = {5, 5, 5, 10}; // left, right, top, bottom
    bool m_showPageNr = true;
    bool m_showMarg = false;
    QFont m_captionFont;

    int m_pageWidth = 1;
    int m_pageHeight = 1;
    int m_viewWidth = 0;
    int m_viewHeight = 0;
    emfview::ScrollAxis m_h;
    emfview::ScrollAxis m_v;
    bool m_syncingBar = false;

    QScrollBar* m_vertBar = nullptr; // children, owned by the widget
    TGridHdrButton* m_btnTop = nullptr;
    TGridHdrButton* m_btnBottom = nullptr;
    PageRenderer* m_renderer = nullptr;

    bool m_leftPressed = false;
    bool m_rightPressed = false;
    bool m_dragging = false;
    int m_lastX = 0;
    int m_lastY = 0;
};

} // namespace vek
