#include "app/HistoryForm.h"

#include <QHeaderView>
#include <QPushButton>

#include "app/Application.h"
#include "app/HistoryTable.h"
#include "app/controls/GuardedApplication.h"
#include "app/store/StoreEngine.h"
#include "texts/Plural.h"
#include "ui_HistoryForm.h"

THistoryForm::THistoryForm(TStoreEngine& engine, const QStringList& bagFields, QWidget* parent)
    : QDialog(parent),
      FControls(std::make_unique<Ui::THistoryForm>()),
      FEngine(engine),
      FBagFields(bagFields),
      FModel(new THistoryModel(this)) {
  setFont(TApplication::WindowFont(11));
  FControls->setupUi(this);
  const Ui::THistoryForm& ui = *FControls;
  ui.Grid1->setModel(FModel);
  ui.Grid1->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  // The widths come from the newest changes: measuring every row of a long history would make
  // the window slow to open.
  ui.Grid1->horizontalHeader()->setResizeContentsPrecision(100);
  ui.Grid1->verticalHeader()->hide();
  connect(ui.Button1, &QPushButton::clicked, this, [this] { Guarded([this] { Button1Click(); }); });
  connect(ui.Edit1, &QLineEdit::returnPressed, this,
          [this] { Guarded([this] { Button1Click(); }); });
}

THistoryForm::~THistoryForm() = default;

void THistoryForm::Button1Click() { Find(FControls->Edit1->text().trimmed()); }

void THistoryForm::Find(const QString& bagNumber) {
  const Ui::THistoryForm& ui = *FControls;
  ui.Edit1->setText(bagNumber);
  FModel->SetTable({});
  ui.Label2->clear();
  if (bagNumber.isEmpty()) return;
  if (!FEngine.HasHistory()) {
    ui.Label2->setText(NoHistoryText());
    return;
  }
  THistoryTable table = MakeHistoryTable(FEngine.ReadBagHistory(bagNumber), FBagFields);
  const qint64 count = qint64(table.Rows.size());
  ui.Label2->setText(
      count == 0 ? QStringLiteral("Сумка № %1 в журнале не найдена.").arg(bagNumber)
                 : QStringLiteral("Сумка № %1: %2 %3%4.")
                       .arg(bagNumber)
                       .arg(count)
                       .arg(QString::fromUtf8(PluralForm(count, "изменение", "изменения",
                                                         "изменений")))
                       .arg(table.ManyBags ? QStringLiteral(" (номер носили несколько сумок)")
                                           : QString()));
  FModel->SetTable(std::move(table));
}
