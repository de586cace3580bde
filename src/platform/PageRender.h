#pragma once
// A page played into an image, on any thread, with a way to stop: what a viewer's background
// renderer, the thumbnails and the bitmap bands of printing need.

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

} // namespace vek
