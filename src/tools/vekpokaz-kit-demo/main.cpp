// vekpokaz-kit-demo: a gallery of the window kit. Without arguments it opens a skinned window
// whose buttons show every message kind, the typed confirmation, the progress window and a
// child window. With --screenshots DIR it writes a PNG of each window in its states and ends.

#include "kit/HintBar.h"
#include "kit/KitFonts.h"
#include "kit/KitGallery.h"
#include "kit/VekBtn.h"
#include "kit/okienko.h"
#include "kit/okienkoWidgets.h"
#include "kit/uVekForm.h"
#include "platform/Routines.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHash>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <QWindow>

using namespace Qt::StringLiterals;
using namespace vek;

namespace {

const QString kLong = u"Nie można otworzyć pliku wydruku. Plik jest uszkodzony albo został zapisany przez "
                      u"nowszą wersję programu. Sprawdź, czy plik został skopiowany w całości."_s;

// ---- the interactive gallery ----------------------------------------------------------------

class TKitGallery : public TVekForm {
public:
    TKitGallery() {
        setWindowTitle(u"Galeria okien VekPokaz"_s);
        SetBorderIcons(biHelp | biMaximize);
        NormalWidth = 460;
        NormalHeight = 330;
        auto* body = new TPanelEx(pFrame);
        body->setBevelOuter(bvNone);
        body->setBorderWidth(8);
        setAlign(body, alClient);
        auto* grid = new QGridLayout(body);
        grid->setContentsMargins(10, 10, 10, 10);
        grid->setSpacing(6);
        int row = 0;
        add(grid, row++, u"Informacja"_s,
            [] { MsgInfo(u"Informacja"_s, u"Wydruk został dodany do listy."_s); });
        add(grid, row++, u"Błąd"_s, [] { MsgError(u"Błąd"_s, kLong); });
        add(grid, row++, u"Pytanie Tak / Nie"_s,
            [this] { report(MsgYesNo(u"Pytanie"_s, u"Usunąć wybrany wydruk?"_s) ? u"Tak"_s : u"Nie"_s); });
        add(grid, row++, u"Ok / Anuluj"_s, [this] {
            report(MsgOkCancel(u"Pytanie"_s, u"Wysłać wydruk do drukarki?"_s) ? u"Ok"_s : u"Anuluj"_s);
        });
        add(grid, row++, u"Powtórz / Anuluj"_s, [this] {
            report(MsgRetryCancel(u"Drukarka"_s, u"Drukarka nie odpowiada.\rSprawdź, czy jest włączona."_s)
                       ? u"Powtórz"_s
                       : u"Anuluj"_s);
        });
        row = 0;
        add(
            grid, row++, u"Potwierdzenie T, A, K"_s,
            [this] {
                report(MsgConfirmTAK(u"Usuwanie"_s, u"Usunąć wszystkie wydruki z folderu programu?"_s)
                           ? u"potwierdzone"_s
                           : u"odrzucone"_s);
            },
            1);
        add(
            grid, row++, u"Dodatkowy przycisk"_s,
            [this] {
                ExtraCaption = u"Pobierz z Internetu"_s;
                ExtraWidth = 140;
                report(QString::number(ShowMsg(u"Nowa wersja"_s, u"Dostępna jest nowsza wersja programu."_s,
                                               mkInfo, obOk | obExtra)));
            },
            1);
        add(
            grid, row++, u"Zamknięcie po 3 s"_s,
            [] { ShowMsg(u"Informacja"_s, u"To okno zamknie się samo."_s, mkInfo | mkAutoClose, obOk); }, 1);
        add(
            grid, row++, u"Okno postępu"_s, [this] { runProgress(); }, 1);
        add(
            grid, row++, u"Kontrolki (podokno)"_s, [this] { openControls(); }, 1);
        grid->setRowStretch(5, 1); // the buttons keep their place when the window grows
        grid->setColumnStretch(2, 1);
        SetSizeCentered(460, 260);
    }

private:
    void add(QGridLayout* grid, int row, const QString& caption, std::function<void()> action, int col = 0) {
        auto* b = new TVekBtn(grid->parentWidget());
        const int index = col * 5 + row;
        b->setTyp(TVekBtnTyp(sbF2 + index));
        b->setKolor(col == 0 ? 0 : 3);
        b->setOpis(caption);
        b->setFixedHeight(28);
        b->setMinimumWidth(190);
        b->OnClick = [action](QObject*) { action(); };
        m_keys.insert(Qt::Key_F2 + index, b);
        grid->addWidget(b, row, col);
    }
    void keyPressEvent(QKeyEvent* e) override {
        // The key on a button's cap presses it.
        if (TVekBtn* b = m_keys.value(e->key()); b && e->modifiers() == Qt::NoModifier) {
            b->OnClick(b);
            return;
        }
        TVekForm::keyPressEvent(e);
    }
    QHash<int, TVekBtn*> m_keys;

public:
    TVekForm* openControls() {
        auto* child = new TVekForm(this); // deletes itself when closed, one child at a time
        child->setWindowTitle(u"Kontrolki zestawu"_s);
        child->SetBorderIcons(biHelp | biMaximize);
        QWidget* samples = kitGalleryWidgets(child->pFrame);
        setAlign(samples, alClient);
        const QRect used = samples->childrenRect();
        // Frame (4 + 4), caption strip (21) and hint bar (24) around the samples.
        child->SetSizeCentered(used.right() + 1 + 8 + 8, used.bottom() + 1 + 8 + 21 + 24 + 8);
        child->show();
        return child;
    }

private:
    void report(const QString& answer) { hb->setTextCenter(u"Odpowiedź: "_s + answer); }
    void runProgress() {
        TWorkingDlg dlg(this);
        dlg.Start(u"Trwa przesyłanie wydruku do kolejki drukarki"_s, true, true);
        dlg.SetProgressMax(40);
        for (int i = 1; i <= 40; ++i) {
            dlg.SetStepText(u"Strona %1 z 40"_s.arg(i));
            dlg.SetProgress(i);
            for (int k = 0; k < 5; ++k) {
                ProcessOneMessage();
                QThread::msleep(10);
            }
        }
    }
};

// ---- screenshots ----------------------------------------------------------------------------

// Draws the classic window frame and title bar that the window manager would draw around a grab.
QImage framed(const QImage& client, const QString& title) {
    const int border = 4;
    const int bar = 18;
    QImage out(client.width() + 2 * border, client.height() + 2 * border + bar + 1, QImage::Format_RGB32);
    out.fill(sys::btnFace);
    QPainter p(&out);
    QRect r = out.rect();
    frame3D(p, r, sys::btnLight, sys::btnDkShadow, 1);
    frame3D(p, r, sys::btnHighlight, sys::btnShadow, 1);
    const QRect caption(border, border, client.width(), bar);
    QLinearGradient g(caption.topLeft(), caption.topRight());
    g.setColorAt(0, QColor(10, 36, 106));
    g.setColorAt(1, QColor(166, 202, 240));
    p.fillRect(caption, g);
    p.setFont(kitFont(u"Tahoma"_s, -11, kfBold));
    p.setPen(Qt::white);
    p.drawText(caption.adjusted(4, 0, -24, 0), Qt::AlignVCenter | Qt::AlignLeft, title);
    const QRect close(caption.right() - 17, caption.top() + 2, 16, 14);
    p.fillRect(close, sys::btnFace);
    QRect cr = close;
    frame3D(p, cr, sys::btnHighlight, sys::btnDkShadow, 1);
    paintMarlettGlyph(p, close, u'r', Qt::black, 9);
    p.drawImage(border, border + bar + 1, client);
    return out;
}

class Shooter {
public:
    explicit Shooter(QString dir)
        : m_dir(std::move(dir)) {
        QDir().mkpath(m_dir);
    }
    // A window as it stands on the screen: under a window manager with its real frame, grabbed
    // from the screen once the frame is there; elsewhere the client area in a drawn frame.
    void shoot(QWidget* w, const QString& name, bool frame) {
        w->show();
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        QImage img = w->grab().toImage();
        if (frame && waitForFrame(w)) {
            const QRect f = w->frameGeometry();
            img = w->screen()->grabWindow(0, f.x(), f.y(), f.width(), f.height()).toImage();
        } else if (frame) {
            img = framed(img, w->windowTitle());
        }
        const QString path = QDir(m_dir).filePath(name + u".png"_s);
        img.save(path);
        QTextStream(stdout) << path << '\n';
    }

private:
    static bool waitForFrame(QWidget* w) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 1500) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            if (w->windowHandle() && !w->windowHandle()->frameMargins().isNull()) {
                QThread::msleep(200); // let it settle where it belongs and be painted there
                QApplication::processEvents();
                return true;
            }
        }
        return false;
    }

    QString m_dir;
};

