#pragma once
// TVekForm, the base of the program's own-look dialog windows: a frameless window covered by
// kit panels that draw a raised frame, a dark blue caption strip with caption buttons and the
// hint bar at the bottom. The class makes the skin behave like a window frame: the caption moves
// the window, the outer ring of the frame resizes it within its limits, a double-click on the
// caption maximizes it to the work area (by bounds, never by the platform's maximized state),
// Enter and Esc run the hint bar's Accept and Cancel, and the question-mark button starts a mode
// in which a click on a control asks for help on it.
//
// Descendants place their controls in pFrame, aligned with setAlign (the caption strip is aligned
// to the top and the hint bar to the bottom), and bind the hint bar through hbAccept and friends.
//
// Ownership: a TVekForm deletes itself when closed (Qt::WA_DeleteOnClose); keep a QPointer to
// one. A form owned by another TVekForm is that form's one child window and is deleted with it.

#include "kit/bajery.h"

#include <QDialog>
#include <QPointer>
#include <QToolButton>
#include <functional>

namespace vek {

class THintBar;

enum TSizeMode : int { smNormal = 0, smMaximized = 2 };

enum TBorderIcon : int { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };

// Outer size limits of a window; 0 means no limit.
struct TSizeLimits {
    int MinWidth = 0;
    int MaxWidth = 0;
    int MinHeight = 0;
    int MaxHeight = 0;
    bool FixedWidth() const { return MinWidth != 0 && MinWidth == MaxWidth; }
    bool FixedHeight() const { return MinHeight != 0 && MinHeight == MaxHeight; }
};

// The arithmetic of the form, on rectangles whose right and bottom lie just outside them.
namespace vekform {

// Hit-test answer for a point p (window coordinates) of a window of the given size: the caption
// strip moves, the ring of the frame outside its inner rectangle resizes; elsewhere HTCLIENT.
int FrameHitTest(QPoint p, QSize size, const QRect& caption, const QRect& frame, int frameInset);
// Turns answers that the size mode and the limits forbid into plain border.
int RestrictHit(int hit, bool maximized, const TSizeLimits& limits);
// Keeps an interactively sized rectangle within the limits, moving only the dragged edges.
QRect LimitSizingRect(QRect r, int hit, const TSizeLimits& limits);
// Shrinks (down to the minimum size), then moves a rectangle into the work area.
QRect FitRectIntoArea(const QRect& r, const QRect& area, const TSizeLimits& limits);
// Size w x h (0 = the area's width or height) within the limits, centred in the area.
QRect CenteredRect(int w, int h, const QRect& area, const TSizeLimits& limits);
// The restored rectangle without a remembered one: the preferred size (0 = two thirds of the
// area), centred, measured from the screen origin.
QRect DefaultBoundsIn(const QRect& area, int normalWidth, int normalHeight);
// A size within the limits.
QSize ClampSize(QSize s, const TSizeLimits& limits);

} // namespace vekform

// A small caption button showing a Marlett glyph (its text) on the classic raised face.
class TCaptionButton : public QToolButton {
    Q_OBJECT
public:
    TCaptionButton(const QString& glyph, int emSize, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int m_emSize;
};

class TVekForm : public QDialog {
    Q_OBJECT
public:
    explicit TVekForm(QWidget* owner = nullptr);
    ~TVekForm() override;

    // Components.
    TPanelEx* pFrame = nullptr;
    TPanelEx* pCaption = nullptr;
    TPanelEx* pCaptionBtns = nullptr;
    TCaptionButton* btnCapHelp = nullptr;
    TCaptionButton* btnCapMinimize = nullptr;
    TCaptionButton* btnCapMaximize = nullptr;
    TCaptionButton* btnCapClose = nullptr;
    TPanelEx* pCapIkona = nullptr;
    TPanelEx* pCapText = nullptr;
    THintBar* hb = nullptr;

    // Outer size limits (0 = none) and the preferred restored size (0 = two thirds of the area).
    int MinWidth = 300;
    int MaxWidth = 0;
    int MinHeight = 200;
    int MaxHeight = 0;
    int NormalWidth = 300;
    int NormalHeight = 200;
    TSizeLimits Limits() const { return {MinWidth, MaxWidth, MinHeight, MaxHeight}; }

    TSizeMode SizeMode() const { return m_sizeMode; }
    QRect NormalBounds() const { return m_normalBounds; }
    TVekForm* ParentForm() const { return m_parentForm; }
    TVekForm* ChildForm() const { return m_childForm; }
    bool IsActive() const { return m_isActive; }
    bool HelpMode() const { return m_helpMode; }

    int BorderIcons() const { return m_borderIcons; }
    void SetBorderIcons(int icons);

    void SetFixedWidth(int w);
    void SetFixedHeight(int h);
    void SetSizeCentered(int w, int h);
    // Every change of bounds passes here: the size is kept within the limits.
    void SetBounds(int left, int top, int width, int height);
    void SetBounds(const QRect& r) { SetBounds(r.x(), r.y(), r.width(), r.height()); }
    void FitIntoWorkArea();
    void SetSizeMode(TSizeMode mode);

    // Hit-test answer for a point in window coordinates.
    int HitTest(QPoint p) const;

    // Help: asks GetHelpText for the control and then its parents until one answers; returns
    // the answer (empty for the caption buttons, the hint bar and no control).
    QString ShowHelpFor(QWidget* control);
    void EnterHelpMode();
    void LeaveHelpMode();
    // The deepest visible control of container under a screen point.
    static QWidget* ControlAtPoint(QWidget* container, QPoint globalPos);

    virtual void UpdateLook();
    virtual QString GetHelpText(QWidget* control);
    virtual QRect GetDefaultBounds();
    // The desktop area not covered by panels, of the screen the window is on.
    virtual QRect WorkArea() const;

    // Shows errors raised while a form is created (a second child window). By default a
    // message box with the stop icon, titled "VekPokaz".
    static std::function<void(const QString&)> ErrorDisplay;

protected:
    // Handlers of the hint bar; Cancel closes, Accept does nothing, Help asks help for the form.
    virtual void hbAccept(QObject* sender);
    virtual void hbCancel(QObject* sender);
    virtual void hbHelp(QObject* sender);
    // Runs once the window is on screen (after its first show); nothing in the base.
    virtual void AfterShow() {}

    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void buildComponents();
    void arrangeCaptionButtons();
    void linkToOwner(QWidget* owner);
    void btnCapMaximizeClick();
    void updateSizeMode();
    void applySizeHints();
    bool formKeyDown(QKeyEvent* e);
    bool helpModeFilter(QEvent* e);
    void setIsActive(bool on);
    Qt::CursorShape cursorFor(int hit) const;
    bool startSystemDrag();
    void followMouse(QPoint delta);

    TSizeMode m_sizeMode = smNormal;
    QRect m_normalBounds;
    QPointer<TVekForm> m_parentForm;
    QPointer<TVekForm> m_childForm;
    bool m_isActive = false;
    bool m_lookUpdatePending = false;
    bool m_helpMode = false;
    int m_borderIcons = biHelp;

    // Manual move or resize where the platform cannot do it.
    int m_dragHit = 0;
    bool m_dragManual = false;
    QPoint m_dragStart;
    QRect m_dragGeometry;
};

} // namespace vek
