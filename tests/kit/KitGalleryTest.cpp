// The sample sheet renders every widget; with VEK_KIT_GALLERY_DIR set the images are saved there
// to be looked at.
#include "kit/KitGallery.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace vek;

TEST(KitGallery, RendersEverySampleAndSavesThemOnRequest) {
    const QImage sheet = kitGallerySheet();
    ASSERT_FALSE(sheet.isNull());
    const QList<KitGalleryShot> shots = kitGalleryImages();
    EXPECT_GT(shots.size(), 20);
    const QString dir = qEnvironmentVariable("VEK_KIT_GALLERY_DIR");
    if (dir.isEmpty()) {
        return;
    }
    QDir().mkpath(dir);
    EXPECT_TRUE(sheet.save(QDir(dir).filePath(QStringLiteral("sheet.png"))));
    for (const KitGalleryShot& s : shots) {
        QString name = s.name;
        name.replace(u'&', u'_').replace(u' ', u'_');
        s.image.save(QDir(dir).filePath(name + QStringLiteral(".png")));
    }
}
