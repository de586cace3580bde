#pragma once
// The small self-painted parts of the message windows: bevelled panels, the measured message
// label, the busy animation, the push buttons, the block progress bar and the pictures.

#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

class QTimer;

namespace vek {

enum class Bevel { None, Raised, Lowered };

// A panel with up to two bevels (outer, inner) of one pixel and a border width inside them.
class TMsgPanel : public QWidget {
    Q_OBJECT
public:
    explicit TMsgPanel(QWidget* parent, Bevel outer = Bevel::None, Bevel inner = Bevel::None,
                       int borderWidth = 0);
    // The area inside the bevels and the border, where aligned children go.
    QRect InnerRect() const;
    void SetFill(const QColor& c);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    Bevel m_outer;
    Bevel m_inner;
    int m_border;
    QColor m_fill;
};

// The message text. It measures itself like an auto-sized label: without word wrap its width is
// the widest line; with word wrap the width is given and the height follows.
class TMsgLabel : public QWidget {
    Q_OBJECT
public:
    explicit TMsgLabel(QWidget* parent);
    void SetText(const QString& text);
    const QString& Text() const { return m_text; }
    void SetWordWrap(bool on) { m_wordWrap = on; }
    bool WordWrap() const { return m_wordWrap; }
    void SetAlignment(Qt::Alignment a);
    Qt::Alignment Alignment() const { return m_align; }
    // Height (and, without word wrap, width) for the current text and font; the width is kept
    // when word wrap is on.
    QSize Measure(int width) const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int flags() const;
    QString m_text;
    bool m_wordWrap = true;
    Qt::Alignment m_align = Qt::AlignHCenter;
};

// A small busy animation: a magnifying glass searching over a computer.
class TBusyAnimation : public QWidget {
    Q_OBJECT
public:
    explicit TBusyAnimation(QWidget* parent);
    void Start();
    void Stop();
    bool Active() const;
    int Frame() const { return m_frame; }

    static constexpr int FrameCount = 16;
    static constexpr int StopFrame = 8;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QTimer* m_timer;
    int m_frame = StopFrame;
};

// A push button of the classic raised look, with a small picture before the caption.
class TMsgButton : public QPushButton {
    Q_OBJECT
public:
    TMsgButton(const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;
};

// A latching button of the typed confirmation (T, A, K, N I E).
class TTakButton : public QToolButton {
    Q_OBJECT
public:
    TTakButton(const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;
};

// The progress bar drawn as a row of blocks in a sunken well.
class TBlockProgress : public QProgressBar {
    Q_OBJECT
public:
    explicit TBlockProgress(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;
};

// Pictures of the windows, drawn at the screen's pixel ratio.
enum class MsgPicture { Question, Exclamation, GlyphOk, GlyphCancel, GlyphNo, GlyphAll };
QPixmap msgPicture(MsgPicture which, qreal dpr = 1.0);

// Classic three-dimensional edges.
void drawRaisedEdge(class QPainter& p, const QRect& r, bool outer);
void drawSunkenEdge(class QPainter& p, const QRect& r, bool outer);

} // namespace vek
