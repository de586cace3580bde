#include "kit/okienko.h"

#include "kit/KitFonts.h"
#include "kit/okienkoWidgets.h"
#include "platform/Gdi.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QWindow>
#include <cmath>

using namespace Qt::StringLiterals;

namespace vek {

QString ExtraCaption;
int ExtraWidth = 0;
QString Extra2Caption;
int Extra2Width = 0;

namespace {

constexpr int kTextFontHeight = -17;
constexpr int kSmallTextFontHeight = -15; // 11 points at 96 pixels per inch
constexpr int kButtonHeight = 26;
constexpr int kPanBtnsHeight = 50;
constexpr int kPanTakHeight = 80;
constexpr int kPictureWidthLeft = 41;
constexpr int kPictureWidthRight = 40;

QLabel* pictureLabel(QWidget* parent, MsgPicture which) {
    auto* l = new QLabel(parent);
    l->setPixmap(msgPicture(which, qApp->devicePixelRatio()));
    l->setAlignment(Qt::AlignCenter);
    l->setAttribute(Qt::WA_TranslucentBackground);
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    return l;
}

QPushButton* msgButton(QWidget* parent, const QString& caption, int width, MsgPicture glyph, bool withGlyph) {
    auto* b = new TMsgButton(caption, parent);
    b->resize(width, kButtonHeight);
    if (withGlyph)
        b->setIcon(QIcon(msgPicture(glyph, qApp->devicePixelRatio())));
    b->hide();
    return b;
}

// Places a child into the remaining rectangle by alignment, as docked controls are placed.
enum class Dock { Top, Bottom, Left, Right, Fill };

void dock(QWidget* w, QRect& area, Dock d, int size) {
    if (w->isHidden())
        return;
    switch (d) {
    case Dock::Top:
        w->setGeometry(area.left(), area.top(), area.width(), size);
        area.setTop(area.top() + size);
        break;
    case Dock::Bottom:
        w->setGeometry(area.left(), area.bottom() + 1 - size, area.width(), size);
        area.setBottom(area.bottom() - size);
        break;
    case Dock::Left:
        w->setGeometry(area.left(), area.top(), size, area.height());
        area.setLeft(area.left() + size);
        break;
    case Dock::Right:
        w->setGeometry(area.right() + 1 - size, area.top(), size, area.height());
        area.setRight(area.right() - size);
        break;
    case Dock::Fill:
        w->setGeometry(area);
        break;
    }
}

} // namespace

// ---- building -------------------------------------------------------------------------------

TMsgOkienko::TMsgOkienko(QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(u"caption"_s);
    setFont(kitFont(u"MS Sans Serif"_s, -11));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, sys::btnFace);
    pal.setColor(QPalette::WindowText, sys::btnText);
    setPalette(pal);
    setAutoFillBackground(true);

    buildPictures();
    Panel3 = new TMsgPanel(this, Bevel::Raised, Bevel::Lowered, 5);
    Panel2 = new TMsgPanel(Panel3, Bevel::None, Bevel::None, 3);
    lbl = new TMsgLabel(Panel2);
    lbl->setFont(kitFont(u"Times New Roman"_s, kTextFontHeight, kfBold));
    QPalette lp = lbl->palette();
    lp.setColor(QPalette::WindowText, QColor(0, 0, 128));
    lbl->setPalette(lp);
    buildProgress();
    buildButtons();
    buildTak();

    TimerClose = new QTimer(this);
    TimerClose->setInterval(3000);
    TimerClose->setSingleShot(true);
    connect(TimerClose, &QTimer::timeout, this, [this] { btnOk->click(); });

    SetClientSize(400, 219);
}

TMsgOkienko::~TMsgOkienko() = default;

void TMsgOkienko::buildPictures() {
    panLewy = new TMsgPanel(this);
    iqmark1 = pictureLabel(panLewy, MsgPicture::Question);
    iexclam1 = pictureLabel(panLewy, MsgPicture::Exclamation);
    iexclam1->hide();
    panPrawy = new TMsgPanel(this);
    iqmark2 = pictureLabel(panPrawy, MsgPicture::Question);
    iexclam2 = pictureLabel(panPrawy, MsgPicture::Exclamation);
    iexclam2->hide();
    ani = new TBusyAnimation(this);
    ani->hide();
}

