#pragma once
// The text of a page with the place of every character, for searching in pages and marking what
// was found. Taken from the page's text records (EMR_EXTTEXTOUTW and friends) and put in reading
// order: pieces whose lines overlap vertically form one line, read left to right; lines top to
// bottom. Safe to call from any thread; damaged records are skipped.

#include <QByteArrayView>
#include <QList>
#include <QRectF>
#include <QString>

namespace vek {

class Page;

struct PageText {
    QString text;        // reading order: pieces joined, ' ' for a word gap, '\n' between lines
    QList<QRectF> boxes; // one per UTF-16 unit of text, page device units (1429 x 2000);
                         // inserted spaces / line breaks get an empty QRectF
};

PageText extractPageText(QByteArrayView emfBytes);
PageText extractPageText(const Page& page);

} // namespace vek
