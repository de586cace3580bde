#pragma once
// The strings of the text records of an Enhanced Metafile (EMR_EXTTEXTOUTW / A, EMR_POLYTEXTOUTW /
// A, EMR_SMALLTEXTOUT), decoded once for the player, the display list and the page text.
// Every field is checked against the record before it is read.

#include "EmfWalk.h"

#include <QRectF>
#include <vector>

namespace vek {

// One string of a text record.
struct EmfTextOut {
    QPointF reference;         // logical units
    unsigned options = 0;      // ETO_ flags as recorded
    bool hasRect = false;      // rect holds the record's rectangle and options use it
    QRectF rect;               // logical units, right and bottom excluded
    QString text;              // UTF-16; ANSI text decoded with the code page of the font's charset
    std::vector<double> dx;    // one advance per character (two with pdy); empty: the font's own
    bool pdy = false;          // dx holds (along, across) pairs
    bool advancedMode = false; // iGraphicsMode is GM_ADVANCED

    const QRectF* rectOrNull() const { return hasRect ? &rect : nullptr; }
    const double* advances() const { return dx.empty() ? nullptr : dx.data(); }
};

bool isEmfTextRecord(std::uint32_t type);
// How many strings a text record holds (1, or the count of a POLYTEXTOUT); -1 when the record
// is too short to say, 0 for records that hold no text.
int emfTextCount(const EmfRecord& r);
// Decodes string index of a text record into out (its buffers are reused). charSet: the charset
// of the selected font, for ANSI text. False when the string does not lie inside the record.
bool readEmfTextOut(const EmfRecord& r, int index, std::uint8_t charSet, EmfTextOut& out);

} // namespace vek
