#pragma once
// TVekBtn: the program's own push button, painted entirely by itself. It shows a small coloured key
// cap with a key label (taken from two bitmap sheets) or a picture of its own, plus a caption, and
// answers the mouse with a flat, raised or sunken frame. Three layouts follow from its size:
// picture above the caption, picture left of it, or (tall and narrow) picture below a caption
// that reads upwards.

#include "kit/bajery.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace vek {

// Key caps, in the row order of the label sheet.
enum TVekBtnTyp {
    sbA,
    sbB,
    sbC,
    sbD,
    sbE,
    sbF,
    sbG,
    sbH,
    sbI,
    sbJ,
    sbK,
    sbL,
    sbM,
    sbN,
    sbO,
    sbP,
    sbR,
    sbS,
    sbT,
    sbU,
    sbW,
    sbZ,
    sbF1,
    sbF2,
    sbF3,
    sbF4,
    sbF5,
    sbF6,
    sbF7,
    sbF8,
    sbF9,
    sbF10,
    sbF11,
    sbF12,
    sbBackspace,
    sbEnter,
    sbPlus,
    sbMinus,
    sbTab,
    sbGwiazdka,
    sbAltBkspc,
    sb1,
    sbPusty,
    sbWlasny, // own picture (Ikonka)
    sbSlash
};
constexpr int vekBtnTypCount = sbSlash + 1;

class TVekBtn : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
public:
    using TVekBtnPaint = std::function<void(QObject* Sender, QPainter& BtnCanvas, const QRect& BtnRect)>;
    using TMouseEvent = std::function<void(QObject* Sender, Qt::MouseButton Button,
                                           Qt::KeyboardModifiers Shift, int X, int Y)>;

    // The three arrangements of picture and caption.
    enum Layout { PictureAbove, PictureLeft, PictureBelow };

    explicit TVekBtn(QWidget* parent = nullptr);
    ~TVekBtn() override;

    TVekBtnTyp Typ() const { return m_typ; }
    void setTyp(TVekBtnTyp v);
    int Kolor() const { return m_kolor; }
    void setKolor(int v); // clamped into 0..4
    QString Opis() const { return m_opis; }
    void setOpis(const QString& v);
    int Margines() const { return m_margines; }
    void setMargines(int v);
    QColor ColorDown() const { return m_colorDown; }
    void setColorDown(const QColor& v);
    bool Down() const { return m_down; }
    void setDown(bool v);
    // Own picture: the left half normal, the right half for the disabled button; the colour of the
    // top-left pixel is transparent. A picture with a device pixel ratio (drawn for high-resolution
    // screens) counts by its device independent size.
    const QPixmap& Ikonka() const { return m_ikonka; }
    void setIkonka(const QPixmap& v);
    bool ShowFrame() const { return m_showFrame; }
    void setShowFrame(bool v);
    QColor Color() const;
    void setColor(const QColor& c); // also clears ParentColor
    bool ParentColor() const { return m_parentColor; }
    void setParentColor(bool v);
    QColor FontColor() const { return m_fontColor; }
    void setFontColor(const QColor& c);

    bool Hot() const { return m_hot; }
    bool Pressed() const { return m_pressed; }

    // The layout chosen by the button's size.
    Layout layout() const;
    // Paints the whole button as the screen shows it.
    void paintButton(QPainter& p);
    // Clicks the button: OnClick and clicked(); Pressed and Hot are cleared afterwards, also when
    // the handler throws.
    void Click();

    TNotifyEvent OnClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TVekBtnPaint OnPaint;

Q_SIGNALS:
    void clicked();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    void paintPicture(QPainter& p, int x, int y) const;
    void paintCaption(QPainter& p, Layout lay, QSize pic, bool sunk) const;
    void paintRotatedCaption(QPainter& p, QRect r) const;
    void paintCaptionText(QPainter& p, const QRect& r, int flags) const;
    void paintFrame(QPainter& p, bool sunk) const;
    bool ownPictureEmpty() const { return m_typ == sbWlasny && m_ikonka.isNull(); }
    void updateShortcut();

    TVekBtnTyp m_typ = sbWlasny;
    int m_kolor = 0;
    QString m_opis;
    int m_margines = 2;
    QColor m_colorDown;
    bool m_down = false;
    QPixmap m_ikonka;
    QPixmap m_ikonkaNormal;   // left half, masked
    QPixmap m_ikonkaDisabled; // right half, masked
    bool m_showFrame = true;
    QColor m_color;
    bool m_parentColor = true;
    QColor m_fontColor{0, 0, 0};
    bool m_hot = false;
    bool m_pressed = false;
    int m_shortcutId = 0;
};

} // namespace vek
