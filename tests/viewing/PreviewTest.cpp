// The preview window: loading and building, stopping, the unknown version, the page counter and
// buttons, the margins, its keys and its remembered settings.
#include "ViewingSupport.h"
#include "kit/HintBar.h"
#include "kit/VekBtn.h"
#include "kit/okienko.h"
#include "kit/uVekForm.h"
#include "kitwindows/ModalAnswer.h"
#include "platform/Settings.h"
#include "viewing/EmfViewer.h"
#include "viewing/FindStrip.h"
#include "viewing/PageSearch.h"
#include "viewing/PrintSettings.h"
#include "viewing/WebAddresses.h"
#include "viewing/uFrmPodglad.h"

#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

using namespace vek;
using namespace vektest;
using namespace Qt::StringLiterals;

namespace {

const QString kKey = u"\\SOFTWARE\\VekPokaz"_s;

bool waitFor(const std::function<bool()>& done, int ms = 20000) {
    return QTest::qWaitFor(done, ms);
}

// A preview whose work area is fixed, for the arithmetic of stored rectangles.
class FixedAreaPreview : public TFrmPodglad {
public:
    QRect WorkArea() const override { return QRect(0, 0, 1000, 700); }
};

// A preview on a work area lower than the window's usual minimum height, as a 1600 x 1000 screen
// at 200% with a panel gives.
class LowAreaPreview : public TFrmPodglad {
public:
    QRect WorkArea() const override { return QRect(0, 20, 800, 460); }
};

// Catches the error messages shown while it lives, instead of showing them.
class ShownErrors {
public:
    ShownErrors()
        : m_saved(TVekForm::ErrorDisplay) {
        TVekForm::ErrorDisplay = [this](const QString& message) { messages.append(message); };
    }
    ~ShownErrors() { TVekForm::ErrorDisplay = m_saved; }
    Q_DISABLE_COPY_MOVE(ShownErrors)

    QStringList messages;

private:
    std::function<void(const QString&)> m_saved;
};

// Catches the addresses the window opens instead of starting a browser.
class AddressCatcher : public QObject {
    Q_OBJECT
public:
    AddressCatcher() { QDesktopServices::setUrlHandler(u"https"_s, this, "open"); }
    ~AddressCatcher() override { QDesktopServices::unsetUrlHandler(u"https"_s); }
    QStringList opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url.toString()); }
};

