#include "tests/office/OfficeFixture.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>
#include <QXmlStreamReader>

#include <algorithm>
#include <map>

#include "office/AutomationValues.h"
#include "tests/office/OfficeSockets.h"

void TOfficeFixture::SetUp() {
  FPreviousTemp = qgetenv("TMPDIR");
  ASSERT_TRUE(FWork.isValid());
  ASSERT_TRUE(FProfile.isValid());
  FPipeName = "inkassatsiya_test_" + QUuid::createUuid().toString(QUuid::Id128);
  FPreviousFolder = QDir::currentPath();
  ASSERT_TRUE(QFile::copy(VOUCHER_TEMPLATE, FWork.filePath("temp.xls")));
  ASSERT_TRUE(QDir::setCurrent(FWork.path()));
  // The office keeps its temporary files under TMPDIR, which a killed office leaves behind:
  // they go with the profile.
  ASSERT_TRUE(QDir(FProfile.path()).mkdir("tmp"));
  qputenv("TMPDIR", FProfile.filePath("tmp").toLocal8Bit());
  FServer = std::make_shared<TUnoServer>(Launch());
  FOffice = std::make_unique<TOOCalc>(FServer);
}

void TOfficeFixture::TearDown() {
  FOffice.reset();
  FServer->TerminateOffice();
  RemoveOfficeSockets(Launch());
  QDir::setCurrent(FPreviousFolder);
  // The folder named there goes with this test: the next test of the same program makes its
  // own folders where it began.
  if (FPreviousTemp.isNull())
    qunsetenv("TMPDIR");
  else
    qputenv("TMPDIR", FPreviousTemp);
}

TOfficeLaunch TOfficeFixture::Launch() const {
  TOfficeLaunch launch;
  launch.PipeName = FPipeName;
  launch.ProfileURL = FileNameToURL(FProfile.path());
  launch.Headless = !FVisibleOffice;
  launch.StartTimeout = std::chrono::seconds(60);
  return launch;
}

std::vector<TVariant> TOfficeFixture::OpenVoucherCopies() {
  return OpenDocuments(FileNameToURL(QDir::current().absoluteFilePath("vouchers")) + "/");
}

std::vector<TVariant> TOfficeFixture::OpenDocuments(const QString& urlStart) {
  const TVariant desktop =
      FServer->CreateServiceManager().Call("CreateInstance", {"com.sun.star.frame.Desktop"});
  const TVariant components = desktop.Call("GetComponents").Call("CreateEnumeration");
  std::vector<TVariant> documents;
  while (components.Call("HasMoreElements").ToBool()) {
    const TVariant component = components.Call("NextElement");
    if (component.Call("SupportsService", {"com.sun.star.sheet.SpreadsheetDocument"}).ToBool() &&
        component.Get("URL").ToString().startsWith(urlStart))
      documents.push_back(component);
  }
  // The desktop lists the most recent first.
  std::reverse(documents.begin(), documents.end());
  return documents;
}

QString TOfficeFixture::CellText(const TVariant& document, int sheet, const QString& address) {
  return document.Call("GetSheets")
      .Call("GetByIndex", {sheet})
      .Call("GetCellRangeByName", {address})
      .Call("GetString")
      .ToString();
}

void TOfficeFixture::ExpectDocumentCells(const TVariant& document,
                                         const std::vector<TExpectedCell>& cells) {
  ExpectCells(
      cells, [&](int sheet, const QString& address) { return CellText(document, sheet, address); });
}

void TOfficeFixture::ExpectStoredCells(const QString& file,
                                       const std::vector<TExpectedCell>& cells) {
  const std::vector<std::map<QString, QString>> sheets = StoredSheets(file);
  ExpectCells(cells, [&](int sheet, const QString& address) {
    if (sheet >= static_cast<int>(sheets.size())) return QString("(no sheet)");
    const auto found = sheets[sheet].find(address);
    return found == sheets[sheet].end() ? QString() : found->second;
  });
}

TVariant TOfficeFixture::ShapeNamed(const TVariant& document, int sheet, const QString& name) {
  const TVariant page = document.Call("GetSheets").Call("GetByIndex", {sheet}).Get("DrawPage");
  const qint64 count = page.Call("GetCount").ToInt();
  for (qint64 i = 0; i < count; ++i) {
    const TVariant shape = page.Call("GetByIndex", {i});
    if (shape.Get("Name").ToString() == name) return shape;
  }
  return TVariant::Null();
}

