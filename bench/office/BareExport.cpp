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

#include "office/AutomationValues.h"
#include "office/TemplateFont.h"
#include "office/UnoBridge.h"
#include "office/VoucherCells.h"
#include "qr/QRGraphics.h"

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
                      ToOUString(FileNameToURL(folder.absoluteFilePath("temp1.xls"))), "_blank", 0,
                      properties),
                  UNO_QUERY_THROW);
    Reference<frame::XTitle>(FDocument, UNO_QUERY_THROW)->setTitle("vedomost.xls");

    FBag = FSource.Bag();
    for (const TCell& cell : UpperCopy()) WriteField(FormSheet, cell);
    for (const TCell& cell : LowerCopy()) WriteField(FormSheet, cell);
    WriteList(FirstListSheet);
    for (const TCell& cell : ThirdCopy()) WriteField(ReceiptSheet, cell);
    FSource.PutOnClipboard(QImage(folder.absoluteFilePath("QR.bmp")));
    PlacePicture(folder.absoluteFilePath("QR.bmp"));
    WriteList(SecondListSheet);
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

  Reference<text::XTextRange> Write(int sheet, const QString& address, const QString& text) {
    Reference<text::XTextRange> cell(Sheet(sheet)->getCellRangeByName(ToOUString(address)),
                                     UNO_QUERY_THROW);
    cell->setString(ToOUString(text));
    return cell;
  }

  // As the export: the value as it fits the field's box, and its size where it needs another.
  void WriteField(int sheet, const TCell& cell) {
    const TFieldBox box = FieldBox(cell.Field, sheet);
    const TFittedText fitted = FitFieldText(
        VoucherFieldValue(cell.Field, FSource, FBag, QDate::currentDate()), box, FFont);
    const Reference<text::XTextRange> written = Write(sheet, cell.Address, fitted.Text);
    if (fitted.PointSize != box.NominalPt)
      Reference<beans::XPropertySet>(written, UNO_QUERY_THROW)
          ->setPropertyValue("CharHeight", uno::Any(static_cast<float>(fitted.PointSize)));
  }

  void WriteList(int sheet) {
    WriteField(sheet, {TField::ListBagNumber, ListBagNumberAddress});
    int row = FirstListRow;
    for (int i = 1; i <= 15; ++i) {
      const TDenominationRow entry = FSource.DenominationRow(i);
      if (entry.Count.trimmed() > QLatin1String("0")) {
        Write(sheet, "A" + QString::number(row), entry.Denomination);
        Write(sheet, "BA" + QString::number(row), entry.Count);
        Write(sheet, "DC" + QString::number(row), entry.Sum);
        ++row;
      }
    }
    Write(sheet, ListTotalAddress, FSource.Total());
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
  TVoucherBag FBag;
  const TTemplateFont FFont;
};

}  // namespace

void BareExport(const Reference<uno::XComponentContext>& office, TVoucherSource& source) {
  TBare(office, source).Run();
}
