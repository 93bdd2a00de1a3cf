#include <gtest/gtest.h>

#include "office/FieldFit.h"
#include "office/TemplateFont.h"
#include "tests/support/QtPrinters.h"

namespace {

// Widths easy to add up by hand: every UTF-16 unit 0.5 em (bold 0.6 em), a space 0.25 em,
// "…" 1 em; lines 1.1 em apart.
class TGridMeasure : public TTextMeasure {
public:
  double WidthEm(const QString& text, bool bold) const override {
    double width = 0;
    for (QChar c : text) width += c == u' ' ? 0.25 : c == u'…' ? 1.0 : bold ? 0.6 : 0.5;
    return width;
  }
  double LineHeightEm() const override { return 1.1; }
};

// 22 mm across leaves (62.36 - 9) * 0.98 = 52.29 pt for text: at 9 pt 11 units of 0.5 em, at
// 7 pt 14, at 6.5 pt 16, at 6 pt 17. 6.5 mm down leaves 18.43 - 2 = 16.43 pt: two lines from
// 7 pt down (2 * 1.1 * 7.5 = 16.5 is too much).
constexpr TFieldBox Box{22, 6.5, 9, false};

struct TFitCase {
  const char* Name;
  TFieldBox Box;
  QString Text;
  QString Written;
  double PointSize;
};
void PrintTo(const TFitCase& c, std::ostream* out) { *out << c.Name; }

class TFieldFitTest : public ::testing::TestWithParam<TFitCase> {};

TEST_P(TFieldFitTest, WritesWhatFitsAtTheLargestSize) {
  const TFitCase& c = GetParam();
  const TFittedText fitted = FitFieldText(c.Text, c.Box, TGridMeasure());
  EXPECT_EQ(fitted.Text, c.Written);
  EXPECT_EQ(fitted.PointSize, c.PointSize);
}

constexpr TFieldBox BoldBox{22, 6.5, 9, true};
constexpr TFieldBox ScaledSheetBox{22, 6.5, 9, false, 6.5};
constexpr TFieldBox LowBox{22, 4, 9, false};  // 11.34 - 2 pt: one line even at 6 pt
constexpr TFieldBox OneLineBox{22, 6.5, 9, false, 6, 1};

INSTANTIATE_TEST_SUITE_P(
    Cases, TFieldFitTest,
    ::testing::Values(
        TFitCase{"Empty", Box, "", "", 9},
        TFitCase{"FitsAtTheTemplatesSize", Box, "ABCDEFGHIJK", "ABCDEFGHIJK", 9},
        TFitCase{"ShrinksOnOneLine", Box, "ABCDEFGHIJKL", "ABCDEFGHIJKL", 8.5},
        TFitCase{"BoldIsWider", BoldBox, "ABCDEFGHIJK", "ABCDEFGHIJK", 7.5},
        TFitCase{"WrapsAtTheSpaceOnceTwoLinesFit", Box, "AAAAAAAAAA BBBBBBBBBB",
                 "AAAAAAAAAA BBBBBBBBBB", 7},
        // Broken between characters these would fit two lines; at the spaces they need three.
        TFitCase{"WrapsAtWordsNotCharacters", Box, "AAAAAAAAA BBBBBBBBB CCCCCCCCC",
                 "AAAAAAAAA BBBBBBBBB CCCCC…", 6},
        TFitCase{"WrapsAfterHyphens", Box, "AAAAAAAAA-BBBBBBBBB-CCCCCCCCC",
                 "AAAAAAAAA-BBBBBBBBB-CCCCC…", 6},
        TFitCase{"CutsOneLongWord", Box, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn",
                 "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef…", 6},
        TFitCase{"KeepsTheSheetsMinimum", ScaledSheetBox,
                 "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcd…",
                 6.5},
        TFitCase{"CutsAThirdLineOfLineFeeds", Box, "AB\nCD\nEF", "AB\nCD…", 6},
        TFitCase{"CutsOnTheOnlyLineOfALowBox", LowBox, "AAAAAAAAA BBBBBBBBB", "AAAAAAAAA BBBBB…",
                 6},
        // Two lines of 7 pt in Box; a box of one line shrinks instead, or cuts at 6 pt.
        TFitCase{"OneLineShrinksWhereTwoLinesWouldWrap", OneLineBox, "ABCDEFGHIJKLMNOP",
                 "ABCDEFGHIJKLMNOP", 6.5},
        TFitCase{"OneLineCutsWhereTwoLinesWouldHoldIt", OneLineBox, "AAAAAAAAAA BBBBBBBBBB",
                 "AAAAAAAAAA BBBB…", 6},
        // An emoji is two UTF-16 units (1 em here): a cut never halves one.
        TFitCase{"NeverSplitsACharacter", Box, QString("😀").repeated(40),
                 QString("😀").repeated(15) + "…", 6}),
    [](const auto& info) { return std::string(info.param.Name); });

// The face the template names, measured as the office lays it out for print: the advances and
// line height of Liberation Sans's own tables (units of 1/2048 em), unhinted.
TEST(TTemplateFontTest, MeasuresLiberationSansOutlines) {
  const TTemplateFont font;
  EXPECT_NEAR(font.WidthEm("l", false), 455 / 2048.0, 1e-4);
  EXPECT_NEAR(font.WidthEm("l", true), 569 / 2048.0, 1e-4);
  EXPECT_NEAR(font.WidthEm(QString("l").repeated(100), false), 100 * 455 / 2048.0, 1e-2);
  EXPECT_NEAR(font.LineHeightEm(), (1854 + 434) / 2048.0, 1e-3);
}

// The values that printed at 1.4 and 3.4 pt, in their boxes of the template.
TEST(TTemplateFontTest, LongValuesOfTheRegisterComeOutLegible) {
  const TTemplateFont font;
  const QString recipient = QString("ПАО Сбербанк России, отделение № 7 ").repeated(8).left(255);
  const TFittedText cut = FitFieldText(recipient, {75, 6.5, 9, false}, font);  // Q:BX
  EXPECT_EQ(cut.PointSize, 6);
  ASSERT_TRUE(cut.Text.endsWith("…"));
  EXPECT_TRUE(recipient.startsWith(cut.Text.chopped(1))) << cut.Text.toStdString();

  const QString name = QString("Константинопольский-Заде ").repeated(4);
  ASSERT_EQ(name.size(), 100);
  const TFittedText whole = FitFieldText(name, {76.25, 6.5, 9, false}, font);  // AJ:CR
  EXPECT_EQ(whole.Text, name);
  EXPECT_GE(whole.PointSize, 6);
  EXPECT_LT(whole.PointSize, 9);
}

}  // namespace
