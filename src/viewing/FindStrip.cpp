#include "viewing/FindStrip.h"

#include "kit/KitFonts.h"
#include "kit/VekBtn.h"
#include "kit/uVekForm.h"
#include "viewing/PageSearch.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace vek {

namespace {

constexpr int kTypingPauseMs = 150;

TVekBtn* arrowButton(const QString& glyph, const QString& hint, QWidget* parent) {
    auto* b = new TVekBtn(parent);
    b->setKolor(3);
    b->setMargines(1);
    b->setFont(kitFont(u"Marlett"_s, 12, kfBold));
    b->setOpis(glyph);
    b->setFixedSize(19, 19);
    b->setToolTip(hint);
    return b;
}

} // namespace

TFindStrip::TFindStrip(TPageFinder* finder, QWidget* parent)
    : TPanelEx(parent)
    , m_finder(finder)
    , m_typing(new QTimer(this)) {
    setBevelOuter(bvRaised);
    setFixedHeight(26);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 4, 2);
    row->setSpacing(4);
    auto* label = new QLabel(u"&Znajdź:"_s, this);
    label->setFont(kitFont(u"MS Sans Serif"_s, -11, kfBold));
    edSzukaj = new QLineEdit(this);
    edSzukaj->setFixedWidth(220);
    edSzukaj->setFixedHeight(20);
    edSzukaj->setFont(kitFont(u"MS Sans Serif"_s, -11));
    edSzukaj->installEventFilter(this);
    label->setBuddy(edSzukaj);
    btnPoprz = arrowButton(u"5"_s, u"Shift+F3 - Poprzednie wystąpienie"_s, this);
    btnNast = arrowButton(u"6"_s, u"F3 - Następne wystąpienie"_s, this);
    lblIle = new QLabel(this);
    lblIle->setFont(kitFont(u"MS Sans Serif"_s, -11));
    lblIle->setMinimumWidth(110);
    btnZamknij = new TCaptionButton(u"r"_s, 10, this);
    btnZamknij->setToolTip(u"Esc - Zamknięcie wyszukiwania"_s);
    row->addWidget(label);
    row->addWidget(edSzukaj);
    row->addWidget(btnPoprz);
    row->addWidget(btnNast);
    row->addWidget(lblIle);
    row->addStretch(1);
    row->addWidget(btnZamknij);

    m_typing->setSingleShot(true);
    m_typing->setInterval(kTypingPauseMs);
    connect(m_typing, &QTimer::timeout, this, [this] { m_finder->setText(edSzukaj->text()); });
    connect(edSzukaj, &QLineEdit::textEdited, m_typing, qOverload<>(&QTimer::start));
    btnPoprz->OnClick = [this](QObject*) { FindPrevious(); };
    btnNast->OnClick = [this](QObject*) { FindNext(); };
    connect(btnZamknij, &QAbstractButton::clicked, this, [this] { Close(); });
    connect(m_finder, &TPageFinder::changed, this, &TFindStrip::showCount);
    hide();
}

void TFindStrip::Open() {
    show();
    m_finder->setActive(true);
    m_finder->store().startExtraction(); // the pages' text is read while the user types
    edSzukaj->setFocus(Qt::ShortcutFocusReason);
    edSzukaj->selectAll();
    showCount();
}

void TFindStrip::Close() {
    flushTyping();
    hide();
    m_finder->setActive(false);
    if (ReturnFocusTo)
        ReturnFocusTo->setFocus(Qt::OtherFocusReason);
}

bool TFindStrip::flushTyping() {
    if (!m_typing->isActive())
        return false;
    m_typing->stop();
    m_finder->setText(edSzukaj->text());
    return true;
}

void TFindStrip::FindNext() {
    if (!flushTyping()) // a fresh search already went to its first place
        m_finder->next();
}

void TFindStrip::FindPrevious() {
    flushTyping();
    m_finder->previous();
}

bool TFindStrip::Owns(const QWidget* w) const {
    return w && (w == this || isAncestorOf(w));
}

QString TFindStrip::CountText(const QString& text, int current, int count, bool complete) {
    if (text.isEmpty())
        return {};
    if (count > 0)
        return u"%1 z %2"_s.arg(current).arg(count);
    return complete ? u"Nie znaleziono"_s : u"Szukanie..."_s;
}

void TFindStrip::showCount() {
    const QString count =
        CountText(m_finder->text(), m_finder->current(), m_finder->count(), m_finder->complete());
    lblIle->setText(count);
    const bool none = !m_finder->text().isEmpty() && m_finder->count() == 0 && m_finder->complete();
    QPalette pal = edSzukaj->palette();
    pal.setColor(QPalette::Base, none ? QColor(255, 200, 200) : QColor(Qt::white));
    edSzukaj->setPalette(pal);
}

bool TFindStrip::eventFilter(QObject* watched, QEvent* e) {
    if (watched == edSzukaj && e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        const Qt::KeyboardModifiers mods = ke->modifiers() & ~Qt::KeypadModifier;
        if ((ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) &&
            (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
            if (mods == Qt::ShiftModifier)
                FindPrevious();
            else
                FindNext();
            return true;
        }
        if (ke->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
            Close();
            return true;
        }
    }
    return TPanelEx::eventFilter(watched, e);
}

} // namespace vek
