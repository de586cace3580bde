#include "kit/HintBar.h"

#include "kit/KitFonts.h"
#include "kit/KitPictures.h"

#include <QEnterEvent>
#include <QPaintEvent>
#include <QPainter>

namespace vek {

namespace {

const QColor barBlack{0, 0, 0};
const QColor barGrey{128, 128, 128};
const QColor textWhite{255, 255, 255};
const QColor textSilver{192, 192, 192};
const QColor textGreen{0, 255, 0};
const QColor textRed{255, 0, 0};
const QColor textYellow{255, 255, 0};

constexpr int buttonHeight = 20;
constexpr int buttonMargin = 2;
constexpr int buttonSpacing = 4;

// A picture for a disabled button: grey, lighter, keeping its transparency and pixel ratio.
QImage greyed(const QImage& picture) {
    QImage img = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int g = 96 + qGray(line[x]) / 2;
            line[x] = qRgba(g, g, g, qAlpha(line[x]));
        }
    }
    return img;
}

} // namespace

// ---- THintBarButton -----------------------------------------------------------------------------

THintBarButton::THintBarButton(const QString& picture, const QColor& captionColor, QWidget* parent)
    : QAbstractButton(parent)
    , m_pictureName(picture)
    , m_captionColor(captionColor) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setFont(THintBar::buttonFont());
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize THintBarButton::sizeHint() const {
    return {75, buttonHeight};
}

void THintBarButton::enterEvent(QEnterEvent* e) {
    m_hot = true;
    update();
    QAbstractButton::enterEvent(e);
}

void THintBarButton::leaveEvent(QEvent* e) {
    m_hot = false;
    update();
    QAbstractButton::leaveEvent(e);
}

void THintBarButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), controlColor(parentWidget()));
    const bool enabled = isEnabled();
    const bool sunk = isDown() && enabled;
    const int off = sunk ? 1 : 0;
    // The picture drawn for the screen's pixel ratio; its place and size are the same on any screen.
    const qreal ratio = paintRatio(p);
    QImage pic = kitImage(m_pictureName, ratio);
    if (!enabled) {
        QImage& grey = m_disabledPicture[ratio > 1.0 ? 1 : 0];
        if (grey.isNull())
            grey = greyed(pic);
        pic = grey;
    }
    const QSize picSize = pic.deviceIndependentSize().toSize();
    const int picX = buttonMargin + off;
    drawKitImage(p, QPointF(picX, (height() - picSize.height()) / 2 + off), pic);
    if (!text().isEmpty()) {
        const QRect textRect(picX + picSize.width() + buttonSpacing, off, width(), height());
        p.setFont(font());
        p.setPen(enabled ? m_captionColor : textSilver);
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                   text());
    }
    if (sunk) {
        drawEdge(p, rect(), BDR_SUNKENOUTER);
    } else if (m_hot && enabled) {
        drawEdge(p, rect(), BDR_RAISEDINNER);
    }
}

// ---- Colour tags --------------------------------------------------------------------------------

QList<HintTextPart> splitColourTags(const QString& text) {
    static const struct {
        QLatin1String word;
        HintTextPart::Tag tag;
    } tags[] = {{QLatin1String("#RED#"), HintTextPart::Red},
                {QLatin1String("#YELLOW#"), HintTextPart::Yellow},
                {QLatin1String("#NORMAL#"), HintTextPart::Normal}};
    QList<HintTextPart> parts;
    HintTextPart cur;
    qsizetype i = 0;
    while (i < text.size()) {
        bool matched = false;
        if (text.at(i) == u'#') {
            for (const auto& t : tags) {
                if (QStringView(text).mid(i).startsWith(t.word)) {
                    cur.tag = t.tag;
                    parts.append(cur);
                    cur = HintTextPart{};
                    i += t.word.size();
                    matched = true;
                    break;
                }
            }
        }
        if (!matched) {
            cur.text.append(text.at(i));
            ++i;
        }
    }
    parts.append(cur);
    return parts;
}

