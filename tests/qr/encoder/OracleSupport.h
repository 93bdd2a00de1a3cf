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

// Upper-case hexadecimal of bytes; "-" for none.
std::string HexOrDash(const std::string& bytes);

// Runs a shell command and returns its standard output, byte for byte; the
// exit status goes to *status.
std::string RunCapture(const std::string& command, int* status);

// Writes the symbol as a binary grey map: `scale` pixels per module and a light
// quiet zone of `quiet` modules around it.
void WritePgm(const TByteMatrix& modules, const std::filesystem::path& path, int scale, int quiet);
