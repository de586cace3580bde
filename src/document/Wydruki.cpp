#include "Wydruki.h"

#include <QFileInfo>
#include <QIODevice>

using namespace Qt::StringLiterals;

namespace vek {

TWydruk::TWydruk()
    : m_wczytanyPlikNazwa(u"WYDRUK"_s)
    , m_tekst(std::make_unique<TMLineWydruk>()) {
    m_tekst->OnLine = [this](TLinie&) { TekstLine(); };
    m_tekst->OnWait = [this](TMLineWydruk&) { TekstLine(); };
    m_tekst->OnNewPage = [this](TMLineWydruk&, const PagePtr& page) { TekstNewPage(page); };
    m_tekst->OnRestart = [this](TMLineWydruk&) {
        if (OnRestart)
            OnRestart(*this);
    };
}

TWydruk::~TWydruk() = default;

void TWydruk::LoadFromFile(const QString& fileName) {
    OpenFile(fileName);
    m_tekst->FinishLoad();
}

void TWydruk::OpenFile(const QString& fileName) {
    std::unique_ptr<QIODevice> file = openPrintoutFile(fileName);
    m_tytul = fileName;
    m_wczytanyPlikNazwa = QFileInfo(fileName).completeBaseName();
    m_wczytanyPlikSciezka = fileName;
    // The pages of an earlier file are no longer current.
    m_pagesValid = false;
    m_tekst->BeginLoad(std::move(file));
}

void TWydruk::MakePages() {
    m_state = 2;
    struct Idle {
        int& state;
        ~Idle() { state = 0; }
    } idle{m_state};
    m_pagesValid = m_pagesValid && !m_tekst->Styles->AnyChanged();
    if (m_pagesValid) {
        for (const PagePtr& page : m_tekst->Pages)
            TekstNewPage(page);
        return;
    }
    m_aborted = false;
    m_tekst->Aborted = false;
    m_pagesValid = false; // stays so when the composition fails
    m_tekst->MakePages();
    m_pagesValid = !m_aborted;
}

void TWydruk::Abort() {
    m_aborted = true;
    m_tekst->Aborted = true;
}

void TWydruk::Clear() {
    m_state = 1;
    m_pagesValid = false;
    m_aborted = false;
    m_tekst->Clear();
    AfterClear();
}

void TWydruk::DoProgress(int position, int total) {
    if (OnProgress)
        OnProgress(*this, m_state == 2, total <= 0 ? 0 : int(qint64(position) * 100 / total));
}

void TWydruk::TekstLine() {
    DoProgress(m_tekst->LinesDone, m_tekst->LineCount());
}

void TWydruk::TekstNewPage(const PagePtr& page) {
    if (OnNextPage)
        OnNextPage(*this, page);
}

} // namespace vek