void TMsgOkienko::buildProgress() {
    panPostep = new TMsgPanel(Panel3, Bevel::None, Bevel::None, 2);
    panPostep->hide();
    lblPostep = new QLabel(panPostep);
    lblPostep->setFont(kitFont(u"Arial"_s, -11));
    lblPostep->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pbar = new TBlockProgress(panPostep);
    pbar->setRange(0, 100);
    panPostep2 = new TMsgPanel(Panel3, Bevel::None, Bevel::None, 1);
    panPostep2->hide();
    lblPostep2 = new QLabel(panPostep2);
    lblPostep2->setFont(kitFont(u"Courier New"_s, -11));
}

void TMsgOkienko::buildButtons() {
    panBtns = new TMsgPanel(this, Bevel::Lowered);
    panBtns->setFont(kitFont(u"Arial"_s, 16, kfBold));
    btnOk = msgButton(panBtns, u"&Powtórz"_s, 90, MsgPicture::GlyphOk, true);
    btnNo = msgButton(panBtns, u"&Nie"_s, 80, MsgPicture::GlyphNo, true);
    btnAll = msgButton(panBtns, u"&Wszystkie"_s, 100, MsgPicture::GlyphAll, true);
    btnExtra = msgButton(panBtns, u"Extra"_s, 80, MsgPicture::GlyphOk, false);
    BtnExtra2 = msgButton(panBtns, u"Extra2"_s, 80, MsgPicture::GlyphOk, false);
    btnCancel = msgButton(panBtns, u"&Anuluj"_s, 80, MsgPicture::GlyphCancel, true);
    btnOk->setDefault(true);
    const std::pair<QPushButton*, int> results[] = {{btnOk, mrOk},         {btnNo, mrNo},
                                                    {btnAll, mrAll},       {btnExtra, mrAbort},
                                                    {BtnExtra2, mrIgnore}, {btnCancel, mrCancel}};
    for (const auto& [button, result] : results)
        connect(button, &QPushButton::clicked, this, [this, r = result] { done(r); });
}

void TMsgOkienko::buildTak() {
    panTAK = new TMsgPanel(this, Bevel::Lowered);
    panTAK->hide();
    lblTAK = new QLabel(u"Aby potwierdzić, naciśnij kolejno trzy klawisze: T, A, K."_s, panTAK);
    lblTAK->setFont(kitFont(u"MS Sans Serif"_s, -13, kfBold));
    QPalette lp = lblTAK->palette();
    lp.setColor(QPalette::WindowText, QColor(0, 0, 255));
    lblTAK->setPalette(lp);
    lblTAK->adjustSize();
    pTAK = new QWidget(panTAK);
    pTAK->resize(98, 29);
    const QFont capFont = kitFont(u"Arial"_s, -13, kfBold);
    int x = 0;
    for (QToolButton** b : {&btnT, &btnA, &btnK}) {
        const QChar letter = b == &btnT ? u'T' : (b == &btnA ? u'A' : u'K');
        *b = new TTakButton(QString(letter), pTAK);
        (*b)->setCheckable(true);
        (*b)->setFont(capFont);
        (*b)->setGeometry(x, 0, 30, 29);
        x += 34;
        connect(*b, &QToolButton::clicked, this, [this, letter] { TakChar(letter); });
    }
    btnN = new TTakButton(u"N I E"_s, panTAK);
    btnN->setFont(capFont);
    btnN->resize(100, 29);
    connect(btnN, &QToolButton::clicked, this, [this] { TakChar(u'N'); });
}

// ---- layout ---------------------------------------------------------------------------------

void TMsgOkienko::SetClientSize(int w, int h) {
    setFixedSize(std::max(w, 1), std::max(h, 1));
    LayoutChildren();
}

void TMsgOkienko::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    LayoutChildren();
}

