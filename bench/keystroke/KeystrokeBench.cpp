// bench-keystroke: keystroke latency in the recipient editor DBEdit2, from the key event to the
// QR preview painted, on a real register file with a 255-character recipient and a full
// denomination grid. Keys alternate between Backspace and a Cyrillic letter at the end of the
// recipient, so the text stays at 254/255 characters and every key changes the payload.
//
// One sample: QTest sends the key (press and release, synchronously through the application's
// event delivery: the change handler, the encoding and the size line run inside it), then the
// event loop runs until the preview's paint handler has returned. The paint is therefore
// included, as is the window's other repainting of that pass (the editor's own text).
// Besides the wall-clock total it reports the thread's CPU time (the total without the time
// other processes took the core away), the time inside the symbol's rebuild (encoding) and
// inside the preview's paint handler; "rest" is the total less both.
//
// For comparison it then measures a count typed into the denomination grid the same way
// (digit and Backspace in the in-place editor of the first count); the last line is about
// DBEdit2 only.
//
// Runs without a display unless one is given. Options: [keystrokes] (default 400).
// Last line: keystroke median <ms> ms, max <ms> ms
#include <QApplication>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/controls/DBEdit.h"
#include "app/controls/PaintBox.h"
#include "app/controls/StringGrid.h"
#include "app/MainForm.h"
#include "qr/QRSymbol.h"
#include "tests/app/RunningProgram.h"
#include "ui_MainForm.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int WarmUpKeys = 20;
constexpr auto KeyDeadline = std::chrono::seconds(5);

