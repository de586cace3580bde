// Message windows: answers by keys (Enter, Esc, mnemonics, the typed T, A, K confirmation), the
// close box, the auto-close timer, and the arithmetic that fits the window to its text and spaces
// its buttons.

#include "ModalAnswer.h"
#include "kit/KitFonts.h"
#include "kit/okienko.h"
#include "kit/okienkoWidgets.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace vek;
using vektest::answerModal;

namespace {

TMsgOkienko* msgWindow(QWidget* w) {
    return qobject_cast<TMsgOkienko*>(w);
}

} // namespace

TEST(MsgWindow, YesNoAnswersEnterWithYesAndEscWithNo) {
    answerModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
    EXPECT_TRUE(MsgYesNo(u"Pytanie"_s, u"Usunąć?"_s));
    answerModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_FALSE(MsgYesNo(u"Pytanie"_s, u"Usunąć?"_s));
}

TEST(MsgWindow, EscWithModifiersDoesNotClose) {
    bool stayed = false;
    answerModal([&stayed](QWidget* w) {
        QTest::keyClick(w, Qt::Key_Escape, Qt::ShiftModifier);
        QTest::keyClick(w, Qt::Key_Escape, Qt::ControlModifier);
        stayed = w->isVisible();
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_EQ(ShowMsg(u"x"_s, u"y"_s, mkQuestion, obOk | obAnuluj), mrCancel);
    EXPECT_TRUE(stayed);
}

TEST(MsgWindow, MnemonicLetterPressesItsButton) {
    answerModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_N); });
    EXPECT_EQ(ShowMsg(u"x"_s, u"y"_s, mkQuestion, obTak | obNie | obAnuluj), mrNo);
    answerModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_W); });
    EXPECT_EQ(ShowMsg(u"x"_s, u"y"_s, mkQuestion, obTak | obWszystkie), mrAll);
}

TEST(MsgWindow, CloseBoxAnswersCancel) {
    answerModal([](QWidget* w) { w->close(); });
    EXPECT_EQ(ShowMsg(u"x"_s, u"y"_s, mkInfo, obOk), mrCancel);
}

TEST(MsgWindow, ButtonsReturnTheirResults) {
    const std::pair<int, int> cases[] = {{obOk, mrOk},       {obNie, mrNo},        {obWszystkie, mrAll},
                                         {obExtra, mrAbort}, {obExtra2, mrIgnore}, {obAnuluj, mrCancel}};
    for (const auto& [flag, result] : cases) {
        answerModal([](QWidget* w) {
            const auto buttons = w->findChildren<QPushButton*>();
            for (QPushButton* b : buttons)
                if (!b->isHidden())
                    b->click();
        });
        EXPECT_EQ(ShowMsg(u"x"_s, u"y"_s, mkNoIcon, flag), result) << flag;
    }
}

TEST(MsgWindow, ConfirmTakNeedsTheThreeLettersInOrder) {
    answerModal([](QWidget* w) { QTest::keyClicks(w, u"tak"_s); });
    EXPECT_TRUE(MsgConfirmTAK(u"Usuwanie"_s, u"Usunąć wszystko?"_s));

    answerModal([](QWidget* w) { QTest::keyClicks(w, u"TAK"_s); });
    EXPECT_TRUE(MsgConfirmTAK(u"Usuwanie"_s, u"Usunąć wszystko?"_s));

    answerModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_N); });
    EXPECT_FALSE(MsgConfirmTAK(u"Usuwanie"_s, u"Usunąć wszystko?"_s));

    answerModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_FALSE(MsgConfirmTAK(u"Usuwanie"_s, u"Usunąć wszystko?"_s));
}

