#include "qr/QRGraphics.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>

#include <initializer_list>

#include "tests/support/SamplePayload.h"

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Untouched = qRgb(255, 0, 0);

const QString Payload = QString::fromUtf8(SamplePayload);

// Paints symbol black on white into a fresh image of the given size (pre-filled with red, so
// that an unpainted pixel shows) at rect.
QImage Paint(const TQRSymbol& symbol, QSize size, QRect rect, int shadow, TQRDrawMode mode,
             bool keepSquare) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Untouched);
  QPainter painter(&image);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::white);
  DrawQRSymbol(painter, rect, symbol, shadow, mode, keepSquare);
  EXPECT_EQ(painter.brush().color(), QColor(Qt::white)) << "the painter's state is kept";
  return image;
}

QImage Paint(const TQRSymbol& symbol, QSize size, int shadow, TQRDrawMode mode, bool keepSquare) {
  return Paint(symbol, size, QRect(QPoint(0, 0), size), shadow, mode, keepSquare);
}

// Every pixel of the image is the module colour the layout puts there: modules of
// moduleSize pixels from origin, background elsewhere.
void ExpectModules(const QImage& image, const TQRSymbol& symbol, QPoint origin, int moduleSize,
                   QRect shadowFree) {
  const int side = symbol.SymbolSize() * moduleSize;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (!shadowFree.contains(x, y)) continue;
      const int mx = x - origin.x();
      const int my = y - origin.y();
      const bool onSymbol = mx >= 0 && my >= 0 && mx < side && my < side;
      const bool dark = onSymbol && symbol.IsDark(my / moduleSize, mx / moduleSize);
      ASSERT_EQ(image.pixel(x, y), dark ? Black : White) << "pixel " << x << ", " << y;
    }
  }
}

void ExpectFilled(const QImage& image, QRect area, QRgb colour) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      ASSERT_EQ(image.pixel(x, y), colour) << "pixel " << x << ", " << y;
}

struct TArea {
  QRect Area;
  QRgb Colour;
};

void ExpectAreas(const QImage& image, std::initializer_list<TArea> areas) {
  for (const TArea& area : areas) ExpectFilled(image, area.Area, area.Colour);
}

void Encode(TQRSymbol& symbol, const QString& text, int quietZone = 4) {
  symbol.SetQuietZoneWidth(quietZone);
  symbol.SetText(text);
}

TEST(DrawQRSymbol, PreviewExampleCentresWholePixelModules) {
  TQRSymbol symbol;
  symbol.SetText(Payload);
  ASSERT_EQ(symbol.SymbolSize(), 61);
  const QImage image = Paint(symbol, QSize(225, 253), 0, dmRegion, true);
  // Square of 225 from y = 14; 3-pixel modules, 183 wide, 21 in from the square's edges.
  ExpectModules(image, symbol, QPoint(21, 14 + 21), 3, image.rect());
}

TEST(DrawQRSymbol, FillRunsAndRegionPaintTheSamePixels) {
  TQRSymbol symbol;
  symbol.SetText(Payload);
  const QSize sizes[] = {{225, 253}, {300, 200}, {61, 61}, {130, 90}, {500, 501}};
  for (const QSize size : sizes)
    for (const int shadow : {0, 5})
      for (const bool keepSquare : {true, false})
        EXPECT_EQ(Paint(symbol, size, shadow, dmFillRuns, keepSquare),
                  Paint(symbol, size, shadow, dmRegion, keepSquare))
            << size.width() << "x" << size.height() << " shadow " << shadow;
}

TEST(DrawQRSymbol, WideTargetGivesCentredSquareWithOddPixelOnTheRight) {
  TQRSymbol symbol;
  Encode(symbol, QStringLiteral("HELLO"), 0);
  // 101 x 42: square of 42 starting at (101 - 42) / 2 = 29; 2-pixel modules of a 21-module symbol.
  const QImage image = Paint(symbol, QSize(101, 42), 0, dmFillRuns, true);
  ExpectModules(image, symbol, QPoint(29, 0), 2, image.rect());
  // Without keep-square the modules stretch to 4 x 2 pixels.
  const QImage stretched = Paint(symbol, QSize(101, 42), 0, dmRegion, false);
  // 101 mod 21 = 17 leaves 8 pixels on the left and 9 on the right.
  ExpectAreas(stretched, {{QRect(0, 0, 8, 42), White},
                          {QRect(92, 0, 9, 42), White},
                          {QRect(8, 0, 7 * 4, 2), Black},
                          {QRect(8 + 7 * 4, 0, 4, 16), White}});
}

TEST(DrawQRSymbol, TallTargetPutsTheOddPixelAtTheBottom) {
  TQRSymbol symbol;
  Encode(symbol, QStringLiteral("HELLO"), 0);
  // 21 x 24: the square is 21 pixels from y = 1, one pixel above, two below.
  const QImage image = Paint(symbol, QSize(21, 24), 0, dmStretchBitmap, true);
  ExpectModules(image, symbol, QPoint(0, 1), 1, image.rect());
}

