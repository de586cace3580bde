#include "ExportWriters.h"

#include "ExportText.h"
#include "platform/Errors.h"
#include "platform/Metafile.h"
#include "viewing/MetafileDraw.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace vek::exporter {

namespace {

constexpr double SheetWidthMm = 210.0;
constexpr double SheetHeightMm = 297.0;
constexpr int PdfResolution = 1200;

[[noreturn]] void cannotWrite(const QString& path, const QString& why) {
    throw EOutputError(u"Nie można zapisać pliku %1: %2"_s.arg(path, why));
}

void playPage(QPainter& painter, const QRect& rect, const TMetafile& page, bool mono) {
    DrawPage(painter, rect, page, mono);
}

} // namespace

bool twoUp(const WriterOptions& options) {
    return options.layout != SheetLayout::Normal;
}

void drawSide(QPainter& painter, const WriterOptions& options, const SheetSide& side, QSize sheet,
              double dpiX, double dpiY) {
    if (!twoUp(options)) {
        if (side.first)
            playPage(painter, pageRectOnSheet(options.margins, sheet, dpiX, dpiY), *side.first, options.mono);
        return;
    }
    const auto [left, right] = halvesOfSheet(options.margins, sheet, dpiX, dpiY);
    if (side.first)
        playPage(painter, left, *side.first, options.mono);
    if (side.second)
        playPage(painter, right, *side.second, options.mono);
}

namespace {

// Sheet size in millimetres: A4, landscape for the two-up layouts.
QSizeF sheetMm(const WriterOptions& options) {
    return twoUp(options) ? QSizeF(SheetHeightMm, SheetWidthMm) : QSizeF(SheetWidthMm, SheetHeightMm);
}

class PdfSheets : public SheetWriter {
public:
    explicit PdfSheets(const WriterOptions& options)
        : m_options(options)
        , m_file(options.path) {
        if (!m_file.open(QIODevice::WriteOnly))
            cannotWrite(options.path, m_file.errorString());
        m_pdf = std::make_unique<QPdfWriter>(&m_file);
        m_pdf->setCreator(u"VekPokaz"_s);
        m_pdf->setResolution(PdfResolution);
        m_pdf->setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                         twoUp(options) ? QPageLayout::Landscape : QPageLayout::Portrait,
                                         QMarginsF()));
    }

    void side(int, const SheetSide& side) override {
        if (!m_painter.isActive()) {
            if (!m_painter.begin(m_pdf.get()))
                cannotWrite(m_options.path, u"QPdfWriter"_s);
        } else {
            m_pdf->newPage();
        }
        drawSide(m_painter, m_options, side, QSize(m_pdf->width(), m_pdf->height()), PdfResolution,
                 PdfResolution);
    }

    void finish() override {
        if (!m_painter.isActive())
            m_painter.begin(m_pdf.get()); // a document without pages is still a valid PDF
        m_painter.end();
        m_pdf.reset();
        if (!m_file.commit())
            cannotWrite(m_options.path, m_file.errorString());
    }

    void discard() override {
        if (m_painter.isActive())
            m_painter.end();
        m_pdf.reset();
        m_file.cancelWriting();
    }

private:
    WriterOptions m_options;
    QSaveFile m_file;
    std::unique_ptr<QPdfWriter> m_pdf;
    QPainter m_painter;
};

// The sheet as an image of the given size with the side's pages played in.
QImage renderSheet(const WriterOptions& options, const SheetSide& side, QSize size, double dpiX,
                   double dpiY) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(int(std::lround(dpiX / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dpiY / 0.0254)));
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        drawSide(painter, options, side, size, dpiX, dpiY);
    }
    return image;
}

void savePng(const QImage& image, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
        cannotWrite(path, file.errorString());
}

class PngSheets : public SheetWriter {
public:
    explicit PngSheets(const WriterOptions& options)
        : m_options(options) {}