QString stripColourTags(const QString& text) {
    QString out;
    for (const HintTextPart& part : splitColourTags(text)) {
        out += part.text;
    }
    return out;
}

// ---- THintBar -----------------------------------------------------------------------------------

QFont THintBar::sideFont() {
    return kitFont(QStringLiteral("Arial"), 16, kfBold);
}

QFont THintBar::centerFont() {
    return kitFont(QStringLiteral("MS Sans Serif"), 16, kfBold);
}

QFont THintBar::buttonFont() {
    return kitFont(QStringLiteral("MS Sans Serif"), 12, kfBold);
}

THintBar::THintBar(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    m_btnCancel = new THintBarButton(QStringLiteral("HINTBARCANCEL"), textYellow, this);
    m_btnAccept = new THintBarButton(QStringLiteral("HINTBARACCEPT"), textYellow, this);
    m_btnHelp = new THintBarButton(QStringLiteral("HINTBARHELP"), textWhite, this);
    m_btnHelp->setText(QStringLiteral("Pomoc"));
    m_btnHelp->setToolTip(m_helpHint);
    m_btnAccept->setToolTip(m_acceptHint);
    m_btnCancel->setToolTip(m_cancelHint);
    connect(m_btnCancel, &QAbstractButton::clicked, this, [this] {
        if (OnCancel) {
            OnCancel(m_btnCancel);
        }
    });
    connect(m_btnAccept, &QAbstractButton::clicked, this, [this] {
        if (OnAccept) {
            OnAccept(m_btnAccept);
        }
    });
    connect(m_btnHelp, &QAbstractButton::clicked, this, [this] {
        if (OnHelp) {
            OnHelp(this);
        }
    });
    resize(185, 24);
    setAlign(this, alBottom);
    LayoutButtons();
}

THintBar::~THintBar() = default;

QColor THintBar::Color() const {
    return m_active ? barBlack : barGrey;
}

void THintBar::setBtnWidth(int v) {
    if (v == m_btnWidth) {
        return;
    }
    m_btnWidth = v;
    for (THintBarButton* b : {m_btnCancel, m_btnAccept, m_btnHelp}) {
        b->resize(v, b->height());
    }
    LayoutButtons();
}

void THintBar::setActive(bool v) {
    if (v == m_active) {
        return;
    }
    m_active = v;
    for (THintBarButton* b : {m_btnCancel, m_btnAccept, m_btnHelp}) {
        b->setEnabled(v);
    }
    update();
}

void THintBar::setHelpButton(bool v) {
    if (v != m_helpButton) {
        m_helpButton = v;
        LayoutButtons();
    }
}

void THintBar::setTextAccept(const QString& v) {
    if (v != m_textAccept) {
        m_textAccept = v;
        m_btnAccept->setText(v);
        LayoutButtons();
    }
}

void THintBar::setTextCancel(const QString& v) {
    if (v != m_textCancel) {
        m_textCancel = v;
        m_btnCancel->setText(v);
        LayoutButtons();
    }
}

void THintBar::setTextLeft(const QString& v) {
    if (v != m_textLeft) {
        m_textLeft = v;
        update(textZone());
    }
}

void THintBar::setTextCenter(const QString& v) {
    if (v != m_textCenter) {
        m_textCenter = v;
        update(textZone());
    }
}

void THintBar::setTextRight(const QString& v) {
    if (v != m_textRight) {
        m_textRight = v;
        update(textZone());
    }
}

void THintBar::setErrorState(bool v) {
    m_errorState = v;
    update(textZone());
}

void THintBar::setHelpHint(const QString& v) {
    m_helpHint = v;
    m_btnHelp->setToolTip(v);
}

void THintBar::setAcceptHint(const QString& v) {
    m_acceptHint = v;
    m_btnAccept->setToolTip(v);
}

void THintBar::setCancelHint(const QString& v) {
    m_cancelHint = v;
    m_btnCancel->setToolTip(v);
}

