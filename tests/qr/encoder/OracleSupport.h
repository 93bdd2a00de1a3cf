#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "qr/encoder/ByteMatrix.h"

// A fresh directory of its own under the system's temporary directory,
// removed with everything in it when the object goes.
class TTempDir {
public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  const std::filesystem::path& Path() const { return FPath; }

private:
  std::filesystem::path FPath;
};

// UTF-8 (well-formed) to UTF-16.
std::u16string Utf8ToUtf16(const std::string& utf8);

// Upper-case hexadecimal of bytes; "-" for none.
std::string HexOrDash(const std::string& bytes);

// Runs a shell command and returns its standard output, byte for byte; the
// exit status goes to *status.
std::string RunCapture(const std::string& command, int* status);

// Writes the symbol as a binary grey map: `scale` pixels per module and a light
// quiet zone of `quiet` modules around it.
void WritePgm(const TByteMatrix& modules, const std::filesystem::path& path, int scale, int quiet);

// The four mask penalty rules written plainly, one module at a time, as the reference for
// the encoder's packed ones. A cell holding 1 is dark, any other value light.
struct TPlainPenalty {
  // Runs of 5 or more equal modules in rows, then columns: 3 + (length - 5) each.
  static int Rule1(const TByteMatrix& m);
  // Every (overlapping) 2 x 2 square of one colour: 3.
  static int Rule2(const TByteMatrix& m);
  // Every 1011101 in a row or column with four light modules after it, or else before it:
  // 40. Modules beyond the edge count as light when outsideIsLight, else as not there.
  static int Rule3(const TByteMatrix& m, bool outsideIsLight);
  // 10 per whole 5 % step of the dark share away from one half.
  static int Rule4(const TByteMatrix& m);
};
