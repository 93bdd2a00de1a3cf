#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "tests/qr/encoder/EncoderTestSupport.h"

namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (const std::uint8_t b : bytes) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

std::string ContentHex(const std::u16string& text, TQRMode mode, int encoding) {
  TEncoder encoder;
  TBitArray bits;
  encoder.AppendContentBits(text, mode, bits, encoding);
  return Hex(BytesOf(bits));
}

std::string ContentBits(const std::u16string& text, TQRMode mode) {
  TEncoder encoder;
  TBitArray bits;
  encoder.AppendContentBits(text, mode, bits, teAuto);
  return BitString(bits);
}

}  // namespace

TEST(Encoder, AlphanumericCodes) {
  const std::pair<int, int> cases[] = {{'0', 0},  {'9', 9},  {'A', 10}, {'Z', 35},   {' ', 36},
                                       {'$', 37}, {'%', 38}, {'*', 39}, {'+', 40},   {'-', 41},
                                       {'.', 42}, {'/', 43}, {':', 44}, {'a', -1},   {'#', -1},
                                       {0, -1},   {95, -1},  {96, -1},  {0x410, -1}, {-5, -1}};
  for (const auto& [character, code] : cases) {
    EXPECT_EQ(AlphanumericCode(character), code) << character;
  }
}

TEST(Encoder, SelectsTheModeAndResolvesAutomaticByteEncodings) {
  const struct {
    std::u16string text;
    int encoding;
    TQRMode mode;
    int resolved;
  } cases[] = {
      {u"0123", teAuto, TQRMode::Numeric, teAuto},
      {u"HELLO WORLD", teAuto, TQRMode::Alphanumeric, teAuto},
      {u"Hello", teAuto, TQRMode::Byte, teISO88591},
      {u"caf\u00E9", teAuto, TQRMode::Byte, teISO88591},
      {u"\u0401\u0436", teAuto, TQRMode::Byte, teUTF8BOM},
      {u"", teAuto, TQRMode::Byte, teUTF8BOM},
      {u"abc", teNumeric, TQRMode::Numeric, teNumeric},
      {u"abc", teAlphanumeric, TQRMode::Alphanumeric, teAlphanumeric},
      {u"123", teUTF8, TQRMode::Byte, teUTF8},
      {u"123", teWin1251, TQRMode::Byte, teWin1251},
      {u"123", -3, TQRMode::Byte, -3},
  };
  for (const auto& c : cases) {
    TEncoder encoder;
    int encoding = c.encoding;
    EXPECT_EQ(encoder.SelectMode(c.text, encoding), c.mode) << c.encoding;
    EXPECT_EQ(encoding, c.resolved) << c.encoding;
  }
}

TEST(Encoder, KeepsOnlyWhatTheModeAndEncodingCarry) {
  const struct {
    std::u16string text;
    TQRMode mode;
    int encoding;
    std::u16string kept;
  } cases[] = {
      {u"12a3", TQRMode::Numeric, teNumeric, u"123"},
      {u"Ab-c:", TQRMode::Alphanumeric, teAlphanumeric, u"A-:"},
      {u"d\u00E9\u0436!", TQRMode::Byte, teISO88591, u"d\u00E9!"},
      {u"d\u00E9\u0436!", TQRMode::Byte, teUTF8BOM, u"d\u00E9\u0436!"},
      {u"d\u00E9\u0436!", TQRMode::Byte, teUTF8, u"d\u00E9\u0436!"},
      {u"d\u00E9\u0436!", TQRMode::Byte, teURL, u""},
      {u"d\u00E9\u0436!", TQRMode::Byte, teAuto, u""},
      {u"123", TQRMode::Kanji, teUTF8, u""},
  };
  for (const auto& c : cases) {
    TEncoder encoder;
    std::u16string filtered = u"left over";
    encoder.KeepEncodable(c.text, c.mode, c.encoding, filtered);
    EXPECT_EQ(filtered, c.kept) << static_cast<int>(c.mode) << "/" << c.encoding;
  }
  TEncoder encoder;
  std::u16string same = u"1x2";
  encoder.KeepEncodable(same, TQRMode::Numeric, teNumeric, same);
  EXPECT_EQ(same, u"12");
}

