// Building the document: runs of text with their character format, paragraphs with their block
// format, and pictures kept as document resources.

#include "RtfReaderState.h"
#include "platform/Errors.h"
#include "platform/Metafile.h"

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

} // namespace

void Reader::appendText(const QString& text) {
    if (m_pendingPar) {
        m_cursor.insertBlock();
        m_pendingPar = false;
    }
    if (m_formatDirty) {
        QTextCharFormat f = charFormat();
        if (f != m_runFormat) {
            flushRun();
            m_runFormat = f;
        }
        m_formatDirty = false;
    }
    m_run += text;
}

void Reader::flushRun() {
    if (m_run.isEmpty())
        return;
    m_cursor.insertText(m_run, m_runFormat);
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
    f.setFontUnderline(c.underline);
    f.setFontStrikeOut(c.strike);
    if (c.vertical > 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (c.vertical < 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (c.color > 0 && std::size_t(c.color) < m_colors.size() && m_colors[std::size_t(c.color)])
        f.setForeground(*m_colors[std::size_t(c.color)]);
    else
        f.setProperty(AutoColorProperty, true);
    if (c.highlight > 0 && std::size_t(c.highlight) < m_colors.size() && m_colors[std::size_t(c.highlight)])
        f.setBackground(*m_colors[std::size_t(c.highlight)]);
    return f;
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
    QList<QTextOption::Tab> tabs;
    for (const TabStop& t : p.tabs) {
        if (t.twips >= 0)
            tabs.append(QTextOption::Tab(t.twips / 20.0, t.type));
    }
    std::sort(tabs.begin(), tabs.end(),
              [](const QTextOption::Tab& a, const QTextOption::Tab& b) { return a.position < b.position; });
    f.setTabPositions(tabs);
    return f;
}

// Inserts the picture just read as one character of the text. Metafiles stay bytes, PNG and
// JPEG are decoded; anything else keeps only its place on the line.
void Reader::insertPicture() {
    Picture p = std::move(m_picture);
    m_picture = Picture{};
    if (state().dest != Dest::Text || state().chr.hidden)
        return;
    QVariant resource;
    QSizeF natural; // points
    PictureKind kind = p.kind;
    if (kind == PictureKind::Emf) {
        try {
            const TMetafile emf = TMetafile::fromBytes(p.data);
            natural = QSizeF(emf.frame().width() * 72.0 / 2540.0, emf.frame().height() * 72.0 / 2540.0);
            resource = p.data;
        } catch (const EInvalidGraphic&) {
            kind = PictureKind::None;
        }
    } else if (kind == PictureKind::Png || kind == PictureKind::Jpeg) {
        QSize declared;
        const QImage image = decodeImage(p.data, m_pixelBudget, declared);
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
