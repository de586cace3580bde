#pragma once
// Helpers of the EMF tests: rendering into images, counting colours, building small EMFs by hand.

#include "platform/EmfPlayer.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <initializer_list>

namespace vek::test {

// Plays bytes into a white image of the given size, frame mapped onto the whole image.
QImage renderEmf(const QByteArray& bytes, QSize size, const EmfPlayOptions& options = {});
// Pixels that are not (near) white.
int inkPixels(const QImage& image);
// Pixels close to the colour.
int pixelsNear(const QImage& image, QColor color, int tolerance = 40);
// The centre of the pixels close to the colour; count receives their number.
QPointF centroidOf(const QImage& image, QColor color, int& count, int tolerance = 50);
// The bounding box of the pixels that are not (near) white.
QRect inkBounds(const QImage& image);
QByteArray readFile(const QString& path);
// The folder of the EMF test pictures (tests/data/emf), with a trailing slash.
QString dataDir();

// Builds an EMF record by record. Every record gets its type and size; the header is written
// by finish() with the given frame (0.01 mm) and a reference device of 96 pixels per inch.
class EmfBuilder {
public:
    EmfBuilder& record(std::uint32_t type, std::initializer_list<std::int32_t> fields);
    EmfBuilder& raw(std::uint32_t type, const QByteArray& body);
    QByteArray finish(QRect frame, QRect bounds = QRect(), QSize devicePx = QSize(1920, 1080),
                      QSize deviceMm = QSize(508, 286));

private:
    QByteArray m_records;
    int m_count = 0;
};

// Little-endian field writers for record bodies.
void putI32(QByteArray& b, std::int32_t v);
void putU16(QByteArray& b, std::uint16_t v);

} // namespace vek::test