TEST(Encoder, PacksNumericAndAlphanumericContent) {
  EXPECT_EQ(ContentBits(u"01234567", TQRMode::Numeric),
            "0000001100"
            "0101011001"
            "1000011");
  EXPECT_EQ(ContentBits(u"8", TQRMode::Numeric), "1000");
  EXPECT_EQ(ContentBits(u"", TQRMode::Numeric), "");
  EXPECT_EQ(ContentBits(u"AC-42", TQRMode::Alphanumeric),
            "00111001110"
            "11100111001"
            "000010");
  EXPECT_EQ(ContentBits(u"AB", TQRMode::Alphanumeric), "00111001101");
  EXPECT_EQ(ContentBits(u"ABc1", TQRMode::Alphanumeric), "00111001101");  // stops at c
  EXPECT_EQ(ContentBits(u"123", TQRMode::Kanji), "");
}

TEST(Encoder, WritesTheBytesOfEachByteEncoding) {
  const struct {
    std::u16string text;
    int encoding;
    const char* hex;
  } cases[] = {
      {u"A\u00E9\u00FF", teISO88591, "41E9FF"},
      {u"", teUTF8BOM, "EFBBBF"},
      {u"\u0416", teUTF8BOM, "EFBBBFD096"},
      {u"A\u0416\u20AC", teUTF8, "41D096E282AC"},
      {u"\U0001F600", teUTF8, "F09F9880"},
      {std::u16string(1, u'\xD83D') + u"x", teUTF8, "EFBFBD78"},  // a lone surrogate
      {std::u16string(1, u'\xDE00'), teUTF8, "EFBFBD"},
      {u"abc", teURL, ""},
      {u"abc", teWin1251, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ContentHex(c.text, TQRMode::Byte, c.encoding), c.hex) << c.encoding;
  }
}

TEST(Encoder, ModeIndicatorsAndCountFieldWidths) {
  const struct {
    TQRMode mode;
    int indicator;
    int widths[3];
  } cases[] = {
      {TQRMode::Terminator, 0x0, {0, 0, 0}},
      {TQRMode::Numeric, 0x1, {10, 12, 14}},
      {TQRMode::Alphanumeric, 0x2, {9, 11, 13}},
      {TQRMode::StructuredAppend, 0x3, {0, 0, 0}},
      {TQRMode::Byte, 0x4, {8, 16, 16}},
      {TQRMode::ECI, 0x7, {0, 0, 0}},
      {TQRMode::Kanji, 0x8, {8, 10, 12}},
      {TQRMode::FNC1FirstPosition, 0x5, {0, 0, 0}},
      {TQRMode::FNC1SecondPosition, 0x9, {0, 0, 0}},
      {TQRMode::Hanzi, 0xD, {8, 10, 12}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ModeIndicator(c.mode), c.indicator);
    EXPECT_EQ(CountFieldWidth(c.mode, 1), c.widths[0]);
    EXPECT_EQ(CountFieldWidth(c.mode, 9), c.widths[0]);
    EXPECT_EQ(CountFieldWidth(c.mode, 10), c.widths[1]);
    EXPECT_EQ(CountFieldWidth(c.mode, 26), c.widths[1]);
    EXPECT_EQ(CountFieldWidth(c.mode, 27), c.widths[2]);
    EXPECT_EQ(CountFieldWidth(c.mode, 40), c.widths[2]);
  }
  EXPECT_THROW(ModeIndicator(static_cast<TQRMode>(10)), std::out_of_range);
  EXPECT_THROW(CountFieldWidth(static_cast<TQRMode>(200), 1), std::out_of_range);

  TEncoder encoder;
  TBitArray bits;
  encoder.AppendModeIndicator(TQRMode::Byte, bits);
  encoder.AppendCharCount(231, 10, TQRMode::Byte, bits);
  EXPECT_EQ(BitString(bits),
            "0100"
            "0000000011100111");
}

