#pragma once
// The text of a page and where every character of it lies, for search, copying and the exporter.
//
// The page's text records are followed through the same device-context model as the player
// (mapping, world transform, save/restore, fonts), so every piece has its device rectangle and
// every character its advance: text drawn under a mapping of its own (rich text) lands where it
// shows. Pieces whose baselines overlap make a line; lines are read top to bottom, pieces left to
// right. A word gap is a gap on the page: a space of a piece, or a visible distance between two
// pieces (more than a fifth of an em). Dotted leaders and characters the clip hides are no text.

#include <QByteArrayView>
#include <QList>
#include <QRectF>
#include <QString>

namespace vek {

class Page;

struct PageText {
    QString text;        // the page's text in reading order: pieces joined, ' ' for a word gap,
                         // '\n' between lines
    QList<QRectF> boxes; // one rectangle per UTF-16 unit of text, in the page's device units
                         // (a page is 1429 x 2000); inserted spaces and line breaks get an empty QRectF
};

// Damaged or foreign bytes give what can be read; bytes that are no EMF give no text.
PageText extractPageText(QByteArrayView emfBytes);
PageText extractPageText(const Page& page);

} // namespace vek
