// The modeless progress window: its parts, its placement over the owner and its progress
// arithmetic.

#include "kit/okienko.h"
#include "kit/okienkoWidgets.h"

#include <QLabel>
#include <QProgressBar>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace vek;

TEST(WorkingDlg, SetProgressIsAPercentageOfProgressMax) {
    QWidget owner;
    owner.setGeometry(100, 100, 600, 400);
    owner.show();
    TWorkingDlg dlg(&owner);
    dlg.SetProgressMax(200);
    dlg.Start(u"Trwa przesyłanie wydruku do kolejki drukarki"_s, false, true);
    dlg.SetProgress(50);
    EXPECT_EQ(dlg.Window()->pbar->value(), 25);
    dlg.SetProgress(199);
    EXPECT_EQ(dlg.Window()->pbar->value(), 99); // truncated
}

TEST(WorkingDlg, StepProgressMovesOneUnitEvenBelowOnePercent) {
    // Regression: a step that was re-derived from the rounded bar position stalled at 26 % with
    // 200 units, because 53 units round back to 26 %.
    QWidget owner;
    owner.show();
    TWorkingDlg dlg(&owner);
    dlg.SetProgressMax(200);
    dlg.Start(u"x"_s, false, true);
    dlg.SetProgress(50);
    dlg.StepProgress();
    dlg.StepProgress();
    EXPECT_EQ(dlg.Window()->pbar->value(), 26); // 52 units
    for (int i = 0; i < 50; ++i)
        dlg.StepProgress();
    EXPECT_EQ(dlg.Window()->pbar->value(), 51); // 102 units
    dlg.SetProgressMax(10);
    dlg.SetProgress(3);
    dlg.StepProgress();
    EXPECT_EQ(dlg.Window()->pbar->value(), 40);
}

TEST(WorkingDlg, NoWindowOrZeroMaximumChangesNothing) {
    TWorkingDlg closed;
    closed.SetProgress(10); // no window: nothing happens
    closed.StepProgress();
    closed.SetStepText(u"x"_s);
    QWidget owner;
    owner.show();
    TWorkingDlg dlg(&owner);
    dlg.Start(u"x"_s, true, true);
    dlg.SetProgress(30);
    dlg.SetProgressMax(0);
    dlg.SetProgress(80);
    dlg.StepProgress();
    EXPECT_EQ(dlg.Window()->pbar->value(), 30);
}

TEST(WorkingDlg, OpenShowsTheChosenPartsModelessly) {
    QWidget owner;
    owner.show();
    TWorkingDlg dlg(&owner);
    dlg.JestPostepLbl2 = true;
    dlg.Start(u"Trwa kopiowanie"_s, true, false);
    TMsgOkienko* w = dlg.Window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->windowTitle(), u" Zaczekaj chwilę..."_s);
    EXPECT_TRUE(w->panLewy->isHidden());
    EXPECT_TRUE(w->panBtns->isHidden());
    EXPECT_TRUE(w->ani->Active());
    EXPECT_FALSE(w->panPostep->isHidden());
    EXPECT_FALSE(w->panPostep2->isHidden());
    EXPECT_TRUE(w->pbar->isHidden());
    // A label without a bar fills its panel.
    EXPECT_EQ(w->lblPostep->width(), w->panPostep->InnerRect().width());
    dlg.SetStepText(u"Plik 1"_s);
    EXPECT_EQ(w->lblPostep->text(), u"  Plik 1 "_s);
    dlg.Close();
    EXPECT_EQ(dlg.Window(), nullptr);
}

TEST(WorkingDlg, BarRangeFollowsZipSizeAndProgressMax) {
    QWidget owner;
    owner.show();
    TWorkingDlg dlg(&owner);
    dlg.ZipAllSize32k = 500;
    dlg.Start(u"x"_s, true, true);
    EXPECT_EQ(dlg.Window()->pbar->maximum(), 500);
    dlg.SetProgressMax(100); // while open: back to 0..100
    EXPECT_EQ(dlg.Window()->pbar->maximum(), 100);
}

TEST(WorkingDlg, CentredOverTheOwner) {
    QWidget owner;
    owner.setGeometry(100, 80, 600, 400);
    owner.show();
    TWorkingDlg dlg(&owner);
    dlg.Start(u"Trwa przesyłanie wydruku do kolejki drukarki"_s, true, true);
    const QRect w = dlg.Window()->frameGeometry();
    const QRect a(owner.mapToGlobal(QPoint(0, 0)), owner.size());
    EXPECT_EQ(w.x(), a.x() + (a.width() - w.width()) / 2);
    EXPECT_EQ(w.y(), a.y() + (a.height() - w.height()) / 2);
}

TEST(WorkingDlg, OwnerMustBeAWindowUnlessScreenCentred) {
    QObject notAWindow;
    TWorkingDlg dlg(&notAWindow);
    EXPECT_THROW(dlg.Open(), EInvalidCast);
    dlg.ScreenCenter = true;
    EXPECT_NO_THROW(dlg.Open());
    EXPECT_NE(dlg.Window(), nullptr);
}

TEST(WorkingDlg, EscDoesNotCloseTheProgressWindow) {
    QWidget owner;
    owner.show();
    TWorkingDlg dlg(&owner);
    dlg.Start(u"x"_s, false, true);
    static_cast<QDialog*>(dlg.Window())->reject();
    EXPECT_TRUE(dlg.Window()->isVisible());
}
