// vekpokaz-export --info on generated printouts: the summary, and the exit codes for unreadable
// files and wrong usage.
#include "support/Kosztorys.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vek::test;

namespace {

struct Outcome {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

QString exporter() {
    return qEnvironmentVariable("VEK_BINARY_DIR") +
           QStringLiteral("/src/tools/vekpokaz-export/vekpokaz-export");
}

Outcome run(const QStringList& args) {
    QProcess p;
    p.start(exporter(), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

class ExportInfo : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo(exporter()).isExecutable())
            GTEST_SKIP() << "vekpokaz-export is not built";
        ASSERT_TRUE(m_dir.isValid());
    }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ExportInfo, SummarisesThePrintout) {
    WPrintout p = kosztorys(2, 3, 5);
    p.resolution = 600;
    ASSERT_TRUE(writeWyd(file(QStringLiteral("k.wyd")), p));
    const Outcome r = run({QStringLiteral("--info"), file(QStringLiteral("k.wyd"))});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(o.value(u"version").toInt(), 5);
    EXPECT_EQ(o.value(u"resolution").toInt(), 600);
    EXPECT_DOUBLE_EQ(o.value(u"scale").toDouble(), 0.3f);
    EXPECT_EQ(o.value(u"styles").toInt(), 10);
    // Root, two sections with three items each, the summary.
    EXPECT_EQ(o.value(u"sections").toInt(), 1 + 2 + 6 + 1);
    // Root: 7 header, 4 repeated, 1 spare, 1 footer; each section 2 + 2, each item 1; summary 7.
    EXPECT_EQ(o.value(u"lines").toInt(), 13 + 2 * 4 + 6 + 7);
    EXPECT_EQ(o.value(u"lineCount").toInt(), 7 + 1 + 2 * 4 + 6 + 7);
    EXPECT_EQ(o.value(u"pictures").toInt(), 1);
    EXPECT_GT(o.value(u"fields").toInt(), o.value(u"lines").toInt());
}

TEST_F(ExportInfo, UnreadablePrintoutGivesItsOwnMessage) {
    ASSERT_TRUE(writeFile(file(QStringLiteral("v8.wyd")), fileFromBody(Bytes().u8(8).data())));
    Outcome r = run({QStringLiteral("--info"), file(QStringLiteral("v8.wyd"))});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("Błąd odczytu - nieznana wersja pliku [8]")) << r.err.constData();
    ASSERT_TRUE(writeFile(file(QStringLiteral("x.wyd")), "VEKTA2001\x06Pakiet"));
    r = run({QStringLiteral("--info"), file(QStringLiteral("x.wyd"))});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("Plik nie zawiera prawidłowego wydruku Vekta")) << r.err.constData();
}

TEST_F(ExportInfo, WrongUsage) {
    const QString k = file(QStringLiteral("k.wyd"));
    ASSERT_TRUE(writeWyd(k, kosztorys(1, 1)));
    EXPECT_EQ(run({k}).code, 2);
    EXPECT_EQ(run({QStringLiteral("--info")}).code, 2);
    EXPECT_EQ(run({QStringLiteral("--info"), QStringLiteral("--text"), k}).code, 2);
    EXPECT_EQ(run({QStringLiteral("--bogus"), k}).code, 2);
    EXPECT_EQ(run({QStringLiteral("--margins"), QStringLiteral("1,2,3"), QStringLiteral("--info"), k}).code,
              2);
    EXPECT_EQ(
        run({QStringLiteral("--dpi"), QStringLiteral("0"), QStringLiteral("-o"), QStringLiteral("a.png"), k})
            .code,
        2);
    EXPECT_EQ(run({QStringLiteral("-o"), QStringLiteral("a.txt"), k}).code, 2);
    EXPECT_EQ(run({QStringLiteral("--thumbnail"), QStringLiteral("200"), QStringLiteral("-o"),
                   QStringLiteral("a.pdf"), k})
                  .code,
              2);
    EXPECT_EQ(run({QStringLiteral("--help")}).code, 0);
}