class Preview : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        QFile::remove(TRegistry().FileFor(kKey));
        PrintSettings() = TPrintSettings();
        TFrmPodglad::PrintDialog = nullptr;
    }
    // Shows the preview of the printout and waits until it is built.
    void open(TFrmPodglad& f, const WPrintout& p) {
        f.SetPrintoutFile(writePrintout(dir, p, u"Kosztorys 12.wyd"_s));
        f.show();
        ASSERT_TRUE(waitFor([&] { return f.viewer->PageCount() > 0 && !f.Building(); }));
    }
    static void writeSettings(const std::function<void(TRegistry&)>& write) {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kKey, true));
        write(reg);
    }
    // The stored window rectangle.
    static void writeBounds(int left, int top, int width, int height) {
        writeSettings([&](TRegistry& reg) {
            reg.WriteInteger(u"FrmPodglad_Left"_s, left);
            reg.WriteInteger(u"FrmPodglad_Top"_s, top);
            reg.WriteInteger(u"FrmPodglad_Width"_s, width);
            reg.WriteInteger(u"FrmPodglad_Height"_s, height);
        });
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(Preview, BuildsThePagesAndShowsTheCounter) {
    TFrmPodglad f;
    EXPECT_FALSE(f.lblStrona->isVisible());
    open(f, numberedPrintout(250));
    EXPECT_EQ(f.DisplayName(), u"Kosztorys 12"_s);
    EXPECT_EQ(f.windowTitle(), u"VekPokaz - Podgląd wydruku \"Kosztorys 12\""_s);
    EXPECT_TRUE(f.hb->TextLeft().isEmpty());
    EXPECT_TRUE(f.hb->TextAccept().isEmpty()); // no print dialog to offer
    const int n = f.viewer->PageCount();
    ASSERT_GE(n, 3);
    EXPECT_TRUE(f.lblStrona->isVisible());
    EXPECT_EQ(f.lblStrona->text(), u"1/%1"_s.arg(n));
    EXPECT_FALSE(f.btnStronaUp->isEnabled());
    EXPECT_TRUE(f.btnStronaDn->isEnabled());
    f.viewer->setPageNr(n);
    EXPECT_EQ(f.lblStrona->text(), u"%1/%1"_s.arg(n));
    EXPECT_FALSE(f.btnStronaDn->isEnabled());
    EXPECT_EQ(f.viewer->ZoomLevel(), zoomPageH);
    EXPECT_TRUE(f.viewer->hasFocus());
    EXPECT_EQ(f.pStrony->width(), 149);
    // Thousands of pages widen the counter rather than cut the number off.
    const PagePtr page = f.viewer->Pages().front();
    while (f.viewer->PageCount() < 10000)
        f.viewer->AddPage(page);
    f.viewer->setPageNr(9999);
    EXPECT_EQ(f.lblStrona->text(), u"9999/10000"_s);
    EXPECT_GE(f.lblStrona->width(), f.lblStrona->fontMetrics().horizontalAdvance(f.lblStrona->text()));
    EXPECT_EQ(f.btnStronaDn->geometry().right(), f.pStrony->width() - 3);
}

TEST_F(Preview, PrintingIsOfferedForACompletePrintoutWhenThereIsADialog) {
    int shown = 0;
    TFrmPodglad::PrintDialog = [&](TFrmPodglad&) { ++shown; };
    TFrmPodglad f;
    open(f, numberedPrintout(100));
    EXPECT_EQ(f.hb->TextAccept(), u"Drukuj"_s);
    QTest::keyClick(f.viewer, Qt::Key_Return);
    EXPECT_EQ(shown, 1);
    QTest::keyClick(f.viewer, Qt::Key_Return, Qt::ShiftModifier); // Enter acts only without modifiers
    EXPECT_EQ(shown, 1);
}

TEST_F(Preview, ClosingStopsTheComposition) {
    TFrmPodglad::PrintDialog = [](TFrmPodglad&) {};
    TFrmPodglad f;
    f.SetPrintoutFile(writePrintout(dir, numberedPrintout(30000)));
    QTimer poll;
    bool escSent = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!escSent && f.viewer->PageCount() >= 2) {
            escSent = true;
            QTest::keyClick(f.viewer, Qt::Key_Escape); // as "Zamknij"
        }
    });
    poll.start(1);
    f.show();
    ASSERT_TRUE(waitFor([&] { return escSent && !f.Building(); }));
    EXPECT_TRUE(f.Stopped());
    EXPECT_FALSE(f.isVisible());
    EXPECT_LT(f.viewer->PageCount(), 100); // far fewer than the printout's ~370 pages
    EXPECT_TRUE(f.hb->TextAccept().isEmpty());
}

TEST_F(Preview, ClosingAtOnceStopsTheReading) {
    // The printout is read while it is composed: closing the window stops both, long before the
    // end of the file.
    TFrmPodglad f;
    f.SetPrintoutFile(writePrintout(dir, numberedPrintout(60000))); // about 750 pages
    f.show();
    QTimer::singleShot(0, &f, [&] {
        EXPECT_TRUE(f.Building()); // the window answers meanwhile
        f.close();
    });
    ASSERT_TRUE(waitFor([&] { return !f.isVisible() && !f.Building(); }));
    EXPECT_LT(f.viewer->PageCount(), 100);
    EXPECT_TRUE(f.hb->TextLeft().isEmpty());
    EXPECT_TRUE(f.hb->TextAccept().isEmpty());
}