void TMsgOkienko::LayoutChildren() {
    QRect area = rect();
    dock(panBtns, area, Dock::Bottom, kPanBtnsHeight);
    dock(panTAK, area, Dock::Bottom, kPanTakHeight);
    dock(panLewy, area, Dock::Left, kPictureWidthLeft);
    dock(ani, area, Dock::Left, kPictureWidthLeft);
    dock(panPrawy, area, Dock::Right, kPictureWidthRight);
    dock(Panel3, area, Dock::Fill, 0);
    for (QLabel* pic : {iqmark1, iexclam1})
        pic->setGeometry(panLewy->rect());
    for (QLabel* pic : {iqmark2, iexclam2})
        pic->setGeometry(panPrawy->rect());
    layoutPanel3();
    layoutPanBtns();
    layoutTak();
}

void TMsgOkienko::layoutPanel3() {
    QRect area = Panel3->InnerRect();
    dock(panPostep, area, Dock::Bottom, 21);
    dock(panPostep2, area, Dock::Bottom, 18);
    dock(Panel2, area, Dock::Fill, 0);
    const QRect in2 = Panel2->InnerRect();
    if (lbl->WordWrap() || m_lblAlignTop)
        lbl->setGeometry(in2.left(), in2.top(), in2.width(), lbl->Measure(in2.width()).height());
    else
        lbl->setGeometry(QRect(in2.topLeft(), lbl->Measure(0)));

    const QRect pin = panPostep->InnerRect();
    const bool fixedLabel = m_postepLabelWidth > 0;
    int lw = fixedLabel ? m_postepLabelWidth : lblPostep->sizeHint().width();
    if (lblPostep->isHidden())
        lw = 0;
    else if (pbar->isHidden())
        lw = pin.width(); // a label without a bar fills the panel
    lblPostep->setGeometry(pin.left(), pin.top(), lw, pin.height());
    pbar->setGeometry(pin.left() + lw, pin.top(), std::max(0, pin.width() - lw), pin.height());
    lblPostep2->setGeometry(panPostep2->InnerRect());
}

void TMsgOkienko::layoutPanBtns() {
    const int top = (kPanBtnsHeight - kButtonHeight) / 2;
    for (QPushButton* b : {btnAll, btnOk, btnNo, btnExtra, BtnExtra2, btnCancel})
        b->move(b->x(), top);
}

void TMsgOkienko::layoutTak() {
    lblTAK->move((panTAK->width() - lblTAK->width()) / 2, 10);
    pTAK->move(pTAK->x(), 38);
    btnN->move(btnN->x(), 38);
}

// ---- kind, text and fitting -----------------------------------------------------------------

void TMsgOkienko::ApplyKind(int kind, int buttons) {
    const int k = kind & 0x0f;
    const bool exclam = k == mkInfo || k == mkError;
    iexclam1->setVisible(exclam);
    iexclam2->setVisible(exclam);
    iqmark1->setVisible(!exclam);
    iqmark2->setVisible(!exclam);
    panLewy->setVisible(k != mkNoIcon);
    panPrawy->setVisible(k != mkNoIcon);
    if (k == mkError) {
        QPalette lp = lbl->palette();
        lp.setColor(QPalette::WindowText, QColor(160, 0, 0));
        lbl->setPalette(lp);
    }
    if (k == mkConfirmTAK) {
        panBtns->hide();
        panTAK->show();
        buttons = 0;
    } else if (exclam && buttons == 0) {
        buttons = obOk;
    }
    if (buttons & (obOk | obTak | obPowtorz)) {
        const bool ok = buttons & obOk;
        const bool tak = !ok && (buttons & obTak);
        btnOk->setText(ok ? u"&Ok"_s : (tak ? u"&Tak"_s : u"&Powtórz"_s));
        btnOk->resize(ok || tak ? 80 : 90, kButtonHeight);
        btnOk->show();
    }
    btnNo->setVisible(buttons & obNie);
    if (buttons & (obAnuluj | obCofnij)) {
        if (buttons & obCofnij)
            btnCancel->setText(u"Cofnij"_s);
        btnCancel->show();
    }
    btnAll->setVisible(buttons & obWszystkie);
    const auto extra = [](QPushButton* b, bool on, const QString& caption, int width) {
        if (!on)
            return;
        if (!caption.isEmpty())
            b->setText(caption);
        if (width != 0)
            b->resize(width, kButtonHeight);
        b->show();
    };
    extra(btnExtra, buttons & obExtra, ExtraCaption, ExtraWidth);
    extra(BtnExtra2, buttons & obExtra2, Extra2Caption, Extra2Width);
    if (kind & mkAutoClose)
        TimerClose->start();
    LayoutChildren();
}

