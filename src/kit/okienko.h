#pragma once
// The program's message windows: errors, information, questions and a confirmation typed letter
// by letter (modal, through ShowMsg and its wrappers), and the modeless please-wait window with
// an animation and an optional progress bar (TWorkingDlg). Both are one window class,
// TMsgOkienko. Texts are ready QStrings; "\r" breaks a line, a leading character 11 (vertical
// tab) aligns the text left.

#include "platform/Errors.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <memory>

class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolButton;

namespace vek {

// Kind of a message window: the low four bits, plus the auto-close flag.
enum TMsgKind : int {
    mkInfo = 1,
    mkError = 2,
    mkQuestion = 3,
    mkConfirmTAK = 4,
    mkNoIcon = 5,
    mkAutoClose = 0x10,
};

// Buttons of a message window.
enum TMsgButtons : int {
    obTak = 1,
    obOk = 2,
    obPowtorz = 4,
    obNie = 8,
    obAnuluj = 0x10,
    obCofnij = 0x20,
    obWszystkie = 0x40,
    obExtra = 0x80,
    obExtra2 = 0x100,
};

// Results of a message window (the pressed button).
enum TMsgResult : int { mrOk = 1, mrCancel = 2, mrAbort = 3, mrIgnore = 5, mrNo = 7, mrAll = 8 };

// Caption and width of the extra buttons, set by a caller before ShowMsg with obExtra/obExtra2
// (an empty caption or a zero width keeps the button's own).
extern QString ExtraCaption;
extern int ExtraWidth;
extern QString Extra2Caption;
extern int Extra2Width;

// An owner that is not a window where one is required.
class EInvalidCast : public Exception {
    using Exception::Exception;
};

class TMsgLabel;
class TMsgPanel;
class TBusyAnimation;

class TMsgOkienko : public QDialog {
    Q_OBJECT
public:
    explicit TMsgOkienko(QWidget* parent = nullptr);
    ~TMsgOkienko() override;

    // Shows the pictures, panels and buttons that a kind and a set of button flags ask for.
    void ApplyKind(int kind, int buttons);
    // Sets the message; a first character 11 is removed and aligns the text left.
    void SetText(QString text);
    QString Text() const;
    bool LeftAligned() const;

    // Fits the window to its text, then arranges the buttons (both run when the window is
    // shown; public so that the arithmetic can be checked without showing it).
    void FitText();
    void ArrangeButtons();
    // The client size; the window cannot be resized by the user.
    void SetClientSize(int w, int h);

    // Typed confirmation: one typed character (any case).
    void TakChar(QChar c);
    bool TakPanelShown() const;

    // For the progress window.
    bool ProgressWindow() const { return m_progressWindow; }
    void SetProgressWindow(bool on) { m_progressWindow = on; }
    // Centres the window by its outer frame in area (screen coordinates): by the window
    // manager's frame once that is known, by the frame expected for it until then.
    void CentreOver(const QRect& area);
    // Where the window is centred when shown (screen coordinates); by default the screen.
    void SetCentreArea(const QRect& area) { m_centreArea = area; }
    // Fits the window to its text, arranges its buttons and centres it; runs once, before the
    // native window is made (showing the window runs it when the caller has not). Once the window
    // manager has framed the shown window, it is centred again by its real frame, which moves it
    // only when that frame differs from the expected one.
    void PrepareShow();
    void setVisible(bool visible) override;

    // Components, named as in the window layout.
    TMsgPanel* panLewy = nullptr;
    TMsgPanel* panPrawy = nullptr;
    QLabel* iqmark1 = nullptr;
    QLabel* iexclam1 = nullptr;
    QLabel* iqmark2 = nullptr;
    QLabel* iexclam2 = nullptr;
    TBusyAnimation* ani = nullptr;
    TMsgPanel* Panel3 = nullptr;
    TMsgPanel* Panel2 = nullptr;
    TMsgLabel* lbl = nullptr;
    TMsgPanel* panPostep = nullptr;
    QLabel* lblPostep = nullptr;
    QProgressBar* pbar = nullptr;
    TMsgPanel* panPostep2 = nullptr;
    QLabel* lblPostep2 = nullptr;
    TMsgPanel* panBtns = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnNo = nullptr;
    QPushButton* btnAll = nullptr;
    QPushButton* btnExtra = nullptr;
    QPushButton* BtnExtra2 = nullptr;
    QPushButton* btnCancel = nullptr;
    TMsgPanel* panTAK = nullptr;
    QLabel* lblTAK = nullptr;
    QWidget* pTAK = nullptr;
    QToolButton* btnT = nullptr;
    QToolButton* btnA = nullptr;
    QToolButton* btnK = nullptr;
    QToolButton* btnN = nullptr;
    QTimer* TimerClose = nullptr;

    // Fixes the progress label to the width of the given text (0 = sizes itself).
    void SetPostepLabelWidth(int w) { m_postepLabelWidth = w; }
    void LayoutChildren();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void reject() override;

private:
    void buildPictures();
    void buildProgress();
    void buildButtons();
    void buildTak();
    void layoutPanel3();
    void layoutPanBtns();
    void layoutTak();
    bool clickByMnemonic(QChar c);
    bool takKey(const QKeyEvent* e);
    void takReset();
    QRect centreArea() const;
    void watchFrame();
    void settleFrame();

    bool m_progressWindow = false;
    bool m_fitted = false;
    bool m_focusSet = false;
    bool m_frameSettled = false;
    QTimer* m_frameWatch = nullptr; // polls for the window manager's frame after the first show
    bool m_lblAlignTop = false;     // the label spans the panel's width (also without word wrap)
    QRect m_centreArea;
    int m_postepLabelWidth = 0;
};

// Modal message with the given kind and buttons; returns the result of the pressed button
// (Esc and the close box answer mrCancel).
int ShowMsg(const QString& caption, const QString& text, int kind, int buttons);
// Sounds the system beep, then shows an error with an OK button.
void MsgError(const QString& caption, const QString& text);
void MsgInfo(const QString& caption, const QString& text);
bool MsgYesNo(const QString& caption, const QString& text);
bool MsgOkCancel(const QString& caption, const QString& text);
bool MsgRetryCancel(const QString& caption, const QString& text);
// True only when the user typed T, A, K in this order.
bool MsgConfirmTAK(const QString& caption, const QString& text);

// The modeless please-wait window. It owns at most one open window, which stays on screen
// while the caller works and pumps events; it has no close box.
class TWorkingDlg : public QObject {
    Q_OBJECT
public:
    explicit TWorkingDlg(QObject* owner = nullptr);
    ~TWorkingDlg() override;

    QString Caption = QStringLiteral(" Zaczekaj chwilę...");
    QString Tekst;
    bool JestPostepLbl = false;
    bool JestPostepLbl2 = false;
    bool JestPostepBar = false;
    bool ScreenCenter = false;
    int ZipAllSize32k = 0;

    int ProgressMax() const { return m_progressMax; }
    void SetProgressMax(int max);

    // Throws EInvalidCast when the window is to be centred over an owner that is not a window.
    void Open();
    void Start(const QString& text, bool withLabel, bool withBar);
    void Close();
    void SetStepText(const QString& text);
    // Bar position = n / ProgressMax x 100, truncated.
    void SetProgress(int n);
    // One unit further; the position is rounded to the nearest percent.
    void StepProgress();

    TMsgOkienko* Window() const { return m_window.get(); }

private:
    int m_progressMax = 100;
    long long m_units = 0; // units done, as last set or stepped
    std::unique_ptr<TMsgOkienko> m_window;
};

} // namespace vek
