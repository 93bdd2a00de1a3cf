#include "office/VoucherExport.h"

#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <array>
#include <span>

#include "office/VoucherRefusal.h"
#include "qr/QRGraphics.h"
#include "texts/AmountInWords.h"
#include "texts/NumberFormat.h"

void TVoucherSource::PutOnClipboard(const QImage& picture) {
  QGuiApplication::clipboard()->setImage(picture);
}

namespace {

enum class TField {
  BagNumber,
  Date,
  BagNumberAgain,
  FirmName,
  CashAccount,
  TotalFirst,
  Recipient,
  Account,
  Inn,
  AccountAgain,
  CashSymbol,
  TotalSecond,
  AmountInWords,
  ReceiptName,
  FullName
};

struct TCell {
  TField Field;
  const char* Address;
};

// The three copies of the voucher, each in the order its cells are written.
constexpr std::array<TCell, 15> UpperCopy{{
    {TField::BagNumber, "AQ6"},     {TField::Date, "BN6"},          {TField::FirmName, "L9"},
    {TField::CashAccount, "CA9"},   {TField::BagNumberAgain, "EL6"}, {TField::Recipient, "Q11"},
    {TField::Account, "CA11"},      {TField::Inn, "I13"},           {TField::AccountAgain, "BF13"},
    {TField::FullName, "AJ24"},     {TField::CashSymbol, "DR15"},   {TField::TotalSecond, "EG15"},
    {TField::TotalFirst, "DR9"},    {TField::AmountInWords, "W18"}, {TField::ReceiptName, "AC21"},
}};
constexpr std::array<TCell, 15> LowerCopy{{
    {TField::BagNumber, "AQ36"},    {TField::Date, "BN36"},         {TField::FirmName, "L39"},
    {TField::CashAccount, "CA39"},  {TField::BagNumberAgain, "EL36"}, {TField::Recipient, "Q41"},
    {TField::Account, "CA41"},      {TField::Inn, "I43"},           {TField::AccountAgain, "BF43"},
    {TField::FullName, "AN53"},     {TField::CashSymbol, "DR45"},   {TField::TotalSecond, "EG45"},
    {TField::TotalFirst, "DR39"},   {TField::AmountInWords, "W48"}, {TField::ReceiptName, "AC50"},
}};
constexpr std::array<TCell, 15> ThirdCopy{{
    {TField::BagNumber, "AQ3"},     {TField::Date, "BN3"},          {TField::BagNumberAgain, "EL3"},
    {TField::FirmName, "L6"},       {TField::CashAccount, "CA6"},   {TField::Recipient, "Q8"},
    {TField::Account, "CA8"},       {TField::Inn, "I10"},           {TField::AccountAgain, "BF10"},
    {TField::CashSymbol, "DR12"},   {TField::TotalSecond, "EG12"},  {TField::AmountInWords, "W15"},
    {TField::ReceiptName, "AC18"},  {TField::FullName, "AI21"},     {TField::TotalFirst, "DR6"},
}};

constexpr int FirstGridRow = 1;
constexpr int LastGridRow = 15;
constexpr int FirstListRow = 5;

// Blanks and control characters off both ends, as the count is judged.
QString TrimControls(const QString& text) {
  qsizetype first = 0;
  qsizetype last = text.size();
  while (first < last && text[first].unicode() <= ' ') ++first;
  while (last > first && text[last - 1].unicode() <= ' ') --last;
  return text.mid(first, last - first);
}

class TExport {
 public:
  TExport(TOOCalc& office, TVoucherSource& source)
      : FOffice(office), FSource(source), FFolder(QDir::current()) {}

