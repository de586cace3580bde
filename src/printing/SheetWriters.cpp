#include "SheetWriters.h"

#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace vek {

namespace {

constexpr int PdfResolution = 1200;

[[noreturn]] void cannotWrite(const QString& path, const QString& why) {
    throw EOutputError(u"Nie można zapisać pliku %1: %2"_s.arg(path, why));
}

class PdfSheets : public SheetWriter {
public:
    PdfSheets(const QString& path, const SheetFormat& format)
        : m_path(path)
        , m_format(format)
        , m_file(path) {
        if (!m_file.open(QIODevice::WriteOnly))
            cannotWrite(path, m_file.errorString());
        m_pdf = std::make_unique<QPdfWriter>(&m_file);
        m_pdf->setCreator(u"VekPokaz"_s);
        m_pdf->setResolution(PdfResolution);
        m_pdf->setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4),
                        twoUp(format.layout) ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
    }

    void side(int, const SheetSide& side) override {
        if (!m_painter.isActive()) {
            if (!m_painter.begin(m_pdf.get()))
                cannotWrite(m_path, u"QPdfWriter"_s);
        } else {
            m_pdf->newPage();
        }
        drawSide(m_painter, m_format, side, QSize(m_pdf->width(), m_pdf->height()), PdfResolution,
                 PdfResolution);
    }

    void finish() override {
        if (!m_painter.isActive())
            m_painter.begin(m_pdf.get()); // a document without pages is still a valid PDF
        m_painter.end();
        m_pdf.reset();
        if (!m_file.commit())
            cannotWrite(m_path, m_file.errorString());
    }

    void discard() override {
        if (m_painter.isActive())
            m_painter.end();
        m_pdf.reset();
        m_file.cancelWriting();
    }

private:
    QString m_path;
    SheetFormat m_format;
    QSaveFile m_file;
    std::unique_ptr<QPdfWriter> m_pdf;
    QPainter m_painter;
};

void savePng(const QImage& image, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
        cannotWrite(path, file.errorString());
}

class PngSheets : public SheetWriter {
public:
    PngSheets(const QString& pattern, const SheetFormat& format, int dpi)
        : m_pattern(pattern)
        , m_format(format)
        , m_dpi(dpi) {}

    void side(int number, const SheetSide& side) override {
        const QSizeF mm = sheetSizeMm(m_format.layout);
        const QSize size(std::max(1, int(std::lround(mm.width() / 25.4 * m_dpi))),
                         std::max(1, int(std::lround(mm.height() / 25.4 * m_dpi))));
        savePng(renderSheet(m_format, side, size, m_dpi, m_dpi), pageFileName(m_pattern, number));
    }

private:
    QString m_pattern;
    SheetFormat m_format;
    double m_dpi;
};

} // namespace

QString pageFileName(const QString& pattern, int number) {
    const QString text = QString::number(number);
    if (pattern.contains(u"%d"_s))
        return QString(pattern).replace(u"%d"_s, text);
    const QFileInfo info(pattern);
    const QString suffix = info.suffix();
    if (suffix.isEmpty())
        return pattern + u'-' + text;
    const QString stem = pattern.left(pattern.size() - suffix.size() - 1);
    return stem + u'-' + text + u'.' + suffix;
}

std::unique_ptr<SheetWriter> makePdfSheets(const QString& path, const SheetFormat& format) {
    return std::make_unique<PdfSheets>(path, format);
}

std::unique_ptr<SheetWriter> makePngSheets(const QString& pattern, const SheetFormat& format, int dpi) {
    return std::make_unique<PngSheets>(pattern, format, dpi);
}

} // namespace vek
