// Reads arbitrary bytes as rich text and lays them out over several rectangles, measuring and
// drawing, scaled and unscaled, on a canvas that discards what it is given.

#include "platform/GdiCanvas.h"
#include "richtext/DrawRichText.h"

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>

namespace {

class NullCanvas : public vek::GdiCanvas {
public:
    int logPixelsX() const override { return 96; }
    int logPixelsY() const override { return 96; }
    void selectFont(vek::GdiFontPtr f) override { m_font = std::move(f); }
    vek::GdiFontPtr font() const override { return m_font; }
    void selectPen(const vek::LogPen& p) override { m_pen = p; }
    vek::LogPen pen() const override { return m_pen; }
    void selectBrush(const vek::LogBrush& b) override { m_brush = b; }
    vek::LogBrush brush() const override { return m_brush; }
    void setTextColor(vek::ColorRef c) override { m_color = c; }
    vek::ColorRef textColor() const override { return m_color; }
    void setBkMode(int) override {}
    void setBkColor(vek::ColorRef) override {}
    void moveTo(int, int) override {}
    void lineTo(int, int) override {}
    void polyline(const QList<QPoint>&) override {}
    void rectangle(const QRect&) override {}
    void fillRect(const QRect&, vek::ColorRef) override {}
    void extTextOut(int, int, unsigned, const QRect*, QStringView text, const int* dx) override {
        // Touch every advance: a short dx array shows up under AddressSanitizer.
        for (qsizetype i = 0; dx && i < text.size(); ++i)
            m_sum += dx[i];
    }
    void stretchDraw(const QRect&, const vek::TMetafile&) override {}
    void stretchImage(const QRect&, const QImage&) override {}
    int saveDC() override { return ++m_level; }
    void restoreDC(int level) override { m_level = level - 1; }
    void setMapMode(int) override {}
    void setWindowOrg(QPoint) override {}
    void setWindowExt(QSize) override {}
    void setViewportOrg(QPoint) override {}
    void setViewportExt(QSize) override {}
    void intersectClipRect(const QRect&) override {}

private:
    vek::GdiFontPtr m_font;
    vek::LogPen m_pen;
    vek::LogBrush m_brush;
    vek::ColorRef m_color = 0;
    int m_level = 0;
    long long m_sum = 0;
};

} // namespace

// Font caches of fontconfig live until the process ends; they are not leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libfreetype\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    NullCanvas canvas;
    vek::DrawRichText(canvas, QRect(0, 0, 400, 600), text, false, true, 1.8f);
    int pos = 0;
    for (int page = 0; page < 4; ++page) {
        vek::DrawRichText(canvas, QRect(10, 20, 300, 200), text, true, page % 2 == 0, 1.0f, &pos);
        if (pos == 0)
            break;
    }
    return 0;
}
