#include "qr/QRGraphics.h"

#include <QRegion>

#include <vector>

namespace {

// A rectangle as left, top and exclusive right, bottom edges: the arithmetic of the layout
// works on edges, which QRect (inclusive right and bottom) would put off by one.
struct TEdges {
  int Left;
  int Top;
  int Right;
  int Bottom;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  QRect ToRect() const { return QRect(Left, Top, Width(), Height()); }
};

TEdges EdgesOf(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

// Takes `excess` pixels off a pair of edges, half from each, the odd one from the far edge.
void ShareExcess(int& nearEdge, int& farEdge, int excess) {
  nearEdge += excess / 2;
  farEdge -= excess / 2 + excess % 2;
}

void KeepSquare(TEdges& r) {
  const int w = r.Width();
  const int h = r.Height();
  if (h < w)
    ShareExcess(r.Left, r.Right, w - h);
  else if (w < h)
    ShareExcess(r.Top, r.Bottom, h - w);
}

class TPainterStateGuard {
public:
  explicit TPainterStateGuard(QPainter& painter) : FPainter(painter) { FPainter.save(); }
  ~TPainterStateGuard() { FPainter.restore(); }
  TPainterStateGuard(const TPainterStateGuard&) = delete;
  TPainterStateGuard& operator=(const TPainterStateGuard&) = delete;

private:
  QPainter& FPainter;
};

void StretchModules(QPainter& painter, const TEdges& r, const TQRSymbol& symbol) {
  const int size = symbol.SymbolSize();
  const QColor light = painter.brush().color();
  const QColor dark = painter.pen().color();
  QImage bitmap(size, size, QImage::Format_RGB32);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) bitmap.setPixelColor(x, y, symbol.IsDark(y, x) ? dark : light);
  painter.drawImage(r.ToRect(), bitmap);
}

// Paints the modules as whole pixels; returns the square they cover, reduced to a multiple of
// the symbol size. Reads the module matrix directly: the quiet zone around it has no runs.
TEdges FillModuleRuns(QPainter& painter, TEdges r, const TQRSymbol& symbol, TQRDrawMode drawMode) {
  const int size = symbol.SymbolSize();
  const int w = r.Width();
  const int h = r.Height();
  ShareExcess(r.Left, r.Right, w % size);
  ShareExcess(r.Top, r.Bottom, h % size);
  const int moduleWidth = w / size;
  const int moduleHeight = h / size;
  if (moduleWidth == 0 || moduleHeight == 0) return r;

  const QColor dark = painter.pen().color();
  const std::vector<std::vector<bool>>& modules = symbol.Modules();  // [column][row]
  const int side = static_cast<int>(modules.size());
  const int q = symbol.QuietZoneWidth();
  // Runs in painting order: top to bottom, left to right within a row. They neither overlap
  // nor touch within a row, which is the banded form that QRegion::setRects expects.
  std::vector<QRect> runs;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side;) {
      if (!modules[x][y]) {
        ++x;
        continue;
      }
      const int first = x;
      while (x < side && modules[x][y]) ++x;
      const QRect run(r.Left + (q + first) * moduleWidth, r.Top + (q + y) * moduleHeight,
                      (x - first) * moduleWidth, moduleHeight);
      if (drawMode == dmFillRuns)
        painter.fillRect(run, dark);
      else
        runs.push_back(run);
    }
  }
  if (drawMode == dmRegion && !runs.empty()) {
    QRegion region;
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    painter.setClipRegion(region);
    painter.fillRect(region.boundingRect(), dark);
  }
  return r;
}

void PaintShadow(QPainter& painter, const TEdges& r, int s) {
  const QColor dark = painter.pen().color();
  const TEdges rightBar{r.Right, r.Top + r.Height() / 2, r.Right + s, r.Bottom};
  const TEdges bottomBar{r.Left + r.Width() / 2, r.Bottom, r.Right + s, r.Bottom + s};
  painter.fillRect(rightBar.ToRect(), dark);
  painter.fillRect(bottomBar.ToRect(), dark);
}

}  // namespace

void DrawQRSymbol(QPainter& painter, const QRect& rect, const TQRSymbol& symbol, int shadowWidth,
                  TQRDrawMode drawMode, bool keepSquare) {
  TPainterStateGuard state(painter);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.fillRect(rect, painter.brush());

  TEdges r = EdgesOf(rect);
  if (keepSquare) KeepSquare(r);
  if (shadowWidth > 0) {
    r.Left += shadowWidth;
    r.Top += shadowWidth;
    r.Right -= shadowWidth;
    r.Bottom -= shadowWidth;
  }
  if (symbol.SymbolSize() <= 0 || r.Width() <= 0 || r.Height() <= 0) return;

  if (drawMode == dmStretchBitmap)
    StretchModules(painter, r, symbol);
  else
    r = FillModuleRuns(painter, r, symbol, drawMode);

  if (shadowWidth > 0) {
    painter.setClipping(false);
    PaintShadow(painter, r, shadowWidth);
  }
}

void QRSymbolToBitmap(QImage& bitmap, int moduleSize, const TQRSymbol& symbol, QRgb background,
                      QRgb foreground, int shadowWidth) {
  const bool blackOnWhite = (background & 0xFFFFFF) == 0xFFFFFF && (foreground & 0xFFFFFF) == 0;
  const int side = moduleSize * symbol.SymbolSize() + 2 * shadowWidth;
  QImage canvas(side, side, QImage::Format_RGB32);
  if (!canvas.isNull()) {
    QPainter painter(&canvas);
    painter.setBrush(QColor(background));
    painter.setPen(QColor(foreground));
    DrawQRSymbol(painter, canvas.rect(), symbol, shadowWidth, dmRegion, true);
  }
  bitmap = blackOnWhite ? canvas.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither) : canvas;
}
