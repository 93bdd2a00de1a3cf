#include "bench/office/BareExport.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/graphic/GraphicProvider.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/text/XTextRange.hpp>

#include <QDate>
#include <QDir>
#include <QFile>

#include "office/OpenOffice.h"
#include "office/UnoBridge.h"
#include "qr/QRGraphics.h"
#include "texts/AmountInWords.h"
#include "texts/NumberFormat.h"

using namespace com::sun::star;
using uno::Reference;
using uno::UNO_QUERY_THROW;

namespace {

beans::PropertyValue Property(const char* name, const uno::Any& value) {
  beans::PropertyValue property;
  property.Name = rtl::OUString::createFromAscii(name);
  property.Value = value;
  return property;
}

class TBare {
 public:
  TBare(const Reference<uno::XComponentContext>& office, TVoucherSource& source)
      : FOffice(office), FSource(source) {}

  void Run() {
    const QDir folder = QDir::current();
    QImage bitmap;
    QRSymbolToBitmap(bitmap, 4, FSource.QRSymbol(), qRgb(255, 255, 255), qRgb(0, 0, 0), 0);
    bitmap.save(folder.absoluteFilePath("QR.bmp"), "BMP");
    QFile::remove("temp1.xls");
    QFile::copy("temp.xls", "temp1.xls");
    const Reference<frame::XDesktop2> desktop = frame::Desktop::create(FOffice);

    // As FindOpenDocument: no open document is "file:///temp.xls".
    const Reference<container::XEnumeration> components =
        desktop->getComponents()->createEnumeration();
    while (components->hasMoreElements()) {
      Reference<lang::XServiceInfo> info(components->nextElement(), UNO_QUERY_THROW);
      if (info->supportsService("com.sun.star.sheet.SpreadsheetDocument"))
        Reference<frame::XModel>(info, UNO_QUERY_THROW)->getURL();
    }
    uno::Sequence<beans::PropertyValue> properties(4);
    properties.getArray()[0] = Property("Hidden", uno::Any(false));
    properties.getArray()[1] = Property("AsTemplate", uno::Any(false));
    properties.getArray()[2] = Property("ReadOnly", uno::Any(false));
    properties.getArray()[3] = Property("MacroExecutionMode", uno::Any(sal_Int16(0)));
    FDocument.set(desktop->loadComponentFromURL(
                      ToOUString(FileNameToURL(folder.absoluteFilePath("temp1.xls"))), "_blank",
                      0, properties),
                  UNO_QUERY_THROW);
    Reference<frame::XTitle>(FDocument, UNO_QUERY_THROW)->setTitle("vedomost.xls");

    const TVoucherBag bag = FSource.Bag();
    const QString date = QDate::currentDate().toString("dd.MM.yyyy");
    const QString words = AmountInWords(ParseNumber(FSource.Total()));
    const QString total = FSource.Total();
    const char* upper[] = {"AQ6", "BN6", "L9",   "CA9",  "EL6", "Q11", "CA11", "I13",
                           "BF13", "AJ24", "DR15", "EG15", "DR9", "W18", "AC21"};
    const char* lower[] = {"AQ36", "BN36", "L39",  "CA39", "EL36", "Q41", "CA41", "I43",
                           "BF43", "AN53", "DR45", "EG45", "DR39", "W48", "AC50"};
    const QString upperValues[] = {bag.BagNumber, date,          FSource.FirmName(),
                                   FSource.CashAccount(), bag.BagNumber, bag.Recipient,
                                   bag.Account,   bag.Inn,       bag.Account,
                                   bag.FullName,  bag.CashSymbol, total,
                                   total,         words,         FSource.ReceiptName()};
    for (int i = 0; i < 15; ++i) Write(0, upper[i], upperValues[i]);
    for (int i = 0; i < 15; ++i) Write(0, lower[i], upperValues[i]);
    WriteList(1);
    const char* third[] = {"AQ3", "BN3", "EL3",  "L6",  "CA6", "Q8",   "CA8", "I10",
                           "BF10", "DR12", "EG12", "W15", "AC18", "AI21", "DR6"};
    const QString thirdValues[] = {bag.BagNumber, date,     bag.BagNumber, FSource.FirmName(),
                                   FSource.CashAccount(), bag.Recipient, bag.Account, bag.Inn,
                                   bag.Account,   bag.CashSymbol, total,  words,
                                   FSource.ReceiptName(), bag.FullName, total};
    for (int i = 0; i < 15; ++i) Write(2, third[i], thirdValues[i]);
    FSource.PutOnClipboard(QImage(folder.absoluteFilePath("QR.bmp")));
    PlacePicture(folder.absoluteFilePath("QR.bmp"));
    WriteList(3);
    FDocument.clear();
    FSheet.clear();
  }