TEST_F(Preview, AFileThatIsNoPrintoutIsReportedAndTheWindowStaysEmpty) {
    ShownErrors shown;
    const QString path = dir.filePath(u"zdjecie.wyd"_s);
    test::writeFile(path, QByteArray("\x89PNG\r\n\x1a\n to nie jest wydruk"));
    TFrmPodglad f;
    f.SetPrintoutFile(path);
    f.show();
    ASSERT_TRUE(waitFor([&] { return !shown.messages.isEmpty() && !f.Building(); }));
    EXPECT_EQ(shown.messages, QStringList{u"Plik nie zawiera prawidłowego wydruku Vekta"_s});
    EXPECT_EQ(f.viewer->PageCount(), 0);
    EXPECT_TRUE(f.isVisible());
}

TEST_F(Preview, ADamagedFileShowsThePagesBeforeTheDamageAndThenTheError) {
    ShownErrors shown;
    TFrmPodglad::PrintDialog = [](TFrmPodglad&) {};
    const QByteArray body = test::bodyBytes(numberedPrintout(3000));
    const QString path = dir.filePath(u"uciety.wyd"_s);
    test::writeFile(path, test::fileFromBody(body.left(body.size() / 2)));
    TFrmPodglad f;
    f.SetPrintoutFile(path);
    f.show();
    ASSERT_TRUE(waitFor([&] { return !shown.messages.isEmpty() && !f.Building(); }));
    ASSERT_EQ(shown.messages.size(), 1);
    EXPECT_TRUE(shown.messages.front().startsWith(u"Błąd czytania z pliku"_s))
        << shown.messages.front().toStdString();
    EXPECT_GE(f.viewer->PageCount(), 5); // about half of the printout's pages
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.hb->TextAccept().isEmpty()); // no printing of a partial printout
}

TEST_F(Preview, AnUnknownVersionOffersTheDownload) {
    AddressCatcher catcher;
    const QString path = dir.filePath(u"nowy.wyd"_s);
    test::writeFile(path, test::fileFromBody(test::Bytes().u8(200).data()));
    for (const bool download : {false, true}) {
        TFrmPodglad f;
        f.SetPrintoutFile(path);
        QString caption;
        answerModal([&](QWidget* w) {
            auto* msg = qobject_cast<TMsgOkienko*>(w);
            ASSERT_NE(msg, nullptr);
            caption = msg->btnExtra->text();
            (download ? msg->btnExtra : msg->btnOk)->click();
        });
        f.show();
        ASSERT_TRUE(waitFor([&] { return !caption.isEmpty() && !f.Building(); }));
        EXPECT_EQ(caption, u"Pobierz z Internetu"_s);
        EXPECT_EQ(f.viewer->PageCount(), 0);
        EXPECT_FALSE(f.lblStrona->isVisible());
        EXPECT_TRUE(f.isVisible()); // the window stays open, empty
    }
    EXPECT_EQ(catcher.opened, QStringList{DownloadPageAddress()});
}

TEST_F(Preview, APageButtonRepeatsWhileHeld) {
    TFrmPodglad f;
    open(f, numberedPrintout(1200));
    ASSERT_GE(f.viewer->PageCount(), 6);
    QTest::mousePress(f.btnStronaDn, Qt::LeftButton);
    EXPECT_EQ(f.viewer->PageNr(), 2); // one step at once
    QTest::qWait(300);
    EXPECT_EQ(f.viewer->PageNr(), 2); // the next after 500 ms
    ASSERT_TRUE(waitFor([&] { return f.viewer->PageNr() >= 4; }, 1000));
    QTest::mouseRelease(f.btnStronaDn, Qt::LeftButton);
    const int at = f.viewer->PageNr();
    QTest::qWait(250);
    EXPECT_EQ(f.viewer->PageNr(), at);
    QTest::mouseClick(f.btnStronaUp, Qt::LeftButton);
    EXPECT_EQ(f.viewer->PageNr(), at - 1);
}

