#pragma once
// A page played into an image, on any thread, with a way to stop: what a viewer's background
// renderer, the thumbnails and the bitmap bands of printing need. Pages play from their display
// lists, so a part of a page costs only the records that reach it.

#include "EmfPlayer.h"
#include "Page.h"

#include <QImage>
#include <QSize>
#include <atomic>

namespace vek {

// Plays the page stretched over a new white image of `pixels` device pixels whose device pixel
// ratio is devicePixelRatio (1 when not positive). Monochrome plays it in black and white, as
// printing does. Safe on any thread, and on several threads at once with the same page.
//
// cancel, when given, is read while the page plays: once it holds true the rest of the page is
// skipped and a null image comes back, as it does for an empty size or an image that cannot be
// allocated.
QImage renderPage(const Page& page, QSize pixels, qreal devicePixelRatio,
                  const std::atomic<bool>* cancel = nullptr, bool monochrome = false);

// Fills the image with white and plays the page with its frame on target (the image's logical
// coordinates; it may reach past the image, as a tile of a larger page does). Only the records
// that reach options.clip (empty: the whole image) are played; options.cancel is read between
// records, and the result tells whether it stopped the page, leaving the image half drawn.
EmfPlayResult paintPage(QImage& image, const Page& page, const QRectF& target, EmfPlayOptions options = {});
// The same from a display list of the page that the caller keeps (the page's own one lives as
// long as the page).
EmfPlayResult paintPage(QImage& image, const EmfDisplayList& list, const QRectF& target,
                        EmfPlayOptions options = {});

} // namespace vek