 private:
  // The sheet lookup of the wrapper: a held sheet is kept when the name at the position matches.
  Reference<sheet::XSpreadsheet> Sheet(int index) {
    const auto sheetAt = [&] {
      return Reference<sheet::XSpreadsheet>(
          Reference<container::XIndexAccess>(FDocument->getSheets(), UNO_QUERY_THROW)
              ->getByIndex(index),
          UNO_QUERY_THROW);
    };
    if (!FSheet.is()) {
      FSheet = sheetAt();
    } else {
      const rtl::OUString held = Reference<container::XNamed>(FSheet, UNO_QUERY_THROW)->getName();
      Reference<sheet::XSpreadsheet> current = sheetAt();
      if (Reference<container::XNamed>(current, UNO_QUERY_THROW)->getName() != held)
        FSheet = current;
    }
    return FSheet;
  }

  void Write(int sheet, const QString& address, const QString& text) {
    Reference<text::XTextRange>(Sheet(sheet)->getCellRangeByName(ToOUString(address)),
                                UNO_QUERY_THROW)
        ->setString(ToOUString(text));
  }

  void WriteList(int sheet) {
    int row = 5;
    for (int i = 1; i <= 15; ++i) {
      const TDenominationRow entry = FSource.DenominationRow(i);
      if (entry.Count.trimmed() > QLatin1String("0")) {
        Write(sheet, "A" + QString::number(row), entry.Denomination);
        Write(sheet, "BA" + QString::number(row), entry.Count);
        Write(sheet, "DC" + QString::number(row), entry.Sum);
        ++row;
      }
    }
    Write(sheet, "DC20", FSource.Total());
  }

  Reference<drawing::XDrawPage> DrawPage() {
    return Reference<drawing::XDrawPageSupplier>(Sheet(2), UNO_QUERY_THROW)->getDrawPage();
  }

  Reference<drawing::XShape> Shape() {
    const Reference<drawing::XDrawPage> page = DrawPage();
    Reference<drawing::XShape> found;
    for (sal_Int32 i = 0; i < page->getCount(); ++i) {
      Reference<drawing::XShape> shape(page->getByIndex(i), UNO_QUERY_THROW);
      if (shape->getShapeType() == "com.sun.star.drawing.GraphicObjectShape" &&
          Reference<container::XNamed>(shape, UNO_QUERY_THROW)->getName() == "Graphic1")
        found = shape;
    }
    return found;
  }

  void PlacePicture(const QString& file) {
    const Reference<drawing::XDrawPage> page = DrawPage();
    for (sal_Int32 i = 0; i < page->getCount(); ++i)
      Reference<container::XNamed>(page->getByIndex(i), UNO_QUERY_THROW)->getName();
    Reference<drawing::XShape> shape(
        Reference<lang::XMultiServiceFactory>(FDocument, UNO_QUERY_THROW)
            ->createInstance("com.sun.star.drawing.GraphicObjectShape"),
        UNO_QUERY_THROW);
    shape->setPosition(awt::Point(2000, 23000));
    shape->setSize(awt::Size(2000, 4000));
    Reference<container::XNamed>(shape, UNO_QUERY_THROW)->setName("Graphic1");
    page->add(shape);

    const Reference<graphic::XGraphicProvider> provider = graphic::GraphicProvider::create(FOffice);
    uno::Sequence<beans::PropertyValue> url(1);
    url.getArray()[0] = Property("URL", uno::Any(ToOUString(FileNameToURL(file))));
    sal_Int8 type = 0;
    provider->queryGraphicDescriptor(url)->getPropertyValue("GraphicType") >>= type;
    Reference<beans::XPropertySet>(Shape(), UNO_QUERY_THROW)
        ->setPropertyValue("Graphic", uno::Any(provider->queryGraphic(url)));
    Shape()->setSize(awt::Size(6400, 6000));
    Reference<beans::XPropertySet>(Shape(), UNO_QUERY_THROW)
        ->setPropertyValue("Transparency", uno::Any(sal_Int16(50)));
  }

  Reference<uno::XComponentContext> FOffice;
  TVoucherSource& FSource;
  Reference<sheet::XSpreadsheetDocument> FDocument;
  Reference<sheet::XSpreadsheet> FSheet;
};

}  // namespace

void BareExport(const Reference<uno::XComponentContext>& office, TVoucherSource& source) {
  TBare(office, source).Run();
}
