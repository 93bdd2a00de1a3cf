// bench-keystroke: keystroke latency in the recipient editor DBEdit2, from the key event to the
// QR preview painted, on a real register file with a 255-character recipient and a full
// denomination grid. Keys alternate between Backspace and a Cyrillic letter at the end of the
// recipient, so the text stays at 254/255 characters and every key changes the payload.
//
// One sample: QTest sends the key (press and release, synchronously through the application's
// event delivery: the change handler, the encoding and the size line run inside it), then the
// event loop runs until the preview's paint handler has returned. The paint is therefore
// included, as is the window's other repainting of that pass (the editor's own text).
// Besides the total it reports the time spent inside the symbol's rebuild (encoding) and
// inside the preview's paint handler; "rest" is the total less both.
//
// Runs without a display unless one is given. Options: [keystrokes] (default 400).
// Last line: keystroke median <ms> ms, max <ms> ms
#include <QApplication>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/Application.h"
#include "app/DBEdit.h"
#include "app/MainForm.h"
#include "app/PaintBox.h"
#include "app/StringGrid.h"
#include "qr/QRSymbol.h"
#include "tests/app/RunningProgram.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int WarmUpKeys = 20;
constexpr auto KeyDeadline = std::chrono::seconds(5);

double Ms(TClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A recipient of the register's largest size: 255 characters, Cyrillic with blanks.
QString LongRecipient() {
  const QString word = QStringLiteral("Общество с ограниченной ответственностью ");
  QString text;
  while (text.size() < 255) text += word;
  return text.left(255);
}

// Every count of the grid non-zero, typed as the operator would.
void FillGrid(const TRunningProgram& program) {
  TStringGrid* grid = program.Window().StringGrid1;
  program.Click(grid);
  for (int row = 1; row <= 15; ++row) {
    grid->SetCurrentCell(2, row);
    QTest::keyClicks(grid, QString::number(row * 7 + 3));
  }
  grid->SetCurrentCell(2, 1);
}

struct TSample {
  double Total = 0;
  double Encode = 0;
  double Paint = 0;
  double Rest() const { return Total - Encode - Paint; }
};

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[at];
}

void PrintDistribution(const char* name, const std::vector<TSample>& samples, double (*pick)(const TSample&)) {
  std::vector<double> values;
  double sum = 0;
  for (const TSample& s : samples) {
    values.push_back(pick(s));
    sum += values.back();
  }
  std::printf("%-8s min %7.3f  p50 %7.3f  p90 %7.3f  p99 %7.3f  max %7.3f  mean %7.3f ms\n", name,
              Percentile(values, 0), Percentile(values, 0.5), Percentile(values, 0.9), Percentile(values, 0.99),
              Percentile(values, 1), sum / static_cast<double>(values.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication application(argc, argv);
  const int keys = argc > 1 ? std::max(1, std::atoi(argv[1])) : 400;

  TRunningProgram program({{QStringLiteral("1234"), 5678, LongRecipient(), QStringLiteral("40702810900000000001"),
                            QStringLiteral("7701234567"), 2, QStringLiteral("Иванов И.И.")}});
  TForm1& w = program.Window();
  FillGrid(program);
  program.Click(w.DBEdit2);
  QTest::keyClick(w.DBEdit2, Qt::Key_End);
  QCoreApplication::processEvents();

  // Instruments: time inside the symbol's rebuild and inside the preview's paint handler.
  TClock::time_point encodeStart;
  TClock::duration encodeTime{}, paintTime{};
  int encodings = 0, paints = 0;
  w.QRSymbol().SetOnBeforeRebuild([&](TQRSymbol&) { encodeStart = TClock::now(); });
  w.QRSymbol().SetOnAfterRebuild([&](TQRSymbol&) {
    encodeTime += TClock::now() - encodeStart;
    ++encodings;
  });
  auto paint = w.pbPreview->OnPaint;
  w.pbPreview->OnPaint = [&, paint](QPainter& canvas) {
    const auto start = TClock::now();
    paint(canvas);
    paintTime += TClock::now() - start;
    ++paints;
  };

  std::vector<TSample> samples;
  int totalEncodings = 0, totalPaints = 0;
  for (int i = 0; i < WarmUpKeys + keys; ++i) {
    encodeTime = paintTime = {};
    encodings = 0;
    const int paintsBefore = paints;
    const auto start = TClock::now();
    if (i % 2 == 0)
      QTest::keyClick(w.DBEdit2, Qt::Key_Backspace);
    else
      Type(w.DBEdit2, QStringLiteral("ю"));
    while (paints == paintsBefore) {
      QCoreApplication::processEvents();
      if (TClock::now() - start > KeyDeadline) {
        std::fprintf(stderr, "keystroke %d: the preview was not painted\n", i);
        return 1;
      }
    }
    const auto end = TClock::now();
    if (i < WarmUpKeys) continue;
    samples.push_back({Ms(end - start), Ms(encodeTime), Ms(paintTime)});
    totalEncodings += encodings;
    totalPaints += paints - paintsBefore;
  }
  if (w.DBEdit2->text().size() < 254) {
    std::fprintf(stderr, "the recipient lost its length: %lld characters\n",
                 static_cast<long long>(w.DBEdit2->text().size()));
    return 1;
  }

  std::printf("%d keystrokes in DBEdit2, recipient %lld characters, symbol %d modules a side, preview %dx%d px\n",
              keys, static_cast<long long>(w.DBEdit2->text().size()), w.QRSymbol().SymbolSize(),
              w.pbPreview->width(), w.pbPreview->height());
  std::printf("encodings per keystroke %.2f, preview paints per keystroke %.2f\n",
              double(totalEncodings) / keys, double(totalPaints) / keys);
  PrintDistribution("total", samples, [](const TSample& s) { return s.Total; });
  PrintDistribution("encode", samples, [](const TSample& s) { return s.Encode; });
  PrintDistribution("paint", samples, [](const TSample& s) { return s.Paint; });
  PrintDistribution("rest", samples, [](const TSample& s) { return s.Rest(); });
  std::vector<double> totals;
  for (const TSample& s : samples) totals.push_back(s.Total);
  std::printf("keystroke median %.3f ms, max %.3f ms\n", Percentile(totals, 0.5), Percentile(totals, 1));
  return 0;
}