    void side(int number, const SheetSide& side) override {
        const double dpi = m_options.dpi;
        const QSizeF mm = sheetMm(m_options);
        const QSize size(std::max(1, int(std::lround(mm.width() / 25.4 * dpi))),
                         std::max(1, int(std::lround(mm.height() / 25.4 * dpi))));
        savePng(renderSheet(m_options, side, size, dpi, dpi), pageFileName(m_options.path, number));
    }

private:
    WriterOptions m_options;
};

// The normal layout: every page on a sheet of its own, numbered by the page.
class SheetPerPage : public PageWriter {
public:
    explicit SheetPerPage(std::unique_ptr<SheetWriter> sheets)
        : m_sheets(std::move(sheets)) {}
    void write(int pageNumber, const TMetafile& page) override {
        m_sheets->side(pageNumber, {&page, nullptr});
    }
    void finish() override { m_sheets->finish(); }
    void discard() override { m_sheets->discard(); }

private:
    std::unique_ptr<SheetWriter> m_sheets;
};

// Two pages a side. Reduced: pages in pairs, left then right, written as each pair is complete.
// Booklet: the pages, padded to a multiple of four, folded: sheet k carries P-2k+2 and 2k-1 on its
// front and 2k and P-2k+1 on its back; written once every page exists.
class TwoUp : public PageWriter {
public:
    TwoUp(std::unique_ptr<SheetWriter> sheets, bool booklet, std::function<const TMetafile&(int)> pageAt)
        : m_sheets(std::move(sheets))
        , m_booklet(booklet)
        , m_pageAt(std::move(pageAt)) {}

    void write(int pageNumber, const TMetafile&) override {
        m_pages.append(pageNumber);
        if (!m_booklet && m_pages.size() == 2)
            flushPair();
    }

    void finish() override {
        if (m_booklet)
            writeBooklet();
        else if (!m_pages.isEmpty())
            flushPair();
        m_sheets->finish();
    }
    void discard() override { m_sheets->discard(); }

private:
    const TMetafile* slot(int j) const { // j-th page of the list, 1-based; null past the end
        return j >= 1 && j <= m_pages.size() ? &m_pageAt(m_pages[j - 1]) : nullptr;
    }

    void flushPair() {
        m_sheets->side(++m_sides, {slot(1), slot(2)});
        m_pages.clear();
    }

    void writeBooklet() {
        const int P = int((m_pages.size() + 3) / 4 * 4);
        for (int k = 1; k <= P / 4; ++k) {
            m_sheets->side(++m_sides, {slot(P - 2 * k + 2), slot(2 * k - 1)});
            m_sheets->side(++m_sides, {slot(2 * k), slot(P - 2 * k + 1)});
        }
    }

    std::unique_ptr<SheetWriter> m_sheets;
    bool m_booklet;
    std::function<const TMetafile&(int)> m_pageAt;
    QList<int> m_pages;
    int m_sides = 0;
};

// The first page only, as an image whose longer side is options.thumbnail pixels.
class ThumbnailWriter : public PageWriter {
public:
    explicit ThumbnailWriter(const WriterOptions& options)
        : m_options(options) {
        m_options.layout = SheetLayout::Normal;
    }

    void write(int, const TMetafile& page) override {
        if (m_done)
            return;
        m_done = true;
        const QSizeF mm = sheetMm(m_options);
        const double scale = m_options.thumbnail / std::max(mm.width(), mm.height()); // pixels per mm
        const QSize size(std::max(1, int(std::lround(mm.width() * scale))),
                         std::max(1, int(std::lround(mm.height() * scale))));
        savePng(renderSheet(m_options, {&page, nullptr}, size, scale * 25.4, scale * 25.4), m_options.path);
    }

private:
    WriterOptions m_options;
    bool m_done = false;
};

class EmfWriter : public PageWriter {
public:
    explicit EmfWriter(const WriterOptions& options)
        : m_options(options) {}

    void write(int pageNumber, const TMetafile& page) override {
        const QString path = pageFileName(m_options.path, pageNumber);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(page.bytes()) != page.bytes().size() ||
            !file.commit())
            cannotWrite(path, file.errorString());
    }

private:
    WriterOptions m_options;
};

