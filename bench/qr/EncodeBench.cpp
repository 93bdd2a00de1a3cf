// EncodeSymbol against libqrencode on the same bytes: a six-line Cyrillic voucher
// payload in UTF-8 with the byte-order mark, level L, one 8-bit segment. The last
// line printed is the ratio of the two CPU times per symbol.
#include <benchmark/benchmark.h>
#include <qrencode.h>

#include <cstdio>
#include <map>
#include <string>

#include "qr/encoder/Encoder.h"

namespace {

const std::u16string Payload =
    u"\u041D\u043E\u043C\u0435\u0440 \u0441\u0443\u043C\u043A\u0438: 0012345;\r\n"
    u"\u041F\u043E\u043B\u0443\u0447\u0430\u0442\u0435\u043B\u044C: \u041E\u041E\u041E "
    u"\u00AB\u0420\u043E\u043C\u0430\u0448\u043A\u0430 \u0438 "
    u"\u043F\u0430\u0440\u0442\u043D\u0435\u0440\u044B\u00BB;\r\n"
    u"\u0421\u0447\u0435\u0442: 40702810900000012345;\r\n"
    u"\u0418\u041D\u041D: 7701234567;\r\n"
    u"\u0421\u0443\u043C\u043C\u0430: 125400.50 (\u0441\u0442\u043E "
    u"\u0434\u0432\u0430\u0434\u0446\u0430\u0442\u044C "
    u"\u043F\u044F\u0442\u044C \u0442\u044B\u0441\u044F\u0447 "
    u"\u0447\u0435\u0442\u044B\u0440\u0435\u0441\u0442\u0430 "
    u"\u0440\u0443\u0431\u043B\u0435\u0439 50 \u043A\u043E\u043F\u0435\u0435\u043A);\r\n"
    u"\u0424\u0418\u041E: \u0418\u0432\u0430\u043D\u043E\u0432 \u0418\u0432\u0430\u043D "
    u"\u0418\u0432\u0430\u043D\u043E\u0432\u0438\u0447;\r\n";

// The payload's bytes as the encoder writes them: EF BB BF, then UTF-8.
std::string PayloadBytes() {
  std::string bytes = "\xEF\xBB\xBF";
  for (const char16_t c : Payload) {
    if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else {  // the payload stays below U+0800
      bytes += static_cast<char>(0xC0 | c >> 6);
      bytes += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return bytes;
}

void Ours(benchmark::State& state) {
  TErrorCorrectionLevel level;
  level.InitFromOrdinal(0);
  for (auto _ : state) {
    TEncoder encoder;
    TQRCode code;
    std::u16string filtered;
    encoder.EncodeSymbol(Payload, teAuto, level, code, filtered);
    benchmark::DoNotOptimize(code.Modules());
  }
}

void Libqrencode(benchmark::State& state) {
  const std::string bytes = PayloadBytes();
  for (auto _ : state) {
    QRcode* code =
        QRcode_encodeData(static_cast<int>(bytes.size()),
                          reinterpret_cast<const unsigned char*>(bytes.data()), 0, QR_ECLEVEL_L);
    benchmark::DoNotOptimize(code);
    QRcode_free(code);
  }
}

BENCHMARK(Ours);
BENCHMARK(Libqrencode);

// Keeps each benchmark's CPU time per iteration (robust on a shared machine) (in its time unit, ns
// by default).
class TRatioReporter : public benchmark::ConsoleReporter {
public:
  std::map<std::string, double> Times;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      Times[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::printf("payload: %zu bytes\n", PayloadBytes().size());
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  if (reporter.Times.count("Ours") != 0 && reporter.Times.count("Libqrencode") != 0) {
    std::printf("ours/libqrencode = %.2f\n",
                reporter.Times["Ours"] / reporter.Times["Libqrencode"]);
  }
  return 0;
}