TEST(Encoder, PadsWithTerminatorZerosAndAlternatingPadCodewords) {
  const struct {
    int bits;
    int dataCodewords;
    std::string added;
  } cases[] = {
      {152, 19, ""},  // exactly full: no terminator
      {151, 19, "0"},
      {149, 19, "000"},
      {148, 19, "0000"},
      {147, 19, "00000"},  // terminator, then to the byte boundary
      {140, 19,
       "0000"
       "11101100"},
      {0, 3,
       "0000"
       "0000"
       "11101100"
       "00010001"},
  };
  for (const auto& c : cases) {
    TEncoder encoder;
    TBitArray bits;
    for (int i = 0; i < c.bits; ++i) bits.PushBit(true);
    encoder.PadToCapacity(c.dataCodewords, bits);
    EXPECT_EQ(BitString(bits), std::string(static_cast<std::size_t>(c.bits), '1') + c.added)
        << c.bits;
  }
}

TEST(Encoder, CodewordsOfTheStandardNumericExample) {
  EXPECT_EQ(Hex(BytesOf(CodewordsAt(u"01234567", teNumeric, 1, 1))),
            Hex({16,  32, 12,  86,  97,  128, 236, 17,  236, 17, 236, 17, 236, 17, 236, 17,  //
                 165, 36, 212, 193, 237, 54,  199, 135, 44,  85}));
  EXPECT_EQ(
      Hex(BytesOf(CodewordsAt(u"01234567", teNumeric, 0, 1))),
      Hex({16, 32, 12,  86,  97, 128, 236, 17, 236, 17, 236, 17, 236, 17, 236, 17, 236, 17, 236,  //
           83, 85, 151, 103, 16, 5,   132}));
  const TQRCode code = Encode(u"01234567", teAuto, 1);
  EXPECT_EQ(code.QRMode(), TQRMode::Numeric);
  EXPECT_EQ(code.VersionNo(), 1);
  ASSERT_NE(code.Level(), nullptr);
  EXPECT_EQ(code.Level()->LevelOrdinal(), 1);
  ASSERT_NE(code.Modules(), nullptr);
  // The symbol as segno lays it out with mask 0, which the four penalty rules favour: they
  // score the masks 297, 533, 397, 452, 570, 637, 419 and 406.
  EXPECT_EQ(code.MaskNo(), 0);
  // clang-format off
  EXPECT_EQ(RowsOf(*code.Modules()), (std::vector<std::string>{
                "111111100011101111111",
                "100000101110001000001",
                "101110100110001011101",
                "101110100101101011101",
                "101110101101101011101",
                "100000100001001000001",
                "111111101010101111111",
                "000000000000000000000",
                "101010100010100010010",
                "110100001011010100010",
                "000110111011011101110",
                "110011010101110110010",
                "001001110111011100001",
                "000000001010001000010",
                "111111100000100010001",
                "100000100010001001011",
                "101110101110101011101",
                "101110100101010101110",
                "101110101101011100101",
                "100000100001110111000",
                "111111101001011100101",
            }));
  // clang-format on
}

TEST(Encoder, EmptyAutomaticTextHoldsOnlyTheByteOrderMark) {
  const std::string codewords = Hex(BytesOf(CodewordsAt(u"", teAuto, 0, 1)));
  EXPECT_EQ(codewords.substr(0, 14),
            "403EFBBBF0EC11");  // Byte, count 3, EF BB BF, terminator, pads
  const TQRCode code = Encode(u"", teAuto, 0);
  EXPECT_EQ(code.VersionNo(), 1);
  EXPECT_EQ(code.QRMode(), TQRMode::Byte);
}

TEST(Encoder, ChoosesTheSmallestVersionAtTheCapacityEdges) {
  const struct {
    int bytes;
    int version;
  } cases[] = {{17, 1}, {18, 2}, {230, 9}, {231, 10}, {2953, 40}};
  for (const auto& c : cases) {
    const TQRCode code = Encode(std::u16string(static_cast<std::size_t>(c.bytes), u'a'), teAuto, 0);
    EXPECT_EQ(code.VersionNo(), c.version) << c.bytes << " bytes";
    EXPECT_EQ(code.Modules()->ColCount(), 17 + 4 * c.version);
  }
}

