#pragma once
// Follows the records of an Enhanced Metafile through the device-context model, without drawing,
// and tells where each record draws on the reference device: what the display list culls by, and
// where the page text finds its characters. The state records go through the same code as in the
// player (EmfState.h) and text is placed as the player places it (TextPlacement.h).
//
// Bounds are conservative: text covers its cells with room for overhangs (italics, accents, glyphs
// wider than their advance), lines and outlines half the pen width and more; whatever cannot be
// bounded for sure (paths, regions, figures that move the current position along curves, text at
// the current position, glyph indices without advances, damaged records) is unbounded.

#include "EmfState.h"
#include "EmfTextRecord.h"
#include "TextPlacement.h"

#include <optional>
#include <vector>

namespace vek {

struct EmfExtent {
    enum Kind : std::uint8_t {
        State,     // draws nothing: changes the state, or is not drawn at all
        Bounded,   // draws only inside bounds
        Unbounded, // may draw anywhere
    };
    Kind kind = State;
    QRectF bounds; // device units, for Bounded; empty when the record cannot show at all
};

// One string of a text record as it lands on the device (strings of glyph indices are left out:
// they hold no characters).
struct EmfPlacedText {
    QString text;
    // The cell of every UTF-16 unit (its advance, from ascent above the baseline to descent below
    // it), device units; a bounding box when the text is rotated.
    std::vector<QRectF> boxes;
    QLineF baseline;            // from the start of the text to its end, device units
    std::optional<QRectF> clip; // what the clip lets show, device units; none without a clip
    double em = 0;              // the font's em on the device
    bool upright = true;        // the baseline runs left to right, horizontally
};

class EmfScanner {
public:
    // devicePixelsPerMm: the reference device's resolution, for the metric mapping modes.
    explicit EmfScanner(QSizeF devicePixelsPerMm);

    // Applies the record to the state and answers where it draws. With texts, the strings of a
    // text record are placed into it (cleared first).
    EmfExtent scan(const EmfRecord& r, std::vector<EmfPlacedText>* texts = nullptr);

    const DcModel& dc() const { return m_dc; }

private:
    EmfExtent drawing(const EmfRecord& r, std::vector<EmfPlacedText>* texts);
    EmfExtent shape(const EmfRecord& r);
    EmfExtent bitmap(const EmfRecord& r);
    EmfExtent text(const EmfRecord& r, std::vector<EmfPlacedText>* texts);
    QRectF placeString(const EmfTextOut& t, EmfPlacedText* placed);
    // The device rectangle a logical box covers when outlined with the pen and filled.
    EmfExtent outlined(const QRectF& logical);
    EmfExtent pointsExtent(bool withCurrent);
    EmfExtent bounded(QRectF device) const;
    double penReach() const; // how far the pen reaches beyond a figure, device units

    DcModel m_dc;
    EmfObjectTable m_objects;
    EmfColourPolicy m_colours;
    bool m_inPath = false;
    bool m_currentKnown = true; // the current position is where the state says
    bool m_clipKnown = true;    // the clip is where the state says
    std::vector<QPointF> m_points;
    std::vector<std::uint32_t> m_counts;
    std::vector<double> m_pairs;
    EmfTextOut m_text;
};

} // namespace vek