TEST(DrawQRSymbol, SquareSmallerThanTheSymbolShowsOnlyTheBackground) {
  TQRSymbol symbol;
  Encode(symbol, QStringLiteral("HELLO"));
  for (const TQRDrawMode mode : {dmFillRuns, dmRegion}) {
    const QImage image = Paint(symbol, QSize(28, 20), 0, mode, true);
    ExpectFilled(image, image.rect(), White);
  }
}

TEST(DrawQRSymbol, SymbolOfSizeZeroPaintsOnlyTheBackground) {
  const TQRSymbol empty;
  for (const TQRDrawMode mode : {dmStretchBitmap, dmFillRuns, dmRegion}) {
    const QImage image = Paint(empty, QSize(40, 30), QRect(5, 5, 20, 10), 3, mode, true);
    ExpectFilled(image, QRect(5, 5, 20, 10), White);
    ExpectFilled(image, QRect(0, 0, 40, 5), Untouched);
    ExpectFilled(image, QRect(25, 5, 15, 25), Untouched);
  }
}

TEST(DrawQRSymbol, StretchedSymbolWithShadow) {
  TQRSymbol symbol;
  Encode(symbol, QStringLiteral("HELLO"), 0);
  const QImage image = Paint(symbol, QSize(100, 100), 3, dmStretchBitmap, true);
  // The symbol covers (3, 3) to (97, 97): finder corners at three of its corners.
  EXPECT_EQ(image.pixel(3, 3), Black);
  EXPECT_EQ(image.pixel(96, 3), Black);
  EXPECT_EQ(image.pixel(3, 96), Black);
  // Shadow bars (97, 50)-(100, 97) and (50, 97)-(100, 100), right and bottom exclusive.
  ExpectAreas(image, {{QRect(0, 0, 100, 3), White},
                      {QRect(0, 0, 3, 100), White},
                      {QRect(97, 0, 3, 50), White},
                      {QRect(0, 97, 50, 3), White},
                      {QRect(97, 50, 3, 47), Black},
                      {QRect(50, 97, 50, 3), Black}});
}

TEST(DrawQRSymbol, ShadowFollowsTheReducedSquareInRunModes) {
  TQRSymbol symbol;
  Encode(symbol, QStringLiteral("HELLO"));
  ASSERT_EQ(symbol.SymbolSize(), 29);
  for (const TQRDrawMode mode : {dmFillRuns, dmRegion}) {
    const QImage image = Paint(symbol, QSize(100, 100), 3, mode, true);
    // (3, 3, 97, 97) is 94 wide; 94 mod 29 = 7 leaves (6, 6)-(93, 93), 3-pixel modules.
    ExpectModules(image, symbol, QPoint(6, 6), 3, QRect(0, 0, 93, 93));
    ExpectAreas(image, {{QRect(93, 49, 3, 44), Black},
                        {QRect(49, 93, 47, 3), Black},
                        {QRect(93, 0, 7, 49), White},
                        {QRect(96, 49, 4, 51), White},
                        {QRect(0, 93, 49, 7), White},
                        {QRect(49, 96, 51, 4), White}});
  }
}

TEST(QRSymbolToBitmap, ExportPictureIsOneBitFourPixelsPerModule) {
  TQRSymbol symbol;
  symbol.SetText(Payload);
  QImage bitmap;
  QRSymbolToBitmap(bitmap, 4, symbol, 0xFFFFFF, 0x000000, 0);
  ASSERT_EQ(bitmap.size(), QSize(244, 244));
  EXPECT_EQ(bitmap.format(), QImage::Format_Mono);
  ExpectModules(bitmap.convertToFormat(QImage::Format_RGB32), symbol, QPoint(0, 0), 4,
                bitmap.rect());

  QByteArray bmp;
  QBuffer buffer(&bmp);
  ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
  ASSERT_TRUE(bitmap.save(&buffer, "BMP"));
  ASSERT_GT(bmp.size(), 30);
  EXPECT_EQ(bmp.left(2), QByteArray("BM"));
  const int bitCount = static_cast<unsigned char>(bmp[28]) | static_cast<unsigned char>(bmp[29])
                                                                 << 8;
  EXPECT_EQ(bitCount, 1);
}

TEST(QRSymbolToBitmap, ColouredPictureWithShadowMargin) {
  TQRSymbol symbol;
  Encode(symbol, QStringLiteral("HELLO"));
  QImage bitmap;
  QRSymbolToBitmap(bitmap, 2, symbol, qRgb(255, 255, 0), qRgb(0, 0, 255), 3);
  ASSERT_EQ(bitmap.size(), QSize(2 * 29 + 6, 2 * 29 + 6));
  EXPECT_NE(bitmap.format(), QImage::Format_Mono);
  EXPECT_EQ(bitmap.pixel(0, 0), qRgb(255, 255, 0));
  EXPECT_EQ(bitmap.pixel(3 + 8, 3 + 8), qRgb(0, 0, 255)) << "finder corner after the quiet zone";
  EXPECT_EQ(bitmap.pixel(bitmap.width() - 1, bitmap.height() - 1), qRgb(0, 0, 255)) << "shadow";

  QImage empty(5, 5, QImage::Format_RGB32);
  QRSymbolToBitmap(empty, 4, TQRSymbol(), 0xFFFFFF, 0x000000, 0);
  EXPECT_TRUE(empty.isNull());
}

}  // namespace
