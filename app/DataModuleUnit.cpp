#include "app/DataModuleUnit.h"

#include "app/DatabaseWait.h"
#include "app/MainForm.h"
#include "app/RecordConflict.h"

namespace {

// How long a call waits for another program that holds the file locked.
constexpr int BusyTimeoutMs = 5000;

}  // namespace

std::vector<TFieldDef> ClientsFields() {
  const Qt::Alignment left = Qt::AlignLeft;
  return {
      {QStringLiteral("Номер сумки"), TFieldType::ftWideString, 50, 13, left},
      {QStringLiteral("Номер пакета"), TFieldType::ftInteger, 0, 10, left},
      {QStringLiteral("Получатель"), TFieldType::ftWideString, 255, 28, left},
      {QStringLiteral("Счет"), TFieldType::ftWideString, 255, 29, left},
      {QStringLiteral("Инн"), TFieldType::ftWideString, 255, 21, left},
      {QStringLiteral("Символ"), TFieldType::ftInteger, 0, 9, Qt::AlignRight},
      {QStringLiteral("ФИО"), TFieldType::ftWideString, 100, 23, left},
  };
}

TForm2::TForm2(TForm1& form1)
    : ADOConnection1(std::make_unique<TADOConnection>(QStringLiteral("db.mdb"), BusyTimeoutMs, &ShowDatabaseWait)),
      ADOTable1(std::make_unique<TADOTable>(*ADOConnection1, QStringLiteral("Clients"), ClientsFields())),
      DataSource1(std::make_unique<TDataSource>(*ADOTable1)),
      FForm1(form1) {
  ADOConnection1->Open();
  ADOTable1->Open();
  FForm1.SetDataSource(DataSource1.get());
  FPreviousOnException = TApplication::SetOnException(RecordConflictHandler(*ADOTable1));
}

TForm2::~TForm2() {
  TApplication::SetOnException(std::move(FPreviousOnException));
  FForm1.SetDataSource(nullptr);
}
