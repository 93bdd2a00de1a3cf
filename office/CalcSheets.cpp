#include "office/CalcSheets.h"

#include "office/AutomationValues.h"

TOOSize MakeSize(qint32 width, qint32 height) { return TOOSize{width, height}; }

namespace {

TVariant MakeStruct(const TVariant& serviceManager, const QString& typeName, const QString& first,
                    qint32 firstValue, const QString& second, qint32 secondValue) {
  TVariant structure = serviceManager.Call("Bridge_GetStruct", {typeName});
  structure.Set(first, firstValue);
  structure.Set(second, secondValue);
  return structure;
}

}  // namespace

void TOOCalcCell::SetText(const QString& text) { FCellRef.Call("SetString", {text}); }

void TOOCalcCell::SetCharHeight(double points) { FCellRef.Set("CharHeight", points); }

bool TOOCalcCell::IsMerged() { return FCellRef.Call("GetIsMerged").ToBool(); }

void TOOCalcCell::Clear() { FCellRef = TVariant(); }

TOOGraphicShape::TOOGraphicShape(std::shared_ptr<TAutomationServer> server)
    : FServer(std::move(server)) {}

void TOOGraphicShape::LoadGraphic(const QString& fileName) {
  const TVariant serviceManager = FServer->CreateServiceManager();
  const TVariant provider =
      serviceManager.Call("CreateInstance", {"com.sun.star.graphic.GraphicProvider"});
  const TVariant::TArray properties{
      MakePropertyValue(serviceManager, "URL", FileNameToURL(fileName))};
  const TVariant descriptor = provider.Call("QueryGraphicDescriptor", {TVariant(properties)});
  const qint64 graphicType = descriptor.Call("GetPropertyValue", {"GraphicType"}).ToInt();
  if ((graphicType & 0xFF) == 0) throw EOffice("File format not support.");
  FShapeRef.Set("Graphic", provider.Call("QueryGraphic", {TVariant(properties)}));
}

void TOOGraphicShape::SetSize(TOOSize size) {
  const TVariant serviceManager = FServer->CreateServiceManager();
  FShapeRef.Call("SetSize", {MakeStruct(serviceManager, "com.sun.star.awt.Size", "Width",
                                        size.Width, "Height", size.Height)});
}

void TOOGraphicShape::SetTransparency(qint32 percent) { FShapeRef.Set("Transparency", percent); }

void TOOGraphicShape::Clear() { FShapeRef = TVariant(); }

TOOBaseShapes::TOOBaseShapes(std::shared_ptr<TAutomationServer> server, QString serviceName)
    : FServer(std::move(server)), FServiceName(std::move(serviceName)) {}

void TOOBaseShapes::AddShape(qint32 x, qint32 y, qint32 width, qint32 height, const QString& name) {
  // Any shape counts, whatever its kind: two shapes of one name would make ShapeByName ambiguous.
  bool taken = false;
  const qint64 count = FDrawPage.Call("GetCount").ToInt();
  for (qint64 i = 0; i < count; ++i)
    if (FDrawPage.Call("GetByIndex", {i}).Get("Name").ToString() == name) taken = true;
  if (taken) throw EOffice("Shape with specified name already exist.");
  const TVariant serviceManager = FServer->CreateServiceManager();
  const TVariant position = MakeStruct(serviceManager, "com.sun.star.awt.Point", "X", x, "Y", y);
  const TVariant size =
      MakeStruct(serviceManager, "com.sun.star.awt.Size", "Width", width, "Height", height);
  const TVariant shape = FDocument.Call("CreateInstance", {FServiceName});
  shape.Set("Position", position);
  shape.Set("Size", size);
  shape.Set("Name", name);
  FDrawPage.Call("Add", {shape});
}

void TOOBaseShapes::Clear() {
  FDocument = TVariant();
  FDrawPage = TVariant();
}

TOOGraphicShapes::TOOGraphicShapes(std::shared_ptr<TAutomationServer> server)
    : TOOBaseShapes(server, "com.sun.star.drawing.GraphicObjectShape"),
      FShape(new TOOGraphicShape(server)) {}

TOOGraphicShape& TOOGraphicShapes::ShapeByName(const QString& name) {
  TVariant found;
  const qint64 count = FDrawPage.Call("GetCount").ToInt();
  for (qint64 i = 0; i < count; ++i) {
    const TVariant shape = FDrawPage.Call("GetByIndex", {i});
    if (shape.Call("GetShapeType").ToString() == FServiceName &&
        shape.Get("Name").ToString() == name)
      found = shape;
  }
  if (!found.IsObject()) throw EOffice("Graphic shape with specified name does not exist.");
  FShape->FShapeRef = found;
  return *FShape;
}

void TOOGraphicShapes::Clear() {
  TOOBaseShapes::Clear();
  FShape->Clear();
}

TOOCalcSheet::TOOCalcSheet(std::shared_ptr<TAutomationServer> server)
    : FCell(new TOOCalcCell), FGraphicShapes(new TOOGraphicShapes(std::move(server))) {}

TOOCalcCell& TOOCalcSheet::CellByName(const QString& name) {
  if (name.contains(QLatin1Char(':'))) throw EOffice("Try to return CellRange, expect Cell.");
  FCell->FCellRef = FSheetRef.Call("GetCellRangeByName", {name});
  return *FCell;
}

TOOGraphicShapes& TOOCalcSheet::GraphicShapes() {
  FGraphicShapes->FDrawPage = FSheetRef.Get("DrawPage");
  FGraphicShapes->FDocument = FDocument;
  return *FGraphicShapes;
}

void TOOCalcSheet::Clear() {
  FCell->Clear();
  FGraphicShapes->Clear();
  FSheetRef = TVariant();
  FDocument = TVariant();
}

TOOCalcSheets::TOOCalcSheets(std::shared_ptr<TAutomationServer> server)
    : FSheet(new TOOCalcSheet(std::move(server))) {}

TOOCalcSheet& TOOCalcSheets::SheetByIndex(qint32 index) {
  TOOCalcSheet& sheet = *FSheet;
  const auto sheetAt = [&] { return FDocument.Call("GetSheets").Call("GetByIndex", {index}); };
  // A held sheet of another document is never kept, even when its name matches.
  if (!sheet.FSheetRef.IsObject() || !sheet.FDocument.IsSameObject(FDocument)) {
    sheet.FSheetRef = sheetAt();
  } else {
    const QString heldName = sheet.FSheetRef.Call("GetName").ToString();
    const TVariant current = sheetAt();
    if (current.Call("GetName").ToString() != heldName) sheet.FSheetRef = current;
  }
  sheet.FDocument = FDocument;
  return sheet;
}

qint32 TOOCalcSheets::Count() {
  return static_cast<qint32>(FDocument.Call("GetSheets").Call("GetCount").ToInt());
}

void TOOCalcSheets::Clear() {
  FSheet->Clear();
  FDocument = TVariant();
}
