#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "tests/support/SamplePayload.h"
#include "tests/tools/ToolRun.h"

namespace {

TEST(VoucherTool, WordsPrintsTheAmountInWords) {
  const TRun run = RunTool({"words", "12345.67"});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Out, QByteArray("двенадцать тысяч триста сорок пять рублей 67 копеек\n"));
  EXPECT_EQ(RunTool({"words", "0"}).Out, QByteArray("00 копеек\n"));
  EXPECT_EQ(RunTool({"words", "5.999"}).Out, QByteArray("шесть рублей 00 копеек\n"));
}

// What no voucher can carry in words is refused, not printed as an empty line.
TEST(VoucherTool, WordsRefusesAmountsOutsideTheWordsRange) {
  for (const char* amount : {"nan", "inf", "-inf", "1e15", "1e300", "10000000000000", "-0.01"}) {
    const TRun run = RunTool({"words", amount});
    EXPECT_EQ(run.ExitCode, 1) << amount;
    EXPECT_EQ(
        run.Err,
        QByteArray("amount out of range: words are written for 0 <= AMOUNT < 10000000000000\n"))
        << amount;
    EXPECT_TRUE(run.Out.isEmpty()) << amount;
  }
  EXPECT_EQ(
      RunTool({"words", "9999999999999.99"}).Out,
      QByteArray(
          "девять триллионов девятьсот девяносто девять миллиардов девятьсот девяносто девять "
          "миллионов девятьсот девяносто девять тысяч девятьсот девяносто девять рублей 99 "
          "копеек\n"));
}

TEST(VoucherTool, BadCommandLinesGiveUsageAndExitTwo) {
  const QStringList bad[] = {
      {},
      {"words"},
      {"words", "12,5"},
      {"words", "1", "2"},
      {"pictures"},
      {"qr", "--level", "X"},
      {"qr", "--level"},
      {"qr", "--encoding", "7a"},
      {"qr", "--quiet-zone", "-1"},
      {"qr", "--quiet-zone", "101"},
      {"qr", "--quiet-zone", "2147483647"},
      {"qr", "--encoding", "8"},
      {"qr", "--encoding", "-1"},
      {"qr", "--colour", "red"},
  };
  for (const QStringList& arguments : bad) {
    const TRun run = RunTool(arguments, "x");
    EXPECT_EQ(run.ExitCode, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(run.Err.startsWith("usage: voucher-tool")) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.isEmpty());
  }
}

TEST(VoucherTool, QrPrintsTheModulesWithTheQuietZone) {
  const TRun run = RunTool({"qr"}, QByteArray(SamplePayload));
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  const QList<QByteArray> lines = run.Out.split('\n');
  ASSERT_EQ(lines.size(), 61 + 1) << "61 lines, each ending in a line feed";
  EXPECT_TRUE(lines.last().isEmpty());
  for (int row = 0; row < 61; ++row) {
    ASSERT_EQ(lines[row].size(), 61);
    for (const char module : lines[row]) ASSERT_TRUE(module == '#' || module == '.');
  }
  EXPECT_EQ(lines[0], QByteArray(61, '.'));
  EXPECT_EQ(lines[4].mid(0, 12), QByteArray("....#######."));
}

TEST(VoucherTool, QrOptions) {
  const TRun bare = RunTool({"qr", "--quiet-zone", "0"}, "HELLO");
  EXPECT_EQ(bare.Out.split('\n').first(), QByteArray("#######.") + bare.Out.mid(8, 5) + ".#######");

  const TRun widest = RunTool({"qr", "--quiet-zone", "100"}, "HELLO");
  EXPECT_EQ(widest.ExitCode, 0);
  EXPECT_EQ(widest.Out.count('\n'), 221) << "21 modules and 100 on each side";
  EXPECT_EQ(widest.Out.split('\n')[100].mid(100, 8), QByteArray("#######."));

  const TRun levelH =
      RunTool({"qr", "--level", "H", "--quiet-zone", "1"}, "HELLO WORLD 1234567890");
  EXPECT_EQ(levelH.Out.indexOf('\n'), 29 + 2) << "version 3 at level H, 1 at L";

  const TRun numeric = RunTool({"qr", "--encoding", "1", "--encoded"}, "12a3");
  EXPECT_EQ(numeric.Out, QByteArray("123"));

  const TRun exact = RunTool({"qr", "--encoded"}, " a\r\nб \n");
  EXPECT_EQ(exact.Out, QByteArray(" a\r\nб \n")) << "nothing is stripped from the input";

  const TRun win1251 = RunTool({"qr", "--encoding", "7", "--encoded"}, "Ёж 日");
  EXPECT_EQ(win1251.Out, QByteArray("Ёж "));

  const TRun url = RunTool({"qr", "--encoding", "6", "--encoded"}, "s://a b");
  EXPECT_EQ(url.Out, QByteArray("s://a+b"));

  const TRun empty = RunTool({"qr"});
  EXPECT_EQ(empty.ExitCode, 0);
  EXPECT_EQ(empty.Out.count('\n'), 29) << "an empty text is a version-1 symbol";
}

TEST(VoucherTool, TooMuchTextFailsWithTheEncodersMessage) {
  const QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("never.bmp"));
  const TRun run = RunTool({"qr", "--bmp", path}, QByteArray(2954, 'a'));
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Err, QByteArray("Trying to store too many bytes\n"));
  EXPECT_TRUE(run.Out.isEmpty());
  EXPECT_FALSE(QFile::exists(path));
}

TEST(VoucherTool, UnwritableBitmapFails) {
  const TRun run = RunTool({"qr", "--bmp", "/nonexistent-folder/QR.bmp"}, "x");
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_TRUE(run.Err.startsWith("cannot write"));
}

}  // namespace