TEST_F(Preview, MarginsGoToTheViewerAndANarrowWindowHidesThem) {
    TFrmPodglad f;
    f.show();
    EXPECT_EQ(f.viewer->MargTop(), 15);
    EXPECT_EQ(f.viewer->MargLeft(), 10);
    EXPECT_EQ(f.viewer->MargRight(), 10);
    EXPECT_EQ(f.viewer->MargBottom(), 25);
    f.margL->setValue(33);
    EXPECT_EQ(f.viewer->MargLeft(), 33);
    f.resize(500, 600);
    EXPECT_EQ(f.pMarginesy->width(), 75);
    EXPECT_FALSE(f.margT->isEnabled());
    QTest::mouseClick(f.lblMarg, Qt::LeftButton);
    EXPECT_EQ(f.width(), 600);
    EXPECT_EQ(f.pMarginesy->width(), 440);
    EXPECT_TRUE(f.margT->isEnabled());
    f.resize(100, 100);
    EXPECT_GE(f.width(), 350);
    EXPECT_GE(f.height(), 500);
}

TEST_F(Preview, SettingsAreSavedOnCloseAndLoadedOnCreation) {
    {
        TFrmPodglad f;
        f.show();
        f.move(120, 80);
        f.resize(640, 520);
        f.margT->setValue(1);
        f.margL->setValue(2);
        f.margR->setValue(3);
        f.margB->setValue(4);
        PrintSettings().NazwaDruk = u"Biuro – HP"_s;
        PrintSettings().Kopie = 3;
        PrintSettings().Odwrotnie = false;
        f.close();
    }
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kKey, false));
        EXPECT_EQ(reg.ReadInteger(u"Margin_Bottom"_s), 4);
        EXPECT_FALSE(reg.ReadBool(u"FrmPodglad_Max"_s));
        EXPECT_EQ(reg.ReadInteger(u"FrmPodglad_Width"_s), 640);
        EXPECT_EQ(reg.ReadInteger(u"PrintDlg_Odwrotnie"_s), 0);
    }
    const TPrintSettings saved = PrintSettings();
    PrintSettings() = TPrintSettings();
    FixedAreaPreview g;
    g.LoadSettings();
    EXPECT_EQ(g.size(), QSize(640, 520));
    EXPECT_EQ(g.pos(), QPoint(120, 80));
    EXPECT_EQ(g.viewer->MargTop(), 1);
    EXPECT_EQ(g.viewer->MargLeft(), 2);
    EXPECT_EQ(g.viewer->MargRight(), 3);
    EXPECT_EQ(g.viewer->MargBottom(), 4);
    EXPECT_EQ(PrintSettings(), saved);
}

TEST_F(Preview, AStoredRectangleIsCutBackToTheWorkArea) {
    writeBounds(300, 100, 900, 900);
    FixedAreaPreview f;
    f.LoadSettings();
    EXPECT_EQ(f.geometry(), QRect(300, 100, 700, 600));
    // A window left on a screen that is gone comes back.
    writeSettings([](TRegistry& reg) { reg.WriteInteger(u"FrmPodglad_Left"_s, -5000); });
    f.LoadSettings();
    EXPECT_EQ(f.pos().x(), 0);
}

TEST_F(Preview, OnALowScreenTheMinimumAndTheStoredRectangleFitTheWorkArea) {
    writeBounds(0, 300, 640, 520);
    LowAreaPreview f;
    f.LoadSettings();
    EXPECT_LE(f.minimumHeight(), 460);
    EXPECT_EQ(f.minimumWidth(), 350);
    EXPECT_TRUE(QRect(0, 20, 800, 460).contains(f.geometry())) << f.geometry().y() << ' ' << f.height();
    EXPECT_GE(f.height(), f.minimumHeight());
}