void TMsgOkienko::SetText(QString text) {
    const qsizetype vt = text.indexOf(QChar(11));
    if (vt >= 0) {
        text.remove(vt, 1);
        lbl->SetAlignment(Qt::AlignLeft);
    }
    lbl->SetText(text);
}

QString TMsgOkienko::Text() const {
    return lbl->Text();
}

bool TMsgOkienko::LeftAligned() const {
    return lbl->Alignment() & Qt::AlignLeft;
}

void TMsgOkienko::FitText() {
    LayoutChildren();
    const bool multi = lbl->Text().contains(QLatin1Char('\n'));
    lbl->SetWordWrap(!multi);
    m_lblAlignTop = !multi;
    layoutPanel3();
    if (multi) {
        int w = lbl->width() + 10;
        if (w > 500) {
            lbl->setFont(kitFont(u"Times New Roman"_s, kSmallTextFontHeight, kfBold));
            w = lbl->Measure(0).width();
        }
        w = std::max(w, 200);
        SetClientSize(w + width() - Panel2->width() + 8, height());
        m_lblAlignTop = true;
        layoutPanel3();
    }
    if (lbl->height() > 200) {
        lbl->setFont(kitFont(u"Times New Roman"_s, kSmallTextFontHeight, kfBold));
        layoutPanel3();
    }
    SetClientSize(width(), height() + lbl->height() - Panel2->height() + 8);
}

void TMsgOkienko::ArrangeButtons() {
    if (!panTAK->isHidden()) {
        if (width() < 400)
            SetClientSize(400, height());
        const int g = (panTAK->width() - (pTAK->width() + btnN->width())) / 3;
        pTAK->move(g, pTAK->y());
        btnN->move(2 * g + pTAK->width(), btnN->y());
        layoutTak();
        return;
    }
    QPushButton* const order[] = {btnAll, btnOk, btnNo, btnExtra, BtnExtra2, btnCancel};
    int count = 0;
    int sum = 0;
    for (const QPushButton* b : order) {
        if (!b->isHidden()) {
            ++count;
            sum += b->width();
        }
    }
    if (width() - 30 < sum)
        SetClientSize(sum + 30, height());
    const int g = (panBtns->width() - sum) / (count + 1);
    int x = 0;
    for (QPushButton* b : order) {
        if (b->isHidden())
            continue;
        b->move(x + g, b->y());
        x += g + b->width();
    }
}

void TMsgOkienko::showEvent(QShowEvent* e) {
    if (!m_focusSet) {
        m_focusSet = true;
        if (!btnOk->isHidden())
            btnOk->setFocus();
    }
    QDialog::showEvent(e);
    watchFrame();
}

void TMsgOkienko::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), sys::btnFace);
}

// ---- keys and clicks ------------------------------------------------------------------------

bool TMsgOkienko::TakPanelShown() const {
    return !panTAK->isHidden();
}

void TMsgOkienko::takReset() {
    btnT->setChecked(false);
    btnA->setChecked(false);
    btnK->setChecked(false);
}

void TMsgOkienko::TakChar(QChar c) {
    if (!TakPanelShown())
        return;
    switch (c.toUpper().unicode()) {
    case u'T':
        btnT->setChecked(true);
        btnA->setChecked(false);
        btnK->setChecked(false);
        break;
    case u'A':
        if (!btnT->isChecked()) {
            takReset();
            break;
        }
        btnA->setChecked(true);
        btnK->setChecked(false);
        break;
    case u'K':
        if (btnA->isChecked())
            done(mrOk);
        else
            takReset();
        break;
    case u'N':
        done(mrNo);
        break;
    default:
        takReset();
        break;
    }
}

