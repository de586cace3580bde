// The first command-line argument, and the direct view of a printout named on it.
#include "shell/ProgramEntry.h"
#include "kitwindows/ModalAnswer.h"
#include "support/Kosztorys.h"
#include "viewing/uFrmPodglad.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace vek;
using namespace Qt::StringLiterals;

namespace {

class StartArgument : public ::testing::Test {
protected:
    void SetUp() override {
        folder = dir.filePath(u"program/"_s);
        QDir().mkpath(folder);
        inside = folder + u"Faktura 12.WYD"_s;
        outside = dir.filePath(u"Pobrane.wyd"_s);
        for (const QString& path : {inside, outside}) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }
    StartRequest examine(const QString& argument, bool answer) {
        return examineStartArgument(argument, folder, [&](const QString& title, const QString& text) {
            asked.append(title + u" | "_s + text);
            return answer;
        });
    }

    QTemporaryDir dir;
    QString folder;
    QString inside;
    QString outside;
    QStringList asked;
};

} // namespace

TEST_F(StartArgument, KeywordsAreExact) {
    EXPECT_EQ(examine(u"INST"_s, true).kind, StartRequest::Install);
    EXPECT_EQ(examine(u"UNINST"_s, true).kind, StartRequest::Uninstall);
    EXPECT_TRUE(examine(u"TEMP"_s, true).TrybTymczasowy);
    const StartRequest lower = examine(u"inst"_s, true); // no keyword, no such file
    EXPECT_EQ(lower.kind, StartRequest::Viewer);
    EXPECT_FALSE(lower.TrybTymczasowy);
    EXPECT_TRUE(lower.PlikDoOtwarcia.isEmpty());
    EXPECT_TRUE(lower.PlikDoSkopiowania.isEmpty());
    EXPECT_TRUE(examine(QString(), true).PlikDoOtwarcia.isEmpty());
    EXPECT_TRUE(examine(dir.filePath(u"brak.wyd"_s), true).PlikDoOtwarcia.isEmpty());
    EXPECT_TRUE(asked.isEmpty());
}

TEST_F(StartArgument, AFileOfTheProgramFolderIsShownWithoutAQuestion) {
    const QString spelled = folder + u"faktura 12.wyd"_s; // letter case aside: the same name
    QFile::rename(inside, spelled);
    EXPECT_EQ(examine(spelled, true).PlikDoOtwarcia, spelled);
    EXPECT_TRUE(asked.isEmpty());
}

TEST_F(StartArgument, AFileElsewhereAsksWhetherToCopyIt) {
    const StartRequest yes = examine(outside, true);
    EXPECT_EQ(yes.PlikDoSkopiowania, outside);
    EXPECT_TRUE(yes.PlikDoOtwarcia.isEmpty());
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.front(), u"VekPokaz - "_s + outside +
                                 u" | Czy skopiować wydruk do katalogu przeglądarki\r("_s + folder +
                                 u") ?"_s);
    const StartRequest no = examine(outside, false);
    EXPECT_EQ(no.PlikDoOtwarcia, outside);
    EXPECT_TRUE(no.PlikDoSkopiowania.isEmpty());
    // Without the list window to copy into, the file is shown where it lies.
    EXPECT_EQ(examineStartArgument(outside, folder).PlikDoOtwarcia, outside);
}

TEST(DirectView, ShowsOnePreviewAndEndsWhenItCloses) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath(u"config"_s).toLocal8Bit());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath(u"config"_s));
    const QString path = dir.filePath(u"kosztorys.wyd"_s);
    ASSERT_TRUE(test::writeWyd(path, test::kosztorys(2, 10)));
    int previews = 0;
    QString title;
    vektest::answerModal([&](QWidget* w) {
        auto* preview = qobject_cast<TFrmPodglad*>(w);
        previews += preview ? 1 : 0;
        QTest::qWait(200);
        title = w->windowTitle();
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_EQ(runVekPokaz({u"vekpokaz"_s, path}), 0);
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(title, u"VekPokaz - Podgląd wydruku \"kosztorys\""_s);
    EXPECT_EQ(runVekPokaz({u"vekpokaz"_s}), 2); // no list window yet: a usage message
}