void THintBar::ShowStatus(const QString& text) {
    setTextCenter(text);
    setErrorState(false);
}

void THintBar::ShowLeftNow(const QString& text) {
    setTextLeft(text);
    repaint();
}

QRect THintBar::textZone() const {
    return QRect(QPoint(m_leftEdge, 0), QPoint(m_rightEdge - 1, height() - 1));
}

void THintBar::placeButton(THintBarButton* b, bool shown, int left, int top) {
    b->setGeometry(shown ? left : b->x(), top, m_btnWidth, shown ? buttonHeight : 0);
    b->setVisible(shown);
}

void THintBar::LayoutButtons() {
    const int y = (height() - buttonHeight) / 2;
    m_leftEdge = y;
    placeButton(m_btnHelp, m_helpButton, m_leftEdge, y);
    if (m_helpButton) {
        m_leftEdge += m_btnWidth + 3;
    }
    m_rightEdge = width() - y;
    const bool cancel = !m_textCancel.isEmpty();
    placeButton(m_btnCancel, cancel, m_rightEdge - m_btnWidth, y);
    if (cancel) {
        m_rightEdge -= m_btnWidth + 3;
    }
    const bool accept = !m_textAccept.isEmpty();
    placeButton(m_btnAccept, accept, m_rightEdge - m_btnWidth, y);
    if (accept) {
        m_rightEdge -= m_btnWidth + 3;
    }
    update();
}

void THintBar::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    LayoutButtons();
}

void THintBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor bar = Color();
    p.fillRect(rect(), bar);

    p.setFont(sideFont());
    const QFontMetrics fm(p.font());
    const int wl = fm.horizontalAdvance(m_textLeft);
    const int wr = fm.horizontalAdvance(m_textRight);
    const int baseline = (height() - fm.height()) / 2 + fm.ascent();
    p.setPen(m_active ? textWhite : textSilver);
    p.setClipRect(QRect(m_leftEdge, 0, wl, height()));
    p.drawText(m_leftEdge, baseline, m_textLeft);
    p.setClipRect(QRect(m_rightEdge - wr, 0, wr, height()));
    p.drawText(m_rightEdge - wr, baseline, m_textRight);
    p.setClipping(false);

    paintCenter(p, QRect(QPoint(m_leftEdge + wl, 0), QPoint(m_rightEdge - wr - 1, height() - 1)));
}

// The centred text, part by part: each tag changes the colour of the parts after it. In the alarm
// style every part gets a yellow copy one pixel right and down.
void THintBar::paintCenter(QPainter& p, QRect zone) {
    if (zone.width() <= 0 || m_textCenter.isEmpty()) {
        return;
    }
    const QFont font = centerFont();
    p.setFont(font);
    const QFontMetrics fm(font);
    const QColor normal = !m_active ? textSilver : m_errorState ? textRed : textGreen;
    QColor ink = normal;
    const QList<HintTextPart> parts = splitColourTags(m_textCenter);
    int x = qMax(zone.left(),
                 (zone.left() + zone.right() + 1 - fm.horizontalAdvance(stripColourTags(m_textCenter))) / 2);
    const int baseline = (height() - fm.height()) / 2 + fm.ascent();
    for (const HintTextPart& part : parts) {
        p.setClipRect(zone);
        p.setPen(ink);
        p.drawText(x, baseline, part.text);
        if (m_active && m_errorState) {
            p.setPen(textYellow);
            p.drawText(x + 1, baseline + 1, part.text);
        }
        x += fm.horizontalAdvance(part.text);
        zone.setLeft(x);
        if (part.tag == HintTextPart::Red && m_active) {
            ink = textRed;
        } else if (part.tag == HintTextPart::Yellow && m_active) {
            ink = textYellow;
        } else if (part.tag == HintTextPart::Normal) {
            ink = normal;
        }
        if (part.tag == HintTextPart::None || x > zone.right()) {
            break;
        }
    }
    p.setClipping(false);
}

} // namespace vek
