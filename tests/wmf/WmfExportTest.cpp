// The exporter takes a WMF as it takes an EMF: played at its own size into a PNG, or written out
// as the EMF it converts to.
#include "support/EmfTestSupport.h"
#include "support/WmfWriter.h"

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

TEST(WmfExport, PictureIsPlayedAtItsSizeAndConvertedToEmf) {
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
