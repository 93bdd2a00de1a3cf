#include <QDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "office/AutomationValues.h"
#include "office/OpenOffice.h"
#include "tests/office/FakeAutomation.h"

namespace {

class TWrapperRulesTest : public ::testing::Test {
protected:
  TWrapperRulesTest() : FOffice(std::make_shared<TFakeServer>(FWorld)) {}

  // Connected, with a loaded working copy as the current document.
  void OpenWorkingCopy() {
    FOffice.Connect(true);
    FOffice.OpenDocument("temp.xls", TOOOpenOptions{}, 0);
  }
  QString CellOf(int document, int sheet, const QString& address) {
    return FWorld.Documents.at(document)->Sheets.at(sheet)->Cells[address];
  }
  QStringList ShapeCalls() const { return FWorld.Calls.filter(QRegularExpression("^Shape\\.")); }

  TFakeWorld FWorld;
  TOOCalc FOffice;
};

TEST_F(TWrapperRulesTest, ConnectSwallowsAMissingSuiteAndDisconnectKeepsTheDesktop) {
  FWorld.Reachable = false;
  EXPECT_NO_THROW(FOffice.Connect(true));
  EXPECT_FALSE(FOffice.IsConnected());

  FWorld.Reachable = true;
  OpenWorkingCopy();
  FOffice.Connect(false);
  EXPECT_TRUE(FOffice.IsConnected());
  EXPECT_THROW(FOffice.Sheets().SheetByIndex(0), EOffice);  // no current document
  ASSERT_EQ(FWorld.Documents.size(), 1u);                   // still open in the suite
}

TEST_F(TWrapperRulesTest, OpenDocumentLoadsTheNamedFileAskingTheUserNothing) {
  FOffice.Connect(true);
  FOffice.OpenDocument("temp1.xls", TOOOpenOptions{}, 0);
  FOffice.OpenDocument(
      "/tmp/a b/x.xls",
      TOOOpenOptions{
          .Hidden = true, .AsTemplate = false, .ReadOnly = true, .FilterName = "MS Excel 97"},
      4);
  FOffice.OpenDocument("", TOOOpenOptions{}, 0);
  ASSERT_EQ(FWorld.Loads.size(), 3u);

  const QString urls[] = {FileNameToURL(QDir::current().absoluteFilePath("temp1.xls")),
                          "file:///tmp/a%20b/x.xls", "private:factory/scalc"};
  const std::vector<std::vector<TVariant>> values{{false, false, false, 0, "handler"},
                                                  {true, false, true, 4, "MS Excel 97", "handler"},
                                                  {false, false, false, 0, "handler"}};
  const std::vector<QStringList> names{
      {"Hidden", "AsTemplate", "ReadOnly", "MacroExecutionMode", "InteractionHandler"},
      {"Hidden", "AsTemplate", "ReadOnly", "MacroExecutionMode", "FilterName",
       "InteractionHandler"},
      {"Hidden", "AsTemplate", "ReadOnly", "MacroExecutionMode", "InteractionHandler"}};
  for (size_t load = 0; load < 3; ++load) {
    SCOPED_TRACE(load);
    const TVariant::TArray& args = FWorld.Loads[load];
    EXPECT_EQ(args.at(0).ToString(), urls[load]);
    EXPECT_EQ(args.at(1).ToString(), "_blank");
    EXPECT_EQ(args.at(2).ToInt(), 0);
    const TVariant::TArray& properties = args.at(3).ToArray();
    ASSERT_EQ(properties.size(), static_cast<size_t>(names[load].size()));
    for (size_t i = 0; i < properties.size(); ++i) {
      EXPECT_EQ(properties[i].Get("Name").ToString(), names[load][i]);
      const TVariant value = properties[i].Get("Value");
      if (names[load][i] == "InteractionHandler")
        EXPECT_EQ(value.Get("Kind").ToString(), "silent");
      else if (values[load][i].Kind() == TVariant::TKind::String)
        EXPECT_EQ(value.ToString(), values[load][i].ToString());
      else
        EXPECT_EQ(value.ToInt(), values[load][i].ToInt()) << names[load][i].toStdString();
    }
    EXPECT_EQ(FWorld.Documents.at(load)->Model->Property("Title").ToString(), "vedomost.xls");
  }
}

TEST_F(TWrapperRulesTest, OpenDocumentTakesAnOpenDocumentOfThatUrlRegardlessOfCase) {
  FWorld.AddDocument({"Лист1"}, "file:///home/op/temp.xls", "com.sun.star.text.TextDocument");
  FWorld.AddDocument({"Лист1"}, "file:///home/op/temp.xls");
  FOffice.Connect(true);
  FOffice.OpenDocument("/HOME/OP/TEMP.XLS", TOOOpenOptions{}, 0);
  EXPECT_TRUE(FWorld.Loads.empty());
  FOffice.Sheets().SheetByIndex(0).CellByName("A1").SetText("x");
  EXPECT_EQ(CellOf(1, 0, "A1"), "x");  // the spreadsheet, not the text document
}

TEST_F(TWrapperRulesTest, LookupsRetargetOneWrapperEach) {
  OpenWorkingCopy();
  TOOCalcSheet& first = FOffice.Sheets().SheetByIndex(0);
  TOOCalcSheet& second = FOffice.Sheets().SheetByIndex(1);
  EXPECT_EQ(&first, &second);
  TOOCalcCell& a1 = second.CellByName("A1");
  TOOCalcCell& b2 = second.CellByName("B2");
  EXPECT_EQ(&a1, &b2);
  a1.SetText("00125");
  EXPECT_EQ(CellOf(0, 1, "B2"), "00125");
  EXPECT_EQ(CellOf(0, 1, "A1"), "");
}

TEST_F(TWrapperRulesTest, HeldSheetIsReplacedWhenAnotherSheetStandsAtThatPosition) {
  OpenWorkingCopy();
  FOffice.Sheets().SheetByIndex(0).CellByName("A1").SetText("first");
  std::swap(FWorld.Documents[0]->Sheets[0], FWorld.Documents[0]->Sheets[1]);
  FOffice.Sheets().SheetByIndex(0).CellByName("A1").SetText("second");
  EXPECT_EQ(CellOf(0, 0, "A1"), "second");  // now "Опись"
  EXPECT_EQ(CellOf(0, 1, "A1"), "first");   // "Ведомость", moved to position 1
}

TEST_F(TWrapperRulesTest, SheetAfterADocumentChangeBelongsToTheNewDocument) {
  // The first export broke off without Clear; the next document has sheets of the same names.
  OpenWorkingCopy();
  FOffice.Sheets().SheetByIndex(0).CellByName("A1").SetText("old");
  FOffice.OpenDocument("temp.xls", TOOOpenOptions{}, 0);
  FOffice.Sheets().SheetByIndex(0).CellByName("A1").SetText("new");
  EXPECT_EQ(CellOf(0, 0, "A1"), "old");
  EXPECT_EQ(CellOf(1, 0, "A1"), "new");
}

TEST_F(TWrapperRulesTest, FailedLookupsLeaveTheWrappersOnTheirTargets) {
  OpenWorkingCopy();
  TOOCalcSheet& sheet = FOffice.Sheets().SheetByIndex(2);
  const qsizetype calls = FWorld.Calls.size();
  try {
    sheet.CellByName("A1:B2");
    FAIL();
  } catch (const EOffice& error) {
    EXPECT_EQ(error.Message(), "Try to return CellRange, expect Cell.");
  }
  EXPECT_EQ(FWorld.Calls.size(), calls);  // the suite was not contacted
  EXPECT_THROW(FOffice.Sheets().SheetByIndex(4), EOffice);
  sheet.CellByName("C3").SetText("kept");
  EXPECT_EQ(CellOf(0, 2, "C3"), "kept");
}

TEST_F(TWrapperRulesTest, AddShapePlacesANewShapeAndRefusesATakenName) {
  OpenWorkingCopy();
  FWorld.AddShape(*FWorld.Documents[0]->Sheets[2], "com.sun.star.drawing.RectangleShape", "Frame");
  TOOGraphicShapes& shapes = FOffice.Sheets().SheetByIndex(2).GraphicShapes();
  shapes.AddShape(2000, 23000, 2000, 4000, "Graphic1");

  const auto& placed = FWorld.Documents[0]->Sheets[2]->Shapes;
  ASSERT_EQ(placed.size(), 2u);
  EXPECT_EQ(placed[1]->Property("Position").Get("X").ToInt(), 2000);
  EXPECT_EQ(placed[1]->Property("Position").Get("Y").ToInt(), 23000);
  EXPECT_EQ(placed[1]->Property("Size").Get("Width").ToInt(), 2000);
  EXPECT_EQ(placed[1]->Property("Size").Get("Height").ToInt(), 4000);
  EXPECT_EQ(placed[1]->Property("Name").ToString(), "Graphic1");
  EXPECT_EQ(ShapeCalls().filter("=").join(" "), "Shape.Position= Shape.Size= Shape.Name=");

  for (const char* taken : {"Graphic1", "Frame"}) {
    try {
      shapes.AddShape(0, 0, 10, 10, taken);
      ADD_FAILURE() << taken;
    } catch (const EOffice& error) {
      EXPECT_EQ(error.Message(), "Shape with specified name already exist.");
    }
  }
  EXPECT_NO_THROW(shapes.AddShape(0, 0, 10, 10, "graphic1"));  // letter case counts
}

TEST_F(TWrapperRulesTest, ShapeByNameFindsTheLastPictureOfThatName) {
  OpenWorkingCopy();
  TFakeSheet& sheet = *FWorld.Documents[0]->Sheets[2];
  const QString picture = "com.sun.star.drawing.GraphicObjectShape";
  FWorld.AddShape(sheet, "com.sun.star.drawing.RectangleShape", "Frame");
  FWorld.AddShape(sheet, picture, "QR");
  FWorld.AddShape(sheet, picture, "QR");
  TOOGraphicShapes& shapes = FOffice.Sheets().SheetByIndex(2).GraphicShapes();
  shapes.ShapeByName("QR").SetTransparency(50);
  EXPECT_TRUE(sheet.Shapes[1]->Property("Transparency").IsEmpty());
  EXPECT_EQ(sheet.Shapes[2]->Property("Transparency").ToInt(), 50);
  shapes.ShapeByName("QR").SetSize(MakeSize(6400, 6000));
  EXPECT_EQ(sheet.Shapes[2]->Property("Size").Get("Width").ToInt(), 6400);
  EXPECT_EQ(sheet.Shapes[2]->Property("Size").Get("Height").ToInt(), 6000);

  for (const char* missing : {"Frame", "qr"}) {
    try {
      shapes.ShapeByName(missing);
      ADD_FAILURE() << missing;
    } catch (const EOffice& error) {
      EXPECT_EQ(error.Message(), "Graphic shape with specified name does not exist.");
    }
  }
}

TEST_F(TWrapperRulesTest, LoadGraphicTakesOnlyWhatTheProviderCallsAnImage) {
  OpenWorkingCopy();
  TFakeSheet& sheet = *FWorld.Documents[0]->Sheets[2];
  FWorld.AddShape(sheet, "com.sun.star.drawing.GraphicObjectShape", "Graphic1");
  TOOGraphicShape& shape = FOffice.Sheets().SheetByIndex(2).GraphicShapes().ShapeByName("Graphic1");
  // The type's low 8 bits count: 0 is "not an image".
  for (const qint64 notAnImage : {0, 256}) {
    FWorld.GraphicType = notAnImage;
    try {
      shape.LoadGraphic("/tmp/notes.txt");
      ADD_FAILURE() << notAnImage;
    } catch (const EOffice& error) {
      EXPECT_EQ(error.Message(), "File format not support.");
    }
    EXPECT_TRUE(sheet.Shapes[0]->Property("Graphic").IsEmpty());
  }
  FWorld.GraphicType = 1;
  shape.LoadGraphic("/tmp/a b/QR.bmp");
  EXPECT_EQ(sheet.Shapes[0]->Property("Graphic").Get("URL").ToString(), "file:///tmp/a%20b/QR.bmp");
}

TEST_F(TWrapperRulesTest, ClearDropsEveryReferenceDownTheTree) {
  OpenWorkingCopy();
  TOOCalcSheet& sheet = FOffice.Sheets().SheetByIndex(2);
  TOOGraphicShapes& shapes = sheet.GraphicShapes();
  FOffice.Clear();
  EXPECT_THROW(sheet.CellByName("A1"), EOffice);
  EXPECT_THROW(shapes.AddShape(0, 0, 1, 1, "x"), EOffice);
}

}  // namespace
