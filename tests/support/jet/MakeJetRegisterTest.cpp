// make-jet-register writes exactly the documented fixture for each option, and refuses what it
// cannot write.
#include "tests/support/jet/ClientsRegister.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::vector<std::uint8_t> Bytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  const QByteArray data = file.readAll();
  return {data.begin(), data.end()};
}

int MakeJetRegister(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(MAKE_JET_REGISTER), arguments);
  return process.waitForFinished(60000) ? process.exitCode() : -1;
}

std::vector<jet::TBag> operator+(std::vector<jet::TBag> a, const std::vector<jet::TBag>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(MakeJetRegister, WritesTheRegisterEachOptionNames) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("db.mdb"));
  const struct {
    QStringList Options;
    jet::TDatabase Meant;
  } cases[] = {
      {{"250"}, jet::ClientsDatabase(jet::GeneratedBags(250))},
      {{"--sample", "--ace", "3"},
       jet::ClientsDatabase(jet::SampleBags() + jet::RefusedBags() + jet::GeneratedBags(3), jet::TFormat::Ace12)},
      {{"--jet3", "4"}, jet::ClientsDatabase(jet::GeneratedBags(4), jet::TFormat::Jet3)},
      {{"--without", "ФИО", "3"}, jet::ClientsWithoutField(jet::GeneratedBags(3), "ФИО")},
      {{"--no-clients", "3"}, jet::WithoutClients(jet::GeneratedBags(3))},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(MakeJetRegister(c.Options + QStringList{file}), 0) << c.Options.join(' ').toStdString();
    EXPECT_EQ(Bytes(file), jet::WriteDatabase(c.Meant)) << c.Options.join(' ').toStdString();
  }

  ASSERT_EQ(MakeJetRegister({"--truncate", "5000", "250", file}), 0);
  const std::vector<std::uint8_t> whole = jet::WriteDatabase(jet::ClientsDatabase(jet::GeneratedBags(250)));
  EXPECT_EQ(Bytes(file), std::vector<std::uint8_t>(whole.begin(), whole.begin() + 5000));
}

TEST(MakeJetRegister, RefusesWhatItCannotWrite) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("db.mdb"));
  EXPECT_EQ(MakeJetRegister({"--bogus", "3", file}), 2);
  EXPECT_EQ(MakeJetRegister({"3"}), 2);
  EXPECT_EQ(MakeJetRegister({"--without", "Нет такого", "3", file}), 1);
  EXPECT_EQ(MakeJetRegister({"3", dir.filePath(QStringLiteral("no/such/folder/db.mdb"))}), 1);
  EXPECT_FALSE(QFile::exists(file));
}

}  // namespace
