// TEmfViewer: painting. Sheets, shadows, margins and captions are drawn in logical pixels; the
// pages themselves are tiles drawn by the renderer in device pixels and copied one to one.
#include "viewing/EmfViewer.h"
#include "viewing/PageRenderer.h"

#include <QPaintEvent>
#include <QPainter>
#include <cmath>

namespace vek {

namespace {

const QColor kDesk(192, 192, 192);

QRect toDevice(const QRect& r, qreal dpr) {
    const QPoint topLeft(int(std::lround(r.left() * dpr)), int(std::lround(r.top() * dpr)));
    const QPoint end(int(std::lround((r.left() + r.width()) * dpr)),
                     int(std::lround((r.top() + r.height()) * dpr)));
    return QRect(topLeft, QSize(std::max(1, end.x() - topLeft.x()), std::max(1, end.y() - topLeft.y())));
}

} // namespace

void TEmfViewer::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(QRect(0, 0, m_viewWidth, m_viewHeight), kDesk);
    // The scale of the device painted on: the window's screen, or an image the widget is rendered
    // into.
    const qreal dpr = p.deviceTransform().m11() > 0 ? p.deviceTransform().m11() : devicePixelRatioF();
    p.setFont(m_captionFont);
    m_renderer->cache().setViewBytes(qint64(std::ceil(m_viewWidth * dpr)) *
                                     qint64(std::ceil(m_viewHeight * dpr)) * 4);
    QList<TileRequest> wanted;
    const qint64 s = slot();
    qint64 i = (m_v.position - 5) / s;
    qint64 y = i * s + 5 - m_v.position;
    const qint64 first = i;
    for (; y < height() && i < PageCount(); ++i, y += s)
        paintSheet(p, int(i), SheetRect(int(i)), dpr, wanted);
    // The neighbours just outside the view are drawn next, after everything on screen.
    if (i < PageCount())
        prefetch(int(i), SheetRect(int(i)), dpr, wanted);
    if (first > 0 && first <= PageCount())
        prefetch(int(first - 1), SheetRect(int(first - 1)), dpr, wanted);
    m_renderer->request(wanted);
}

void TEmfViewer::paintSheet(QPainter& p, int page, const QRect& sheet, qreal dpr,
                            QList<TileRequest>& wanted) {
    p.fillRect(sheet.translated(4, 4), Qt::black);
    p.fillRect(sheet.adjusted(-1, -1, 1, 1), Qt::black);
    p.fillRect(sheet, Qt::white);
    const QRect inner = marginRect(sheet);
    paintPageImage(p, page, inner, dpr, wanted);
    if (m_showMarg) {
        QPen pen(kDesk, 0, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(inner.adjusted(-1, -1, 0, 0));
    }
    if (OnPaintPage)
        OnPaintPage(p, page, inner);
    if (m_showPageNr) {
        const QString caption = QStringLiteral("-  strona %1 -").arg(page + 1);
        const QFontMetrics fm(p.font());
        const int x = (sheet.left() + sheet.left() + sheet.width() - fm.horizontalAdvance(caption)) / 2;
        p.setPen(Qt::red);
        p.drawText(QPoint(x, sheet.top() + fm.ascent()), caption);
    }
}

void TEmfViewer::paintPageImage(QPainter& p, int page, const QRect& inner, qreal dpr,
                                QList<TileRequest>& wanted) {
    if (inner.isEmpty())
        return;
    const PagePtr& pagePtr = m_pages.at(page);
    const QRect device = toDevice(inner, dpr);
    const QRect viewDevice = toDevice(QRect(0, 0, m_viewWidth, m_viewHeight), dpr);
    const QList<QRect> tiles = pageTiles(device.size(), viewDevice.translated(-device.topLeft()));
    QList<std::pair<QRect, QImage>> ready;
    bool missing = false;
    for (const QRect& t : tiles) {
        const TileRequest r{pagePtr, device.size(), t, true};
        wanted.append(r);
        const QImage image = m_renderer->tile(r.key());
        if (image.isNull())
            missing = true;
        else
            ready.append({t, image});
    }
    if (missing) {
        // Until the page is drawn at this size, the same page at another size stands in for it.
        const QImage stand = m_renderer->anyWholePage(pagePtr.get());
        if (!stand.isNull()) {
            p.save();
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(QRectF(inner), stand);
            p.restore();
        }
    }
    p.save();
    p.setWorldTransform(QTransform::fromScale(1 / dpr, 1 / dpr));
    for (const auto& [t, image] : ready)
        p.drawImage(device.topLeft() + t.topLeft(), image);
    p.restore();
}

void TEmfViewer::prefetch(int page, const QRect& sheet, qreal dpr, QList<TileRequest>& wanted) const {
    const QRect inner = marginRect(sheet);
    if (inner.isEmpty())
        return;
    // Only what lies within one view's height of the view.
    const QRect near(0, -m_viewHeight, m_viewWidth, 3 * m_viewHeight);
    const QRect device = toDevice(inner, dpr);
    const QRect area = toDevice(near, dpr).translated(-device.topLeft());
    for (const QRect& t : pageTiles(device.size(), area))
        wanted.append(TileRequest{m_pages.at(page), device.size(), t, false});
}

} // namespace vek
