// Text played onto a PDF engine goes out in one glyph run per font, colour and scale. What reaches
// the engine must still be what a direct drawing gives: the same glyphs at the same places, in the
// same order against everything else on the page.
#include "platform/MetafileCanvas.h"
#include "printing/MetafileDraw.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <gtest/gtest.h>

using namespace vek;

namespace {

// What the engine was asked to draw, in device units. Text reaches it as a text item, which the
// base engine turns into outlines: those outlines are recorded as drawn by that text item.
struct Drawn {
    bool text = false;
    QRgb color = 0;
    QPainterPath path; // device units
};

class RecordingEngine : public QPaintEngine {
public:
    explicit RecordingEngine(Type type)
        : QPaintEngine(AllFeatures)
        , m_type(type) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return m_type; }
    void updateState(const QPaintEngineState& changed) override {
        if (changed.state() & DirtyTransform)
            m_transform = changed.transform();
        if (changed.state() & DirtyBrush)
            m_brush = changed.brush().color().rgb();
        if (changed.state() & DirtyPen)
            m_pen = changed.pen().color().rgb();
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        ++textItems;
        m_inText = true;
        QPaintEngine::drawTextItem(p, item);
        m_inText = false;
    }
    void drawPath(const QPainterPath& path) override {
        drawn.push_back(Drawn{m_inText, m_inText ? m_brush : m_pen, m_transform.map(path)});
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override {
        QPainterPath path;
        path.addPolygon(QPolygonF(QList<QPointF>(points, points + count)));
        drawPath(path);
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}

    std::vector<Drawn> drawn;
    int textItems = 0;

private:
    Type m_type;
    QTransform m_transform;
    QRgb m_brush = 0;
    QRgb m_pen = 0;
    bool m_inText = false;
};

class RecordingDevice : public QPaintDevice {
public:
    explicit RecordingDevice(QPaintEngine::Type type)
        : m_engine(type) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }
    RecordingEngine& engine() { return m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return 2000;
        case PdmHeight:
            return 2800;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 240;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    mutable RecordingEngine m_engine;
};

LogFont font(int weight, int escapement = 0, bool underline = false) {
    LogFont lf;
    lf.faceName = QStringLiteral("Courier New");
    lf.height = -20;
    lf.width = -10;
    lf.weight = weight;
    lf.escapement = escapement;
    lf.underline = underline ? 1 : 0;
    return lf;
}

// Fields as the composer draws them, with everything that must end a run of text between them.
TMetafile fieldsPage() {
    TMetafile page;
    page.setPageSize();
    MetafileCanvas c(page);
    const int dx[] = {10, 10, 10, 10, 10, 10, 10, 10};
    c.selectFont(GdiFont::get(font(400)));
    c.extTextOut(100, 100, 0, nullptr, u"Pozycja", dx);
    c.extTextOut(300, 100, 0, nullptr, u"12,50 zł", dx);
    c.extTextOut(100, 121, 0, nullptr, u"Łączna", dx);
    c.moveTo(100, 145); // a rule between two lines of text
    c.lineTo(600, 145);
    c.extTextOut(100, 150, 0, nullptr, u"Razem", nullptr);
    c.selectFont(GdiFont::get(font(700)));
    c.extTextOut(300, 150, 0, nullptr, u"Suma", nullptr);
    c.setTextColor(rgb(200, 0, 0));
    c.extTextOut(400, 150, 0, nullptr, u"Uwaga", nullptr);
    c.selectFont(GdiFont::get(font(400, 0, true)));
    c.extTextOut(100, 200, 0, nullptr, u"Podkreślony", nullptr);
    c.selectFont(GdiFont::get(font(400)));
    const QRect box(100, 250, 40, 20);
    c.extTextOut(100, 250, ETO_CLIPPED, &box, u"Przycięty tekst", nullptr);
    c.fillRect(QRect(95, 280, 100, 30), rgb(255, 255, 0)); // under the next text, over none
    c.extTextOut(100, 285, 0, nullptr, u"Na żółtym", nullptr);
    c.setBkMode(OPAQUE);
    c.extTextOut(100, 320, 0, nullptr, u"Z tłem", nullptr);
    c.setBkMode(TRANSPARENT);
    c.selectFont(GdiFont::get(font(400, 900)));
    c.extTextOut(700, 600, 0, nullptr, u"Pionowo", nullptr);
    c.finish();
    return page;
}

std::vector<Drawn> play(const TMetafile& page, QPaintEngine::Type type, bool mono, int* textItems) {
    RecordingDevice device(type);
    {
        QPainter painter(&device);
        DrawPage(painter, QRect(100, 150, 1800, 2500), page, mono);
    }
    *textItems = device.engine().textItems;
    return device.engine().drawn;
}

// Consecutive text outlines of one colour joined into one, so that direct and gathered drawing
// can be compared drawing by drawing.
std::vector<Drawn> joinText(const std::vector<Drawn>& drawn) {
    std::vector<Drawn> out;
    for (const Drawn& d : drawn) {
        if (d.text && !out.empty() && out.back().text && out.back().color == d.color)
            out.back().path.addPath(d.path);
        else
            out.push_back(d);
    }
    return out;
}

// The largest distance between corresponding points of two paths, or infinity when their
// elements differ.
double distance(const QPainterPath& a, const QPainterPath& b) {
    if (a.elementCount() != b.elementCount())
        return std::numeric_limits<double>::infinity();
    double most = 0;
    for (int i = 0; i < a.elementCount(); ++i) {
        const QPainterPath::Element ea = a.elementAt(i), eb = b.elementAt(i);
        if (ea.type != eb.type)
            return std::numeric_limits<double>::infinity();
        most = std::max({most, std::abs(ea.x - eb.x), std::abs(ea.y - eb.y)});
    }
    return most;
}

} // namespace

TEST(PdfText, GatheredTextDrawsTheSameGlyphsInTheSameOrder) {
    const TMetafile page = fieldsPage();
    for (const bool mono : {false, true}) {
        SCOPED_TRACE(mono ? "monochrome" : "colour");
        int directItems = 0, pdfItems = 0;
        const std::vector<Drawn> direct = joinText(play(page, QPaintEngine::Raster, mono, &directItems));
        const std::vector<Drawn> pdf = joinText(play(page, QPaintEngine::Pdf, mono, &pdfItems));
        EXPECT_EQ(directItems, 11); // one per text record
        // Gathered: the first three fields; every other one is parted from the one before by a
        // rule, another font, another colour (not in black and white), an underline, a clip, a
        // fill, an opaque background or a rotation.
        EXPECT_EQ(pdfItems, mono ? 8 : 9);
        ASSERT_EQ(pdf.size(), direct.size());
        for (std::size_t i = 0; i < pdf.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(pdf[i].text, direct[i].text);
            EXPECT_EQ(pdf[i].color, direct[i].color);
            // Positions are held to 1/64 of a text unit: far below a device unit here.
            EXPECT_LT(distance(pdf[i].path, direct[i].path), 0.05);
        }
    }
}
