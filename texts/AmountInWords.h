#pragma once

#include <QString>

// Writes a sum of money in Russian words for the voucher: the rubles in words, then the
// kopecks as two digits and the kopeck word, all lower case, e.g.
//   12345.67 -> "двенадцать тысяч триста сорок пять рублей 67 копеек".
//
// `amount` is in rubles, the kopecks in its fraction. The ruble count is the integer part,
// truncated, as a 64-bit number and is worded up to the trillions, so every amount below
// 10^15 is exact. Below one ruble there are no ruble words at all ("30 копеек"); otherwise
// the ruble part ends with the ruble word and one blank. The kopecks are the fraction times
// 100 rounded half to even in extended precision; a fraction that rounds to 100 is one more
// ruble and no kopecks (5.999 reads "шесть рублей 00 копеек").
//
// Amounts outside 0 <= amount < 10^15: a negative amount reads "минус " followed by the
// words of its magnitude; 10^15 and above, infinities and NaN give an empty text, because no
// group word exists for them and a wrong amount on a voucher is worse than a blank one.
// Pure function, independent of the locale.
QString AmountInWords(double amount);

// The amounts a voucher carries in words: finite, 0 <= amount < 10^13 (ten trillion rubles).
// Below that bound a double still tells every kopeck apart, so the words of any amount written
// with at most two decimals are exact; above it, and for a negative amount, a voucher must not
// be written. The denomination grid's count limit keeps its total inside; the export and
// voucher-tool refuse what lies outside.
inline constexpr double AmountInWordsLimit = 1e13;
bool AmountInWordsCovers(double amount);