void TOfficeFixture::StoreCopy(const TVariant& document, const QString& path) {
  document.Call(
      "StoreToURL",
      {FileNameToURL(path), TVariant(TVariant::TArray{MakePropertyValue(
                                FServer->CreateServiceManager(), "FilterName", "MS Excel 97")})});
}

QString ConvertWithOffice(const QString& file, const QString& filter, const QString& outDir) {
  QTemporaryDir profile;
  QProcess::execute("soffice", {"--headless", "--norestore",
                                "-env:UserInstallation=" + FileNameToURL(profile.path()),
                                "--convert-to", filter, "--outdir", outDir, file});
  const QStringList made = QDir(outDir).entryList(QDir::Files);
  return made.isEmpty() ? QString() : QDir(outDir).filePath(made.first());
}

namespace {

// The text of the cell the reader stands on (a table:table-cell start), its paragraphs one a
// line; leaves the reader on the cell's end.
QString OdfCellText(QXmlStreamReader& xml) {
  QString text;
  bool inParagraph = false;  // the office indents its XML only outside a text:p
  bool firstParagraph = true;
  for (int depth = 1; depth > 0 && !xml.atEnd();) {
    switch (xml.readNext()) {
      case QXmlStreamReader::StartElement:
        ++depth;
        if (xml.name() == u"p") {
          if (!firstParagraph) text += u'\n';
          firstParagraph = false;
          inParagraph = true;
        } else if (xml.name() == u"s") {
          text += QString(qMax(1, xml.attributes().value("text:c").toInt()), u' ');
        } else if (xml.name() == u"tab") {
          text += u'\t';
        } else if (xml.name() == u"line-break") {
          text += u'\n';
        }
        break;
      case QXmlStreamReader::EndElement:
        --depth;
        if (xml.name() == u"p") inParagraph = false;
        break;
      case QXmlStreamReader::Characters:
        if (inParagraph) text += xml.text();
        break;
      default:
        break;
    }
  }
  return text;
}

// "A1"-style name of a cell from 0-based row and column.
QString CellAddress(int row, int column) {
  QString letters;
  for (int n = column + 1; n > 0; n = (n - 1) / 26) letters.prepend(QChar(u'A' + (n - 1) % 26));
  return letters + QString::number(row + 1);
}

int Repeated(const QXmlStreamReader& xml, const char* attribute) {
  return qMax(1, xml.attributes().value(attribute).toInt());
}

}  // namespace

std::vector<std::map<QString, QString>> StoredSheets(const QString& file) {
  QTemporaryDir out;
  QFile fods(ConvertWithOffice(file, "fods", out.path()));
  std::vector<std::map<QString, QString>> sheets;
  if (!fods.open(QIODevice::ReadOnly)) return sheets;
  // Flat OpenDocument: table:table per sheet, table:table-row per row, table:table-cell (or
  // table:covered-table-cell, inside a merged block) per column; runs of equal rows and cells
  // are written once with a repeat count.
  QXmlStreamReader xml(&fods);
  int row = 0, rows = 1, column = 0;
  while (!xml.atEnd()) {
    const QXmlStreamReader::TokenType token = xml.readNext();
    if (token == QXmlStreamReader::EndElement && xml.name() == u"table-row") row += rows;
    if (token != QXmlStreamReader::StartElement) continue;
    if (xml.qualifiedName() == u"table:table") {
      sheets.emplace_back();
      row = 0;
    } else if (xml.name() == u"table-row") {
      rows = Repeated(xml, "table:number-rows-repeated");
      column = 0;
    } else if (xml.name() == u"table-cell" || xml.name() == u"covered-table-cell") {
      const int columns = Repeated(xml, "table:number-columns-repeated");
      const QString text = OdfCellText(xml);
      if (!text.isEmpty())
        for (int r = row; r < row + rows; ++r)
          for (int c = column; c < column + columns; ++c) sheets.back()[CellAddress(r, c)] = text;
      column += columns;
    }
  }
  return sheets;
}
