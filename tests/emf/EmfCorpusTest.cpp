// Third-party pictures: every file plays without a crash and draws something plausible.
#include "support/EmfTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

QStringList emfFiles(const QString& dir) {
    QStringList out;
    for (const QString& name : QDir(dir).entryList({QStringLiteral("*.emf")}, QDir::Files, QDir::Name))
        out << dir + name;
    return out;
}

// Pictures whose drawing is all EMF+ (nothing for the EMF player to draw).
bool drawsNothingInEmf(const QString& path) {
    return path.endsWith(u"TestDrawStringTransparent.emf");
}

QSize fitSize(const QByteArray& bytes, double longSide) {
    EmfHeader h;
    if (!readEmfHeader(bytes, h))
        return {};
    const QRectF frame = h.frameInDeviceUnits();
    const double scale = longSide / std::max(frame.width(), frame.height());
    return QSize(int(frame.width() * scale) + 1, int(frame.height() * scale) + 1);
}

void playsEveryFile(const QStringList& files) {
    for (const QString& f : files) {
        SCOPED_TRACE(f.toStdString());
        const QByteArray bytes = readFile(f);
        const QSize size = fitSize(bytes, 300);
        ASSERT_FALSE(size.isEmpty());
        const QImage img = renderEmf(bytes, size);
        if (!drawsNothingInEmf(f)) {
            EXPECT_GT(inkPixels(img), 20);
        }
        // Monochrome playback of the same picture works from its own copy.
        EmfPlayOptions mono;
        mono.monochrome = true;
        renderEmf(bytes, size, mono);
    }
}

} // namespace

TEST(EmfCorpus, CommittedPicturesPlay) {
    const QStringList files = emfFiles(dataDir());
    ASSERT_GE(files.size(), 5);
    playsEveryFile(files);
}

TEST(EmfCorpus, SharedCorpusPlays) {
    const QString root = qEnvironmentVariable("VEK_CORPUS_DIR");
    const QString dir = root + QStringLiteral("/emf/");
    if (root.isEmpty() || !QDir(dir).exists())
        GTEST_SKIP() << "no corpus folder";
    playsEveryFile(emfFiles(dir));
}

// Renders the pictures named in VEK_EMF_DUMP (comma-separated) into VEK_EMF_DUMP_DIR as PNGs,
// for looking at them.
TEST(EmfCorpus, DumpForInspection) {
    const QString files = qEnvironmentVariable("VEK_EMF_DUMP");
    if (files.isEmpty())
        GTEST_SKIP() << "VEK_EMF_DUMP not set";
    const QString out = qEnvironmentVariable("VEK_EMF_DUMP_DIR", QStringLiteral("/tmp"));
    for (const QString& f : files.split(u',')) {
        const QByteArray bytes = readFile(f);
        const QImage img = renderEmf(bytes, fitSize(bytes, 400));
        img.save(out + u'/' + QFileInfo(f).completeBaseName() + QStringLiteral(".png"));
    }
}