TEST(MsgWindow, ConfirmTakResetsOnAWrongLetterAndStaysOpen) {
    bool stayedAfterTK = false;
    bool resetAfterTK = false;
    bool stayedAfterTAxK = false;
    answerModal([&](QWidget* w) {
        TMsgOkienko* m = msgWindow(w);
        QTest::keyClicks(w, u"tk"_s);
        stayedAfterTK = w->isVisible();
        resetAfterTK = !m->btnT->isChecked() && !m->btnA->isChecked();
        QTest::keyClicks(w, u"tak"_s.left(2) + u"x"_s + u"k"_s); // T, A, then a stray X resets
        stayedAfterTAxK = w->isVisible();
        QTest::keyClicks(w, u"ak"_s); // A without T resets as well
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_FALSE(MsgConfirmTAK(u"Usuwanie"_s, u"Usunąć wszystko?"_s));
    EXPECT_TRUE(stayedAfterTK);
    EXPECT_TRUE(resetAfterTK);
    EXPECT_TRUE(stayedAfterTAxK);
}

TEST(MsgWindow, ConfirmTakIsResetByEnterTabAndBackspace) {
    // Fault: only printable characters reset the typed confirmation, so T, A, Enter, K (or Tab or
    // Backspace in place of Enter) confirmed.
    for (const Qt::Key stray : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Tab, Qt::Key_Backspace}) {
        bool reset = false;
        bool stayed = false;
        answerModal([&](QWidget* w) {
            TMsgOkienko* m = msgWindow(w);
            QWidget* keys = QApplication::focusWidget() ? QApplication::focusWidget() : w;
            QTest::keyClicks(keys, u"ta"_s);
            QTest::keyClick(keys, stray);
            reset = !m->btnT->isChecked() && !m->btnA->isChecked();
            QTest::keyClick(keys, Qt::Key_K);
            stayed = w->isVisible();
            QTest::keyClick(w, Qt::Key_Escape);
        });
        EXPECT_FALSE(MsgConfirmTAK(u"Usuwanie"_s, u"Usunąć?"_s)) << stray;
        EXPECT_TRUE(reset) << stray;
        EXPECT_TRUE(stayed) << stray;
    }
    // Keys that type nothing leave the sequence as it is; a letter typed with Ctrl resets it.
    answerModal([](QWidget* w) {
        QTest::keyClicks(w, u"ta"_s);
        QTest::keyClick(w, Qt::Key_Shift);
        QTest::keyClick(w, Qt::Key_Left);
        QTest::keyClick(w, Qt::Key_F5);
        QTest::keyClick(w, Qt::Key_K);
    });
    EXPECT_TRUE(MsgConfirmTAK(u"Usuwanie"_s, u"Usunąć?"_s));
    bool stayedAfterCtrl = false;
    answerModal([&](QWidget* w) {
        QTest::keyClicks(w, u"ta"_s);
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w, Qt::Key_K);
        stayedAfterCtrl = w->isVisible();
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_FALSE(MsgConfirmTAK(u"Usuwanie"_s, u"Usunąć?"_s));
    EXPECT_TRUE(stayedAfterCtrl);
}

TEST(MsgWindow, ConfirmTakByClickingTheLetterButtons) {
    answerModal([](QWidget* w) {
        TMsgOkienko* m = msgWindow(w);
        m->btnT->click();
        m->btnA->click();
        m->btnK->click();
    });
    EXPECT_TRUE(MsgConfirmTAK(u"Usuwanie"_s, u"Usunąć?"_s));

    bool resetByClickElsewhere = false;
    answerModal([&](QWidget* w) {
        TMsgOkienko* m = msgWindow(w);
        m->btnT->click();
        QTest::mouseClick(m->Panel2, Qt::LeftButton);
        resetByClickElsewhere = !m->btnT->isChecked();
        m->btnN->click();
    });
    EXPECT_FALSE(MsgConfirmTAK(u"Usuwanie"_s, u"Usunąć?"_s));
    EXPECT_TRUE(resetByClickElsewhere);
}

TEST(MsgWindow, AutoCloseTimerPressesOk) {
    answerModal([](QWidget* w) {
        TMsgOkienko* m = msgWindow(w);
        ASSERT_TRUE(m->TimerClose->isActive());
        EXPECT_EQ(m->TimerClose->interval(), 3000);
        m->TimerClose->start(20); // do not wait the full three seconds
    });
    EXPECT_EQ(ShowMsg(u"x"_s, u"y"_s, mkNoIcon | mkAutoClose, obAnuluj), mrOk);
}

TEST(MsgWindow, KindsChooseButtonsAndPictures) {
    {
        TMsgOkienko m;
        m.ApplyKind(mkInfo, 0);
        EXPECT_FALSE(m.btnOk->isHidden());
        EXPECT_EQ(m.btnOk->text(), u"&Ok"_s);
        EXPECT_FALSE(m.iexclam1->isHidden());
        EXPECT_TRUE(m.iqmark1->isHidden());
    }
    {
        TMsgOkienko m;
        m.ApplyKind(mkQuestion, 0);
        for (QPushButton* b : m.findChildren<QPushButton*>())
            EXPECT_TRUE(b->isHidden());
        EXPECT_FALSE(m.iqmark2->isHidden());
    }
    {
        TMsgOkienko m;
        m.ApplyKind(mkQuestion, obTak | obOk | obCofnij);
        EXPECT_EQ(m.btnOk->text(), u"&Ok"_s); // Ok wins over Tak
        EXPECT_EQ(m.btnCancel->text(), u"Cofnij"_s);
    }
    {
        TMsgOkienko m;
        m.ApplyKind(mkQuestion, obPowtorz);
        EXPECT_EQ(m.btnOk->text(), u"&Powtórz"_s);
        EXPECT_EQ(m.btnOk->width(), 90);
    }
    {
        TMsgOkienko m;
        m.ApplyKind(mkNoIcon, obOk);
        EXPECT_TRUE(m.panLewy->isHidden());
        EXPECT_TRUE(m.panPrawy->isHidden());
    }
    {
        TMsgOkienko m;
        m.ApplyKind(mkConfirmTAK, obOk | obNie);
        EXPECT_TRUE(m.panBtns->isHidden());
        EXPECT_FALSE(m.panTAK->isHidden());
        EXPECT_TRUE(m.btnOk->isHidden()); // flags are ignored
    }
}

TEST(MsgWindow, ExtraButtonsTakeTheCallersCaptionAndWidth) {
    ExtraCaption = u"Pobierz z Internetu"_s;
    ExtraWidth = 140;
    TMsgOkienko m;
    m.ApplyKind(mkInfo, obOk | obExtra | obExtra2);
    EXPECT_EQ(m.btnExtra->text(), ExtraCaption);
    EXPECT_EQ(m.btnExtra->width(), 140);
    EXPECT_EQ(m.BtnExtra2->text(), u"Extra2"_s); // no caption given: its own
    EXPECT_EQ(m.BtnExtra2->width(), 80);
    ExtraCaption.clear();
    ExtraWidth = 0;
}

TEST(MsgWindow, VerticalTabAlignsLeftAndIsRemoved) {
    TMsgOkienko m;
    m.SetText(u"\vLista:\rjeden"_s);
    EXPECT_TRUE(m.LeftAligned());
    EXPECT_EQ(m.Text(), u"Lista:\njeden"_s);
    TMsgOkienko centred;
    centred.SetText(u"Tekst"_s);
    EXPECT_FALSE(centred.LeftAligned());
}

TEST(MsgWindow, TwoButtonsAreSpacedEvenly) {
    TMsgOkienko m;
    m.ApplyKind(mkQuestion, obOk | obAnuluj);
    m.SetText(u"Wysłać?"_s);
    m.FitText();
    m.ArrangeButtons();
    ASSERT_EQ(m.width(), 400);
    const int g = (m.panBtns->width() - 160) / 3;
    EXPECT_EQ(g, 80);
    EXPECT_EQ(m.btnOk->x(), g);
    EXPECT_EQ(m.btnCancel->x(), 2 * g + 80);
}

TEST(MsgWindow, ManyButtonsWidenTheWindowAndDoNotOverlap) {
    ExtraWidth = 200;
    TMsgOkienko m;
    m.ApplyKind(mkQuestion, obTak | obNie | obWszystkie | obAnuluj | obExtra | obExtra2);
    ExtraWidth = 0;
    m.SetText(u"?"_s);
    m.FitText();
    m.ArrangeButtons();
    const int sum = 80 + 80 + 100 + 200 + 80 + 80;
    EXPECT_EQ(m.width(), sum + 30);
    // Order: All, Ok, No, Extra, Extra2, Cancel, left to right.
    const QPushButton* order[] = {m.btnAll, m.btnOk, m.btnNo, m.btnExtra, m.BtnExtra2, m.btnCancel};
    int right = 0;
    for (const QPushButton* b : order) {
        EXPECT_GT(b->x(), right);
        right = b->x() + b->width();
    }
    EXPECT_LT(right, m.width());
}

TEST(MsgWindow, NarrowMultiLineTextIsWidenedTo200) {
    TMsgOkienko m;
    m.ApplyKind(mkInfo, obOk);
    m.SetText(u"Ab\rCd"_s);
    m.LayoutChildren();
    const int outside = m.width() - m.Panel2->width();
    m.FitText();
    EXPECT_EQ(m.width(), 200 + outside + 8);
    EXPECT_EQ(m.lbl->width(), m.Panel2->InnerRect().width()); // aligned to the top again
}

TEST(MsgWindow, WindowHeightFollowsTheText) {
    TMsgOkienko shortText;
    shortText.ApplyKind(mkInfo, obOk);
    shortText.SetText(u"Krótko."_s);
    shortText.FitText();
    TMsgOkienko longText;
    longText.ApplyKind(mkInfo, obOk);
    longText.SetText(QString(u"Bardzo długi tekst komunikatu. "_s).repeated(8));
    longText.FitText();
    EXPECT_LT(shortText.height(), longText.height());
    for (TMsgOkienko* m : {&shortText, &longText}) {
        // The label sits in its panel with the same margin below it.
        EXPECT_EQ(m->Panel2->height() - m->lbl->height(), 8);
    }
}

TEST(MsgWindow, VeryLongTextGetsTheSmallerFont) {
    TMsgOkienko m;
    m.ApplyKind(mkInfo, obOk);
    const int before = m.lbl->font().pixelSize();
    m.SetText(QString(u"Bardzo długi tekst komunikatu, który nie mieści się w oknie. "_s).repeated(14));
    m.FitText();
    EXPECT_LT(m.lbl->font().pixelSize(), before);
}

TEST(MsgWindow, TextPanelHasItsInnerBevelInsideTheBorder) {
    // Fault: the lowered inner bevel of the text panel was drawn right beside the raised outer one,
    // with the 5-pixel border inside both instead of between them.
    TMsgOkienko m;
    m.ApplyKind(mkInfo, obOk);
    m.SetText(u"Gotowe."_s);
    m.FitText();
    QImage img(m.Panel3->size(), QImage::Format_RGB32);
    m.Panel3->render(&img, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    const int w = img.width(), h = img.height(), y = h / 2, x = w / 2;
    // From each edge inwards: outer bevel, five pixels of face, inner bevel, face.
    const QColor light = sys::btnHighlight, dark = sys::btnShadow, face = sys::btnFace;
    const QColor fromLeft[] = {light, face, face, face, face, face, dark, face};
    const QColor fromRight[] = {dark, face, face, face, face, face, light, face};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(img.pixelColor(i, y), fromLeft[i]) << "left " << i;
        EXPECT_EQ(img.pixelColor(x, i), fromLeft[i]) << "top " << i;
        EXPECT_EQ(img.pixelColor(w - 1 - i, y), fromRight[i]) << "right " << i;
        EXPECT_EQ(img.pixelColor(x, h - 1 - i), fromRight[i]) << "bottom " << i;
    }
    // Its children sit inside all of it.
    EXPECT_EQ(m.Panel3->InnerRect(), m.Panel3->rect().adjusted(7, 7, -7, -7));
}

TEST(MsgWindow, TypedConfirmationPanelIsArranged) {
    TMsgOkienko m;
    m.ApplyKind(mkConfirmTAK, 0);
    m.SetText(u"Usunąć?"_s);
    m.FitText();
    m.ArrangeButtons();
    EXPECT_GE(m.width(), 400);
    const int g = (m.panTAK->width() - (m.pTAK->width() + m.btnN->width())) / 3;
    EXPECT_EQ(m.pTAK->x(), g);
    EXPECT_EQ(m.btnN->x(), 2 * g + m.pTAK->width());
}

TEST(MsgWindow, EnterPressesTheFocusedButtonAfterTab) {
    answerModal([](QWidget* w) {
        TMsgOkienko* m = msgWindow(w);
        m->btnNo->setFocus(); // where Tab from the first button leads
        QTest::keyClick(m->btnNo, Qt::Key_Return);
    });
    EXPECT_FALSE(MsgYesNo(u"Pytanie"_s, u"Usunąć?"_s));
    answerModal([](QWidget* w) {
        TMsgOkienko* m = msgWindow(w);
        EXPECT_TRUE(m->btnOk->hasFocus()); // the first button has the focus when the window opens
        QTest::keyClick(w, Qt::Key_Tab);
        EXPECT_TRUE(m->btnNo->hasFocus());
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : w, Qt::Key_Return);
    });
    EXPECT_FALSE(MsgYesNo(u"Pytanie"_s, u"Usunąć?"_s));
}

TEST(MsgWindow, QuestionWithoutButtonsIsLeftOnlyByEscOrClose) {
    answerModal([](QWidget* w) {
        QTest::keyClick(w, Qt::Key_Return);
        QTest::keyClick(w, Qt::Key_T);
        EXPECT_TRUE(w->isVisible());
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_EQ(ShowMsg(u"x"_s, u"y"_s, mkQuestion, 0), mrCancel);
}
