// Two instances of the program on one desk share one office: the office listens on one pipe
// per user. Both exporting at the same moment, each gets its voucher or a clear message; an
// export never ends without either.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "office/AutomationValues.h"
#include "office/OfficeProcess.h"
#include "tests/app/OtherDesk.h"
#include "tests/export/WindowExportFixture.h"
#include "tests/support/FileBytes.h"

namespace {

class TTwoInstancesExport : public TOfficeFixture {
protected:
  void TearDown() override {
    FDesks.clear();  // each asks the office to end when it holds nothing of theirs
    // The vouchers are the operator's; the test's office goes with the test.
    for (const QString& folder : FFolders)
      for (const TVariant& document : OpenDocuments(FileNameToURL(folder + "/vouchers") + "/"))
        try {
          document.Call("Close", {true});
        } catch (const EOffice&) {
          // The last one closed: the office ends under the call, as it should.
        }
    QElapsedTimer clock;
    clock.start();
    const QString accept = "--accept=pipe,name=" + FPipeName + ";urp;";
    while (TOfficeProcess::UserHasLiveProcessWith(accept) && clock.elapsed() < 20000)
      QThread::msleep(50);
    TOfficeFixture::TearDown();
  }

  // A program in a working folder of its own: the register holds one bag of that number, the
  // firm is entered, the template is in place; its export goes to this test's office.
  TOtherDesk& StartDesk(const QString& bagNumber) {
    const QString folder = FWork.filePath("desk-" + bagNumber);
    EXPECT_TRUE(QDir().mkpath(folder));
    TBagRow bag = ExportBag;
    bag[0] = bagNumber;
    CreateClientsDatabase(folder + "/db.mdb", {bag});
    EXPECT_TRUE(QFile::copy(FWork.filePath("temp.xls"), folder + "/temp.xls"));
    WriteFile(folder + "/firmname.ini", "[user]\r\nname=Firm " + bagNumber.toLatin1() + "\r\n");
    FFolders << folder;
    FDesks.push_back(std::make_unique<TOtherDesk>(
        folder, QStringList{QStringLiteral("--office-pipe"), FPipeName,
                            QStringLiteral("--office-profile"), FileNameToURL(FProfile.path())}));
    return *FDesks.back();
  }

  // The vouchers open in the office that the desk in that folder exported.
  std::vector<TVariant> Vouchers(int desk) {
    return OpenDocuments(FileNameToURL(FFolders[desk] + "/vouchers") + "/");
  }

  QStringList FFolders;
  std::vector<std::unique_ptr<TOtherDesk>> FDesks;
};

// The office the first program got ready in the background serves two other programs exporting
// at the same moment, twice; the first program, which never exported, then ends: the vouchers
// it did not make stay open in the office.
TEST_F(TTwoInstancesExport, TwoExportingAtTheSameMomentEachGetTheirVoucherAndKeepIt) {
  StartDesk("000100");
  // Until its office answers on the pipe: asked by a server that starts none of its own.
  TOfficeLaunch probe = Launch();
  probe.Program = "false";
  QElapsedTimer clock;
  clock.start();
  for (bool answers = false; !answers && clock.elapsed() < 60000;) {
    try {
      answers = TUnoServer(probe).CreateServiceManager().IsObject();
    } catch (const EOffice&) {
      QThread::msleep(100);
    }
  }
  ASSERT_LT(clock.elapsed(), 60000);
  for (const QString bag : {"000101", "000202"}) ASSERT_EQ(StartDesk(bag).Ask("count 2 3"), "ok");
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    for (std::size_t i = 1; i < FDesks.size(); ++i) FDesks[i]->Send("menu N3");
    for (std::size_t i = 1; i < FDesks.size(); ++i) ASSERT_EQ(FDesks[i]->Answer(90000), "ok");
    for (std::size_t i = 1; i < FDesks.size(); ++i) {
      SCOPED_TRACE(FFolders[i].toStdString());
      EXPECT_EQ(FDesks[i]->Ask("boxes"), "");
      EXPECT_EQ(Vouchers(i).size(), std::size_t(round));
    }
  }
  FDesks.front().reset();
  QThread::msleep(1000);
  for (std::size_t i = 1; i < FDesks.size(); ++i) EXPECT_EQ(Vouchers(i).size(), 2u);
}

}  // namespace