TEST_F(Preview, AnUnreadableValueEndsOnlyItsGroup) {
    writeSettings([](TRegistry& reg) {
        reg.WriteInteger(u"FrmPodglad_Width"_s, 700);
        reg.WriteString(u"FrmPodglad_Height"_s, u"wysoko"_s);
        reg.WriteInteger(u"Margin_Top"_s, 7);
        reg.WriteInteger(u"Margin_Left"_s, 8);
        reg.WriteInteger(u"Margin_Right"_s, 9);
        reg.WriteInteger(u"Margin_Bottom"_s, 11);
        reg.WriteInteger(u"PrintDlg_Kopie"_s, 5);
        reg.WriteString(u"PrintDlg_Kolor"_s, u"tak"_s);
    });
    FixedAreaPreview f;
    EXPECT_NE(f.width(), 700);
    EXPECT_EQ(f.viewer->MargTop(), 7);
    EXPECT_EQ(f.viewer->MargBottom(), 11);
    EXPECT_EQ(PrintSettings().Kopie, 5);
    EXPECT_FALSE(PrintSettings().Kolor);
    EXPECT_TRUE(PrintSettings().Odwrotnie); // absent: the initial value
}

TEST_F(Preview, NothingIsWrittenInTemporaryMode) {
    TFrmPodglad f;
    f.DisableSettingsSave();
    f.show();
    f.close();
    EXPECT_FALSE(TRegistry().KeyExists(kKey));
}

TEST_F(Preview, FindKeysAndEscClosingTheStripFirst) {
    TFrmPodglad f;
    QStringList lines;
    for (int i = 1; i <= 400; ++i)
        lines.append(i % 100 == 0 ? u"Żółw %1"_s.arg(i) : u"Pozycja %1"_s.arg(i));
    open(f, linesPrintout(lines));
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    QTest::keyClick(f.viewer, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(f.findStrip->IsOpen());
    EXPECT_TRUE(f.findStrip->edSzukaj->hasFocus());
    QTest::keyClicks(f.findStrip->edSzukaj, u"zolw"_s);
    ASSERT_TRUE(waitFor([&] { return f.finder->count() == 4; }));
    EXPECT_EQ(f.findStrip->lblIle->text(), u"1 z 4"_s);
    QTest::keyClick(f.findStrip->edSzukaj, Qt::Key_Return); // Enter in the strip: the next place, no printing
    EXPECT_EQ(f.finder->current(), 2);
    f.viewer->setFocus();
    QTest::keyClick(f.viewer, Qt::Key_F3);
    EXPECT_EQ(f.finder->current(), 3);
    QTest::keyClick(f.viewer, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(f.finder->current(), 2);
    QTest::keyClick(f.viewer, Qt::Key_Escape); // closes the strip only
    EXPECT_FALSE(f.findStrip->IsOpen());
    EXPECT_TRUE(f.isVisible());
    QTest::keyClick(f.viewer, Qt::Key_F3); // opens the strip again and goes on
    EXPECT_TRUE(f.findStrip->IsOpen());
    EXPECT_EQ(f.finder->current(), 3);
    QTest::keyClick(f.findStrip->edSzukaj, Qt::Key_Escape);
    EXPECT_FALSE(f.findStrip->IsOpen());
    EXPECT_TRUE(f.viewer->hasFocus());
    QTest::keyClick(f.viewer, Qt::Key_Escape);
    EXPECT_FALSE(f.isVisible());
}

TEST(PrintoutNames, AreFoundWithoutRegardToLetterCase) {
    QTemporaryDir dir;
    for (const QString& name : {u"faktura.wyd"_s, u"Faktura.WYD"_s, u"Inny.wyd"_s})
        ASSERT_TRUE(test::writeFile(dir.filePath(name), QByteArray("x")));
    EXPECT_EQ(PrintoutFileIn(dir.path(), u"FAKTURA"_s), dir.filePath(u"Faktura.WYD"_s)); // the first by name
    EXPECT_EQ(PrintoutFileIn(dir.path(), u"inny"_s), dir.filePath(u"Inny.wyd"_s));
    EXPECT_EQ(PrintoutFileIn(dir.path(), u"Brak"_s), dir.filePath(u"Brak.WYD"_s));
}

#include "PreviewTest.moc"
