#pragma once

#include <QString>

#include <map>
#include <memory>
#include <vector>

#include "tests/app/RunningProgram.h"
#include "tests/office/OfficeFixture.h"

class QAction;

// The bag in the register and the firm the operator enters in the export tests.
extern const TBagRow ExportBag;
extern const QString ExportFirm;
// What the voucher's copies hold after the export of ExportBag by ExportFirm today, with
// total and its amount in words: the cash account the firm dialog holds when firmname.ini
// does not give one, the receipt name of cash symbol 11.
std::map<TField, QString> ExportFieldTexts(const QString& total, const QString& words);

// The program as the operator runs it, exporting into a LibreOffice of the test's own: the
// register db.mdb with the given bags and the voucher template "temp.xls" in the program's
// working folder, every box recorded. The office starts on the first export that connects and
// is ended by its process id after the test.
class TWindowExportTest : public TOfficeFixture {
protected:
  void TearDown() override;

  // Starts the program; its export goes through FOffice (this test's office) unless another
  // office wrapper is given (say, one that starts a missing program).
  void StartProgram(const std::vector<TBagRow>& bags, std::unique_ptr<TOOCalc> office = nullptr);

  TRunningProgram& Program() const { return *FProgram; }
  TForm1& Window() const { return FProgram->Window(); }
  // A file of the program's working folder.
  QString WorkFile(const QString& name) const { return FProgram->Dir.Path(name); }

  // Operator actions through real mouse and key events.
  // Clicks the item of the main menu.
  void ClickMenu(QAction* item) const;
  // Clicks "Экспорт в эксель" and returns when the export has ended, the main window active
  // again (the office's window may have taken the activation).
  void ClickExport() const;
  // Types `name` over the firm name in the firm dialog ("Добавить фирму") and saves it.
  void EnterFirmName(const QString& name) const;
  // Clicks the count cell of grid row 1 <= row <= 15 and types `count` there key by key.
  void TypeCount(int row, const QString& count) const;

private:
  std::unique_ptr<TRunningProgram> FProgram;
};
