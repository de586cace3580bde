// Start-up settings: program folder rule and the fixed formats.
#include "platform/Startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vek;

TEST(ProgramFolder, HomeVariableWins) {
    EXPECT_EQ(resolveProgramFolder(QStringLiteral("/srv/wydruki"), QStringLiteral("/usr/bin"), {}),
              QStringLiteral("/srv/wydruki/"));
    EXPECT_EQ(resolveProgramFolder(QStringLiteral("/srv/wydruki/"), {}, {}), QStringLiteral("/srv/wydruki/"));
}

TEST(ProgramFolder, WritableExecutableFolder) {
    QTemporaryDir exe;
    ASSERT_TRUE(exe.isValid());
    EXPECT_EQ(resolveProgramFolder({}, exe.path(), QStringLiteral("/nowhere")), exe.path() + u'/');
}

TEST(ProgramFolder, DataHomeWhenTheExecutableFolderIsNotUsable) {
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    const QString folder = resolveProgramFolder({}, data.path() + QStringLiteral("/missing"), data.path());
    EXPECT_EQ(folder, data.path() + QStringLiteral("/VekPokaz/"));
    EXPECT_TRUE(QDir(folder).exists());
}

TEST(ProgramFolder, StartupUsesTheEnvironment) {
    QTemporaryDir home;
    qputenv("VEKPOKAZ_HOME", home.path().toUtf8());
    startup();
    EXPECT_EQ(programFolder(), home.path() + u'/');
    qunsetenv("VEKPOKAZ_HOME");
    startup();
    EXPECT_TRUE(programFolder().endsWith(u'/'));
}

TEST(Formats, FixedSeparatorsAndDates) {
    EXPECT_EQ(formatSettings().shortDateFormat, QStringLiteral("dd-mm-yyyy"));
    EXPECT_EQ(formatSettings().longDateFormat, QStringLiteral("dd-mm-yyyy hh:mm:ss"));
    EXPECT_EQ(formatShortDate(QDate(2026, 12, 8)), QStringLiteral("08-12-2026"));
    EXPECT_EQ(formatLongDateTime(QDateTime(QDate(2026, 1, 2), QTime(14, 5, 9))),
              QStringLiteral("02-01-2026 14:05:09"));
    EXPECT_EQ(formatInteger(1234567), QStringLiteral("1 234 567"));
    EXPECT_EQ(formatInteger(-999), QStringLiteral("-999"));
    EXPECT_EQ(formatInteger(std::numeric_limits<qint64>::min()),
              QStringLiteral("-9 223 372 036 854 775 808"));
    EXPECT_EQ(formatNumber(-1234.5, 2), QStringLiteral("-1 234,50"));
    EXPECT_EQ(formatNumber(0.004, 2), QStringLiteral("0,00"));
    EXPECT_EQ(formatNumber(-0.004, 2), QStringLiteral("0,00"));
    EXPECT_EQ(formatNumber(1000000, 0), QStringLiteral("1 000 000"));
}