void shootMessage(Shooter& s, const QString& name, const QString& caption, const QString& text, int kind,
                  int buttons) {
    TMsgOkienko w;
    w.ApplyKind(kind, buttons);
    w.TimerClose->stop();
    w.setWindowTitle(caption);
    w.SetText(text);
    s.shoot(&w, name, true);
}

int writeScreenshots(const QString& dir) {
    Shooter s(dir);
    shootMessage(s, u"msg-info"_s, u"Informacja"_s, u"Wydruk został dodany do listy."_s, mkInfo, 0);
    shootMessage(s, u"msg-error"_s, u"Błąd"_s, kLong, mkError, obOk);
    shootMessage(s, u"msg-yesno"_s, u"Pytanie"_s, u"Usunąć wybrany wydruk?"_s, mkQuestion, obTak | obNie);
    shootMessage(s, u"msg-retry"_s, u"Drukarka"_s, u"Drukarka nie odpowiada.\rSprawdź, czy jest włączona."_s,
                 mkQuestion, obPowtorz | obAnuluj);
    shootMessage(s, u"msg-left"_s, u"Informacja"_s,
                 u"\vWydruki zostały skopiowane:\r  Faktury 2024.wyd\r  Zestawienie roczne.wyd"_s, mkInfo,
                 obOk);
    shootMessage(s, u"msg-all"_s, u"Zastępowanie"_s, u"Plik \"Faktury.wyd\" już istnieje. Zastąpić go?"_s,
                 mkQuestion, obTak | obNie | obWszystkie | obAnuluj);
    ExtraCaption = u"Pobierz z Internetu"_s;
    ExtraWidth = 140;
    shootMessage(s, u"msg-extra"_s, u"Nowa wersja"_s, u"Dostępna jest nowsza wersja programu VekPokaz."_s,
                 mkInfo, obOk | obExtra);
    shootMessage(s, u"msg-noicon"_s, u"VekPokaz"_s, u"Trwa odczytywanie listy wydruków."_s, mkNoIcon,
                 obCofnij);
    {
        TMsgOkienko w;
        w.ApplyKind(mkConfirmTAK, 0);
        w.setWindowTitle(u"Usuwanie"_s);
        w.SetText(u"Usunąć wszystkie wydruki z folderu programu?"_s);
        w.TakChar(u'T');
        w.TakChar(u'A');
        s.shoot(&w, u"msg-tak"_s, true);
    }
    {
        TWorkingDlg dlg;
        dlg.ScreenCenter = true;
        dlg.Start(u"Trwa przesyłanie wydruku do kolejki drukarki"_s, true, true);
        dlg.SetStepText(u"Strona 7 z 12"_s);
        dlg.SetProgressMax(12);
        dlg.SetProgress(7);
        s.shoot(dlg.Window(), u"working"_s, true);
        dlg.JestPostepLbl2 = true;
        dlg.Start(u"Trwa kopiowanie wydruków"_s, false, false);
        dlg.Window()->lblPostep2->setText(u" Faktury 2024.wyd"_s);
        s.shoot(dlg.Window(), u"working-plain"_s, true);
    }
    {
        QPointer<TVekForm> f = new TVekForm; // deletes itself when closed
        f->setWindowTitle(u"VekForm"_s);
        f->SetBorderIcons(biHelp | biMaximize);
        s.shoot(f, u"vekform"_s, false);
        f->hb->setTextAccept(u"Wybierz"_s);
        f->hb->setTextCenter(u"Wybrano #RED#3#NORMAL# pliki"_s);
        f->SetSizeCentered(420, 260);
        s.shoot(f, u"vekform-accept"_s, false);
        f->SetSizeMode(smMaximized);
        s.shoot(f, u"vekform-maximized"_s, false);
        f->SetSizeMode(smNormal);
        f->EnterHelpMode();
        s.shoot(f, u"vekform-helpmode"_s, false);
        f->LeaveHelpMode();
        f->close();
    }
    for (const KitGalleryShot& shot : kitGalleryImages()) {
        const QString path = QDir(dir).filePath(u"kit-"_s + shot.name + u".png"_s);
        shot.image.save(path);
        QTextStream(stdout) << path << '\n';
    }
    kitGallerySheet().save(QDir(dir).filePath(u"kit-sheet.png"_s));
    {
        TKitGallery g;
        g.setAttribute(Qt::WA_DeleteOnClose, false);
        s.shoot(&g, u"gallery"_s, false);
        TVekForm* controls = g.openControls();
        s.shoot(controls, u"vekform-controls"_s, false);
        controls->close();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"vekpokaz-kit-demo"_s);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Gallery of the VekPokaz window kit"_s);
    parser.addHelpOption();
    const QCommandLineOption shots(u"screenshots"_s, u"Write a PNG of every window into DIR and end."_s,
                                   u"DIR"_s);
    parser.addOption(shots);
    parser.process(app);
    if (parser.isSet(shots))
        return writeScreenshots(parser.value(shots));
    auto* gallery = new TKitGallery; // deletes itself when closed
    gallery->show();
    QObject::connect(gallery, &QObject::destroyed, &app, &QCoreApplication::quit);
    return app.exec();
}
