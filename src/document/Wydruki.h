#pragma once
// TWydruk: the printout component. It opens and checks a printout file, reads it into the document
// it owns, composes the pages and passes every finished page and the progress of the work to its
// user through two events, called synchronously from inside MakePages.
//
// Pages are immutable shared objects: a receiver keeps a page by keeping the PagePtr handed to
// OnNextPage, and the page stays valid as long as it is held, after the component is destroyed and
// whatever is loaded or composed later. Playing a held page on other threads is safe.
//
// A printout may be composed while it is read (OpenFile): its first pages then come out before the
// whole file is read, and a read error comes out of MakePages after the pages before it.
//
// Threads: everything runs on the thread that calls MakePages, except Abort, which may be called
// from any thread.

#include "LineDruk.h"

#include <QString>
#include <atomic>
#include <functional>
#include <memory>

namespace vek {

class TWydruk {
public:
    // drukowanie: pages are being made; postep: percentage done, 0 to 100.
    using TWydrukProgress = std::function<void(TWydruk& sender, bool drukowanie, int postep)>;
    using TWydrukNextPage = std::function<void(TWydruk& sender, const PagePtr& page)>;
    using TWydrukRestart = std::function<void(TWydruk& sender)>;

    TWydruk();
    virtual ~TWydruk();
    TWydruk(const TWydruk&) = delete;
    TWydruk& operator=(const TWydruk&) = delete;

    TWydrukProgress OnProgress;
    TWydrukNextPage OnNextPage;
    // Composing while reading: the pages handed out so far are withdrawn, the composition starts
    // again from the first page. Rare: the printout turned out to begin otherwise than the first
    // page assumed (see LineDrukFeed.cpp). A receiver drops the pages it holds.
    TWydrukRestart OnRestart;

    TMLineWydruk& Tekst() { return *m_tekst; }
    const QString& Tytul() const { return m_tytul; }
    const QString& WczytanyPlikNazwa() const { return m_wczytanyPlikNazwa; }
    const QString& WczytanyPlikSciezka() const { return m_wczytanyPlikSciezka; }
    int State() const { return m_state; }
    bool PagesValid() const { return m_pagesValid; }

    // Opens, checks and reads a printout. Throws EFOpenError, EStreamError ("Plik nie zawiera
    // prawidłowego wydruku Vekta") and the reader's errors; the names are set once the header is
    // accepted and stay set when the body fails. Loading forgets the pages made before.
    void LoadFromFile(const QString& fileName);
    // As LoadFromFile, but reads only the head of the body (version, resolution) now: the styles
    // and the sections are read while MakePages composes them, so that the first page comes out
    // at once whatever the size. The file stays open until everything is read (or Clear). OnProgress
    // is also called while the composition waits for the file, with an estimated percentage.
    void OpenFile(const QString& fileName);
    // Composes the pages, or hands the pages already made out again when they are still current.
    void MakePages();
    // Asks a running MakePages to stop after the current line; the partial page is still delivered.
    // Safe from any thread.
    void Abort();
    virtual void Clear();

protected:
    virtual void AfterClear() {}

private:
    void DoProgress(int position, int total);
    void TekstLine();
    void TekstNewPage(const PagePtr& page);

    int m_state = 0; // 0 idle, 1 cleared, 2 making pages
    QString m_tytul;
    QString m_wczytanyPlikNazwa;
    QString m_wczytanyPlikSciezka;
    std::unique_ptr<TMLineWydruk> m_tekst;
    std::atomic<bool> m_aborted{false};
    bool m_pagesValid = false;
};

} // namespace vek
