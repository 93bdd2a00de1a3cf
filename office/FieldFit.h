#pragma once

#include <QString>

// Measures text in the face a field is printed in. Sizes scale linearly (no hinting): a width
// in em is the width in pt of the text set at 1 pt.
class TTextMeasure {
public:
  virtual ~TTextMeasure() = default;
  // The advance of text set on one line, in em; bold picks the bold face.
  virtual double WidthEm(const QString& text, bool bold) const = 0;
  // The distance between the baselines of two wrapped lines, in em.
  virtual double LineHeightEm() const = 0;
};

// The box a field's text is printed in: the merged cell of the template. A box of two lines
// wraps its text there and never shrinks it; a box of one line (numbers, dates) never wraps
// and shrinks its text to fit, which only the screen needs: the office draws each column a
// whole number of pixels wide, so a box is narrower on screen than on paper. Either way the
// size for paper is chosen here.
struct TFieldBox {
  double WidthMm = 0;
  double HeightMm = 0;
  double NominalPt = 0;  // the template's size, 0 < NominalPt
  bool Bold = false;
  double MinimumPt = 6;  // the smallest size the text may get, 0 < MinimumPt
  int MaxLines = 2;      // 1 or 2
};

struct TFittedText {
  QString Text;      // the value itself, or its beginning ended with "…"
  double PointSize;  // box.NominalPt when the value fits at it
};

// What to write into a field, and at what size, so that the office prints it whole or cut but
// never smaller than box.MinimumPt nor beyond the box.
//
// The size is the largest of box.NominalPt, NominalPt - 0.5, ... down to box.MinimumPt (or
// NominalPt alone when it is below MinimumPt) at which the text fits: on as many lines as the
// box's height holds at that size, at least one and at most box.MaxLines. Lines wrap as the office
// wraps them: at the last break opportunity that fits (after a space or a hyphen, Unicode line
// breaking), between two characters where a line has none, and at every line feed of the
// text; the spaces at a wrap do not count. When no size fits, the text gets the smallest size
// and is cut: the lines that fit, and on the last one as much of the text as fits with "…".
//
// The office keeps some of the box for itself: 9 pt across (measured in the .xls template:
// about 5.5 pt left and 2.5 pt right), 2 pt down (measured: up to 1.7 pt above text aligned
// to the top); and 2% of the width stays free for the office's own rounding of advances
// (measured: 0.5%), so that a line never wraps there once more.
TFittedText FitFieldText(const QString& text, const TFieldBox& box, const TTextMeasure& measure);
