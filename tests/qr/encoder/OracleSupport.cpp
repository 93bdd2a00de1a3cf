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
