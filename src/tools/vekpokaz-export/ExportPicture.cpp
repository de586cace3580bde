// The exporter's picture mode: one EMF (or a WMF, as the EMF it converts to) played at its own
// frame size into a PNG, a PDF or an EMF.
#include "Export.h"

#include "platform/EmfPlayer.h"
#include "platform/WmfPlayer.h"

#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>

namespace vek::exporter {
namespace {

constexpr double kMaxPixels = 100e6; // a PNG larger than this is rendered at a lower resolution

// The picture's size in millimetres: its frame, or its bounds on the reference device.
QSizeF pictureSizeMm(const QByteArray& bytes) {
    EmfHeader h;
    if (!readEmfHeader(bytes, h))
        return {};
    const QRectF frame = h.frameInDeviceUnits();
    const QSizeF ppmm = h.pixelsPerMm();
    return QSizeF(frame.width() / ppmm.width(), frame.height() / ppmm.height());
}

ExitCode writePng(const QByteArray& bytes, QSizeF mm, const Options& o) {
    double dpi = o.dpi;
    double w = mm.width() / 25.4 * dpi, h = mm.height() / 25.4 * dpi;
    if (w * h > kMaxPixels) {
        const double f = std::sqrt(kMaxPixels / (w * h));
        w *= f;
        h *= f;
    }
    QImage image(std::max(1, int(std::lround(w))), std::max(1, int(std::lround(h))), QImage::Format_RGB32);
    if (image.isNull()) {
        printError(QStringLiteral("Za mało pamięci na obraz %1 × %2").arg(int(w)).arg(int(h)));
        return ExitCode::Unreadable;
    }
    image.fill(Qt::white);
    image.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    {
        QPainter painter(&image);
        EmfPlayOptions play;
        play.monochrome = o.mono;
        playEmf(painter, QRectF(0, 0, image.width(), image.height()), bytes, play);
    }
    if (!image.save(o.output, "PNG")) {
        printError(QStringLiteral("Nie można zapisać pliku %1").arg(o.output));
        return ExitCode::Unreadable;
    }
    return ExitCode::Done;
}

ExitCode writePdf(const QByteArray& bytes, QSizeF mm, const Options& o) {
    QPdfWriter pdf(o.output);
    pdf.setCreator(QStringLiteral("VekPokaz"));
    pdf.setResolution(1200);
    pdf.setPageSize(QPageSize(mm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&pdf)) {
        printError(QStringLiteral("Nie można zapisać pliku %1").arg(o.output));
        return ExitCode::Unreadable;
    }
    EmfPlayOptions play;
    play.monochrome = o.mono;
    const QRect page = pdf.pageLayout().paintRectPixels(pdf.resolution());
    playEmf(painter, QRectF(0, 0, page.width(), page.height()), bytes, play);
    painter.end();
    return ExitCode::Done;
}

ExitCode writeEmf(const QByteArray& bytes, const Options& o) {
    QFile f(o.output);
    const QByteArray out = o.mono ? emfMonochromeCopy(bytes, rgb(0, 0, 0), rgb(255, 255, 255)) : bytes;
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size()) {
        printError(QStringLiteral("Nie można zapisać pliku %1").arg(o.output));
        return ExitCode::Unreadable;
    }
    return ExitCode::Done;
}

} // namespace

bool isPictureFile(const QString& path) {
    if (path.endsWith(u".emf", Qt::CaseInsensitive) || path.endsWith(u".wmf", Qt::CaseInsensitive))
        return true;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(44);
    WmfInfo wmf;
    return (head.size() == 44 && head.mid(40, 4) == QByteArrayView(" EMF")) || readWmfInfo(head, wmf);
}

QByteArray pictureAsEmf(QByteArray bytes) {
    EmfHeader header;
    return readEmfHeader(bytes, header) ? bytes : convertWmf(bytes).emf;
}

ExitCode exportPicture(const Options& o) {
    QFile file(o.input);
    if (!file.open(QIODevice::ReadOnly)) {
        printError(QStringLiteral("Nie można otworzyć pliku %1").arg(o.input));
        return ExitCode::Unreadable;
    }
    // Played from the bytes as they are: a picture whose length fields overstate its size (a cut
    // file) still draws what it holds.
    const QByteArray bytes = pictureAsEmf(file.readAll());
    const QSizeF mm = pictureSizeMm(bytes); // empty when the bytes are no metafile
    if (!(mm.width() > 0) || !(mm.height() > 0) || mm.width() > 1e5 || mm.height() > 1e5) {
        printError(QStringLiteral("Nieprawidłowy metaplik"));
        return ExitCode::Unreadable;
    }
    if (o.output.isEmpty()) {
        printError(QStringLiteral("Brak pliku wyjściowego (-o)"));
        return ExitCode::Usage;
    }
    if (o.output.endsWith(u".pdf", Qt::CaseInsensitive))
        return writePdf(bytes, mm, o);
    if (o.output.endsWith(u".emf", Qt::CaseInsensitive))
        return writeEmf(bytes, o);
    return writePng(bytes, mm, o);
}

} // namespace vek::exporter
