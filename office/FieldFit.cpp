#include "office/FieldFit.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr double PointsPerMm = 72 / 25.4;
constexpr double InsetAcrossPt = 9;
constexpr double InsetDownPt = 2;
constexpr double WidthAllowance = 0.98;
constexpr double SizeStepPt = 0.5;

bool IsSpace(QChar c) { return c != u'\n' && c.isSpace(); }

QString WithoutTrailingSpaces(const QString& text) {
  qsizetype end = text.size();
  while (end > 0 && IsSpace(text[end - 1])) --end;
  return text.left(end);
}

// Where a text may be broken into lines. Positions are indices of text; a line [from, to)
// is measured without the spaces it ends with, which hang past the edge as they do in the office.
class TLineBreaks {
public:
  TLineBreaks(const QString& text, bool bold, const TTextMeasure& measure)
      : FText(text), FBold(bold), FMeasure(measure) {
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
    for (qsizetype at = lines.toNextBoundary(); at > 0; at = lines.toNextBoundary())
      if (lines.boundaryReasons() & QTextBoundaryFinder::BreakOpportunity)
        FOpportunities.push_back(at);
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = characters.toNextBoundary(); at > 0; at = characters.toNextBoundary())
      FCharacters.push_back(at);
  }

  bool Fits(qsizetype from, qsizetype to, double widthEm) const {
    return FMeasure.WidthEm(WithoutTrailingSpaces(FText.mid(from, to - from)), FBold) <= widthEm;
  }

  // The starts of the text's lines at widthEm, stopped once there are more than limit.
  std::vector<qsizetype> LineStarts(double widthEm, int limit) const {
    std::vector<qsizetype> starts{0};
    qsizetype from = 0;
    for (;;) {
      qsizetype end = FText.indexOf(u'\n', from);
      if (end < 0) end = FText.size();
      while (!Fits(from, end, widthEm)) {
        from = LineEnd(from, end, widthEm);
        starts.push_back(from);
        if (static_cast<int>(starts.size()) > limit) return starts;
      }
      if (end == FText.size()) return starts;
      from = end + 1;
      starts.push_back(from);
      if (static_cast<int>(starts.size()) > limit) return starts;
    }
  }

  // The last of positions in (from, end) up to which the line from from fits, if any.
  std::optional<qsizetype> LastFitting(const std::vector<qsizetype>& positions, qsizetype from,
                                       qsizetype end, double widthEm) const {
    const auto first = std::upper_bound(positions.begin(), positions.end(), from);
    const auto beyond = std::partition_point(first, std::lower_bound(first, positions.end(), end),
                                             [&](qsizetype at) { return Fits(from, at, widthEm); });
    if (beyond == first) return std::nullopt;
    return *(beyond - 1);
  }

  const std::vector<qsizetype>& Characters() const { return FCharacters; }

private:
  // Where the next line starts when the one from from does not fit up to end: after the last
  // break opportunity that fits, or else after as many characters as fit, one at least.
  qsizetype LineEnd(qsizetype from, qsizetype end, double widthEm) const {
    if (const auto at = LastFitting(FOpportunities, from, end, widthEm)) return *at;
    if (const auto at = LastFitting(FCharacters, from, end, widthEm)) return *at;
    return *std::upper_bound(FCharacters.begin(), FCharacters.end(), from);
  }

  const QString& FText;
  const bool FBold;
  const TTextMeasure& FMeasure;
  std::vector<qsizetype> FOpportunities;  // ascending
  std::vector<qsizetype> FCharacters;     // grapheme boundaries, ascending
};

}  // namespace

TFittedText FitFieldText(const QString& text, const TFieldBox& box, const TTextMeasure& measure) {
  const double widthPt = (box.WidthMm * PointsPerMm - InsetAcrossPt) * WidthAllowance;
  const double heightPt = box.HeightMm * PointsPerMm - InsetDownPt;
  const auto linesAt = [&](double size) {
    return std::clamp(static_cast<int>(heightPt / (measure.LineHeightEm() * size)), 1, box.MaxLines);
  };
  const TLineBreaks breaks(text, box.Bold, measure);

  double size = box.NominalPt;
  for (;;) {
    if (static_cast<int>(breaks.LineStarts(widthPt / size, linesAt(size)).size()) <= linesAt(size))
      return {text, size};
    if (size - SizeStepPt < box.MinimumPt) break;
    size -= SizeStepPt;
  }

  // Cut at the smallest size: the last line that fits keeps as much as fits with "…".
  const QString ellipsis = QStringLiteral("…");
  const int lines = linesAt(size);
  const double widthEm = widthPt / size;
  const qsizetype last = breaks.LineStarts(widthEm, lines).at(lines - 1);
  qsizetype end = text.indexOf(u'\n', last);
  if (end < 0) end = text.size();
  const std::vector<qsizetype>& characters = breaks.Characters();
  const auto first = std::upper_bound(characters.begin(), characters.end(), last);
  const auto fits = [&](qsizetype at) {
    const QString run = WithoutTrailingSpaces(text.mid(last, at - last));
    return measure.WidthEm(run + ellipsis, box.Bold) <= widthEm;
  };
  const auto beyond =
      std::partition_point(first, std::upper_bound(first, characters.end(), end), fits);
  const qsizetype kept = beyond != first ? *(beyond - 1) : last;
  return {text.left(last) + WithoutTrailingSpaces(text.mid(last, kept - last)) + ellipsis, size};
}
