#include "app/BagImport.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

#include "app/Application.h"
#include "app/BagFields.h"
#include "app/controls/Dialogs.h"
#include "app/ExportBusyDialog.h"
#include "app/import/CsvFile.h"
#include "app/import/ImportError.h"
#include "app/import/ImportPlan.h"
#include "app/import/ImportTexts.h"
#include "app/import/JetBags.h"
#include "app/import/JetFile.h"
#include "app/store/ADOTable.h"
#include "office/OfficeWork.h"
#include "office/SheetReader.h"

namespace {

const QString Caption = QStringLiteral("Импорт сумок");

// A spreadsheet read through the office, behind a box the operator may cancel. Nothing when
// they did.
std::optional<TSourceTable> ReadSpreadsheet(QWidget& window, TAutomationServer& office,
                                            const QString& path) {
  std::vector<std::vector<TSheetCell>> cells;
  TOfficeWork work(office, [&](TOfficeWork& w) { cells = ReadSheetCells(office, path, w); });
  WaitBehindBusyDialog(&window, work, QStringLiteral("Чтение файла…"),
                       QStringLiteral("Отмена чтения…"));
  const QString file = QDir::toNativeSeparators(path);
  switch (work.End()) {
    case TOfficeWork::TEnd::Finished:
      break;
    case TOfficeWork::TEnd::Cancelled:
      return std::nullopt;
    case TOfficeWork::TEnd::TimedOut:
      throw EBagImport(QStringLiteral("LibreOffice не ответил, файл %1 не прочитан. Повторите "
                                      "импорт.")
                           .arg(file));
    case TOfficeWork::TEnd::Failed:
      throw EBagImport(QStringLiteral("Файл %1 не удалось прочитать как таблицу: LibreOffice его "
                                      "не открыл. Возьмите файл .mdb, .csv, .xls, .xlsx или .ods.")
                           .arg(file),
                       ExceptionMessage(work.Error()));
  }
  TSourceTable rows;
  for (std::size_t r = 0; r < cells.size(); ++r) rows.push_back({int(r) + 1, std::move(cells[r])});
  return rows;
}

// The bags' cells of the file, or nothing when the operator cancelled its reading.
std::optional<TBagCells> ReadBagCells(QWidget& window, TAutomationServer& office,
                                      const QString& path) {
  if (IsJetFile(path)) return TBagCells{ReadJetBags(path), {}};
  const QString suffix = QFileInfo(path).suffix().toLower();
  // This program's own db.mdb, say: no office would make sense of it.
  if (suffix == QStringLiteral("mdb") || suffix == QStringLiteral("accdb"))
    throw EBagImport(QStringLiteral("Файл %1 — не база Access прежней версии программы (возможно, "
                                    "это база этой программы). Возьмите db.mdb прежней версии или "
                                    "выгрузку сумок в CSV.")
                         .arg(QDir::toNativeSeparators(path)));
  if (suffix == QStringLiteral("csv") || suffix == QStringLiteral("txt"))
    return TakeBagColumns(ReadCsvFile(path), path);
  const std::optional<TSourceTable> sheet = ReadSpreadsheet(window, office, path);
  if (!sheet) return std::nullopt;
  return TakeBagColumns(*sheet, path);
}

// The import's plan, its bags' numbers that the register holds now counted: the register is
// asked for those numbers only, not for all of its own.
TImportPlan PlanAgainstRegister(const TBagCells& cells, TADOTable& dataSet) {
  const int number = int(TBagField::BagNumber);
  return PlanImport(cells, dataSet.Connection().Engine().HeldTexts(
                               {QStringLiteral("Clients"), ClientsFields()}, number,
                               FieldTexts(PlanImport(cells, {}).Bags, number)));
}

// Asks how to treat the bags already there; nothing when the operator gives the import up.
std::optional<TImportExisting> AskPreview(const QString& path, const TImportPlan& plan) {
  const TImportPreview preview = ImportPreviewText(path, plan);
  if (plan.AlreadyThere == 0)
    return ShowMessageBox({Caption, preview.Text, TMsgDlgType::mtConfirmation,
                           TMsgDlgButtons::mbOKCancel,
                           {QStringLiteral("Импортировать"), QStringLiteral("Отмена")},
                           TModalResult::mrOk, preview.Details}) == TModalResult::mrOk
               ? std::optional(TImportExisting::ieSkip)
               : std::nullopt;
  switch (ShowMessageBox({Caption, preview.Text, TMsgDlgType::mtConfirmation,
                          TMsgDlgButtons::mbYesNoCancel,
                          {QStringLiteral("Пропустить их"), QStringLiteral("Заменить их"),
                           QStringLiteral("Отмена")},
                          TModalResult::mrYes, preview.Details})) {
    case TModalResult::mrYes:
      return TImportExisting::ieSkip;
    case TModalResult::mrNo:
      return TImportExisting::ieReplace;
    default:
      return std::nullopt;
  }
}

}  // namespace

void ImportBags(QWidget& window, TADOTable& dataSet, TAutomationServer& office,
                const std::function<void(const TResyncResult&)>& resynced) {
  const QString path = ChooseOpenFile(
      {Caption, QStringLiteral("Сумки (*.mdb *.accdb *.csv *.txt *.xls *.xlsx *.ods);;"
                               "Все файлы (*)")});
  if (path.isEmpty()) return;
  const std::optional<TBagCells> cells = ReadBagCells(window, office, path);
  if (!cells) return;
  const TImportPlan plan = PlanAgainstRegister(*cells, dataSet);
  if (plan.Bags.empty()) {
    const TImportPreview preview = ImportPreviewText(path, plan);
    ShowMessageBox({Caption, preview.Text + QStringLiteral("\nВзять из файла нечего."),
                    TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK, {}, TModalResult::mrOk,
                    preview.Details});
    return;
  }
  const std::optional<TImportExisting> existing = AskPreview(path, plan);
  if (!existing) return;

  const int count = int(plan.Bags.size());
  QProgressDialog progress(QStringLiteral("Импорт сумок…"), QStringLiteral("Отмена"), 0, count,
                           &window);
  progress.setWindowTitle(TApplication::Title());
  progress.setWindowModality(Qt::ApplicationModal);
  progress.setMinimumDuration(500);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  const std::optional<TImportCounts> counts = dataSet.Connection().Engine().Import(
      {QStringLiteral("Clients"), ClientsFields()}, int(TBagField::BagNumber), plan.Bags,
      *existing, [&progress](int done) {
        progress.setValue(done);
        return !progress.wasCanceled();
      });
  progress.close();
  if (!counts) {
    ShowMessage(QStringLiteral("Импорт отменён: в список ничего не добавлено."));
    return;
  }
  resynced(dataSet.Resync());
  ShowMessageBox({Caption, ImportSummaryText(path, *counts, int(plan.Rejected.size())),
                  TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK});
}
