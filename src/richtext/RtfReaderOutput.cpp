// Building the document: runs of text with their character format, paragraphs with their block
// format, and pictures kept as document resources.

#include "RtfReaderState.h"
#include "platform/Errors.h"
#include "platform/Metafile.h"
#include "platform/WmfBitmap.h"
#include "platform/WmfPlayer.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

namespace vek::rtf {
namespace {

constexpr double kMaxPicturePoints = 14400; // 200 inches
// Decodes a PNG or JPEG picture within the pixel budget; size is the size the picture declares.
QImage decodeImage(const QByteArray& data, qint64& pixelBudget, QSize& size) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    size = reader.size();
    const qint64 pixels = size.isValid() ? qint64(size.width()) * size.height() : 0;
    if (pixels <= 0 || pixels > pixelBudget)
        return {};
    pixelBudget -= pixels;
    return reader.read();
}

// Decodes a \dibitmap (a packed DIB) or a \wbitmap (a device-dependent bitmap whose geometry the
// picture's words give) within the pixel budget.
QImage decodeBitmap(const Picture& p, qint64& pixelBudget, QSize& size) {
    DeviceBitmap ddb{p.picw, p.pich, p.widthBytes, p.planes, p.bitsPixel, p.data};
    if (ddb.widthBytes == 0) // rows padded to whole words
        ddb.widthBytes = int((qint64(p.picw) * p.bitsPixel + 15) / 16 * 2);
    size = p.deviceBitmap ? QSize(p.picw, p.pich) : packedDibSize(p.data);
    size.setHeight(std::abs(size.height()));
    const qint64 pixels = qint64(size.width()) * size.height();
    if (pixels <= 0 || pixels > pixelBudget)
        return {};
    pixelBudget -= pixels;
    return decodePackedDib(p.deviceBitmap ? deviceBitmapToDib(ddb) : p.data);
}

} // namespace

void Reader::appendText(const QString& text) {
    if (m_pendingPar) {
        m_cursor.insertBlock();
        m_pendingPar = false;
    }
    const CharState& c = state().chr;
    if (c.smallCaps && !c.caps) {
        // Small capitals: lower-case letters become capitals of a smaller size.
        for (const QChar ch : text)
            appendRun(ch.isLower() ? QString(ch.toUpper()) : QString(ch), ch.isLower());
        return;
    }
    appendRun(c.caps || c.smallCaps ? text.toUpper() : text, false);
}

void Reader::appendRun(const QString& text, bool small) {
    if (m_formatDirty || small != m_runSmall) {
        QTextCharFormat f = charFormat();
        if (small)
            f.setFontPointSize(f.fontPointSize() * 0.8);
        if (f != m_runFormat) {
            flushRun();
            m_runFormat = f;
        }
        m_formatDirty = false;
        m_runSmall = small;
    }
    m_run += text;
}

void Reader::flushRun() {
    if (m_run.isEmpty())
        return;
    // Accents typed as combining characters join the letter before them where a precomposed
    // letter exists, as the face draws that one.
    m_cursor.insertText(m_run.normalized(QString::NormalizationForm_C), m_runFormat);
    m_run.clear();
}

void Reader::paragraphBreak() {
    flushRun();
    if (m_pendingPar)
        m_cursor.insertBlock();
    applyBlockFormat();
    m_pendingPar = true;
}

void Reader::applyBlockFormat() {
    m_cursor.setBlockFormat(blockFormat());
    m_cursor.setBlockCharFormat(charFormat());
}

