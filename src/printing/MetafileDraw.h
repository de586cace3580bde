#pragma once
// Putting one page metafile into a rectangle of a device, in colour or in black and white, either
// played straight onto the device or rendered first into bitmap bands that are copied to the
// printer. The print run calls PrintPage for every page it places on a sheet. Every routine draws
// on any QPainter: a printer, a PDF writer or an image. None opens or closes a print job.
//
// A Page is played from its display list, parsed once: a band or a part of a page plays only the
// records that reach it. The TMetafile forms play the bytes as they are (bands from a display list
// made for the call).

#include "platform/Metafile.h"
#include "platform/Page.h"

#include <QImage>
#include <QPainter>
#include <QRect>
#include <functional>

namespace vek {

// Plays the page into rect with all text and lines black and all fills and backgrounds white, as
// a way of playing: the page itself is never altered. Bitmaps inside the page keep their colours.
void PlayPageMonochrome(QPainter& canvas, const QRect& rect, const TMetafile& page);

// Monochrome: PlayPageMonochrome; colour: the page played stretched into rect.
void DrawPage(QPainter& canvas, const QRect& rect, const TMetafile& page, bool monochrome);
void DrawPage(QPainter& canvas, const QRect& rect, const Page& page, bool monochrome);

// Copies the band to the printer with its top-left corner at (x, y), one band pixel per device
// pixel (the printer painter works in device pixels).
void CopyBandToPrinter(QPainter& printer, const QImage& band, int x, int y);

// Where the bands of the bitmap mode go; CopyBandToPrinter unless a test looks at them.
using BandSink = std::function<void(QPainter& printer, const QImage& band, int x, int y)>;

// rect in printer device pixels. Bitmap mode renders the page in bands of rect's width and a
// twentieth of its height (16-bit colour, or 1 bit per pixel in monochrome), so only one band is
// held in memory; the last band is cut at rect's bottom edge. Otherwise DrawPage onto the printer.
void PrintPage(QPainter& printer, const QRect& rect, const TMetafile& page, bool monochrome, bool bitmapMode,
               const BandSink& sink = {});
void PrintPage(QPainter& printer, const QRect& rect, const Page& page, bool monochrome, bool bitmapMode,
               const BandSink& sink = {});

} // namespace vek
