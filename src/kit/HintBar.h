#pragma once
// THintBar: the black strip along the bottom of every window. Help at the left, Accept and Cancel
// at the right, and between them a text zone with a left, a centred and a right status text. The
// centred text may hold colour tags ("#RED#", "#YELLOW#", "#NORMAL#") and has an alarm style.
// The bar takes no keyboard focus: windows map Enter and Esc to OnAccept and OnCancel themselves.

#include "kit/bajery.h"

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QWidget>

namespace vek {

// A flat button of the hint bar: picture and caption on the bar's colour, a thin raised frame
// while the mouse is over it, sunken while pressed.
class THintBarButton : public QAbstractButton {
    Q_OBJECT
public:
    // picture: the name of one of the kit's pictures (KitPictures), e.g. "HINTBARCANCEL".
    THintBarButton(const QString& picture, const QColor& captionColor, QWidget* parent);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    QString m_pictureName;
    QImage m_disabledPicture[2]; // single and double size, made when first needed
    QColor m_captionColor;
    bool m_hot = false;
};

// One piece of a centred text: the text before a tag and the tag that follows it.
struct HintTextPart {
    enum Tag { None, Red, Yellow, Normal };
    QString text;
    Tag tag = None;
};
// Splits a centred text at its colour tags. A "#" that starts no known tag is ordinary text.
QList<HintTextPart> splitColourTags(const QString& text);
// The text without its colour tags.
QString stripColourTags(const QString& text);

class THintBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor Color READ Color)
public:
    explicit THintBar(QWidget* parent = nullptr);
    ~THintBar() override;

    int BtnWidth() const { return m_btnWidth; }
    void setBtnWidth(int v);
    bool Active() const { return m_active; }
    void setActive(bool v);
    bool HelpButton() const { return m_helpButton; }
    void setHelpButton(bool v);
    QString TextAccept() const { return m_textAccept; }
    void setTextAccept(const QString& v);
    QString TextCancel() const { return m_textCancel; }
    void setTextCancel(const QString& v);
    QString TextLeft() const { return m_textLeft; }
    void setTextLeft(const QString& v);
    QString TextCenter() const { return m_textCenter; }
    void setTextCenter(const QString& v);
    QString TextRight() const { return m_textRight; }
    void setTextRight(const QString& v);
    bool ErrorState() const { return m_errorState; }
    void setErrorState(bool v);
    QString HelpHint() const { return m_helpHint; }
    void setHelpHint(const QString& v);
    QString AcceptHint() const { return m_acceptHint; }
    void setAcceptHint(const QString& v);
    QString CancelHint() const { return m_cancelHint; }
    void setCancelHint(const QString& v);

    // Bar colour: black when active, grey when not.
    QColor Color() const;

    // TextCenter = text, ErrorState off.
    void ShowStatus(const QString& text);
    // TextLeft = text, painted at once.
    void ShowLeftNow(const QString& text);

    // The x range of the text zone, as the last layout left it.
    int LeftEdge() const { return m_leftEdge; }
    int RightEdge() const { return m_rightEdge; }
    void LayoutButtons();

    THintBarButton* btnHelp() const { return m_btnHelp; }
    THintBarButton* btnAccept() const { return m_btnAccept; }
    THintBarButton* btnCancel() const { return m_btnCancel; }

    // Clicking Accept or Cancel calls these with the button as sender; Help with the bar.
    TNotifyEvent OnCancel;
    TNotifyEvent OnAccept;
    TNotifyEvent OnHelp;

    // Fonts of the text zone.
    static QFont sideFont();
    static QFont centerFont();
    static QFont buttonFont();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void placeButton(THintBarButton* b, bool shown, int left, int top);
    void paintCenter(QPainter& p, QRect zone);
    QRect textZone() const;

    THintBarButton* m_btnCancel = nullptr; // owned by the bar as child widgets
    THintBarButton* m_btnAccept = nullptr;
    THintBarButton* m_btnHelp = nullptr;
    int m_btnWidth = 75;
    bool m_active = true;
    bool m_helpButton = true;
    QString m_textAccept;
    QString m_textCancel;
    QString m_textLeft;
    QString m_textCenter;
    QString m_textRight;
    bool m_errorState = false;
    QString m_helpHint = QStringLiteral("F1");
    QString m_acceptHint = QStringLiteral("Enter");
    QString m_cancelHint = QStringLiteral("Esc");
    int m_leftEdge = 0;
    int m_rightEdge = 0;
};

} // namespace vek
