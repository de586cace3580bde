#pragma once
// The extended panel TPanelEx and the helpers every kit control shares: notify events, the
// alignment of child controls to the edges of their parent, 3-D frames and edges, hit-test codes.
//
// Events are public std::function members named as the windows name them; an empty function is
// an unassigned event. Values passed by reference ("var" parameters) may be changed by the handler.

#include <QColor>
#include <QFrame>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

class QPainter;

namespace vek {

using TNotifyEvent = std::function<void(QObject* Sender)>;

// Hit-test answers, with the values Windows gives them.
enum HitTestCode : int {
    HTTRANSPARENT = -1,
    HTNOWHERE = 0,
    HTCLIENT = 1,
    HTCAPTION = 2,
    HTLEFT = 10,
    HTRIGHT = 11,
    HTTOP = 12,
    HTTOPLEFT = 13,
    HTTOPRIGHT = 14,
    HTBOTTOM = 15,
    HTBOTTOMLEFT = 16,
    HTBOTTOMRIGHT = 17,
    HTBORDER = 18
};

// ---- Alignment of child controls ----------------------------------------------------------------

// A control aligned to an edge of its parent keeps its size across that edge and stretches along
// it; alClient takes what is left. Controls are placed in the order top, bottom, left, right,
// client, each group in the order the children were created.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Sets the alignment of w inside its parent and arranges the parent's children at once. The parent
// arranges them again whenever it or an aligned child is resized, shown or hidden.
void setAlign(QWidget* w, TAlign align);
TAlign alignOf(const QWidget* w);
// Arranges the aligned children of parent inside area (parent coordinates).
void alignControls(QWidget* parent, const QRect& area);
// Arranges the aligned children of parent inside its alignment area (a panel's inner rectangle).
void realign(QWidget* parent);

// The colour a control paints its background with: its "Color" property when it has one, else
// the window colour of its palette.
QColor controlColor(const QWidget* w);

// Breaks text into lines that fit width as an edit control does: at blanks, a word wider than the
// width where it no longer fits, and at CR, LF and CR LF.
QStringList wrapText(const QString& text, const QFont& font, int width);

// ---- 3-D frames and edges -----------------------------------------------------------------------

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Draws width nested one-pixel rings, top and left in topColor, bottom and right in bottomColor,
// and shrinks r by width on every side.
void frame3D(QPainter& p, QRect& r, const QColor& topColor, const QColor& bottomColor, int width);

// Paints a panel's frame from the outside in: the outer bevel, the border in the face colour, then
// the inner bevel, each bevel width pixels wide (a space bevel in the face colour). r shrinks to
// the area inside them, which is left unpainted.
void paintPanelFrame(QPainter& p, QRect& r, TBevelCut outer, TBevelCut inner, int bevelWidth, int borderWidth,
                     const QColor& face);

enum EdgeFlag : unsigned {
    BDR_RAISEDOUTER = 0x1,
    BDR_SUNKENOUTER = 0x2,
    BDR_RAISEDINNER = 0x4,
    BDR_SUNKENINNER = 0x8,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
    EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER
};
// Draws a 3-D edge on all four sides of r in the classic system colours; soft uses the light
// colours for the top-left rings. Returns r shrunk by the rings drawn.
QRect drawEdge(QPainter& p, const QRect& r, unsigned edge, bool soft = false);

// ---- TPanelEx -----------------------------------------------------------------------------------

class TPanelEx : public QFrame {
    Q_OBJECT
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
public:
    using THitTestEvent = std::function<void(QObject* Sender, int XPos, int YPos, int& Result)>;
    using TSetCursorEvent =
        std::function<void(QObject* Sender, int HitTest, std::optional<Qt::CursorShape>& Result)>;
    using TPanelMoveEvent = std::function<void(QObject* Sender, const QRect& r)>;
    using TEraseBkEvent = std::function<void(QObject* Sender, bool& DoErase)>;
    using TBeforePaintEvent = std::function<void(QObject* Sender, QPainter& Canvas, bool& DoDefault)>;
    using TAfterPaintEvent = std::function<void(QObject* Sender, QPainter& Canvas)>;
    using TKeyEvent = std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)>;
    using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;
    using TMouseEvent = std::function<void(QObject* Sender, Qt::MouseButton Button,
                                           Qt::KeyboardModifiers Shift, int X, int Y)>;
    using TMouseMoveEvent = std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;

    explicit TPanelEx(QWidget* parent = nullptr);
    ~TPanelEx() override;

    // The platform panel's properties.
    TBevelCut BevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(TBevelCut v);
    TBevelCut BevelInner() const { return m_bevelInner; }
    void setBevelInner(TBevelCut v);
    int BevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int v);
    int BorderWidth() const { return m_borderWidth; }
    void setBorderWidth(int v);
    QString Caption() const { return m_caption; }
    void setCaption(const QString& v);
    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment v);
    QColor Color() const;
    void setColor(const QColor& c); // also clears ParentColor
    bool ParentColor() const { return m_parentColor; }
    void setParentColor(bool v);
    QColor FontColor() const { return m_fontColor; }
    void setFontColor(const QColor& c);

    // Additions.
    QString Caption2() const { return m_caption2; }
    void setCaption2(const QString& v);
    bool AutoHeight() const { return m_autoHeight; }
    void setAutoHeight(bool v);
    int MinWidth() const { return m_minWidth; }
    void setMinWidth(int v);

    // The area inside the bevels and the border, where aligned children are placed.
    QRect alignRect() const;
    // The hit-test answer for a point in screen coordinates: the client area, then OnHitTest.
    int hitTest(const QPoint& globalPos);

    THitTestEvent OnHitTest;
    TSetCursorEvent OnSetCursor;
    TPanelMoveEvent OnPanelMove;
    TPanelMoveEvent OnPanelResize;
    TNotifyEvent OnExitSizeMove;
    TEraseBkEvent OnEraseBkgnd;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TBeforePaintEvent OnBeforePaint;
    TAfterPaintEvent OnAfterPaint;
    TNotifyEvent OnNCLMouseUp;
    TNotifyEvent OnNCLMouseDblClk;
    TNotifyEvent OnNextDlgCtl;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    // Events every panel has.
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnResize;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    bool focusNextPrevChild(bool next) override;

    // The standard panel painting: bevels, border, background and the one-line caption.
    void paintPanel(QPainter& p);
    // Caption2, word-wrapped, on the panel's background.
    void paintCaption2(QPainter& p);

private:
    bool routeMouse(QMouseEvent* e);
    void updateCursor(int hit);
    void applyAutoHeight();
    void scheduleExitSizeMove();
    QRect caption2Rect() const;

    TBevelCut m_bevelOuter = bvRaised;
    TBevelCut m_bevelInner = bvNone;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    QString m_caption;
    TAlignment m_alignment = taCenter;
    QColor m_color;
    bool m_parentColor = false;
    QColor m_fontColor{0, 0, 0};
    QString m_caption2;
    bool m_autoHeight = false;
    int m_minWidth = 0;
    bool m_pressedInside = false; // a left press started in the client area
    bool m_mouseHeld = false;     // a press in the client area holds the mouse until released
    bool m_exitPending = false;
    std::optional<QCursor> m_savedCursor; // the panel's own cursor while OnSetCursor overrides it
};

} // namespace vek