bool TMsgOkienko::clickByMnemonic(QChar c) {
    const QChar up = c.toUpper();
    for (QPushButton* b : {btnOk, btnNo, btnAll, btnExtra, BtnExtra2, btnCancel}) {
        if (b->isHidden() || !b->isEnabled())
            continue;
        const QString t = b->text();
        const qsizetype amp = t.indexOf(QLatin1Char('&'));
        if (amp >= 0 && amp + 1 < t.size() && t.at(amp + 1).toUpper() == up) {
            b->click();
            return true;
        }
    }
    return false;
}

// While the typed confirmation is shown, every typed character counts, Enter, Tab and Backspace
// included; keys that type nothing (Shift, arrows, F-keys) and Alt combinations do not. A
// character typed with Ctrl is a control character and resets.
bool TMsgOkienko::takKey(const QKeyEvent* e) {
    const QString typed = e->text();
    if (!TakPanelShown() || typed.isEmpty() || e->key() == Qt::Key_Escape ||
        (e->modifiers() & Qt::AltModifier))
        return false;
    TakChar(e->modifiers() & Qt::ControlModifier ? QChar(0) : typed.at(0));
    return true;
}

bool TMsgOkienko::event(QEvent* e) {
    // Seen before the focus chain takes Tab and before any button takes Enter.
    if (e->type() == QEvent::KeyPress && takKey(static_cast<QKeyEvent*>(e))) {
        e->accept();
        return true;
    }
    return QDialog::event(e);
}

