#pragma once

#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/store/ADOConnection.h"
#include "app/store/PgConnection.h"
#include "tests/app/AppTestSupport.h"

// A register for the data set under test, and another desk's view of it, on one engine. SQL
// given to Execute quotes "Clients", which both engines read alike.
class TRegister {
public:
  virtual ~TRegister() = default;
  // An empty register holding `rows`, in this order.
  virtual void Create(const std::vector<TBagRow>& rows) = 0;
  virtual TADOConnection& Connection() = 0;
  virtual void Execute(const QString& sql) = 0;
  // Every stored row, in the order added.
  virtual std::vector<TBagRow> Rows() = 0;
  // Whether Execute speaks PostgreSQL's SQL rather than SQLite's, where a case needs each its own.
  virtual bool OnServer() const = 0;
};

// db.mdb in a temporary folder, the working directory while the register lives.
class TFileRegister : public TRegister {
public:
  void Create(const std::vector<TBagRow>& rows) override { CreateClientsDatabase(Db(), rows); }
  TADOConnection& Connection() override { return FConnection; }
  void Execute(const QString& sql) override { ExecuteSql(Db(), sql); }
  std::vector<TBagRow> Rows() override { return ReadBags(Db()); }
  bool OnServer() const override { return false; }

private:
  QString Db() const { return FDir.Path(QStringLiteral("db.mdb")); }
  TTempWorkDir FDir;
  TADOConnection FConnection{QStringLiteral("db.mdb"), 2000};
};

// The register of the test cluster (TPgTestEnvironment), reached as a desk; the other view is
// the administrator's, who may also add the uniqueness rule "BagNumbers".
class TServerRegister : public TRegister {
public:
  TServerRegister();
  // Emptied, its keys counting from 1 again, without the uniqueness rule.
  void Create(const std::vector<TBagRow>& rows) override;
  TADOConnection& Connection() override { return FConnection; }
  void Execute(const QString& sql) override { FOther.Execute(sql); }
  std::vector<TBagRow> Rows() override;
  bool OnServer() const override { return true; }

private:
  TPgConnection FOther;
  TADOConnection FConnection;
};

// An engine the cases of a test run on, as a parameter: its name and a maker of fresh registers.
struct TRegisterEngine {
  const char* Name;
  std::function<std::unique_ptr<TRegister>()> Make;
};
void PrintTo(const TRegisterEngine& engine, std::ostream* out);

// The engines of this test program, for INSTANTIATE_TEST_SUITE_P(Engines, Suite,
// TestedEngines(), EngineName). Each program that runs such cases defines it: the file where
// nothing outside the process may be needed (TestedOnFile.cpp), the server where the test
// cluster runs (TestedOnServer.cpp).
testing::internal::ParamGenerator<TRegisterEngine> TestedEngines();
std::string EngineName(const testing::TestParamInfo<TRegisterEngine>& info);
