// Mapping of pictures onto the target: frame against bounds, isotropic against anisotropic
// scaling, the order of world transform and window/viewport mapping, pictures without any
// window or viewport.
#include "support/EmfTestSupport.h"

#include "platform/EmfRecords.h"
#include "platform/Gdi.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

// A reference device of 4 pixels per millimetre; the frame is 10 x 10 mm = 40 x 40 device units.
const QRect kFrame(0, 0, 1000, 1000);
const QSize kDevicePx(400, 400);
const QSize kDeviceMm(100, 100);

// Black filling inside the default black outline: the box covers exactly its rectangle.
void blackBrush(EmfBuilder& b) {
    b.record(emr::SELECTOBJECT, {std::int32_t(emr::BLACK_BRUSH)});
}

QRect render(EmfBuilder& b, QRect bounds = QRect()) {
    const QImage img = renderEmf(b.finish(kFrame, bounds, kDevicePx, kDeviceMm), QSize(100, 100));
    return inkBounds(img);
}

QByteArray xform(float m11, float m12, float m21, float m22, float dx, float dy) {
    QByteArray b;
    for (float f : {m11, m12, m21, m22, dx, dy}) {
        char buf[4];
        qToLittleEndian<float>(f, buf);
        b.append(buf, 4);
    }
    return b;
}

} // namespace

TEST(EmfMapping, FrameNotBoundsIsMappedOntoTheTarget) {
    // The bounds cover only the drawn box; mapping them would blow the box up to the whole image.
    EmfBuilder b;
    blackBrush(b);
    b.record(emr::RECTANGLE, {0, 0, 20, 20});
    EXPECT_EQ(render(b, QRect(0, 0, 19, 19)), QRect(0, 0, 50, 50));
}

TEST(EmfMapping, WithoutWindowOrViewportRecordsAreDeviceUnits) {
    EmfBuilder b;
    b.record(emr::SETMAPMODE, {MM_ANISOTROPIC});
    blackBrush(b);
    b.record(emr::RECTANGLE, {20, 0, 40, 40});
    EXPECT_EQ(render(b), QRect(50, 0, 50, 100));
}

TEST(EmfMapping, IsotropicKeepsTheAspectAnisotropicDoesNot) {
    auto draw = [](int mode) {
        EmfBuilder b;
        b.record(emr::SETMAPMODE, {mode});
        b.record(emr::SETWINDOWEXTEX, {100, 100});
        b.record(emr::SETVIEWPORTEXTEX, {40, 20});
        blackBrush(b);
        b.record(emr::RECTANGLE, {0, 0, 100, 100});
        return render(b);
    };
    EXPECT_EQ(draw(MM_ISOTROPIC), QRect(0, 0, 50, 50));
    EXPECT_EQ(draw(MM_ANISOTROPIC), QRect(0, 0, 100, 50));
}

TEST(EmfMapping, MetricModesPutTheOriginBottomLeftInMillimetres) {
    // MM_LOMETRIC: 0.1 mm per unit, y up. A box 5 mm wide below a viewport origin moved down 10 mm.
    EmfBuilder b;
    b.record(emr::SETMAPMODE, {MM_LOMETRIC});
    b.record(emr::SETVIEWPORTORGEX, {0, 40});
    blackBrush(b);
    b.record(emr::RECTANGLE, {0, 50, 50, 0});
    EXPECT_EQ(render(b), QRect(0, 50, 50, 50));
}

TEST(EmfMapping, WorldTransformComesBeforeWindowAndViewport) {
    // World: scale 2 then move 10 right; page: scale 2. The box (0,0)-(5,5) lands at device
    // (20,0)-(40,20). The wrong order would put it at (10,0)-(30,20).
    EmfBuilder b;
    b.record(emr::SETMAPMODE, {MM_ANISOTROPIC});
    b.record(emr::SETWINDOWEXTEX, {10, 10});
    b.record(emr::SETVIEWPORTEXTEX, {20, 20});
    b.raw(emr::SETWORLDTRANSFORM, xform(2, 0, 0, 2, 10, 0));
    blackBrush(b);
    b.record(emr::RECTANGLE, {0, 0, 5, 5});
    EXPECT_EQ(render(b), QRect(50, 0, 50, 50));
}

TEST(EmfMapping, ModifyWorldTransformMultipliesOnTheChosenSide) {
    // Left multiply applies the new transform first: scale 2 then move 10 gives (10,0)-(20,10)
    // for the box (0,0)-(5,5); right multiply moves first: (20,0)-(30,10).
    auto draw = [](int mode) {
        EmfBuilder b;
        b.raw(emr::SETWORLDTRANSFORM, xform(1, 0, 0, 1, 10, 0));
        QByteArray body = xform(2, 0, 0, 2, 0, 0);
        putI32(body, mode);
        b.raw(emr::MODIFYWORLDTRANSFORM, body);
        blackBrush(b);
        b.record(emr::RECTANGLE, {0, 0, 5, 5});
        return render(b);
    };
    EXPECT_EQ(draw(2), QRect(25, 0, 25, 25));
    EXPECT_EQ(draw(3), QRect(50, 0, 25, 25));
}

TEST(EmfMapping, SaveAndRestoreBringBackMappingAndClip) {
    EmfBuilder b;
    b.record(emr::SAVEDC, {});
    b.record(emr::SETMAPMODE, {MM_ANISOTROPIC});
    b.record(emr::SETWINDOWEXTEX, {1, 1});
    b.record(emr::SETVIEWPORTEXTEX, {4, 4});
    b.record(emr::INTERSECTCLIPRECT, {0, 0, 1, 1});
    b.record(emr::RESTOREDC, {-1});
    blackBrush(b);
    b.record(emr::RECTANGLE, {0, 0, 40, 20});
    EXPECT_EQ(render(b), QRect(0, 0, 100, 50));
}

TEST(EmfMapping, ClipRectanglesIntersectAndExclude) {
    EmfBuilder b;
    b.record(emr::INTERSECTCLIPRECT, {0, 0, 20, 40});
    b.record(emr::EXCLUDECLIPRECT, {0, 0, 20, 20});
    blackBrush(b);
    b.record(emr::RECTANGLE, {0, 0, 40, 40});
    EXPECT_EQ(render(b), QRect(0, 50, 50, 50));
}

TEST(EmfMapping, RecordHookSeesEveryRecordAndCanSkipIt) {
    EmfBuilder b;
    blackBrush(b);
    b.record(emr::RECTANGLE, {0, 0, 20, 20});
    b.record(emr::RECTANGLE, {20, 20, 40, 40});
    EmfPlayOptions options;
    int seen = 0;
    options.onRecord = [&](const EmfRecord& r) {
        ++seen;
        return !(r.type() == emr::RECTANGLE && r.i32(8) == 0);
    };
    const QImage img = renderEmf(b.finish(kFrame, QRect(), kDevicePx, kDeviceMm), QSize(100, 100), options);
    EXPECT_EQ(seen, 5); // header, a selection, two rectangles, EOF
    EXPECT_EQ(inkBounds(img), QRect(50, 50, 50, 50));
}
