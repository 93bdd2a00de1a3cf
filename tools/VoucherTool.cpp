// voucher-tool qr [--encoding N] [--level L|M|Q|H] [--quiet-zone N] [--bmp FILE] [--encoded]
//   Encodes all of standard input (UTF-8, taken as it is) the way the main window does, with
//   the URL encoder at index 6 and the Windows-1251 encoder at 7 registered, and prints the
//   symbol as SymbolSize lines of '#' (dark) and '.' (light), quiet zone included, or with
//   --encoded the encoded text exactly (no line break added). --bmp also writes the picture
//   the export saves as "QR.bmp": 4 pixels per module, black on white, one bit per pixel.
//   --encoding takes the registered indices 0 to 7, --quiet-zone 0 to 100 modules.
// voucher-tool words AMOUNT
//   Prints the amount (full stop as decimal separator) in Russian words; only amounts a
//   voucher can carry (AmountInWordsCovers: 0 <= AMOUNT < 10^13).
// Exit status: 0 done, 1 the text does not fit any symbol, the picture cannot be written or
// the amount is outside the words' range, 2 bad command line.

#include <QImage>
#include <QString>

#include <charconv>
#include <cstdint>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "qr/QRGraphics.h"
#include "qr/QRSymbol.h"
#include "qr/QR_URL.h"
#include "qr/QR_Win1251.h"
#include "texts/AmountInWords.h"

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;
constexpr int BitmapModuleSize = 4;
// Wider than any use, and small enough that the picture's side (4 pixels a module) stays far
// from overflowing.
constexpr int MaxQuietZone = 100;

struct TQROptions {
  int Encoding = teAuto;
  std::uint8_t Level = 0;
  int QuietZone = 4;
  std::string BitmapFile;
  bool PrintEncoded = false;
};

int Usage() {
  std::cerr << "usage: voucher-tool qr [--encoding 0..7] [--level L|M|Q|H] [--quiet-zone 0..100] "
               "[--bmp FILE] [--encoded] | voucher-tool words AMOUNT\n";
  return ExitUsage;
}

template <class TNumber>
std::optional<TNumber> ParseNumber(std::string_view text) {
  TNumber value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::uint8_t> ParseLevel(std::string_view text) {
  constexpr std::string_view Levels = "LMQH";
  if (text.size() != 1 || Levels.find(text[0]) == std::string_view::npos) return std::nullopt;
  return static_cast<std::uint8_t>(Levels.find(text[0]));
}

std::optional<TQROptions> ParseQROptions(int argc, char* argv[]) {
  TQROptions options;
  for (int i = 2; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--encoded") {
      options.PrintEncoded = true;
      continue;
    }
    if (i + 1 >= argc) return std::nullopt;
    const std::string_view value = argv[++i];
    if (option == "--encoding") {
      const auto encoding = ParseNumber<int>(value);
      if (!encoding || *encoding < teAuto || *encoding > teWin1251) return std::nullopt;
      options.Encoding = *encoding;
    } else if (option == "--level") {
      const auto level = ParseLevel(value);
      if (!level) return std::nullopt;
      options.Level = *level;
    } else if (option == "--quiet-zone") {
      const auto width = ParseNumber<int>(value);
      if (!width || *width < 0 || *width > MaxQuietZone) return std::nullopt;
      options.QuietZone = *width;
    } else if (option == "--bmp") {
      options.BitmapFile = value;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

void PrintModules(const TQRSymbol& symbol) {
  std::string line;
  for (int row = 0; row < symbol.SymbolSize(); ++row) {
    line.clear();
    for (int column = 0; column < symbol.SymbolSize(); ++column)
      line.push_back(symbol.IsDark(row, column) ? '#' : '.');
    std::cout << line << '\n';
  }
}

int RunQR(const TQROptions& options) {
  const std::string input{std::istreambuf_iterator<char>(std::cin),
                          std::istreambuf_iterator<char>()};

  TQRSymbol symbol;
  symbol.RegisterTextEncoder(teURL, &NewEncoder<TURLEncoder>);
  symbol.RegisterTextEncoder(teWin1251, &NewEncoder<TWin1251Encoder>);
  symbol.SetTextEncoding(options.Encoding);
  symbol.SetErrorCorrectionLevel(options.Level);
  symbol.SetQuietZoneWidth(options.QuietZone);
  // The bracket makes an empty input encode too (setting an equal text would not).
  symbol.BeginUpdate();
  symbol.SetText(QString::fromUtf8(input));
  try {
    symbol.EndUpdate(true);
  } catch (const EQRMatrixTooLarge& error) {
    std::cerr << error.what() << '\n';
    return ExitFailure;
  }

  if (options.PrintEncoded)
    std::cout << symbol.EncodedText().toStdString();
  else
    PrintModules(symbol);

  if (!options.BitmapFile.empty()) {
    QImage bitmap;
    QRSymbolToBitmap(bitmap, BitmapModuleSize, symbol, 0xFFFFFF, 0x000000, 0);
    if (!bitmap.save(QString::fromStdString(options.BitmapFile), "BMP")) {
      std::cerr << "cannot write " << options.BitmapFile << '\n';
      return ExitFailure;
    }
  }
  return 0;
}

int RunWords(int argc, char* argv[]) {
  if (argc != 3) return Usage();
  const auto amount = ParseNumber<double>(argv[2]);
  if (!amount) return Usage();
  if (!AmountInWordsCovers(*amount)) {
    std::cerr << "amount out of range: words are written for 0 <= AMOUNT < 10000000000000\n";
    return ExitFailure;
  }
  std::cout << AmountInWords(*amount).toStdString() << '\n';
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2) return Usage();
  const std::string_view command = argv[1];
  if (command == "words") return RunWords(argc, argv);
  if (command != "qr") return Usage();
  const std::optional<TQROptions> options = ParseQROptions(argc, argv);
  if (!options) return Usage();
  return RunQR(*options);
}
