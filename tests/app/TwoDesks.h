#pragma once

// Two desks on one register, a file or the register of the test's PostgreSQL server: this
// test's own program in process, and another desk as a real program process (desk_driver) in
// the same working folder, which holds db.mdb or the database.ini naming the server.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <memory>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "tests/app/OtherDesk.h"
#include "tests/app/RunningProgram.h"
#include "tests/app/store/PgStoreTestSupport.h"
#include "tests/app/store/TestRegisters.h"

// This desk's program over a new register on one engine, and the register as another client
// reads it.
class TwoDesksTest : public testing::Test {
protected:
  // The register holds `bags`, then `generated` more (InsertGeneratedBags).
  TRunningProgram& Start(bool server, const std::vector<TBagRow>& bags, int generated = 0) {
    if (server) {
      Server = std::make_unique<TServerRegister>();
      Server->Create(bags);
      if (generated > 0)
        TPgTestEnvironment::Cluster().InsertGeneratedBags(
            QString::fromLatin1(TPgTestEnvironment::RegisterDatabase), generated);
      Here = std::make_unique<TRunningProgram>(TServerConnection{RegisterConnInfo()});
    } else {
      Here = std::make_unique<TRunningProgram>(bags, nullptr, generated);
    }
    return *Here;
  }
  std::vector<TBagRow> Stored() const { return Server ? Server->Rows() : ReadBags(Here->Db()); }

  std::unique_ptr<TServerRegister> Server;  // on the server only
  std::unique_ptr<TRunningProgram> Here;
};

// An engine the two-desk cases run on.
struct TDeskEngine {
  const char* Name;
  bool Server;
};

inline void PrintTo(const TDeskEngine& engine, std::ostream* out) { *out << engine.Name; }

// The engines of this test program. Each program that links the two-desk cases defines it:
// the file where a window is all that is needed, the server where the test cluster runs.
std::vector<TDeskEngine> TwoDesksEngines();

class TwoDesks : public TwoDesksTest, public testing::WithParamInterface<TDeskEngine> {
protected:
  TRunningProgram& Start(const std::vector<TBagRow>& bags, int generated = 0) {
    return TwoDesksTest::Start(GetParam().Server, bags, generated);
  }
};
