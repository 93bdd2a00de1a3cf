#pragma once

#include <QString>

#include <memory>

#include "office/AutomationServer.h"
#include "office/Variant.h"

// The wrappers below TOOCalc. Each is one reusable object: a lookup re-targets it and returns
// it, so a returned reference stays on its target only until the next lookup of that kind.
// A lookup that raises leaves the wrapper on its previous target. Clear drops every reference
// to the suite, down the whole tree.

// A size in hundredths of a millimetre, the suite's drawing unit.
struct TOOSize {
  qint32 Width = 0;
  qint32 Height = 0;
};
TOOSize MakeSize(qint32 width, qint32 height);

class TOOCalcCell {
public:
  // The cell holds exactly text afterwards, as a text (no number, no formula).
  void SetText(const QString& text);
  // The size of the cell's text in points (the office keeps it to 1/20 pt), 0 < points.
  void SetCharHeight(double points);
  // True when the cell is the first of a block of merged cells.
  bool IsMerged();
  void Clear();

private:
  friend class TOOCalcSheet;
  TVariant FCellRef;
};

class TOOGraphicShape {
public:
  // Loads the picture file into the shape. Raises "File format not support." when the file is
  // not a readable image; the shape then keeps its picture.
  void LoadGraphic(const QString& fileName);
  void SetSize(TOOSize size);
  // percent: 0 (opaque) to 100.
  void SetTransparency(qint32 percent);
  void Clear();

private:
  friend class TOOGraphicShapes;
  explicit TOOGraphicShape(std::shared_ptr<TAutomationServer> server);
  std::shared_ptr<TAutomationServer> FServer;
  TVariant FShapeRef;
};

// The shapes of one kind on a sheet's drawing layer.
class TOOBaseShapes {
public:
  virtual ~TOOBaseShapes() = default;
  // Adds a new shape of this kind at (x, y) with the size and the name, all in hundredths of a
  // millimetre. Raises "Shape with specified name already exist." when any shape on the layer,
  // of whatever kind, carries that name (letter case significant).
  void AddShape(qint32 x, qint32 y, qint32 width, qint32 height, const QString& name);
  virtual void Clear();

protected:
  TOOBaseShapes(std::shared_ptr<TAutomationServer> server, QString serviceName);
  std::shared_ptr<TAutomationServer> FServer;
  QString FServiceName;
  TVariant FDocument;
  TVariant FDrawPage;
};

class TOOGraphicShapes : public TOOBaseShapes {
public:
  // The last picture shape on the layer with that name (letter case significant); raises
  // "Graphic shape with specified name does not exist." when there is none.
  TOOGraphicShape& ShapeByName(const QString& name);
  void Clear() override;

private:
  friend class TOOCalcSheet;
  explicit TOOGraphicShapes(std::shared_ptr<TAutomationServer> server);
  std::unique_ptr<TOOGraphicShape> FShape;
};

class TOOCalcSheet {
public:
  // The cell of an A1-style name ("AQ6"). Raises "Try to return CellRange, expect Cell." for a
  // name with a colon, before contacting the suite; the suite rejects other malformed names.
  TOOCalcCell& CellByName(const QString& name);
  // The picture shapes, now on this sheet's drawing layer.
  TOOGraphicShapes& GraphicShapes();
  void Clear();

private:
  friend class TOOCalcSheets;
  explicit TOOCalcSheet(std::shared_ptr<TAutomationServer> server);
  std::unique_ptr<TOOCalcCell> FCell;
  std::unique_ptr<TOOGraphicShapes> FGraphicShapes;
  TVariant FSheetRef;
  TVariant FDocument;
};

class TOOCalcSheets {
public:
  // The sheet at position index (from 0) of the current document. A held sheet is kept while
  // it belongs to the current document and has the name of the sheet at index; any other is
  // fetched again. The suite rejects a position the document does not have.
  TOOCalcSheet& SheetByIndex(qint32 index);
  // How many sheets the current document has.
  qint32 Count();
  void Clear();

private:
  friend class TOOCalc;
  explicit TOOCalcSheets(std::shared_ptr<TAutomationServer> server);
  std::unique_ptr<TOOCalcSheet> FSheet;
  TVariant FDocument;
};
