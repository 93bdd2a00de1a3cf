// The base text encodings of TEncoder: mode choice, filtering and content bits.
#include <algorithm>
#include <array>
#include <iterator>

#include "qr/encoder/Encoder.h"

namespace {

constexpr std::array<signed char, 96> AlphanumericTable{
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0x00-0x0F
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0x10-0x1F
    36, -1, -1, -1, 37, 38, -1, -1, -1, -1, 39, 40, -1, 41, 42, 43,  // 0x20-0x2F
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  44, -1, -1, -1, -1, -1,  // 0x30-0x3F
    -1, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24,  // 0x40-0x4F
    25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, -1, -1, -1, -1, -1,  // 0x50-0x5F
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool HasAlphanumericCode(char16_t c) { return AlphanumericCode(c) >= 0; }
bool IsLatin1(char16_t c) { return c < 0x100; }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void PushByte(TBitArray& bits, unsigned byte) { bits.PushBits(byte & 0xFF, 8); }

// Standard UTF-8: one to three bytes per unit of the Basic Multilingual Plane,
// four per surrogate pair. A surrogate without its partner cannot be written
// in UTF-8 and becomes U+FFFD, the replacement character.
void PushUtf8(const std::u16string& text, TBitArray& bits) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      PushByte(bits, c);
    } else if (c < 0x800) {
      PushByte(bits, 0xC0 | c >> 6);
      PushByte(bits, 0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      PushByte(bits, 0xE0 | c >> 12);
      PushByte(bits, 0x80 | (c >> 6 & 0x3F));
      PushByte(bits, 0x80 | (c & 0x3F));
    } else {
      PushByte(bits, 0xF0 | c >> 18);
      PushByte(bits, 0x80 | (c >> 12 & 0x3F));
      PushByte(bits, 0x80 | (c >> 6 & 0x3F));
      PushByte(bits, 0x80 | (c & 0x3F));
    }
  }
}

void PushNumeric(const std::u16string& digits, TBitArray& bits) {
  std::size_t i = 0;
  for (; i + 3 <= digits.size(); i += 3) {
    const int value = (digits[i] - 48) * 100 + (digits[i + 1] - 48) * 10 + (digits[i + 2] - 48);
    bits.PushBits(static_cast<std::uint32_t>(value), 10);
  }
  if (digits.size() - i == 2) {
    bits.PushBits(static_cast<std::uint32_t>((digits[i] - 48) * 10 + (digits[i + 1] - 48)), 7);
  } else if (digits.size() - i == 1) {
    bits.PushBits(static_cast<std::uint32_t>(digits[i] - 48), 4);
  }
}

void PushAlphanumeric(const std::u16string& text, TBitArray& bits) {
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int first = AlphanumericCode(text[i]);
    if (first < 0) {
      return;
    }
    if (i + 1 == text.size()) {
      bits.PushBits(static_cast<std::uint32_t>(first), 6);
      return;
    }
    const int second = AlphanumericCode(text[i + 1]);
    if (second < 0) {
      return;
    }
    bits.PushBits(static_cast<std::uint32_t>(45 * first + second), 11);
  }
}

}  // namespace

int AlphanumericCode(int characterCode) {
  if (characterCode < 0 || characterCode >= static_cast<int>(AlphanumericTable.size())) {
    return -1;
  }
  return AlphanumericTable[static_cast<std::size_t>(characterCode)];
}

TQRMode TEncoder::SelectMode(const std::u16string& text, int& encoding) {
  switch (encoding) {
    case teAuto:
      break;
    case teNumeric:
      return TQRMode::Numeric;
    case teAlphanumeric:
      return TQRMode::Alphanumeric;
    default:
      return TQRMode::Byte;
  }
  if (!text.empty() && std::all_of(text.begin(), text.end(), IsDigit)) {
    return TQRMode::Numeric;
  }
  if (!text.empty() && std::all_of(text.begin(), text.end(), HasAlphanumericCode)) {
    return TQRMode::Alphanumeric;
  }
  encoding =
      !text.empty() && std::all_of(text.begin(), text.end(), IsLatin1) ? teISO88591 : teUTF8BOM;
  return TQRMode::Byte;
}

void TEncoder::KeepEncodable(const std::u16string& text, TQRMode mode, int encoding,
                             std::u16string& filtered) {
  bool (*keep)(char16_t) = nullptr;
  if (mode == TQRMode::Numeric) {
    keep = IsDigit;
  } else if (mode == TQRMode::Alphanumeric) {
    keep = HasAlphanumericCode;
  } else if (mode == TQRMode::Byte && encoding == teISO88591) {
    keep = IsLatin1;
  } else if (mode == TQRMode::Byte && (encoding == teUTF8BOM || encoding == teUTF8)) {
    keep = [](char16_t) { return true; };
  }
  // Built apart, so that text and filtered may be the same string.
  std::u16string kept;
  if (keep != nullptr) {
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept), keep);
  }
  filtered = std::move(kept);
}

void TEncoder::AppendContentBits(const std::u16string& filtered, TQRMode mode, TBitArray& bits,
                                 int encoding) {
  switch (mode) {
    case TQRMode::Numeric:
      PushNumeric(filtered, bits);
      break;
    case TQRMode::Alphanumeric:
      PushAlphanumeric(filtered, bits);
      break;
    case TQRMode::Byte:
      if (encoding == teISO88591) {
        for (const char16_t c : filtered) {
          PushByte(bits, c);
        }
      } else if (encoding == teUTF8BOM || encoding == teUTF8) {
        if (encoding == teUTF8BOM) {
          PushByte(bits, 0xEF);
          PushByte(bits, 0xBB);
          PushByte(bits, 0xBF);
        }
        PushUtf8(filtered, bits);
      }
      break;
    default:
      break;
  }
}
