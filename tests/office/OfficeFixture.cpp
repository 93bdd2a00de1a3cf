#include "tests/office/OfficeFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>

#include "office/AutomationValues.h"

void TOfficeFixture::SetUp() {
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
  QDir::setCurrent(FPreviousFolder);
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
  ExpectCells(cells, [&](int sheet, const QString& address) { return CellText(document, sheet, address); });
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
  document.Call("StoreToURL",
                {FileNameToURL(path),
                 TVariant(TVariant::TArray{MakePropertyValue(FServer->CreateServiceManager(),
                                                             "FilterName", "MS Excel 97")})});
}

QString ConvertWithOffice(const QString& file, const QString& filter, const QString& outDir) {
  QTemporaryDir profile;
  QProcess::execute("soffice", {"--headless", "--norestore",
                                "-env:UserInstallation=" + FileNameToURL(profile.path()),
                                "--convert-to", filter, "--outdir", outDir, file});
  const QStringList made = QDir(outDir).entryList(QDir::Files);
  return made.isEmpty() ? QString() : QDir(outDir).filePath(made.first());
}