TEST(Encoder, RaisesWhenVersionFortyCannotHoldTheData) {
  const std::u16string text(2954, u'a');
  TEncoder encoder;
  TQRCode code;
  std::u16string filtered;
  try {
    encoder.EncodeSymbol(text, teAuto, LevelOf(0), code, filtered);
    FAIL() << "2954 bytes were encoded";
  } catch (const EQRMatrixTooLarge& e) {
    EXPECT_STREQ(e.what(), "Trying to store too many bytes");
  }
  EXPECT_EQ(filtered, text);
  EXPECT_EQ(code.VersionNo(), -1);
  EXPECT_EQ(code.MaskNo(), -1);
  EXPECT_EQ(code.Level(), nullptr);
  EXPECT_EQ(code.Modules(), nullptr);
  EXPECT_THROW(Encode(std::u16string(1277, u'b'), teAuto, 3), EQRMatrixTooLarge);
}

// The count field widens from version 10 and again from 27, so the version is chosen with the
// width of a first choice made with the narrowest field. At each widening, the most characters
// the lower version holds (the standard's capacity table) stay there, and one more moves up
// exactly one version. In the byte rows at 26 and the numeric ones at Q and H, one character
// more still makes 26 the first choice: only the wider field pushes the symbol to 27.
TEST(Encoder, TheChosenVersionHoldsItsOwnCountField) {
  const struct {
    int level;
    TQRMode mode;
    int largest;  // characters at `version`; one more needs version + 1
    int version;
  } cases[] = {
      {0, TQRMode::Numeric, 552, 9},      {0, TQRMode::Numeric, 3283, 26},
      {1, TQRMode::Numeric, 432, 9},      {1, TQRMode::Numeric, 2544, 26},
      {2, TQRMode::Numeric, 312, 9},      {2, TQRMode::Numeric, 1804, 26},
      {3, TQRMode::Numeric, 235, 9},      {3, TQRMode::Numeric, 1425, 26},
      {0, TQRMode::Alphanumeric, 335, 9}, {0, TQRMode::Alphanumeric, 1990, 26},
      {1, TQRMode::Alphanumeric, 262, 9}, {1, TQRMode::Alphanumeric, 1542, 26},
      {2, TQRMode::Alphanumeric, 189, 9}, {2, TQRMode::Alphanumeric, 1094, 26},
      {3, TQRMode::Alphanumeric, 143, 9}, {3, TQRMode::Alphanumeric, 864, 26},
      {0, TQRMode::Byte, 230, 9},         {0, TQRMode::Byte, 1367, 26},
      {1, TQRMode::Byte, 180, 9},         {1, TQRMode::Byte, 1059, 26},
      {2, TQRMode::Byte, 130, 9},         {2, TQRMode::Byte, 751, 26},
      {3, TQRMode::Byte, 98, 9},          {3, TQRMode::Byte, 593, 26},
  };
  for (const auto& c : cases) {
    const char16_t character = c.mode == TQRMode::Numeric        ? u'7'
                               : c.mode == TQRMode::Alphanumeric ? u'Z'
                                                                 : u'z';
    for (const int extra : {0, 1}) {
      const std::size_t length = static_cast<std::size_t>(c.largest + extra);
      const TQRCode code = Encode(std::u16string(length, character), teAuto, c.level);
      EXPECT_EQ(code.QRMode(), c.mode) << length;
      EXPECT_EQ(code.VersionNo(), c.version + extra)
          << "mode " << static_cast<int>(c.mode) << " level " << c.level << ", " << length
          << " characters";
    }
  }
}

TEST(Encoder, SplitsBlocksShortFirst) {
  const TEncoder encoder;
  const struct {
    int total, data, blocks, index, dataOut, ecOut;
  } cases[] = {
      {134, 62, 4, 0, 15, 18},       {134, 62, 4, 1, 15, 18}, {134, 62, 4, 2, 16, 18},
      {134, 62, 4, 3, 16, 18},       {26, 16, 1, 0, 16, 10},  {3706, 2956, 25, 18, 118, 30},
      {3706, 2956, 25, 19, 119, 30},
  };
  for (const auto& c : cases) {
    const TEncoder::TBlockSizes sizes = encoder.SplitBlockSizes(c.total, c.data, c.blocks, c.index);
    EXPECT_EQ(sizes.DataCodewords, c.dataOut) << c.total << "/" << c.index;
    EXPECT_EQ(sizes.ECCodewords, c.ecOut) << c.total << "/" << c.index;
  }
}

