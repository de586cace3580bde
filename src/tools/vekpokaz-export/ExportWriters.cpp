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

class PdfWriter : public PageWriter {
public:
    explicit PdfWriter(const WriterOptions& options)
        : m_options(options)
        , m_file(options.path) {
        if (!m_file.open(QIODevice::WriteOnly))
            cannotWrite(options.path, m_file.errorString());
        m_pdf = std::make_unique<QPdfWriter>(&m_file);
        m_pdf->setCreator(u"VekPokaz"_s);
        m_pdf->setResolution(PdfResolution);
        m_pdf->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    }

    void write(int, const TMetafile& page) override {
        if (!m_painter.isActive()) {
            if (!m_painter.begin(m_pdf.get()))
                cannotWrite(m_options.path, u"QPdfWriter"_s);
        } else {
            m_pdf->newPage();
        }
        const QSize sheet(m_pdf->width(), m_pdf->height());
        const QRect rect = pageRectOnSheet(m_options.margins, sheet, PdfResolution, PdfResolution);
        playPage(m_painter, rect, page, m_options.mono);
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

// The A4 sheet as an image of the given size with the page played in.
QImage renderSheet(const WriterOptions& options, const TMetafile& page, QSize size, double dpiX,
                   double dpiY) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(int(std::lround(dpiX / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dpiY / 0.0254)));
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const QRect rect = pageRectOnSheet(options.margins, size, dpiX, dpiY);
        playPage(painter, rect, page, options.mono);
    }
    return image;
}

constexpr QSizeF sheetMm() {
    return QSizeF(SheetWidthMm, SheetHeightMm);
}

void savePng(const QImage& image, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
        cannotWrite(path, file.errorString());
}

QString outputName(const WriterOptions& options, int pageNumber) {
    return pageFileName(options.path, pageNumber);
}

class PngWriter : public PageWriter {
public:
    explicit PngWriter(const WriterOptions& options)
        : m_options(options) {}

    void write(int pageNumber, const TMetafile& page) override {
        const double dpi = m_options.dpi;
        const QSizeF mm = sheetMm();
        const QSize size(std::max(1, int(std::lround(mm.width() / 25.4 * dpi))),
                         std::max(1, int(std::lround(mm.height() / 25.4 * dpi))));
        savePng(renderSheet(m_options, page, size, dpi, dpi), outputName(m_options, pageNumber));
    }

private:
    WriterOptions m_options;
};

class ThumbnailWriter : public PageWriter {
public:
    explicit ThumbnailWriter(const WriterOptions& options)
        : m_options(options) {}

    void write(int, const TMetafile& page) override {
        if (m_done)
            return;
        m_done = true;
        const QSizeF mm = sheetMm();
        const double scale = m_options.thumbnail / std::max(mm.width(), mm.height()); // pixels per mm
        const QSize size(std::max(1, int(std::lround(mm.width() * scale))),
                         std::max(1, int(std::lround(mm.height() * scale))));
        savePng(renderSheet(m_options, page, size, scale * 25.4, scale * 25.4), m_options.path);
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
        const QString path = outputName(m_options, pageNumber);
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

std::unique_ptr<PageWriter> makePdfWriter(const WriterOptions& options) {
    return std::make_unique<PdfWriter>(options);
}
std::unique_ptr<PageWriter> makePngWriter(const WriterOptions& options) {
    return std::make_unique<PngWriter>(options);
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
