#include "kit/KitGallery.h"

#include "kit/HintBar.h"
#include "kit/KitFonts.h"
#include "kit/VekBtn.h"
#include "kit/bajery.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <memory>

namespace vek {

namespace {

// A page picture for the large mode buttons: left half in colour, right half greyed, on a
// magenta key colour.
QPixmap pagePicture(int w, int h) {
    QImage img(2 * w, h, QImage::Format_RGB32);
    const QColor key(255, 0, 255);
    img.fill(key);
    QPainter p(&img);
    for (int half = 0; half < 2; ++half) {
        const int ox = half * w;
        const QColor paper = half == 0 ? QColor(255, 255, 255) : QColor(224, 224, 224);
        const QColor ink = half == 0 ? QColor(0, 0, 128) : QColor(160, 160, 160);
        p.fillRect(ox + 4, 2, w - 10, h - 4, QColor(64, 64, 64));
        p.fillRect(ox + 3, 1, w - 10, h - 4, paper);
        for (int y = 5; y < h - 6; y += 3) {
            p.fillRect(ox + 6, y, (y % 2) ? w - 18 : w - 22, 1, ink);
        }
    }
    return QPixmap::fromImage(img);
}

THintBar* hintBar(QWidget* parent, int y, int width) {
    auto* hb = new THintBar(parent);
    setAlign(hb, alNone);
    hb->setGeometry(8, y, width, 24);
    return hb;
}

TVekBtn* button(QWidget* parent, QRect geometry, TVekBtnTyp typ, int kolor, const QString& opis) {
    auto* b = new TVekBtn(parent);
    b->setGeometry(geometry);
    b->setTyp(typ);
    b->setKolor(kolor);
    b->setOpis(opis);
    return b;
}

void setHot(QWidget* w, bool pressed) {
    const QPointF centre(w->width() / 2.0, w->height() / 2.0);
    QEnterEvent enter(centre, w->mapToGlobal(centre), w->mapToGlobal(centre));
    QCoreApplication::sendEvent(w, &enter);
    if (pressed) {
        QMouseEvent press(QEvent::MouseButtonPress, centre, w->mapToGlobal(centre), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &press);
    }
}

// The caption strip of a skinned window, built from panels, with drawn Marlett buttons.
void captionSample(QWidget* parent, QRect r) {
    auto* frame = new TPanelEx(parent);
    frame->setGeometry(r);
    frame->setBevelWidth(2);
    frame->setBorderWidth(2);
    auto* cap = new TPanelEx(frame);
    cap->resize(10, 21);
    cap->setBevelOuter(bvLowered);
    cap->setBorderWidth(1);
    cap->setColor(QColor(0, 0, 128));
    cap->setFontColor(sys::captionText);
    cap->setAlignment(taLeftJustify);
    QFont f = kitFont(QStringLiteral("MS Sans Serif"), -11, kfBold);
    cap->setFont(f);
    cap->setCaption(QStringLiteral(" Drukowanie wydruku"));
    setAlign(cap, alTop);
    cap->OnAfterPaint = [cap](QObject*, QPainter& p) {
        int x = cap->width() - 3 - 3 * 17;
        for (QChar g : {u's', u'1', u'r'}) {
            QRect b(x, 3, 17, 15);
            p.fillRect(b, sys::btnFace);
            drawEdge(p, b, EDGE_RAISED);
            paintMarlettGlyph(p, b, g, sys::btnText, g == u'r' ? 10 : 11);
            x += 17;
        }
    };
    auto* body = new TPanelEx(frame);
    body->setBevelOuter(bvNone);
    body->setCaption2(QStringLiteral("Panel z drugim napisem: tekst łamany w wierszach, "
                                     "dopasowany do szerokości panelu."));
    body->setBorderWidth(6);
    setAlign(body, alClient);
    auto* hb = new THintBar(frame);
    hb->setTextCancel(QStringLiteral("Zamknij"));
    hb->setTextAccept(QStringLiteral("&Drukuj"));
}

} // namespace

QWidget* kitGalleryWidgets(QWidget* parent) {
    auto* sheet = new TPanelEx(parent);
    sheet->setBevelOuter(bvNone);
    sheet->resize(760, 600);

    int y = 8;
    auto* hb1 = hintBar(sheet, y, 400);
    hb1->setTextCancel(QStringLiteral("Zamknij"));
    y += 30;
    auto* hb2 = hintBar(sheet, y, 600);
    hb2->setBtnWidth(90);
    hb2->setTextAccept(QStringLiteral("&Drukuj"));
    hb2->setTextCancel(QStringLiteral("Zamknij"));
    hb2->setTextLeft(QStringLiteral("Strona 3 z 12"));
    hb2->setTextCenter(QStringLiteral("Drukarka #YELLOW#PDF#NORMAL#: #RED#brak papieru"));
    hb2->setTextRight(QStringLiteral("100%"));
    y += 30;
    auto* hb3 = hintBar(sheet, y, 600);
    hb3->setTextCancel(QStringLiteral("Zamknij"));
    hb3->setTextCenter(QStringLiteral("Nie można otworzyć pliku"));
    hb3->setErrorState(true);
    y += 30;
    auto* hb4 = hintBar(sheet, y, 600);
    hb4->setTextAccept(QStringLiteral("Wybierz"));
    hb4->setTextCancel(QStringLiteral("Zamknij"));
    hb4->setTextLeft(QStringLiteral("Szukanie..."));
    hb4->setTextCenter(QStringLiteral("Nieaktywne #RED#okno"));
    hb4->setActive(false);

    y += 40;
    const QString opis = QStringLiteral("Dodaj");
    int x = 8;
    for (int k = 0; k < 5; ++k) {
        button(sheet, QRect(x, y, 70, 33), TVekBtnTyp(sbF5 + k), k, opis);
        x += 76;
    }
    button(sheet, QRect(x, y, 70, 33), sbEnter, 3, QStringLiteral("&Otwórz"));
    button(sheet, QRect(x + 76, y, 70, 33), sbF7, 0, QStringLiteral("Wyłączony"))->setEnabled(false);
    auto* latched = button(sheet, QRect(x + 152, y, 70, 33), sbD, 1, QStringLiteral("Wciśnięty"));
    latched->setDown(true);

    y += 42;
    x = 8;
    for (TVekBtnTyp t : {sbTab, sbBackspace, sbAltBkspc, sbPlus, sbMinus, sbGwiazdka, sbSlash, sb1}) {
        button(sheet, QRect(x, y, 90, 24), t, x / 90 % 5, QStringLiteral("Klawisz"));
        x += 94;
    }
    y += 32;
    auto* mode = button(sheet, QRect(8, y, 100, 75), sbWlasny, 0, QStringLiteral("Normalnie"));
    mode->setIkonka(pagePicture(40, 50));
    auto* modeOff = button(sheet, QRect(114, y, 100, 75), sbWlasny, 0, QStringLiteral("Broszura"));
    modeOff->setIkonka(pagePicture(40, 50));
    modeOff->setEnabled(false);
    auto* sw = button(sheet, QRect(220, y, 140, 18), sbWlasny, 0, QStringLiteral("Dwustronnie"));
    sw->setMargines(-1);
    auto* sw2 = button(sheet, QRect(220, y + 22, 140, 18), sbWlasny, 0, QStringLiteral("Kolor"));
    sw2->setMargines(-1);
    sw2->setDown(true);
    sw2->setColorDown(QColor(255, 255, 192));
    auto* flat = button(sheet, QRect(220, y + 44, 140, 24), sbP, 4, QStringLiteral("Bez ramki"));
    flat->setShowFrame(false);
    auto* up = button(sheet, QRect(370, y, 15, 11), sbWlasny, 3, QStringLiteral("5"));
    up->setFont(kitFont(QStringLiteral("Marlett"), -11));
    auto* down = button(sheet, QRect(370, y + 12, 15, 11), sbWlasny, 3, QStringLiteral("6"));
    down->setFont(kitFont(QStringLiteral("Marlett"), -11));
    button(sheet, QRect(395, y, 30, 110), sbF9, 2, QStringLiteral("Podgląd"));
    button(sheet, QRect(432, y, 30, 110), sbF9, 2, QStringLiteral("Wyłączony"))->setEnabled(false);

    y += 120;
    auto* raised = new TPanelEx(sheet);
    raised->setGeometry(8, y, 150, 40);
    raised->setCaption(QStringLiteral("Panel wypukły"));
    auto* lowered = new TPanelEx(sheet);
    lowered->setGeometry(164, y, 150, 40);
    lowered->setBevelOuter(bvLowered);
    lowered->setBevelInner(bvRaised);
    lowered->setBorderWidth(2);
    lowered->setCaption(QStringLiteral("Panel wklęsły"));
    auto* marlett = new TPanelEx(sheet);
    marlett->setGeometry(320, y, 180, 40);
    marlett->setBevelOuter(bvLowered);
    marlett->setColor(sys::window);
    marlett->setFont(kitFont(QStringLiteral("Marlett"), -11));
    marlett->setCaption(QStringLiteral("0123456rs"));
    captionSample(sheet, QRect(508, y, 240, 150));
    sheet->resize(760, y + 160);
    return sheet;
}

QList<KitGalleryShot> kitGalleryImages() {
    QList<KitGalleryShot> shots;
    auto grab = [&shots](QWidget* w, const QString& name) {
        QImage img(w->size(), QImage::Format_ARGB32);
        img.fill(sys::btnFace);
        w->render(&img);
        shots.append({name, img});
    };
    std::unique_ptr<QWidget> sheet(kitGalleryWidgets());
    for (auto* b : sheet->findChildren<TVekBtn*>()) {
        const QString name = QStringLiteral("btn_%1x%2_%3").arg(b->width()).arg(b->height()).arg(b->Opis());
        grab(b, name);
        setHot(b, false);
        grab(b, name + QStringLiteral("_hot"));
        setHot(b, true);
        grab(b, name + QStringLiteral("_pressed"));
    }
    for (auto* hb : sheet->findChildren<THintBar*>()) {
        if (hb->TextAccept() == QLatin1String("&Drukuj") && hb->Active()) {
            setHot(hb->btnAccept(), false);
            setHot(hb->btnCancel(), true);
            grab(hb, QStringLiteral("hintbar_buttons_hot_pressed"));
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-5, -5), QPointF(-5, -5), Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(hb->btnCancel(), &release);
            for (QWidget* b :
                 {static_cast<QWidget*>(hb->btnAccept()), static_cast<QWidget*>(hb->btnCancel())}) {
                QEvent leave(QEvent::Leave);
                QCoreApplication::sendEvent(b, &leave);
            }
        }
        grab(hb, QStringLiteral("hintbar_%1")
                     .arg(hb->TextCenter().isEmpty() ? hb->TextCancel() : hb->TextCenter()));
    }
    return shots;
}

QImage kitGallerySheet() {
    std::unique_ptr<QWidget> sheet(kitGalleryWidgets());
    QImage img(sheet->size(), QImage::Format_ARGB32);
    img.fill(sys::btnFace);
    sheet->render(&img);
    return img;
}

} // namespace vek