double Ms(TClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// A recipient of the register's largest size: 255 characters, Cyrillic with blanks.
QString LongRecipient() {
  const QString word = QStringLiteral("Общество с ограниченной ответственностью ");
  QString text;
  while (text.size() < 255) text += word;
  return text.left(255);
}

// Every count of the grid non-zero, typed as the operator would.
void FillGrid(const TRunningProgram& program) {
  TStringGrid* grid = program.Controls().StringGrid1;
  program.Click(grid);
  for (int row = 1; row <= 15; ++row) {
    grid->SetCurrentCell(2, row);
    QTest::keyClicks(grid, QString::number(row * 7 + 3));
  }
}

struct TSample {
  double Total = 0;
  double Cpu = 0;
  double Encode = 0;
  double Paint = 0;
};

struct TSeries {
  std::vector<TSample> Samples;
  int Encodings = 0;
  int Paints = 0;
};

// Times the symbol's rebuilds and the preview's paint handler while it lives.
class TInstruments {
public:
  explicit TInstruments(TForm1& w) : FWindow(w), FPaint(w.Controls().pbPreview->OnPaint) {
    w.QRSymbol().SetOnBeforeRebuild([this](TQRSymbol&) { FEncodeStart = TClock::now(); });
    w.QRSymbol().SetOnAfterRebuild([this](TQRSymbol&) {
      EncodeTime += TClock::now() - FEncodeStart;
      ++Encodings;
    });
    w.Controls().pbPreview->OnPaint = [this](QPainter& canvas) {
      const auto start = TClock::now();
      FPaint(canvas);
      PaintTime += TClock::now() - start;
      ++Paints;
    };
  }
  ~TInstruments() {
    FWindow.QRSymbol().SetOnBeforeRebuild({});
    FWindow.QRSymbol().SetOnAfterRebuild({});
    FWindow.Controls().pbPreview->OnPaint = FPaint;
  }
  TInstruments(const TInstruments&) = delete;
  TInstruments& operator=(const TInstruments&) = delete;

  TClock::duration EncodeTime{}, PaintTime{};
  int Encodings = 0, Paints = 0;

private:
  TForm1& FWindow;
  std::function<void(QPainter&)> FPaint;
  TClock::time_point FEncodeStart;
};

// Sends key number i with `sendKey`, then runs the event loop until the preview has been
// painted; the first WarmUpKeys samples are dropped.
TSeries Measure(TForm1& w, int keys, const std::function<void(int)>& sendKey) {
  TInstruments instruments(w);
  TSeries series;
  for (int i = 0; i < WarmUpKeys + keys; ++i) {
    instruments.EncodeTime = instruments.PaintTime = {};
    const int encodingsBefore = instruments.Encodings;
    const int paintsBefore = instruments.Paints;
    const double cpuStart = ThreadCpuMs();
    const auto start = TClock::now();
    sendKey(i);
    while (instruments.Paints == paintsBefore) {
      QCoreApplication::processEvents();
      if (TClock::now() - start > KeyDeadline)
        throw std::runtime_error("the preview was not painted");
    }
    const auto end = TClock::now();
    const double cpu = ThreadCpuMs() - cpuStart;
    if (i < WarmUpKeys) continue;
    series.Samples.push_back(
        {Ms(end - start), cpu, Ms(instruments.EncodeTime), Ms(instruments.PaintTime)});
    series.Encodings += instruments.Encodings - encodingsBefore;
    series.Paints += instruments.Paints - paintsBefore;
  }
  return series;
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[at];
}

std::vector<double> Pick(const TSeries& series, double (*pick)(const TSample&)) {
  std::vector<double> values;
  for (const TSample& s : series.Samples) values.push_back(pick(s));
  return values;
}

void PrintSeries(const std::string& title, const TSeries& series) {
  const double keys = static_cast<double>(series.Samples.size());
  std::printf("%s: %.0f keystrokes, encodings per key %.2f, preview paints per key %.2f\n",
              title.c_str(), keys, series.Encodings / keys, series.Paints / keys);
  const struct {
    const char* Name;
    double (*Pick)(const TSample&);
  } rows[] = {
      {"total", [](const TSample& s) { return s.Total; }},
      {"cpu", [](const TSample& s) { return s.Cpu; }},
      {"encode", [](const TSample& s) { return s.Encode; }},
      {"paint", [](const TSample& s) { return s.Paint; }},
      {"rest", [](const TSample& s) { return s.Total - s.Encode - s.Paint; }},
  };
  for (const auto& row : rows) {
    const std::vector<double> v = Pick(series, row.Pick);
    double sum = 0;
    for (double x : v) sum += x;
    std::printf("  %-7s min %7.3f  p50 %7.3f  p90 %7.3f  p99 %7.3f  max %7.3f  mean %7.3f ms\n",
                row.Name, Percentile(v, 0), Percentile(v, 0.5), Percentile(v, 0.9),
                Percentile(v, 0.99), Percentile(v, 1), sum / keys);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication application(argc, argv);
  const int keys = argc > 1 ? std::max(1, std::atoi(argv[1])) : 400;

  try {
    TRunningProgram program(
        {{QStringLiteral("1234"), 5678, LongRecipient(), QStringLiteral("40702810900000000001"),
          QStringLiteral("7701234567"), 2, QStringLiteral("Иванов И.И.")}});
    TForm1& w = program.Window();
    const Ui::TForm1& ui = w.Controls();
    FillGrid(program);

    program.Click(ui.DBEdit2);
    QTest::keyClick(ui.DBEdit2, Qt::Key_End);
    const TSeries recipient = Measure(w, keys, [&](int i) {
      if (i % 2 == 0)
        QTest::keyClick(ui.DBEdit2, Qt::Key_Backspace);
      else
        Type(ui.DBEdit2, QStringLiteral("ю"));
    });
    if (ui.DBEdit2->text().size() < 254) throw std::runtime_error("the recipient lost its length");
    std::printf(
        "recipient %lld characters, symbol %d modules a side with the quiet zone, preview %dx%d "
        "px\n",
        static_cast<long long>(ui.DBEdit2->text().size()), w.QRSymbol().SymbolSize(),
        ui.pbPreview->width(), ui.pbPreview->height());

    program.Click(ui.StringGrid1);
    ui.StringGrid1->SetCurrentCell(2, 1);
    QTest::keyClicks(ui.StringGrid1, QStringLiteral("1"));
    const TSeries grid = Measure(w, keys, [&](int i) {
      QTest::keyClick(QApplication::focusWidget(), i % 2 == 0 ? Qt::Key_5 : Qt::Key_Backspace);
    });

    PrintSeries("denomination grid, count of the first row (for comparison)", grid);
    PrintSeries("DBEdit2", recipient);
    const std::vector<double> totals = Pick(recipient, [](const TSample& s) { return s.Total; });
    std::printf("keystroke median %.3f ms, max %.3f ms\n", Percentile(totals, 0.5),
                Percentile(totals, 1));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench-keystroke: %s\n", error.what());
    return 1;
  }
  return 0;
}
