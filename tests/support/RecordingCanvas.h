#pragma once
// A GDI-style canvas that keeps what is drawn on it: text runs with their positions and fonts,
// rectangles, lines, pictures and the mapping calls.

#include "platform/GdiCanvas.h"

#include <QFontMetricsF>
#include <QList>
#include <QPainter>
#include <QString>
#include <vector>

namespace vek::test {

struct TextRun {
    int x = 0;
    int y = 0;
    QString text;
    std::vector<int> dx;
    GdiFontPtr font;
    ColorRef color = 0;
    unsigned options = 0; // ETO_ flags
    int right() const {
        int r = x;
        for (int d : dx)
            r += d;
        return r;
    }
};

class RecordingCanvas : public GdiCanvas {
public:
    int dpi = 96;
    std::vector<TextRun> runs;
    std::vector<std::pair<QRect, ColorRef>> fills;
    std::vector<std::pair<QLine, LogPen>> lines;
    std::vector<QRect> pictures;
    int mapMode = MM_TEXT;
    QSize windowExt, viewportExt;
    QPoint viewportOrg;
    int saveDepth = 0;

    QString text() const {
        QString t;
        for (const TextRun& r : runs)
            t += r.text;
        return t;
    }

    int logPixelsX() const override { return dpi; }
    int logPixelsY() const override { return dpi; }
    void selectFont(GdiFontPtr f) override { m_font = std::move(f); }
    GdiFontPtr font() const override { return m_font; }
    void selectPen(const LogPen& p) override { m_pen = p; }
    LogPen pen() const override { return m_pen; }
    void selectBrush(const LogBrush& b) override { m_brush = b; }
    LogBrush brush() const override { return m_brush; }
    void setTextColor(ColorRef c) override { m_textColor = c; }
    ColorRef textColor() const override { return m_textColor; }
    void setBkMode(int) override {}
    void setBkColor(ColorRef) override {}
    void moveTo(int x, int y) override { m_at = QPoint(x, y); }
    void lineTo(int x, int y) override {
        lines.emplace_back(QLine(m_at, QPoint(x, y)), m_pen);
        m_at = QPoint(x, y);
    }
    void polyline(const QList<QPoint>&) override {}
    void rectangle(const QRect&) override {}
    void fillRect(const QRect& r, ColorRef c) override { fills.emplace_back(r, c); }
    void extTextOut(int x, int y, unsigned options, const QRect*, QStringView text, const int* dx) override {
        TextRun r{x, y, text.toString(), {}, m_font, m_textColor, options};
        if (dx)
            r.dx.assign(dx, dx + text.size());
        runs.push_back(std::move(r));
    }
    void stretchDraw(const QRect& r, const TMetafile&) override { pictures.push_back(r); }
    void stretchImage(const QRect& r, const QImage&) override { pictures.push_back(r); }
    int saveDC() override {
        m_saved.push_back({m_font, m_pen, m_brush, m_textColor, mapMode});
        return ++saveDepth;
    }
    void restoreDC(int level) override {
        saveDepth = level < 0 ? saveDepth + level : level - 1;
        if (saveDepth < 0 || std::size_t(saveDepth) >= m_saved.size())
            return;
        const Saved& s = m_saved[std::size_t(saveDepth)];
        m_font = s.font;
        m_pen = s.pen;
        m_brush = s.brush;
        m_textColor = s.textColor;
        mapMode = s.mapMode;
        m_saved.resize(std::size_t(saveDepth));
    }
    void setMapMode(int mode) override { mapMode = mode; }
    void setWindowOrg(QPoint) override {}
    void setWindowExt(QSize s) override { windowExt = s; }
    void setViewportOrg(QPoint p) override { viewportOrg = p; }
    void setViewportExt(QSize s) override { viewportExt = s; }
    void intersectClipRect(const QRect&) override {}

    // Paints what was recorded (unscaled drawing only).
    void paint(QPainter& p) const {
        for (const auto& [r, c] : fills)
            p.fillRect(r, toQColor(c));
        for (const TextRun& run : runs) {
            p.setFont(run.font->qfont());
            p.setPen(toQColor(run.color));
            double x = run.x;
            const double baseline = run.y + run.font->ascent();
            for (qsizetype i = 0; i < run.text.size(); ++i) {
                p.drawText(QPointF(x, baseline), run.text.mid(i, 1));
                x += i < qsizetype(run.dx.size()) ? run.dx[std::size_t(i)] : 0;
            }
        }
        for (const auto& [l, pen] : lines) {
            p.setPen(QPen(toQColor(pen.color), pen.width));
            p.drawLine(l);
        }
    }

private:
    struct Saved {
        GdiFontPtr font;
        LogPen pen;
        LogBrush brush;
        ColorRef textColor;
        int mapMode;
    };
    std::vector<Saved> m_saved;
    GdiFontPtr m_font;
    LogPen m_pen;
    LogBrush m_brush;
    ColorRef m_textColor = 0;
    QPoint m_at;
};

} // namespace vek::test
