#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "office/OpenOffice.h"
#include "office/UnoServer.h"
#include "tests/office/VoucherCellMap.h"
#include "tests/support/QtPrinters.h"

// A test with its own LibreOffice (headless unless FVisibleOffice): a throwaway profile, a pipe of
// its own, a working directory holding the voucher template "temp.xls". The office starts on the
// first connection and is ended by its process id after the test.
class TOfficeFixture : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // A launch description for this test's office.
  TOfficeLaunch Launch() const;
  // The spreadsheet documents open in this test's office whose file is one of the export's own
  // copies of the template, in "vouchers" of the current working directory; in load order.
  std::vector<TVariant> OpenVoucherCopies();
  // The spreadsheet documents open in this test's office whose URL starts with urlStart.
  std::vector<TVariant> OpenDocuments(const QString& urlStart);
  // A cell's text read back through the bridge.
  static QString CellText(const TVariant& document, int sheet, const QString& address);
  // Expects every cell of document to hold its text, read back through the bridge.
  static void ExpectDocumentCells(const TVariant& document,
                                  const std::vector<TExpectedCell>& cells);
  // The same for a stored spreadsheet file, read back another way (StoredSheets), so that a
  // fault of the bridge cannot hide itself.
  static void ExpectStoredCells(const QString& file, const std::vector<TExpectedCell>& cells);
  // The shape of that name on a sheet's drawing layer, Null when there is none.
  static TVariant ShapeNamed(const TVariant& document, int sheet, const QString& name);
  // Stores a copy of an open document at path, as an Excel 97 workbook.
  void StoreCopy(const TVariant& document, const QString& path);

  // The office shows its windows (on the display of DISPLAY); set before SetUp.
  bool FVisibleOffice = false;
  QTemporaryDir FWork;
  QTemporaryDir FProfile;
  QString FPipeName;
  std::shared_ptr<TUnoServer> FServer;
  std::unique_ptr<TOOCalc> FOffice;

private:
  QString FPreviousFolder;
  QByteArray FPreviousTemp;  // TMPDIR before the test, null when unset
};

// Converts file with an office process of its own (a throwaway profile, headless) through the
// filter ("pdf", "fods", "csv:…") into the empty folder outDir; the file it made, empty when none.
QString ConvertWithOffice(const QString& file, const QString& filter, const QString& outDir);

// The sheets of a stored spreadsheet, in position order, as an office process of its own reads
// them (ConvertWithOffice to flat OpenDocument): the text of every cell that has one, by its
// A1 address ("DC20"). None when the conversion failed.
std::vector<std::map<QString, QString>> StoredSheets(const QString& file);
