#include "texts/AmountInWords.h"

#include "texts/Plural.h"

#include <array>
#include <cfenv>
#include <cmath>
#include <cstdint>

namespace {

using TWordTable = std::array<const char*, 10>;

constexpr TWordTable Hundreds = {"",         "сто ",      "двести ",  "триста ",    "четыреста ",
                                 "пятьсот ", "шестьсот ", "семьсот ", "восемьсот ", "девятьсот "};
constexpr TWordTable Teens = {"десять ",       "одиннадцать ", "двенадцать ",  "тринадцать ",
                              "четырнадцать ", "пятнадцать ",  "шестнадцать ", "семнадцать ",
                              "восемнадцать ", "девятнадцать "};
constexpr TWordTable Tens = {"",
                             "",
                             "двадцать ",
                             "тридцать ",
                             "сорок ",
                             "пятьдесят ",
                             "шестьдесят ",
                             "семьдесят ",
                             "восемьдесят ",
                             "девяносто "};
constexpr TWordTable UnitsMasculine = {"",      "один ",  "два ",  "три ",    "четыре ",
                                       "пять ", "шесть ", "семь ", "восемь ", "девять "};
constexpr TWordTable UnitsFeminine = {"",      "одна ",  "две ",  "три ",    "четыре ",
                                      "пять ", "шесть ", "семь ", "восемь ", "девять "};

// One group of three digits: its scale in rubles, its word in the three plural forms, and
// whether it is feminine (only тысяча is). The units group always names the currency, even
// when its own digits are zero; a zero higher group adds nothing.
struct TGroup {
  std::int64_t Scale;
  const char* One;
  const char* Few;
  const char* Many;
  bool Feminine;
  bool WordedWhenZero;
};

constexpr std::array<TGroup, 5> Groups = {{
    {1'000'000'000'000, "триллион ", "триллиона ", "триллионов ", false, false},
    {1'000'000'000, "миллиард ", "миллиарда ", "миллиардов ", false, false},
    {1'000'000, "миллион ", "миллиона ", "миллионов ", false, false},
    {1'000, "тысяча ", "тысячи ", "тысяч ", true, false},
    {1, "рубль ", "рубля ", "рублей ", false, true},
}};

constexpr long double WordedLimit = 1e15L;

QString GroupInWords(int value, const TGroup& group) {
  QString words = QString::fromUtf8(Hundreds[value / 100]);
  const int lastTwo = value % 100;
  if (lastTwo >= 10 && lastTwo <= 19)
    return words + QString::fromUtf8(Teens[lastTwo - 10]) + QString::fromUtf8(group.Many);

  const int units = value % 10;
  words += QString::fromUtf8(Tens[lastTwo / 10]);
  words += QString::fromUtf8(group.Feminine ? UnitsFeminine[units] : UnitsMasculine[units]);
  if (units == 1) return words + QString::fromUtf8(group.One);
  if (units >= 2 && units <= 4) return words + QString::fromUtf8(group.Few);
  if (value != 0 || group.WordedWhenZero) return words + QString::fromUtf8(group.Many);
  return words;
}

QString RublesInWords(std::int64_t rubles) {
  QString words;
  if (rubles == 0) return words;
  bool started = false;
  for (const TGroup& group : Groups) {
    const int value = static_cast<int>(rubles / group.Scale % 1000);
    started = started || value != 0;
    if (started) words += GroupInWords(value, group);
  }
  return words;
}

QString KopeckWord(int kopecks) {
  return QString::fromUtf8(PluralForm(kopecks, "копейка", "копейки", "копеек"));
}

// Fraction times 100, rounded to the nearest integer with halves to the even neighbour.
int KopeckCount(double amount) {
  const long double fraction = static_cast<long double>(amount) - std::trunc(amount);
  const int savedRounding = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const long double kopecks = std::nearbyintl(fraction * 100.0L);
  std::fesetround(savedRounding);
  return static_cast<int>(kopecks);
}

}  // namespace

QString AmountInWords(double amount) {
  if (std::isnan(amount) || std::fabs(static_cast<long double>(amount)) >= WordedLimit)
    return QString();
  if (amount < 0) return QString::fromUtf8("минус ") + AmountInWords(-amount);

  std::int64_t rubles = static_cast<std::int64_t>(amount);
  int kopecks = KopeckCount(amount);
  // A fraction that rounds to a whole ruble is that ruble: 5.999 reads "шесть рублей 00 копеек".
  if (kopecks == 100) {
    ++rubles;
    kopecks = 0;
    if (rubles >= WordedLimit) return QString();
  }
  const QString words = RublesInWords(rubles);
  if (kopecks == 0) return words + QString::fromUtf8("00 копеек");
  return words + QStringLiteral("%1 ").arg(kopecks, 2, 10, QLatin1Char('0')) + KopeckWord(kopecks);
}

bool AmountInWordsCovers(double amount) { return amount >= 0 && amount < AmountInWordsLimit; }
