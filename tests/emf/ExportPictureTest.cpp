// The exporter's picture mode: a single EMF rendered at its frame size into PNG or PDF.
#include "support/EmfTestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

QString exporter() {
    const QString bin = qEnvironmentVariable("VEK_BINARY_DIR");
    return bin.isEmpty() ? QString() : bin + QStringLiteral("/src/tools/vekpokaz-export/vekpokaz-export");
}

int run(const QStringList& args) {
    QProcess p;
    p.start(exporter(), args);
    if (!p.waitForFinished(60000))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

TEST(ExportPicture, PngAtTheFrameSizeInColourAndBlackAndWhite) {
    if (exporter().isEmpty() || !QFile::exists(exporter()))
        GTEST_SKIP() << "exporter not built";
    QTemporaryDir dir;
    const QString input = dataDir() + QStringLiteral("inkscape_shapes.emf");
    const QString png = dir.filePath(QStringLiteral("out.png"));
    ASSERT_EQ(run({input, QStringLiteral("-o"), png, QStringLiteral("--dpi"), QStringLiteral("254")}), 0);
    const QImage colour(png);
    // The frame is about 200 x 100 mm: 2000 x 1000 pixels at 254 per inch.
    EXPECT_NEAR(colour.width(), 2000, 30);
    EXPECT_NEAR(colour.height(), 1000, 15);
    EXPECT_GT(pixelsNear(colour.convertToFormat(QImage::Format_RGB32), Qt::red), 10000);

    ASSERT_EQ(run({input, QStringLiteral("-o"), png, QStringLiteral("--dpi"), QStringLiteral("50"),
                   QStringLiteral("--mono")}),
              0);
    const QImage mono = QImage(png).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(pixelsNear(mono, Qt::red), 0);
    EXPECT_GT(pixelsNear(mono, Qt::black, 60), 100);

    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    ASSERT_EQ(run({input, QStringLiteral("-o"), pdf}), 0);
    EXPECT_TRUE(readFile(pdf).startsWith("%PDF"));
}

TEST(ExportPicture, DamagedPictureIsRefused) {
    if (exporter().isEmpty() || !QFile::exists(exporter()))
        GTEST_SKIP() << "exporter not built";
    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("bad.emf"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(200, 'x'));
    f.close();
    EXPECT_EQ(run({bad, QStringLiteral("-o"), dir.filePath(QStringLiteral("x.png"))}), 1);
}