void TMsgOkienko::keyPressEvent(QKeyEvent* e) {
    const bool plain = !(e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    if (e->key() == Qt::Key_Escape) {
        if (plain && !m_progressWindow)
            done(mrCancel);
        e->accept();
        return;
    }
    const QString typed = e->text();
    if (!(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && typed.size() == 1 &&
        typed.at(0).isLetter() && clickByMnemonic(typed.at(0))) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TMsgOkienko::mousePressEvent(QMouseEvent* e) {
    if (TakPanelShown())
        takReset();
    QDialog::mousePressEvent(e);
}

void TMsgOkienko::reject() {
    // The close box answers Cancel; the progress window cannot be closed by the user.
    if (!m_progressWindow)
        done(mrCancel);
}

// ---- modal functions ------------------------------------------------------------------------

int ShowMsg(const QString& caption, const QString& text, int kind, int buttons) {
    QWidget* active = QApplication::activeWindow();
    auto dlg = std::make_unique<TMsgOkienko>(active);
    QPointer<TMsgOkienko> alive(dlg.get());
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                            Qt::MSWindowsFixedSizeDialogHint;
    if (!active)
        flags |= Qt::WindowStaysOnTopHint;
    dlg->setWindowFlags(flags);
    dlg->ApplyKind(kind, buttons);
    dlg->setWindowTitle(caption);
    dlg->SetText(text);
    const int result = dlg->exec();
    if (!alive)
        (void)dlg.release(); // the parent window went away during the call and took the window along
    return result;
}

void MsgError(const QString& caption, const QString& text) {
    QApplication::beep();
    ShowMsg(caption, text, mkError, obOk);
}

void MsgInfo(const QString& caption, const QString& text) {
    ShowMsg(caption, text, mkInfo, obOk);
}

bool MsgYesNo(const QString& caption, const QString& text) {
    return ShowMsg(caption, text, mkQuestion, obTak | obNie) == mrOk;
}

bool MsgOkCancel(const QString& caption, const QString& text) {
    return ShowMsg(caption, text, mkQuestion, obOk | obAnuluj) == mrOk;
}

bool MsgRetryCancel(const QString& caption, const QString& text) {
    return ShowMsg(caption, text, mkQuestion, obPowtorz | obAnuluj) == mrOk;
}

bool MsgConfirmTAK(const QString& caption, const QString& text) {
    return ShowMsg(caption, text, mkConfirmTAK, 0) == mrOk;
}

// ---- progress window ------------------------------------------------------------------------

TWorkingDlg::TWorkingDlg(QObject* owner)
    : QObject(owner) {}

TWorkingDlg::~TWorkingDlg() = default;

void TWorkingDlg::SetProgressMax(int max) {
    m_progressMax = max;
    if (m_window)
        m_window->pbar->setRange(0, 100);
}

void TWorkingDlg::Close() {
    m_window.reset();
}

void TWorkingDlg::Start(const QString& text, bool withLabel, bool withBar) {
    Tekst = text;
    JestPostepLbl = withLabel;
    JestPostepBar = withBar;
    Open();
}

void TWorkingDlg::Open() {
    Close();
    m_units = 0;
    QWidget* ownerForm = nullptr;
    if (!ScreenCenter) {
        auto* w = qobject_cast<QWidget*>(parent());
        if (!w)
            throw EInvalidCast(u"Okno postępu wymaga okna właściciela"_s);
        ownerForm = w->window();
    }
    m_window = std::make_unique<TMsgOkienko>(nullptr);
    TMsgOkienko& win = *m_window;
    win.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    win.SetProgressWindow(true);
    win.pbar->setRange(0, ZipAllSize32k >= 1 ? ZipAllSize32k : 100);
    win.pbar->setValue(0);
    win.panLewy->hide();
    win.panPrawy->hide();
    win.panBtns->hide();
    win.panPostep->setVisible(JestPostepLbl || JestPostepBar);
    win.panPostep2->setVisible(JestPostepLbl2);
    win.lblPostep->setVisible(JestPostepLbl);
    win.pbar->setVisible(JestPostepBar);
    win.ani->show();
    win.ani->Start();
    win.setWindowTitle(Caption);
    win.SetText(Tekst);
    if (ZipAllSize32k > 0)
        win.SetPostepLabelWidth(win.lblPostep->fontMetrics().horizontalAdvance(u"WWWWWWWWWWW"_s));
    win.lblPostep->clear();
    win.pbar->setValue(0);
    win.LayoutChildren();
    int h = win.lbl->height() + 20;
    for (const TMsgPanel* p : {win.panPostep, win.panPostep2})
        if (!p->isHidden())
            h += p->height();
    win.SetClientSize(win.width(), h);
    const QRect area = ownerForm ? QRect(ownerForm->mapToGlobal(QPoint(0, 0)), ownerForm->size()) : QRect();
    win.SetCentreArea(area);
    win.PrepareShow(); // placed before the native window is made, so that its frame goes there
    QPointer<QWidget> previous = QApplication::activeWindow();
    if (ownerForm && ownerForm->windowHandle()) {
        win.winId();
        win.windowHandle()->setTransientParent(ownerForm->windowHandle());
    }
    win.show();
    win.repaint();
    if (previous)
        previous->activateWindow();
}

void TWorkingDlg::SetStepText(const QString& text) {
    if (!m_window)
        return;
    m_window->lblPostep->setText(u"  "_s + text + u" "_s);
    m_window->LayoutChildren();
}

void TWorkingDlg::SetProgress(int n) {
    m_units = n;
    if (!m_window || m_progressMax == 0)
        return;
    const double pos = std::trunc(double(n) / m_progressMax * 100.0);
    QProgressBar* bar = m_window->pbar;
    bar->setValue(int(std::clamp(pos, double(bar->minimum()), double(bar->maximum()))));
}

void TWorkingDlg::StepProgress() {
    if (!m_window || m_progressMax == 0)
        return;
    // Counted in units, not re-derived from the rounded position: with more than 100 units a
    // step of less than half a percent would otherwise round back to the same position for ever.
    ++m_units;
    const double pos = std::clamp(double(m_units) * 100.0 / m_progressMax, -1e9, 1e9);
    QProgressBar* bar = m_window->pbar;
    bar->setValue(std::clamp(roundHalfEven(pos), bar->minimum(), bar->maximum()));
}

} // namespace vek
