// TFrmPodglad: loading the printout and collecting its pages while they are composed. The printout
// is composed while it is read (TWydruk::OpenFile): the first page shows at once whatever the size
// of the file, and the window answers throughout, the reading included, since the composition
// reports its progress (and lets the window answer) while it waits for the file too.
#include "document/Wydruki.h"
#include "kit/HintBar.h"
#include "kit/okienko.h"
#include "kit/uVekForm.h"
#include "platform/Routines.h"
#include "viewing/EmfViewer.h"
#include "viewing/WebAddresses.h"
#include "viewing/uFrmPodglad.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <exception>

#ifdef __GLIBC__
#include <malloc.h>
#endif

using namespace Qt::StringLiterals;

namespace vek {

namespace {

// The printout's model is gone once its pages are made: tens of megabytes for a long printout,
// in pieces small enough that the allocator would keep them from the system.
void returnFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

void TFrmPodglad::previewLoad() {
    if (m_stop)
        return; // closed before the loading began
    setWindowTitle(u"%1 \"%2\""_s.arg(windowTitle(), m_displayName));
    repaint();
    viewer->setFocus(Qt::OtherFocusReason);
    try {
        LoadAndBuild();
    } catch (const Exception& e) {
        TVekForm::ErrorDisplay(e.message());
    } catch (const std::exception& e) {
        TVekForm::ErrorDisplay(QString::fromUtf8(e.what()));
    }
}

void TFrmPodglad::LoadAndBuild() {
    BusyCursor(true, true);
    m_building = true;
    auto wydruk = std::make_unique<TWydruk>();
    // Also on an error: the component goes, the bar's text is cleared, the cursor comes back.
    const auto cleanUp = qScopeGuard([this, &wydruk] {
        wydruk.reset();
        returnFreedMemory();
        hb->ShowLeftNow(QString());
        m_building = false;
        BusyCursor(false);
    });
    hb->setTextAccept(QString());
    hb->ShowLeftNow(u"Wczytywanie pliku..."_s);
    if (!loadFile(*wydruk) || m_stop)
        return;
    hb->ShowLeftNow(u"Tworzenie stron..."_s);
    m_stop = false;
    wydruk->OnProgress = [this](TWydruk& sender, bool, int postep) { wydrukProgress(sender, postep); };
    wydruk->OnNextPage = [this](TWydruk&, const PagePtr& page) { wydrukNextPage(page); };
    wydruk->OnRestart = [this](TWydruk&) { viewer->ClearPages(); };
    wydruk->MakePages();
    // Printing is offered for a complete printout only.
    if (!m_stop && PrintDialog)
        hb->setTextAccept(u"Drukuj"_s);
}

bool TFrmPodglad::loadFile(TWydruk& wydruk) {
    try {
        wydruk.OpenFile(m_filePath);
        return true;
    } catch (const EReadFileError& e) {
        if (!e.message().contains(u"wersja"_s))
            throw;
    }
    showVersionMessage();
    return false;
}

void TFrmPodglad::showVersionMessage() {
    ExtraCaption = u"Pobierz z Internetu"_s;
    ExtraWidth = 140;
    const int answer =
        ShowMsg(u"Błąd"_s, u"Nieznana wersja pliku wydruku !\rKonieczna aktualizacja przeglądarki."_s,
                mkError, obOk | obExtra);
    if (answer == mrAbort)
        OpenAddress(DownloadPageAddress());
}

void TFrmPodglad::wydrukNextPage(const PagePtr& page) {
    // The page is shared with the composer's document, not copied.
    viewer->AddPage(page);
}

void TFrmPodglad::wydrukProgress(TWydruk& sender, int postep) {
    if (QCoreApplication::closingDown())
        m_stop = true;
    if (m_stop) {
        sender.Abort();
        return;
    }
    const QString text = u"Tworzenie stron... %1%"_s.arg(postep);
    if (text != hb->TextLeft()) // the bar repaints at once: only when the text changes
        hb->ShowLeftNow(text);
    // The window answers within a few milliseconds: often enough for the eye and the hand, rare
    // enough not to slow the composition down (a report comes after every line).
    if (!m_pumpClock.isValid() || m_pumpClock.elapsed() >= kPumpEveryMs) {
        ProcessOneMessage();
        m_pumpClock.restart();
    }
}

} // namespace vek