class TextWriter : public PageWriter {
public:
    void write(int, const TMetafile& page) override {
        if (m_pages++ > 0)
            std::fputc('\f', stdout);
        const QByteArray text = pageText(page).toUtf8();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    }
    void finish() override { std::fflush(stdout); }

private:
    int m_pages = 0;
};

} // namespace

QRect pageRectOnSheet(const SheetMargins& margins, QSize sheetPixels, double dpiX, double dpiY) {
    // Dots per millimetre in single precision and margins rounded half to even, as printing does.
    const float dx = float(dpiX) / 25.4f;
    const float dy = float(dpiY) / 25.4f;
    const int mL = int(std::nearbyint(float(margins.left) * dx));
    const int mR = int(std::nearbyint(float(margins.right) * dx));
    const int mT = int(std::nearbyint(float(margins.top) * dy));
    const int mB = int(std::nearbyint(float(margins.bottom) * dy));
    return QRect(QPoint(mL, mT), QPoint(sheetPixels.width() - mR - 1, sheetPixels.height() - mB - 1));
}

std::pair<QRect, QRect> halvesOfSheet(const SheetMargins& margins, QSize sheetPixels, double dpiX,
                                      double dpiY) {
    const QRect full = pageRectOnSheet(margins, sheetPixels, dpiX, dpiY);
    const float dx = float(dpiX) / 25.4f;
    const int mL = int(std::nearbyint(float(margins.left) * dx));
    const int mR = int(std::nearbyint(float(margins.right) * dx));
    const int M = sheetPixels.width() / 2;
    // GDI rectangles (right and bottom excluded) held in QRect corners.
    return {QRect(full.topLeft(), QPoint(M - mR - 1, full.bottom())),
            QRect(QPoint(M + mL, full.top()), full.bottomRight())};
}

QString pageFileName(const QString& pattern, int pageNumber) {
    const QString number = QString::number(pageNumber);
    if (pattern.contains(u"%d"_s))
        return QString(pattern).replace(u"%d"_s, number);
    const QFileInfo info(pattern);
    const QString suffix = info.suffix();
    if (suffix.isEmpty())
        return pattern + u'-' + number;
    const QString stem = pattern.left(pattern.size() - suffix.size() - 1);
    return stem + u'-' + number + u'.' + suffix;
}

PageSchedule::PageSchedule(QList<PageRange> ranges)
    : m_ranges(std::move(ranges))
    , m_all(m_ranges.isEmpty()) {
    m_next = m_all ? 1 : m_ranges.first().first;
}

void PageSchedule::pageMade(int made, const std::function<void(int)>& emit) {
    if (m_all) {
        while (m_next <= made)
            emit(int(m_next++));
        return;
    }
    while (m_range < m_ranges.size() && m_next <= made) {
        emit(int(m_next));
        if (++m_next > m_ranges[m_range].last && ++m_range < m_ranges.size())
            m_next = m_ranges[m_range].first;
    }
}

bool PageSchedule::complete() const {
    return !m_all && m_range >= m_ranges.size();
}

std::unique_ptr<SheetWriter> makePdfSheets(const WriterOptions& options) {
    return std::make_unique<PdfSheets>(options);
}
std::unique_ptr<SheetWriter> makePngSheets(const WriterOptions& options) {
    return std::make_unique<PngSheets>(options);
}
std::unique_ptr<PageWriter> makeSheetPageWriter(std::unique_ptr<SheetWriter> sheets, SheetLayout layout,
                                                std::function<const TMetafile&(int)> pageAt) {
    if (layout == SheetLayout::Normal)
        return std::make_unique<SheetPerPage>(std::move(sheets));
    return std::make_unique<TwoUp>(std::move(sheets), layout == SheetLayout::Booklet, std::move(pageAt));
}
std::unique_ptr<PageWriter> makeEmfWriter(const WriterOptions& options) {
    return std::make_unique<EmfWriter>(options);
}
std::unique_ptr<PageWriter> makeThumbnailWriter(const WriterOptions& options) {
    return std::make_unique<ThumbnailWriter>(options);
}
std::unique_ptr<PageWriter> makeTextWriter() {
    return std::make_unique<TextWriter>();
}

} // namespace vek::exporter
