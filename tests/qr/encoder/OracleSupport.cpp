#include "tests/qr/encoder/OracleSupport.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

TTempDir::TTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "encoder-oracle-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a temporary directory");
  }
  FPath = pattern;
}

TTempDir::~TTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(FPath, ignored);
}

std::u16string Utf8ToUtf16(const std::string& utf8) {
  std::u16string text;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      c = c << 6 | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
    }
    if (c >= 0x10000) {
      text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      text += static_cast<char16_t>(c);
    }
    i += static_cast<std::size_t>(length);
  }
  return text;
}

std::string HexOrDash(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (const char b : bytes) {
    hex += digits[static_cast<unsigned char>(b) >> 4];
    hex += digits[static_cast<unsigned char>(b) & 15];
  }
  return hex.empty() ? "-" : hex;
}

namespace {

// Closes the pipe on every way out.
class TPipe {
public:
  explicit TPipe(FILE* file) : FFile(file) {}
  ~TPipe() {
    if (FFile != nullptr) pclose(FFile);
  }
  TPipe(const TPipe&) = delete;
  TPipe& operator=(const TPipe&) = delete;
  FILE* File() const { return FFile; }
  int Close() {
    const int result = pclose(FFile);
    FFile = nullptr;
    return result;
  }

private:
  FILE* FFile;
};

}  // namespace

std::string RunCapture(const std::string& command, int* status) {
  TPipe pipe(popen(command.c_str(), "r"));
  if (pipe.File() == nullptr) {
    throw std::runtime_error("cannot run " + command);
  }
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.File())) > 0;) {
    output.append(buffer, n);
  }
  const int result = pipe.Close();
  *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  return output;
}

void WritePgm(const TByteMatrix& modules, const std::filesystem::path& path, int scale, int quiet) {
  const int side = (modules.ColCount() + 2 * quiet) * scale;
  std::ofstream out(path, std::ios::binary);
  out << "P5\n" << side << ' ' << side << "\n255\n";
  std::string row(static_cast<std::size_t>(side), '\xFF');
  for (int y = 0; y < side; ++y) {
    const int my = y / scale - quiet;
    for (int x = 0; x < side; ++x) {
      const int mx = x / scale - quiet;
      const bool inside = mx >= 0 && my >= 0 && mx < modules.ColCount() && my < modules.RowCount();
      row[static_cast<std::size_t>(x)] = inside && modules.Cell(mx, my) == 1 ? '\0' : '\xFF';
    }
    out.write(row.data(), static_cast<std::streamsize>(row.size()));
  }
}

namespace {

bool IsDark(const TByteMatrix& m, int x, int y) { return m.Cell(x, y) == 1; }

// Module `along` of row (alongRows) or column `line`, inside the matrix.
bool DarkAlong(const TByteMatrix& m, bool alongRows, int line, int along) {
  return alongRows ? IsDark(m, along, line) : IsDark(m, line, along);
}

}  // namespace

int TPlainPenalty::Rule1(const TByteMatrix& m) {
  int penalty = 0;
  for (const bool alongRows : {true, false}) {
    const int lines = alongRows ? m.RowCount() : m.ColCount();
    const int length = alongRows ? m.ColCount() : m.RowCount();
    for (int line = 0; line < lines; ++line) {
      int run = 0;
      for (int along = 0; along <= length; ++along) {
        if (along > 0 && along < length &&
            DarkAlong(m, alongRows, line, along) == DarkAlong(m, alongRows, line, along - 1)) {
          ++run;
          continue;
        }
        if (run >= 5) penalty += 3 + (run - 5);
        run = 1;
      }
    }
  }
  return penalty;
}

int TPlainPenalty::Rule2(const TByteMatrix& m) {
  int penalty = 0;
  for (int y = 0; y + 1 < m.RowCount(); ++y) {
    for (int x = 0; x + 1 < m.ColCount(); ++x) {
      const bool dark = IsDark(m, x, y);
      if (IsDark(m, x + 1, y) == dark && IsDark(m, x, y + 1) == dark &&
          IsDark(m, x + 1, y + 1) == dark) {
        penalty += 3;
      }
    }
  }
  return penalty;
}

int TPlainPenalty::Rule3(const TByteMatrix& m, bool outsideIsLight) {
  static const bool pattern[7] = {true, false, true, true, true, false, true};
  int penalty = 0;
  for (const bool alongRows : {true, false}) {
    const int lines = alongRows ? m.RowCount() : m.ColCount();
    const int length = alongRows ? m.ColCount() : m.RowCount();
    for (int line = 0; line < lines; ++line) {
      const auto fourLight = [&](int from) {
        for (int along = from; along < from + 4; ++along) {
          const bool inside = along >= 0 && along < length;
          if (inside ? DarkAlong(m, alongRows, line, along) : !outsideIsLight) return false;
        }
        return true;
      };
      for (int i = 0; i + 7 <= length; ++i) {
        bool match = true;
        for (int k = 0; k < 7 && match; ++k)
          match = DarkAlong(m, alongRows, line, i + k) == pattern[k];
        if (match && (fourLight(i + 7) || fourLight(i - 4))) penalty += 40;
      }
    }
  }
  return penalty;
}

int TPlainPenalty::Rule4(const TByteMatrix& m) {
  int dark = 0;
  for (int y = 0; y < m.RowCount(); ++y) {
    for (int x = 0; x < m.ColCount(); ++x) dark += IsDark(m, x, y) ? 1 : 0;
  }
  const int total = m.RowCount() * m.ColCount();
  if (total == 0) return 0;
  // |dark / total - 1/2| in whole steps of 1/20.
  return 10 * (std::abs(20 * dark - 10 * total) / total);
}