TEST(Encoder, InterleavesVersionFiveQ) {
  const TEncoder encoder;
  TBitArray stream;
  for (int i = 0; i < 62; ++i) stream.PushBits(static_cast<std::uint32_t>(i), 8);
  TBitArray result;
  encoder.InterleaveBlocks(stream, 134, 62, 4, result);
  const std::vector<std::uint8_t> bytes = BytesOf(result);
  ASSERT_EQ(result.BitCount(), 134 * 8);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 8),
            (std::vector<std::uint8_t>{0, 15, 30, 46, 1, 16, 31, 47}));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 56, bytes.begin() + 62),
            (std::vector<std::uint8_t>{14, 29, 44, 60, 45, 61}));
  const int starts[] = {0, 15, 30, 46, 62};
  for (int block = 0; block < 4; ++block) {
    std::vector<std::uint8_t> blockData;
    for (int i = starts[block]; i < starts[block + 1]; ++i)
      blockData.push_back(static_cast<std::uint8_t>(i));
    const std::vector<std::uint8_t> ec = encoder.ComputeBlockEC(blockData, 18);
    ASSERT_EQ(ec.size(), 18u);
    for (std::size_t j = 0; j < ec.size(); ++j) {
      EXPECT_EQ(bytes[62 + 4 * j + static_cast<std::size_t>(block)], ec[j])
          << "block " << block << " ec " << j;
    }
  }
}

TEST(Encoder, FillsTheCodeRecordFromEncodeSymbol) {
  TEncoder encoder;
  TQRCode code;
  EXPECT_EQ(code.QRMode(), TQRMode::Terminator);
  EXPECT_EQ(code.VersionNo(), -1);
  std::u16string filtered;
  const TErrorCorrectionLevel level = LevelOf(2);
  encoder.EncodeSymbol(u"12a3", teNumeric, level, code, filtered);
  EXPECT_EQ(filtered, u"123");
  EXPECT_EQ(code.QRMode(), TQRMode::Numeric);
  EXPECT_EQ(code.Level()->LevelOrdinal(), 2);
  EXPECT_NE(code.Level(), &level);
  EXPECT_GE(code.MaskNo(), 0);
  EXPECT_LE(code.MaskNo(), 7);
  for (const auto& row : code.Modules()->CellRows()) {
    EXPECT_TRUE(std::all_of(row.begin(), row.end(), [](std::uint8_t c) { return c <= 1; }));
  }
  // The mask chosen is the first one with the lowest penalty.
  std::vector<int> penalties;
  for (int mask = 0; mask < 8; ++mask) {
    penalties.push_back(encoder.MaskPenalty(*SymbolAt(u"123", teNumeric, 2, 1, mask)));
  }
  EXPECT_EQ(code.MaskNo(),
            std::min_element(penalties.begin(), penalties.end()) - penalties.begin());
}

namespace {

// Records the calls of the three overridable operations.
class TRecordingEncoder : public TEncoder {
public:
  std::vector<std::string> Calls;

  TQRMode SelectMode(const std::u16string& text, int& encoding) override {
    const TQRMode mode = TEncoder::SelectMode(text, encoding);
    Calls.push_back("SelectMode " + std::to_string(encoding));
    return mode;
  }
  void KeepEncodable(const std::u16string& text, TQRMode mode, int encoding,
                     std::u16string& filtered) override {
    Calls.push_back("KeepEncodable " + std::to_string(encoding));
    TEncoder::KeepEncodable(text, mode, encoding, filtered);
  }
  void AppendContentBits(const std::u16string& filtered, TQRMode mode, TBitArray& bits,
                         int encoding) override {
    Calls.push_back("AppendContentBits " + std::to_string(encoding));
    TEncoder::AppendContentBits(filtered, mode, bits, encoding);
  }
};

}  // namespace

TEST(Encoder, CallsTheOverridableOperationsInOrderWithTheResolvedEncoding) {
  TRecordingEncoder encoder;
  TQRCode code;
  std::u16string filtered;
  encoder.EncodeSymbol(u"\u0416", teAuto, LevelOf(0), code, filtered);
  EXPECT_EQ(encoder.Calls,
            (std::vector<std::string>{"SelectMode 4", "KeepEncodable 4", "AppendContentBits 4"}));
  EXPECT_EQ(filtered, u"\u0416");
}
