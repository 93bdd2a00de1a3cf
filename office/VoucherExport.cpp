#include "office/VoucherExport.h"

#include <QBuffer>
#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <span>
#include <vector>

#include "office/TemplateFont.h"
#include "office/VoucherCells.h"
#include "office/VoucherFiles.h"
#include "office/VoucherRefusal.h"
#include "qr/QRGraphics.h"
#include "texts/AmountInWords.h"
#include "texts/NumberFormat.h"
#include "texts/TechnicalLine.h"

void TVoucherSource::PutOnClipboard(const QImage& picture) {
  QGuiApplication::clipboard()->setImage(picture);
}

void TVoucherSource::WaitForOffice(TOfficeWork& work) { work.Wait(); }

QString VoucherFieldValue(TField field, const TVoucherSource& source, const TVoucherBag& bag,
                          const QDate& date) {
  switch (field) {
    case TField::BagNumber:
    case TField::BagNumberAgain:
    case TField::ListBagNumber:
      return bag.BagNumber;
    case TField::Date:
      return date.toString("dd.MM.yyyy");
    case TField::FirmName:
      return source.FirmName();
    case TField::CashAccount:
      return source.CashAccount();
    case TField::TotalFirst:
    case TField::TotalSecond:
      return source.Total();
    case TField::Recipient:
      return bag.Recipient;
    case TField::Account:
    case TField::AccountAgain:
      return bag.Account;
    case TField::Inn:
      return bag.Inn;
    case TField::CashSymbol:
      return bag.CashSymbol;
    case TField::AmountInWords:
      return AmountInWords(ParseNumber(source.Total()));
    case TField::ReceiptName:
      return source.ReceiptName();
    case TField::FullName:
      return bag.FullName;
  }
  return {};
}

namespace {

constexpr int FirstGridRow = 1;
constexpr int LastGridRow = 15;

// Blanks and control characters off both ends, as the count is judged.
QString TrimControls(const QString& text) {
  qsizetype first = 0;
  qsizetype last = text.size();
  while (first < last && text[first].unicode() <= ' ') ++first;
  while (last > first && text[last - 1].unicode() <= ' ') --last;
  return text.mid(first, last - first);
}

// One text the office writes into a cell, and the size it gets there (0: the template's).
struct TCellWrite {
  int Sheet;
  QString Address;
  QString Text;
  double PointSize = 0;
};

// Where the office part of the export was when it failed.
enum class TStage { Opening, Checking, Filling, Picture };

// The loaded document is not the voucher template; what() says what is missing.
class ENotTheTemplate : public EOffice {
public:
  using EOffice::EOffice;
};

// The message of a failure inside the office part: a Russian sentence, then the office's text.
QString OfficeFailureText(TStage stage, const EOffice& error, const QString& copyPath) {
  QString sentence;
  if (dynamic_cast<const ENotTheTemplate*>(&error))
    sentence = QString(
                   "Шаблон temp.xls повреждён: в его копии «%1» нет листов и полей ведомости. "
                   "Замените temp.xls исправным шаблоном ведомости и повторите экспорт.")
                   .arg(QDir::toNativeSeparators(copyPath));
  else if (dynamic_cast<const EOfficeGone*>(&error))
    sentence =
        "LibreOffice закрылся во время экспорта, ведомость заполнена не до конца. "
        "Повторите экспорт.";
  else if (stage == TStage::Opening)
    sentence = QString(
                   "LibreOffice не открыл копию ведомости «%1». Проверьте шаблон temp.xls и "
                   "повторите экспорт.")
                   .arg(QDir::toNativeSeparators(copyPath));
  else if (stage == TStage::Picture)
    sentence =
        "LibreOffice не разместил QR-код на третьем листе ведомости. Если в шаблоне "
        "temp.xls там уже есть фигура «Graphic1», удалите её и повторите экспорт.";
  else
    sentence = "LibreOffice не заполнил ведомость до конца. Повторите экспорт.";
  return sentence + "\n" + TechnicalLine(error.Message());
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
    if (const QString refusal = VoucherRefusal(FSource.QRSymbol(), FSource.Total());
        !refusal.isEmpty()) {
      FSource.ShowMessage(refusal);
      return;
    }
    FPicture = QRPicture();
    WriteWholeFile(FFolder.absoluteFilePath("QR.bmp"), BmpBytes(FPicture),
                   "Не удалось записать файл QR.bmp («%1»): диск переполнен или нет прав на "
                   "запись. Экспорт не выполнен.");
    const QByteArray templateData = ReadVoucherTemplate(FFolder);
    WriteWholeFile(FFolder.absoluteFilePath("temp1.xls"), templateData,
                   "Не удалось обновить файл temp1.xls («%1»): диск переполнен или нет прав на "
                   "запись. Экспорт не выполнен.");
    if (FSource.Total().isEmpty()) {
      FSource.ShowMessage("Заполните сумму!");
      return;
    }
    PlanWrites();
    FCopy = CreateVoucherCopy(FFolder, FDate, FBag.BagNumber, templateData);
    // The office reads the picture of this export from a file of this export.
    try {
      WriteWholeFile(FCopy.PicturePath, BmpBytes(FPicture),
                     "Не удалось записать рисунок QR-кода «%1». Экспорт не выполнен.");
    } catch (const EVoucherFile&) {
      RemoveCopy();
      throw;
    }
    TOfficeWork work(FOffice.AutomationServer(), [this](TOfficeWork& w) { FillInOffice(w); });
    FSource.WaitForOffice(work);
    QFile::remove(FCopy.PicturePath);
    // A copy the operator never saw is nobody's: it would only pile up in vouchers/.
    if (!FShown) RemoveCopy();
    ReportEnd(work);
  }

private:
  QImage QRPicture() const {
    QImage bitmap;
    QRSymbolToBitmap(bitmap, 4, FSource.QRSymbol(), qRgb(255, 255, 255), qRgb(0, 0, 0), 0);
    return bitmap;
  }

