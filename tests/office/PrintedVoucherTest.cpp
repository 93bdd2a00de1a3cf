// The filled voucher as it comes out of a printer: stored, turned into PDF by an office process
// of its own, and read back with pdftotext (poppler-utils) word by word with the box of each.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <algorithm>

#include "office/AutomationValues.h"
#include "office/VoucherCells.h"
#include "office/VoucherExport.h"
#include "tests/office/OfficeFixture.h"
#include "tests/office/TestVoucherSource.h"

namespace {

struct TPdfWord {
  QString Text;
  double XMin, YMin, XMax, YMax;  // pt from the page's top left corner
};
using TPdfPage = std::vector<TPdfWord>;

// The words of every page, in pdftotext's reading order.
std::vector<TPdfPage> PdfWords(const QString& pdf) {
  QProcess pdftotext;
  pdftotext.start("pdftotext", {"-bbox", pdf, "-"});
  pdftotext.waitForFinished(60000);
  QXmlStreamReader xml(pdftotext.readAllStandardOutput());
  std::vector<TPdfPage> pages;
  while (xml.readNextStartElement() || !xml.atEnd()) {
    if (!xml.isStartElement()) continue;
    if (xml.name() == QLatin1String("page")) {
      pages.emplace_back();
    } else if (xml.name() == QLatin1String("word")) {
      const auto at = [&](const char* name) { return xml.attributes().value(name).toDouble(); };
      const double xMin = at("xMin"), yMin = at("yMin"), xMax = at("xMax"), yMax = at("yMax");
      pages.back().push_back({xml.readElementText(), xMin, yMin, xMax, yMax});
    }
  }
  return pages;
}

// poppler's box of a word in Liberation Sans is 1.30 times its size high; the letters take
// 1.117 of the size of it (the line height), from the top down to the bottom of descenders.
constexpr double LetterShareOfBox = 1.117 / 1.302;

// Where the letters of a word are, less 0.3 pt on each side: the words of one line, and the
// lines of one field, touch but never overlap.
struct TLetters {
  double Left, Top, Right, Bottom;
  explicit TLetters(const TPdfWord& w)
      : Left(w.XMin + 0.3),
        Top(w.YMax - LetterShareOfBox * (w.YMax - w.YMin) + 0.3),
        Right(w.XMax - 0.3),
        Bottom(w.YMax - 0.3) {}
  bool Overlaps(const TLetters& o) const {
    return Left < o.Right && o.Left < Right && Top < o.Bottom && o.Top < Bottom;
  }
};

class TPrintedVoucherTest : public TOfficeFixture {
protected:
  // Exports source and prints the voucher the office shows; the words of its pages.
  std::vector<TPdfPage> ExportAndPrint(TTestVoucherSource& source) {
    ExportVoucher(*FOffice, source);
    const std::vector<TVariant> documents = OpenVoucherCopies();
    if (documents.size() != 1) return {};
    const QString stored = FWork.filePath("printed.xls");
    StoreCopy(documents[0], stored);
    QDir(FWork.path()).mkdir("pdf");
    const QString pdf = ConvertWithOffice(stored, "pdf", FWork.filePath("pdf"));
    return pdf.isEmpty() ? std::vector<TPdfPage>() : PdfWords(pdf);
  }
};

TEST_F(TPrintedVoucherTest, LongValuesPrintWholeOrCutButNeverSmallerThan6Pt) {
  TTestVoucherSource source;
  source.Firm = QString("Общество с ограниченной ответственностью «Ромашка-Лютик и партнёры» ")
                    .repeated(4)
                    .left(269);
  source.BagData.Recipient = QString("ПАО Сбербанк России, отделение № 7 ").repeated(8).left(255);
  source.BagData.FullName = QString("Константинопольский-Заде ").repeated(4);
  source.BagData.BagNumber = QString("0045120019").repeated(5);
  const std::vector<TPdfPage> pages = ExportAndPrint(source);
  ASSERT_EQ(pages.size(), 4u);

  // The label "Дата" is set in 8 pt on the first page, which prints unscaled.
  const auto date = std::find_if(pages[0].begin(), pages[0].end(),
                                 [](const TPdfWord& w) { return w.Text == "Дата"; });
  ASSERT_NE(date, pages[0].end());
  const double boxPerPoint = (date->YMax - date->YMin) / 8;

  const QStringList cutValues{source.BagData.BagNumber, source.Firm, source.BagData.Recipient};
  // The voucher copies on pages 1 and 3, the lists on 2 and 4.
  const int copies[] = {2, 0, 1, 0};
  for (size_t p = 0; p < pages.size(); ++p) {
    SCOPED_TRACE("page " + std::to_string(p + 1));
    const TPdfPage& page = pages[p];
    int cut = 0, nameParts = 0, bagStarts = 0;
    for (size_t i = 0; i < page.size(); ++i) {
      const TPdfWord& word = page[i];
      EXPECT_GE((word.YMax - word.YMin) / boxPerPoint, 5.95) << word.Text.toStdString();
      for (size_t j = 0; j < i; ++j)
        EXPECT_FALSE(TLetters(word).Overlaps(TLetters(page[j])))
            << word.Text.toStdString() << " on " << page[j].Text.toStdString();
      if (word.Text.endsWith("…")) {
        ++cut;
        EXPECT_TRUE(std::any_of(cutValues.begin(), cutValues.end(), [&](const QString& value) {
          return value.contains(word.Text.chopped(1));
        })) << word.Text.toStdString();
      }
      if (word.Text == "Константинопольский-Заде") ++nameParts;
      const QString shown = word.Text.endsWith("…") ? word.Text.chopped(1) : word.Text;
      if (shown.size() >= 6 && source.BagData.BagNumber.startsWith(shown)) ++bagStarts;
    }
    // Cut on every copy: bag number (title and box), firm, recipient; on a list: its "№" box.
    EXPECT_EQ(cut, copies[p] ? 4 * copies[p] : 1);
    EXPECT_EQ(nameParts, 4 * copies[p]);  // whole
    EXPECT_EQ(bagStarts, copies[p] ? 2 * copies[p] : 1);
  }
}

// The boxes the program fits the values into are the template's: each field's merged cell as
// wide and as high, its size and weight; a box of two lines wraps its text and never shrinks
// it, a box of one line never wraps and lets the office shrink it (the screen needs that).
TEST_F(TPrintedVoucherTest, FieldBoxesAreTheTemplates) {
  FOffice->Connect(true);
  FOffice->OpenDocument("temp.xls", TOOOpenOptions{.Hidden = true, .FilterName = "MS Excel 97"}, 0);
  const TVariant document = OpenDocuments(FileNameToURL(FWork.filePath("temp.xls"))).at(0);
  std::vector<std::pair<int, TFieldCell>> cells;
  for (const TFieldCell& cell : UpperCopyCells) cells.push_back({0, cell});
  for (const TFieldCell& cell : LowerCopyCells) cells.push_back({0, cell});
  for (const TFieldCell& cell : ThirdCopyCells) cells.push_back({2, cell});
  for (int sheet : {1, 3}) cells.push_back({sheet, ListBagNumberCell});
  for (const auto& [sheetIndex, cell] : cells) {
    SCOPED_TRACE(std::to_string(sheetIndex) + " " + cell.Address);
    const TFieldBox box = FieldBox(cell.Field, sheetIndex);
    const TVariant sheet = document.Call("GetSheets").Call("GetByIndex", {sheetIndex});
    const TVariant range = sheet.Call("GetCellRangeByName", {cell.Address});
    const TVariant merged = sheet.Call("CreateCursorByRange", {range});
    merged.Call("CollapseToMergedArea");
    // Sizes in 1/100 mm.
    EXPECT_NEAR(merged.Get("Size").Get("Width").ToInt(), box.WidthMm * 100, box.WidthMm / 2);
    EXPECT_NEAR(merged.Get("Size").Get("Height").ToInt(), box.HeightMm * 100, 2);
    EXPECT_EQ(range.Get("CharHeight").ToDouble(), box.NominalPt);
    EXPECT_EQ(range.Get("CharWeight").ToDouble(), box.Bold ? 150 : 100);
    EXPECT_EQ(range.Get("IsTextWrapped").ToBool(), box.MaxLines == 2);
    EXPECT_EQ(range.Get("ShrinkToFit").ToBool(), box.MaxLines == 1);
  }
}

}  // namespace
