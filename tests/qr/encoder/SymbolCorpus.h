#pragma once

#include <string>
#include <vector>

// The symbols the encoder is checked on against the plain penalty rules and the oracles:
// every version at every level with a forced mask, and texts left to the encoder's own choice.

// UTF-8 (well-formed) to UTF-16.
std::u16string Utf8ToUtf16(const std::string& utf8);

// One content of the corpus, written as UTF-8.
struct TContent {
  std::string Utf8;
  int Encoding;         // teAuto, teNumeric, teAlphanumeric or teUTF8
  std::string Mode;     // segno's name of the mode our encoder picks
  std::string Charset;  // the Python codec of the byte-mode bytes, "-" otherwise

  std::u16string Text() const { return Utf8ToUtf16(Utf8); }
  // The bytes the symbol must carry.
  std::string Bytes() const;
};

// Byte-mode contents: automatic (UTF-8 after a byte-order mark), and UTF-8 chosen.
TContent Utf8Bom(std::string text);
TContent Utf8(std::string text);

// The levels' letters by ordinal.
inline constexpr const char* LevelNames = "LMQH";

// Data bits of a symbol of versionNo at the level (ordinal).
int CapacityBits(int versionNo, int level);

// segno appends a zero byte after the terminator when the terminator ends on a
// byte boundary with room left, where the standard (and libqrencode) goes on with
// the pad codewords at once: its modules differ from the standard's then.
bool SegnoPadsWithAnExtraZeroByte(const TContent& content, int versionNo, int level);

struct TCase {
  TContent Content;
  int Level;
  int Version;  // 0: chosen by the encoder
  int Mask;     // -1: chosen by the encoder
};

// Every version at every level with a forced mask, each with content that fills it.
std::vector<TCase> ForcedCases();
// Fixed texts of every mode at every level, and fills of every third version, each left to
// the encoder's own choice of version and mask.
std::vector<TCase> AutomaticCases();

// The case for a failure message.
std::string Describe(const TCase& c);