QTextCharFormat Reader::charFormat() const {
    const CharState& c = state().chr;
    QTextCharFormat f;
    const FontEntry* font = findFont(c.font);
    const QString face = font && !font->face.isEmpty() ? font->face : QStringLiteral("Arial");
    if (font && !font->alt.isEmpty())
        f.setFontFamilies({face, font->alt});
    else
        f.setFontFamilies({face});
    f.setProperty(CharsetProperty, font ? font->charset : 1);
    f.setProperty(PitchFamilyProperty, font ? int(font->pitchAndFamily) : 0);
    f.setFontPointSize(c.halfPoints / 2.0);
    f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(c.italic);
    f.setFontUnderline(c.underline != UlNone);
    f.setFontStrikeOut(c.strike != 0);
    if (c.underline != UlNone)
        f.setProperty(UnderlineKindProperty, c.underline);
    if (c.strike > 1)
        f.setProperty(StrikeKindProperty, c.strike);
    if (c.rise != 0)
        f.setProperty(RiseProperty, c.rise / 2.0);
    if (c.scaleX != 100)
        f.setProperty(ScaleXProperty, c.scaleX);
    if (c.spacing != 0)
        f.setProperty(SpacingProperty, c.spacing / 20.0);
    if (c.vertical > 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (c.vertical < 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (const auto fore = color(c.color))
        f.setForeground(*fore);
    else
        f.setProperty(AutoColorProperty, true);
    if (const auto back = color(c.highlight))
        f.setBackground(*back);
    else if (const auto shade = color(c.shading))
        f.setBackground(*shade);
    return f;
}

// The colour-table entry; none for the auto colour (0) and indices past the table.
std::optional<QColor> Reader::color(int index) const {
    if (index > 0 && std::size_t(index) < m_colors.size())
        return m_colors[std::size_t(index)];
    return std::nullopt;
}

QTextBlockFormat Reader::blockFormat() const {
    const ParaState& p = state().para;
    QTextBlockFormat f;
    f.setAlignment(p.align);
    f.setLeftMargin(p.left / 20.0);
    f.setRightMargin(p.right / 20.0);
    f.setTextIndent(p.first / 20.0);
    f.setTopMargin(p.before / 20.0);
    f.setBottomMargin(p.after / 20.0);
    f.setProperty(LineSpacingProperty, p.lineSpacing);
    f.setProperty(LineSpacingMultipleProperty, p.lineMultiple);
    std::vector<TabStop> stops;
    std::copy_if(p.tabs.begin(), p.tabs.end(), std::back_inserter(stops),
                 [](const TabStop& t) { return t.twips >= 0; });
    std::stable_sort(stops.begin(), stops.end(),
                     [](const TabStop& a, const TabStop& b) { return a.twips < b.twips; });
    QList<QTextOption::Tab> tabs;
    QVariantList leaders;
    for (const TabStop& t : stops) {
        tabs.append(QTextOption::Tab(t.twips / 20.0, t.type));
        leaders.append(t.leader);
    }
    f.setTabPositions(tabs);
    if (std::any_of(stops.begin(), stops.end(), [](const TabStop& t) { return t.leader != LeaderNone; }))
        f.setProperty(TabLeadersProperty, leaders);
    if (p.borders != 0) {
        f.setProperty(BordersProperty, p.borders);
        f.setProperty(BorderWidthProperty, p.borderTwips / 20.0);
        f.setProperty(BorderSpaceProperty, p.borderSpace / 20.0);
        f.setProperty(BorderColorProperty, color(p.borderColor).value_or(QColor(Qt::black)));
    }
    if (p.inTable) {
        QVariantList edges{m_row.left / 20.0};
        QVariantList borders;
        for (std::size_t i = 0; i < m_row.cellx.size(); ++i) {
            edges.append(m_row.cellx[i] / 20.0);
            borders.append(m_row.borders[i]);
        }
        f.setProperty(TableRowProperty, m_rowNumber);
        f.setProperty(TableCellProperty, m_cellIndex);
        f.setProperty(TableEdgesProperty, edges);
        f.setProperty(TableGapProperty, m_row.gap / 20.0);
        f.setProperty(TableBordersProperty, borders);
        f.setProperty(TableBorderWidthProperty, m_row.borderTwips / 20.0);
    }
    if (const auto back = color(p.background))
        f.setProperty(ShadingProperty, *back);
    else if (p.shading > 0)
        f.setProperty(ShadingProperty, QColor::fromRgbF(1 - p.shading / 10000.0f, 1 - p.shading / 10000.0f,
                                                        1 - p.shading / 10000.0f));
    return f;
}

// Inserts the picture just read as one character of the text. Metafiles stay bytes (a WMF turned
// into an EMF), PNG, JPEG and bitmaps are decoded; anything else keeps only its place on the line.
void Reader::insertPicture() {
    Picture p = std::move(m_picture);
    m_picture = Picture{};
    if (state().dest != Dest::Text || state().chr.hidden)
        return;
    QVariant resource;
    QSizeF natural; // points
    PictureKind kind = p.kind;
    if (kind == PictureKind::Emf || kind == PictureKind::Wmf) {
        try {
            const TMetafile emf = kind == PictureKind::Emf ? TMetafile::fromBytes(p.data)
                                                           : wmfToMetafile(p.data, QSize(p.picw, p.pich));
            natural = QSizeF(emf.frame().width() * 72.0 / 2540.0, emf.frame().height() * 72.0 / 2540.0);
            resource = emf.bytes();
            kind = PictureKind::Emf;
        } catch (const EInvalidGraphic&) {
            kind = PictureKind::None;
        }
    } else if (kind == PictureKind::Png || kind == PictureKind::Jpeg || kind == PictureKind::Bitmap) {
        QSize declared;
        const QImage image = kind == PictureKind::Bitmap ? decodeBitmap(p, m_pixelBudget, declared)
                                                         : decodeImage(p.data, m_pixelBudget, declared);
        if (declared.isValid())
            natural = QSizeF(declared.width() * 0.75, declared.height() * 0.75);
        if (image.isNull())
            kind = PictureKind::None;
        else
            resource = image;
    }
    const bool metafileUnits = p.kind == PictureKind::Emf || p.kind == PictureKind::Wmf;
    const double unit = metafileUnits ? 72.0 / 2540.0 : 0.75;
    double w = p.goalw > 0 ? p.goalw / 20.0 : p.picw > 0 ? p.picw * unit : natural.width();
    double h = p.goalh > 0 ? p.goalh / 20.0 : p.pich > 0 ? p.pich * unit : natural.height();
    w = std::min(w * p.scalex / 100.0, kMaxPicturePoints);
    h = std::min(h * p.scaley / 100.0, kMaxPicturePoints);
    if (!(w > 0) || !(h > 0))
        return;
    if (m_pendingPar) {
        flushRun();
        m_cursor.insertBlock();
        m_pendingPar = false;
    }
    flushRun();
    QTextImageFormat f;
    f.merge(charFormat());
    const QString name = QStringLiteral("%1:%2").arg(QStringView(PictureScheme)).arg(++m_pictureCount);
    if (resource.isValid())
        m_doc.addResource(QTextDocument::ImageResource, QUrl(name), resource);
    f.setName(name);
    f.setWidth(w);
    f.setHeight(h);
    f.setProperty(PictureKindProperty, int(kind));
    m_cursor.insertImage(f);
    m_formatDirty = true;
    m_runFormat = QTextCharFormat();
}

} // namespace vek::rtf
