#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRgb>

#include "qr/QRSymbol.h"

// How DrawQRSymbol paints the modules.
enum TQRDrawMode {
  dmStretchBitmap,  // one pixel per module into a bitmap that is stretched onto the square
  dmFillRuns,       // each horizontal run of dark modules filled as one rectangle
  dmRegion          // all runs united into one region that is filled once
};

// Paints symbol into rect of the painter's device. The painter's brush colour is the light
// colour and its pen colour the dark one; the painter's state is the same afterwards. All
// geometry is in whole device pixels, no antialiasing, the painter's transform is expected to
// be the identity.
//
// The whole rect is filled with the painter's brush first (nothing when it is Qt::NoBrush).
// keepSquare shrinks the target to the largest centred square (an odd leftover pixel goes to
// the right or bottom); shadowWidth > 0 then moves all four edges inward by that many pixels
// and, after the modules, paints a shadow of that width in the pen colour along the lower half
// of the right edge and the right half of the bottom edge. dmFillRuns and dmRegion paint every
// module as the same whole number of pixels (the side div SymbolSize, possibly 0, so only the
// background shows), centred with the leftover shared as above; dmStretchBitmap stretches the
// symbol over the whole square. A symbol of SymbolSize 0, or a target that the shadow leaves
// empty, paints only the background.
void DrawQRSymbol(QPainter& painter, const QRect& rect, const TQRSymbol& symbol, int shadowWidth,
                  TQRDrawMode drawMode, bool keepSquare);

// Replaces bitmap with a picture of symbol, moduleSize (>= 1) pixels per module, plus a margin
// of shadowWidth (>= 0) on each side that holds the shadow: moduleSize * SymbolSize +
// 2 * shadowWidth pixels a side. White background and black foreground give a one-bit image
// (QImage::Format_Mono, saved by Qt as a one-bit BMP), any other pair Format_RGB32. A symbol of
// SymbolSize 0 gives a picture of the background only (a null image when shadowWidth is 0 too).
void QRSymbolToBitmap(QImage& bitmap, int moduleSize, const TQRSymbol& symbol, QRgb background,
                      QRgb foreground, int shadowWidth);