  static QByteArray BmpBytes(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "BMP")) throw EVoucherFile("Не удалось построить рисунок QR-кода.");
    return bytes;
  }

  // Everything the office writes, read from the window now, on this thread.
  void PlanWrites() {
    FDate = QDate::currentDate();
    FBag = FSource.Bag();
    PlanCopy(FormSheet, UpperCopy(), FFormWrites);
    PlanCopy(FormSheet, LowerCopy(), FFormWrites);
    PlanList(FirstListSheet, FFormWrites);
    PlanCopy(ReceiptSheet, ThirdCopy(), FFormWrites);
    PlanList(SecondListSheet, FLastListWrites);
  }

  void PlanCopy(int sheet, std::span<const TCell> cells, std::vector<TCellWrite>& writes) const {
    for (const TCell& cell : cells) writes.push_back(FieldWrite(sheet, cell));
  }

  // A field's value as it fits its box, with the size it needs when that is not the template's.
  TCellWrite FieldWrite(int sheet, const TCell& cell) const {
    const TFieldBox box = FieldBox(cell.Field, sheet);
    const TFittedText fitted =
        FitFieldText(VoucherFieldValue(cell.Field, FSource, FBag, FDate), box, FFont);
    return {sheet, cell.Address, fitted.Text,
            fitted.PointSize == box.NominalPt ? 0 : fitted.PointSize};
  }

  // The bag number in the heading; the counted rows, packed from row 5 down in grid order;
  // the total in DC20.
  void PlanList(int sheet, std::vector<TCellWrite>& writes) const {
    writes.push_back(FieldWrite(sheet, {TField::ListBagNumber, ListBagNumberAddress}));
    int row = FirstListRow;
    for (int i = FirstGridRow; i <= LastGridRow; ++i) {
      const TDenominationRow entry = FSource.DenominationRow(i);
      if (TrimControls(entry.Count) > QLatin1String("0")) {
        writes.push_back({sheet, "A" + QString::number(row), entry.Denomination});
        writes.push_back({sheet, "BA" + QString::number(row), entry.Count});
        writes.push_back({sheet, "DC" + QString::number(row), entry.Sum});
        ++row;
      }
    }
    writes.push_back({sheet, ListTotalAddress, FSource.Total()});
  }

  // The office part, on the work's own thread: only the plan and the office are touched here.
  // The copy is loaded hidden and shown once it is filled: no grey window, no file name and
  // no half-filled voucher reach the screen, and nothing of the office covers the busy box.
  void FillInOffice(TOfficeWork& work) {
    FOffice.Connect(true);
    if (!FOffice.IsConnected()) {
      FNoConnect = true;
      return;
    }
    work.Answered();
    FStage = TStage::Opening;
    FOffice.OpenDocument(FCopy.Path, TOOOpenOptions{.Hidden = true, .FilterName = "MS Excel 97"},
                         0);
    try {
      work.Answered();
      FStage = TStage::Checking;
      CheckTemplate(work);
      FStage = TStage::Filling;
      Write(FFormWrites, work);
      work.OnUiThread([this] { FSource.PutOnClipboard(FPicture); });
      FStage = TStage::Picture;
      PlacePicture(ReceiptSheet, work);
      FStage = TStage::Filling;
      Write(FLastListWrites, work);
      // From here on the operator may see it, so it is kept whatever happens next.
      FShown = true;
      FOffice.ShowDocument();
    } catch (...) {
      if (!FShown) CloseUnfinished();
      throw;
    }
    FOffice.Connect(false);
  }

  // The loaded copy is the voucher template: at least its four sheets, and every cell the
  // export writes the first of a merged block, as the fields of the template are. A damaged
  // file that the office still opens (as one empty sheet, say) is refused here, before a
  // single cell is written.
  void CheckTemplate(TOfficeWork& work) {
    const qint32 sheets = FOffice.Sheets().Count();
    work.Answered();
    if (sheets <= SecondListSheet)
      throw ENotTheTemplate(QString("%1 sheet(s), the voucher needs %2").arg(sheets).arg(
          SecondListSheet + 1));
    for (const std::vector<TCellWrite>* writes : {&FFormWrites, &FLastListWrites})
      for (const TCellWrite& write : *writes) {
        const bool merged =
            FOffice.Sheets().SheetByIndex(write.Sheet).CellByName(write.Address).IsMerged();
        work.Answered();
        if (!merged)
          throw ENotTheTemplate(QString("sheet %1: %2 is not a field of the voucher")
                                    .arg(write.Sheet + 1)
                                    .arg(write.Address));
      }
  }

  // Closes the hidden document of an export that did not finish, where the office still
  // answers; an office given up has ended and taken it along.
  void CloseUnfinished() {
    try {
      FOffice.CloseDocument();
    } catch (const std::exception&) {
      // The office is gone or hung: the watch ends it, and the document with it.
    }
  }

  void RemoveCopy() const {
    QFile::remove(FCopy.Path);
    // The office's lock, left behind when it was ended before it could close the copy.
    const QFileInfo copy(FCopy.Path);
    QFile::remove(copy.dir().filePath(".~lock." + copy.fileName() + "#"));
  }

  void Write(const std::vector<TCellWrite>& writes, TOfficeWork& work) {
    for (const TCellWrite& write : writes) {
      TOOCalcCell& cell = FOffice.Sheets().SheetByIndex(write.Sheet).CellByName(write.Address);
      cell.SetText(write.Text);
      work.Answered();
      if (write.PointSize > 0) {
        cell.SetCharHeight(write.PointSize);
        work.Answered();
      }
    }
  }

  void PlacePicture(int sheet, TOfficeWork& work) {
    const auto shapes = [&]() -> TOOGraphicShapes& {
      work.Answered();
      return FOffice.Sheets().SheetByIndex(sheet).GraphicShapes();
    };
    shapes().AddShape(2000, 23000, 2000, 4000, "Graphic1");
    shapes().ShapeByName("Graphic1").LoadGraphic(FCopy.PicturePath);
    shapes().ShapeByName("Graphic1").SetSize(MakeSize(6400, 6000));
    shapes().ShapeByName("Graphic1").SetTransparency(50);
  }

  void ReportEnd(const TOfficeWork& work) {
    const std::chrono::milliseconds timeout = FOffice.AutomationServer().AnswerTimeout();
    switch (work.End()) {
      case TOfficeWork::TEnd::Finished:
        if (FNoConnect)
          FSource.ShowMessage(
              "Не удалось запустить LibreOffice. Проверьте, что LibreOffice Calc установлен и "
              "запускается командой soffice, и повторите экспорт.\n" +
              TechnicalLine("no connect"));
        return;
      case TOfficeWork::TEnd::Cancelled:
        // A cancel that came as the finished voucher was being shown is too late to count.
        if (FShown && !work.Error()) return;
        FSource.ShowInformation("Экспорт отменён.");
        return;
      case TOfficeWork::TEnd::TimedOut:
        throw EOffice(QString("LibreOffice не отвечает %1 с, экспорт прерван. Повторите экспорт.\n")
                          .arg(std::chrono::duration_cast<std::chrono::seconds>(timeout).count()) +
                      TechnicalLine("no answer"));
      case TOfficeWork::TEnd::Failed:
        try {
          std::rethrow_exception(work.Error());
        } catch (const EOffice& error) {
          throw EOffice(OfficeFailureText(FStage, error, FCopy.Path));
        }
    }
  }

  TOOCalc& FOffice;
  TVoucherSource& FSource;
  const QDir FFolder;
  QImage FPicture;
  QDate FDate;
  TVoucherBag FBag;
  const TTemplateFont FFont;
  std::vector<TCellWrite> FFormWrites;      // before the picture
  std::vector<TCellWrite> FLastListWrites;  // after it
  TVoucherCopy FCopy;
  // Written by the office part, read after it has ended.
  bool FNoConnect = false;
  TStage FStage = TStage::Opening;
  bool FShown = false;  // the voucher's window was (or may have been) shown
};

}  // namespace

void ExportVoucher(TOOCalc& office, TVoucherSource& source) { TExport(office, source).Run(); }
