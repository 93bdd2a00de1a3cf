// A spreadsheet read through a real LibreOffice, as the import of bags reads one: the cells of
// the first sheet as text, the document closed again, a file the office cannot open refused.
#include <gtest/gtest.h>

#include "office/AutomationValues.h"
#include "office/OfficeWork.h"
#include "office/SheetReader.h"
#include "tests/office/OfficeFixture.h"
#include "tests/support/FileBytes.h"

namespace {

using namespace Qt::StringLiterals;

class SheetReader : public TOfficeFixture {
protected:
  // Reads `path` as the import does; how the work ended and the cells.
  std::pair<TOfficeWork::TEnd, std::vector<std::vector<TSheetCell>>> Read(const QString& path) {
    std::vector<std::vector<TSheetCell>> rows;
    TOfficeWork work(*FServer, [&](TOfficeWork& w) { rows = ReadSheetCells(*FServer, path, w); });
    work.Wait();
    return {work.End(), rows};
  }
};

QByteArray Cell(const char* type, const char* value, const char* text) {
  return QByteArray("<table:table-cell office:value-type=\"") + type + "\" office:value=\"" +
         value + "\"><text:p>" + text + "</text:p></table:table-cell>";
}

QByteArray Text(const char* text) {
  return QByteArray("<table:table-cell office:value-type=\"string\"><text:p>") + text +
         "</text:p></table:table-cell>";
}

// Two sheets; the first has a header and one bag with a text of leading zeros, whole and
// fractional numbers, an empty cell and Cyrillic.
const QByteArray Fods =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\" "
    "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">"
    "<office:body><office:spreadsheet><table:table table:name=\"Сумки\"><table:table-row>" +
    Text("Номер сумки") + Text("Номер пакета") + Text("Получатель") + Text("Счет") + Text("Инн") +
    Text("Символ") + Text("ФИО") + "</table:table-row><table:table-row>" + Text("0012") +
    Cell("float", "17", "17") + Text("ООО «Ромашка»") + "<table:table-cell/>" +
    Cell("float", "2.5", "2,5") + Cell("float", "-7", "-7") + Text("Ёлкин Пётр") +
    "</table:table-row></table:table><table:table table:name=\"Другой\"><table:table-row>" +
    Text("не этот лист") + "</table:table-row></table:table></office:spreadsheet></office:body>"
    "</office:document>";

TEST_F(SheetReader, TheFirstSheetComesAsTextInEveryFormatTheOfficeOpens) {
  const QString fods = FWork.filePath(u"bags.fods"_s);
  WriteFile(fods, Fods);
  const QTemporaryDir converted;
  const QString xlsx = ConvertWithOffice(fods, u"xlsx"_s, converted.path());
  ASSERT_FALSE(xlsx.isEmpty());
  const std::vector<std::vector<TSheetCell>> expected{
      {u"Номер сумки"_s, u"Номер пакета"_s, u"Получатель"_s, u"Счет"_s, u"Инн"_s, u"Символ"_s,
       u"ФИО"_s},
      {u"0012"_s, u"17"_s, u"ООО «Ромашка»"_s, std::nullopt, u"2.5"_s, u"-7"_s, u"Ёлкин Пётр"_s}};
  for (const QString& file : {fods, xlsx}) {
    SCOPED_TRACE(file.toStdString());
    const auto [end, rows] = Read(file);
    EXPECT_EQ(end, TOfficeWork::TEnd::Finished);
    EXPECT_EQ(rows, expected);
    EXPECT_TRUE(OpenDocuments(FileNameToURL(file)).empty()) << "closed again";
  }
}

TEST_F(SheetReader, AFileTheOfficeCannotOpenFailsTheWork) {
  const QString broken = FWork.filePath(u"bags.xls"_s);
  WriteFile(broken, QByteArray(5000, '\x07'));
  EXPECT_EQ(Read(broken).first, TOfficeWork::TEnd::Failed);
}

}  // namespace
