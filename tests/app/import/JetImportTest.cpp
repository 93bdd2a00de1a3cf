// The old register's Jet files read through libmdb: every value as the writer was given it, the
// formats libmdb reads, and the files that must be refused with the reason.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include "app/import/ImportError.h"
#include "app/import/ImportPlan.h"
#include "app/import/JetBags.h"
#include "tests/app/import/JetFixtures.h"
#include "tests/support/FileBytes.h"

namespace {

using namespace Qt::StringLiterals;

std::vector<std::vector<TCell>> CellsOf(const TSourceTable& rows) {
  std::vector<std::vector<TCell>> cells;
  for (const TSourceRow& row : rows) cells.push_back(row.Cells);
  return cells;
}

std::vector<std::vector<TCell>> CellsOf(const std::vector<jet::TBag>& bags) {
  std::vector<std::vector<TCell>> cells;
  for (const jet::TBag& bag : bags) cells.push_back(BagCells(bag));
  return cells;
}

TEST(JetBags, EveryValueComesOutAsItWasWrittenInEveryFormatLibmdbReads) {
  const TTempWorkDir dir;
  struct TCase {
    const char* Name;
    jet::TDatabase Database;
    std::vector<jet::TBag> Bags;
  };
  const std::vector<jet::TBag> many = jet::GeneratedBags(700);  // several data pages
  // Access 97 keeps text in the desk's code page, Windows-1251; its rows stay under 256 bytes,
  // which the sample bags with the longest values and with "ü" do not.
  const std::vector<jet::TBag>& sample = jet::SampleBags();
  std::vector<jet::TBag> jet3 = {sample[0], sample[1], sample[2], sample[5]};
  jet3.insert(jet3.end(), many.begin(), many.begin() + 300);
  const TCase cases[] = {
      {"Jet 4, the old register's", jet::ClientsDatabase(jet::SampleBags()), jet::SampleBags()},
      {"Jet 4, several pages", jet::ClientsDatabase(many), many},
      {"ACE", jet::ClientsDatabase(jet::SampleBags(), jet::TFormat::Ace12), jet::SampleBags()},
      {"Jet 3, Windows-1251 over several pages", jet::ClientsDatabase(jet3, jet::TFormat::Jet3),
       jet3},
      {"a memo column beside the seven",
       jet::ClientsWithNotes(jet::SampleBags(),
                             std::vector<jet::TValue>(jet::SampleBags().size(),
                                                      std::string(3000, 'N'))),
       jet::SampleBags()},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const QString path = dir.Path(u"old.mdb"_s);
    WriteJetFile(c.Database, path);
    const TSourceTable rows = ReadJetBags(path);
    EXPECT_EQ(CellsOf(rows), CellsOf(c.Bags));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().Line, 1);
    EXPECT_EQ(rows.back().Line, int(c.Bags.size()));
  }
}

TEST(JetBags, AFileThatIsNotTheOldRegisterIsRefusedWithTheReason) {
  const TTempWorkDir dir;
  const QString path = dir.Path(u"old.mdb"_s);
  const std::vector<std::uint8_t> whole = jet::WriteDatabase(jet::ClientsDatabase(jet::GeneratedBags(700)));
  const auto cut = [&](std::size_t size) {
    return [&whole, size](const QString& file) {
      WriteFile(file, QByteArray(reinterpret_cast<const char*>(whole.data()), qsizetype(size)));
    };
  };
  struct TCase {
    const char* Name;
    std::function<void(const QString&)> Make;
    QString Sentence;  // %1: the file; {N}: some bags fewer than 700
  };
  const QString damaged = u"Файл %1 не удалось прочитать как базу Access: он повреждён, обрезан "
                          u"или это не база. Возьмите целую копию файла."_s;
  const TCase cases[] = {
      {"no table Clients",
       [](const QString& file) { WriteJetFile(jet::WithoutClients(jet::SampleBags()), file); },
       u"В файле %1 нет таблицы Clients: это не база сумок прежней версии программы. Возьмите её "
       u"файл db.mdb."_s},
      {"no column Счет",
       [](const QString& file) {
         WriteJetFile(jet::ClientsWithoutField(jet::SampleBags(), "Счет"), file);
       },
       u"В файле %1 в таблице Clients нет столбца «Счет». Возьмите файл db.mdb прежней версии "
       u"программы целиком."_s},
      {"cut inside a page", cut(whole.size() - 1000), damaged},
      {"cut at a page: the last data pages are gone", cut(whole.size() - 2 * 4096),
       u"Файл %1 повреждён: из таблицы Clients прочитано {N}, а в ней 700 сумок. Возьмите "
       u"целую копию файла."_s},
      {"the header alone", cut(4096), damaged},
      {"not there", [](const QString&) {},
       u"Не удалось прочитать файл %1: его нет или к нему нет доступа. Проверьте имя файла и "
       u"права на него."_s},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    QFile::remove(path);
    c.Make(path);
    try {
      ReadJetBags(path);
      ADD_FAILURE() << "no error";
    } catch (const EBagImport& e) {
      const QString pattern = QRegularExpression::escape(QString(c.Sentence).arg(path))
                                  .replace(u"\\{N\\}"_s, u"[1-6]?[0-9]?[0-9] сум(ка|ки|ок)"_s);
      EXPECT_TRUE(QRegularExpression(u'^' + pattern + u'$').match(e.Sentence()).hasMatch())
          << e.Sentence().toStdString();
    }
  }
}

TEST(JetBags, TheMenusImportRefusesWhatTheEditorsWouldNotTake) {
  const TTempWorkDir dir;
  const QString path = dir.Path(u"old.mdb"_s);
  std::vector<jet::TBag> bags = jet::SampleBags();
  bags.insert(bags.end(), jet::RefusedBags().begin(), jet::RefusedBags().end());
  const std::string longName(101, 'W');
  WriteJetFile(jet::ClientsWithLongName(bags, 0, longName), path);
  const TImportPlan plan = PlanImport({ReadJetBags(path), {}}, {});
  const int sample = int(jet::SampleBags().size());
  EXPECT_EQ(plan.Rejected,
            (std::vector<TRejectedRow>{{1, u"«ФИО» длиннее 100 знаков"_s},
                                       {sample + 1, u"нет номера сумки"_s},
                                       {sample + 2, u"нет номера сумки"_s},
                                       {sample + 3, u"символа 99 нет в списке (2, 11, 19, 32)"_s}}));
  std::vector<TBagRow> taken = StoredBags(jet::SampleBags());
  taken.erase(taken.begin());
  EXPECT_EQ(plan.Bags, taken);
}

}  // namespace
