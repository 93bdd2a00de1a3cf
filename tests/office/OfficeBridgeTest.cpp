#include <QFile>
#include <QUuid>

#include <thread>

#include "tests/office/OfficeFixture.h"
#include "tests/office/OfficeSockets.h"

namespace {

using TOfficeBridgeTest = TOfficeFixture;

TEST_F(TOfficeBridgeTest, NewDocumentGetsTitleAndTakesTextsAsTheyAre) {
  FOffice->Connect(true);
  ASSERT_TRUE(FOffice->IsConnected());
  FOffice->OpenDocument("", TOOOpenOptions{}, 0);
  TOOCalcCell& first = FOffice->Sheets().SheetByIndex(0).CellByName("a1");
  TOOCalcCell& second = FOffice->Sheets().SheetByIndex(0).CellByName("B2");
  EXPECT_EQ(&first, &second);
  second.SetText("00125");
  FOffice->Sheets().SheetByIndex(0).CellByName("C3").SetText("Сумма #1 100%");

  const TVariant desktop =
      FServer->CreateServiceManager().Call("CreateInstance", {"com.sun.star.frame.Desktop"});
  const TVariant document = desktop.Get("CurrentComponent");
  EXPECT_EQ(document.Get("TITLE").ToString(), "vedomost.xls");
  EXPECT_EQ(CellText(document, 0, "B2"), "00125");
  EXPECT_EQ(CellText(document, 0, "C3"), "Сумма #1 100%");
  EXPECT_TRUE(CellText(document, 0, "A1").isEmpty());
}

}  // namespace

namespace {

TEST_F(TOfficeBridgeTest, UnknownNamesAndRefusalsOfTheSuiteRaise) {
  FOffice->Connect(true);
  FOffice->OpenDocument("", TOOOpenOptions{}, 0);
  const TVariant desktop =
      FServer->CreateServiceManager().Call("CreateInstance", {"com.sun.star.frame.Desktop"});
  const TVariant document = desktop.Get("CurrentComponent");
  const TVariant sheet = document.Call("getsheets").Call("GETBYINDEX", {0});
  // "getSheets" is known on this connection now, but the sheet has no such method.
  try {
    sheet.Call("GetSheets");
    FAIL();
  } catch (const EOffice& error) {
    EXPECT_EQ(error.Message(), "Method 'GetSheets' not supported by automation object");
  }
  EXPECT_THROW(sheet.Get("NoSuchProperty"), EOffice);
  EXPECT_THROW(document.Call("GetSheets").Call("GetByIndex", {99}), EOffice);
  EXPECT_THROW(sheet.Call("GetCellRangeByName", {"not an address"}), EOffice);
  EXPECT_THROW(FOffice->Sheets().SheetByIndex(7), EOffice);
  FOffice->Sheets().SheetByIndex(0).CellByName("A1").SetText("still fine");
  EXPECT_EQ(CellText(document, 0, "A1"), "still fine");
}

}  // namespace

namespace {

// A peer on the office's pipe that takes the connection and reads nothing from it, as an
// office that has just died: each write the bridge makes to it fails (EPIPE). That ends the
// connection as the office's death does, and must not end this process by SIGPIPE.
TEST(TOfficePipeTest, AWriteToAPeerThatReadsNoMoreRaisesOfficeGone) {
  TOfficeLaunch launch;
  launch.PipeName = "inkassatsiya_test_" + QUuid::createUuid().toString(QUuid::Id128);
  launch.Program = "/bin/false";  // nothing is started: somebody listens
  TSilentOfficePipe pipe(launch.PipeName);
  ASSERT_TRUE(pipe.Listen());
  std::thread peer([&pipe] { pipe.StopReading(); });
  TUnoServer server(launch);
  EXPECT_THROW(server.CreateServiceManager(), EOfficeGone);
  peer.join();
}

}  // namespace