  void Run() {
    if (FSource.FirmName().isEmpty()) {
      FSource.ShowMessage("Добавьте фирму");
      return;
    }
    if (const QString refusal = VoucherRefusal(FSource.QRSymbol(), FSource.Total()); !refusal.isEmpty()) {
      FSource.ShowMessage(refusal);
      return;
    }
    WriteQRBitmap();
    QFile::remove(FFolder.filePath("temp1.xls"));
    QFile::copy(FFolder.filePath("temp.xls"), FFolder.filePath("temp1.xls"));
    if (FSource.Total().isEmpty()) {
      FSource.ShowMessage("Заполните сумму!");
      return;
    }
    FOffice.Connect(true);
    if (!FOffice.IsConnected()) {
      FSource.ShowMessage("no connect");
      return;
    }
    FOffice.OpenDocument("temp.xls", TOOOpenOptions{}, 0);
    FBag = FSource.Bag();
    WriteCopy(0, UpperCopy);
    WriteCopy(0, LowerCopy);
    WriteDenominations(1);
    WriteCopy(2, ThirdCopy);
    PutPictureOnClipboard();
    PlacePicture(2);
    WriteDenominations(3);
    FOffice.Connect(false);
  }

 private:
  QString QRPath() const { return FFolder.absoluteFilePath("QR.bmp"); }

  void WriteQRBitmap() {
    QImage bitmap;
    QRSymbolToBitmap(bitmap, 4, FSource.QRSymbol(), qRgb(255, 255, 255), qRgb(0, 0, 0), 0);
    if (!bitmap.save(QRPath(), "BMP")) throw EOffice("Cannot create file \"" + QRPath() + "\"");
  }

  void PutPictureOnClipboard() {
    const QImage picture(QRPath());
    if (picture.isNull()) throw EOffice("Cannot open file \"" + QRPath() + "\"");
    FSource.PutOnClipboard(picture);
  }

  void Write(int sheet, const QString& address, const QString& text) {
    FOffice.Sheets().SheetByIndex(sheet).CellByName(address).SetText(text);
  }

  QString ValueOf(TField field) const {
    switch (field) {
      case TField::BagNumber:
      case TField::BagNumberAgain: return FBag.BagNumber;
      case TField::Date: return QDate::currentDate().toString("dd.MM.yyyy");
      case TField::FirmName: return FSource.FirmName();
      case TField::CashAccount: return FSource.CashAccount();
      case TField::TotalFirst:
      case TField::TotalSecond: return FSource.Total();
      case TField::Recipient: return FBag.Recipient;
      case TField::Account:
      case TField::AccountAgain: return FBag.Account;
      case TField::Inn: return FBag.Inn;
      case TField::CashSymbol: return FBag.CashSymbol;
      case TField::AmountInWords: return AmountInWords(ParseNumber(FSource.Total()));
      case TField::ReceiptName: return FSource.ReceiptName();
      case TField::FullName: return FBag.FullName;
    }
    return {};
  }

  void WriteCopy(int sheet, std::span<const TCell> cells) {
    for (const TCell& cell : cells) Write(sheet, cell.Address, ValueOf(cell.Field));
  }

  // The counted rows, packed from row 5 down in grid order; the total in DC20.
  void WriteDenominations(int sheet) {
    int row = FirstListRow;
    for (int i = FirstGridRow; i <= LastGridRow; ++i) {
      const TDenominationRow entry = FSource.DenominationRow(i);
      if (TrimControls(entry.Count) > QLatin1String("0")) {
        Write(sheet, "A" + QString::number(row), entry.Denomination);
        Write(sheet, "BA" + QString::number(row), entry.Count);
        Write(sheet, "DC" + QString::number(row), entry.Sum);
        ++row;
      }
    }
    Write(sheet, "DC20", FSource.Total());
  }

  void PlacePicture(int sheet) {
    const auto shapes = [&]() -> TOOGraphicShapes& {
      return FOffice.Sheets().SheetByIndex(sheet).GraphicShapes();
    };
    shapes().AddShape(2000, 23000, 2000, 4000, "Graphic1");
    shapes().ShapeByName("Graphic1").LoadGraphic(QRPath());
    shapes().ShapeByName("Graphic1").SetSize(MakeSize(6400, 6000));
    shapes().ShapeByName("Graphic1").SetTransparency(50);
  }

  TOOCalc& FOffice;
  TVoucherSource& FSource;
  const QDir FFolder;
  TVoucherBag FBag;
};

}  // namespace

void ExportVoucher(TOOCalc& office, TVoucherSource& source) { TExport(office, source).Run(); }
