// The exporter's picture mode: a single EMF or WMF rendered at its frame size into PNG or PDF.
#include "support/EmfTestSupport.h"
#include "support/WmfWriter.h"

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

bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
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

// A WMF is taken as an EMF is: played at its own size, or written out as the EMF it converts to.
TEST(ExportPicture, WmfIsPlayedAtItsSizeAndConvertedToEmf) {
    if (exporter().isEmpty() || !QFile::exists(exporter()))
        GTEST_SKIP() << "exporter not built";
    QTemporaryDir dir;
    WmfWriter w;
    const int brush = w.createBrush(BS_SOLID, rgb(255, 0, 0));
    w.select(brush).rectangle(0, 0, 500, 500);
    const QRect box(0, 0, 2000, 1000); // 2 x 1 inches with a red half-inch square
    // Named without extension: the header tells it from a printout.
    const QString input = dir.filePath(QStringLiteral("rysunek"));
    ASSERT_TRUE(write(input, w.finish(&box, 1000)));
    const QString png = dir.filePath(QStringLiteral("rysunek.png"));
    ASSERT_EQ(run({input, QStringLiteral("-o"), png, QStringLiteral("--dpi"), QStringLiteral("100")}), 0);
    const QImage image = QImage(png).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.size(), QSize(200, 100));
    EXPECT_NEAR(pixelsNear(image, Qt::red), 48 * 48, 50); // inside its black outline

    const QString emf = dir.filePath(QStringLiteral("rysunek.emf"));
    ASSERT_EQ(run({input, QStringLiteral("-o"), emf}), 0);
    EXPECT_EQ(renderEmf(readFile(emf), QSize(200, 100)), image);

    const QString bad = dir.filePath(QStringLiteral("zly.wmf"));
    ASSERT_TRUE(write(bad, QByteArray(100, 'x')));
    EXPECT_EQ(run({bad, QStringLiteral("-o"), png}), 1);
}
