#pragma once
// A sample sheet of the kit's own widgets (hint bars, skinned buttons, panels, Marlett glyphs) in
// their states, for the kit's demonstration program and for looking at the widgets in tests.

#include <QImage>
#include <QList>
#include <QString>

class QWidget;

namespace vek {

// A panel holding live samples of the widgets, laid out on a grid. The caller owns it (or its
// parent does).
QWidget* kitGalleryWidgets(QWidget* parent = nullptr);

struct KitGalleryShot {
    QString name;
    QImage image;
};
// Every sample rendered into an image, the buttons also hot, pressed, latched and disabled.
QList<KitGalleryShot> kitGalleryImages();
// The whole sample sheet in one image.
QImage kitGallerySheet();

} // namespace vek
