#include <gtest/gtest.h>

#include "office/AutomationValues.h"

namespace {

struct TUrlCase {
  const char* Path;
  const char* Url;
};
void PrintTo(const TUrlCase& c, std::ostream* out) { *out << c.Path; }

class TFileNameToURLTest : public ::testing::TestWithParam<TUrlCase> {};

TEST_P(TFileNameToURLTest, MakesAFileUrl) {
  EXPECT_EQ(FileNameToURL(QString::fromUtf8(GetParam().Path)), QString(GetParam().Url));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, TFileNameToURLTest,
    ::testing::Values(TUrlCase{"/home/op/work/QR.bmp", "file:///home/op/work/QR.bmp"},
                      TUrlCase{"/home/op/Voucher files/QR.bmp",
                               "file:///home/op/Voucher%20files/QR.bmp"},
                      TUrlCase{"C:\\Voucher files\\QR.bmp", "file:///C:/Voucher%20files/QR.bmp"},
                      TUrlCase{"D:\\a b\\c.bmp", "file:///D:/a%20b/c.bmp"},
                      // A relative name is only prefixed; it names no real file.
                      TUrlCase{"temp.xls", "file:///temp.xls"},
                      // Characters a URL cannot carry: Cyrillic as UTF-8 bytes, '#', '%', and on a
                      // Unix path the backslash, which is an ordinary character there.
                      TUrlCase{"/tmp/Ведомость/#1 100%/QR.bmp",
                               "file:///tmp/%D0%92%D0%B5%D0%B4%D0%BE%D0%BC%D0%BE%D1%81%D1%82%D1%8C/"
                               "%231%20100%25/QR.bmp"},
                      TUrlCase{"/tmp/a\\b?c&d", "file:///tmp/a%5Cb%3Fc%26d"},
                      TUrlCase{"/tmp/x-y_z.~1", "file:///tmp/x-y_z.~1"}));

}  // namespace
