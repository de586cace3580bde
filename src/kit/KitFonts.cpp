#include "kit/KitFonts.h"

#include "platform/GdiFont.h"

namespace vek {

namespace {

const QString marlettFamily = QStringLiteral("Marlett");

} // namespace

QString kitFaceFor(const QString& face) {
    // Small Fonts captions of the old windows read best in a condensed face; the other faces
    // stand in as they do on printout pages.
    if (face.trimmed().compare(u"small fonts", Qt::CaseInsensitive) == 0)
        return QStringLiteral("DejaVu Sans Condensed");
    const QString substitute = GdiFont::substituteFor(face);
    return substitute.isEmpty() ? face : substitute;
}

bool isMarlettFont(const QFont& font) {
    return font.family().compare(marlettFamily, Qt::CaseInsensitive) == 0;
}

QFont kitFont(const QString& face, int height, unsigned style) {
    QFont f;
    if (face.compare(marlettFamily, Qt::CaseInsensitive) == 0) {
        f.setFamily(marlettFamily);
    } else {
        const QString real = kitFaceFor(face);
        // Fall back to the plain face of the same family first (the condensed DejaVu faces come
        // with an optional package).
        const QString sans = QStringLiteral("Liberation Sans");
        const QString dejavu = QStringLiteral("DejaVu Sans");
        f.setFamilies(real.startsWith(dejavu) ? QStringList{real, dejavu, sans}
                                              : QStringList{real, sans, dejavu});
    }
    f.setBold(style & kfBold);
    f.setItalic(style & kfItalic);
    f.setUnderline(style & kfUnderline);
    f.setStyleStrategy(QFont::PreferAntialias);
    int px = height < 0 ? -height : height;
    if (height > 0 && !isMarlettFont(f)) {
        // A positive height is the cell height, read as GDI reads a LOGFONT's: the em whose
        // ascent + descent (from the face's own metrics) make that height.
        LogFont lf;
        lf.height = height;
        lf.weight = (style & kfBold) ? 700 : 400;
        lf.italic = (style & kfItalic) ? 1 : 0;
        lf.faceName = f.families().constFirst();
        px = roundHalfEven(GdiFont::get(lf)->emSize());
    }
    f.setPixelSize(qMax(1, px));
    return f;
}

} // namespace vek
