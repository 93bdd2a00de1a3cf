// The real window over a register on the test's PostgreSQL server.
#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QTemporaryDir>

#include <optional>

#include "app/DataModuleUnit.h"
#include "app/MainForm.h"
#include "app/store/ADOTable.h"
#include "app/store/PgConnection.h"
#include "tests/app/RunningProgram.h"
#include "tests/app/store/PgStoreTestSupport.h"
#include "ui_MainForm.h"

namespace {

const TPgTestCluster& Cluster() { return TPgTestEnvironment::Cluster(); }

class ServerWindow : public PgRegisterTest {
protected:
  void SetUp() override {
    PgRegisterTest::SetUp();
    Cluster().Psql(
        QStringLiteral("register"),
        QStringLiteral(
            "INSERT INTO \"Clients\" (\"Номер сумки\", \"Номер пакета\", \"Получатель\", "
            "\"Счет\", \"Инн\", \"Символ\", \"ФИО\") VALUES ('1234', 5678, 'ООО Ромашка', "
            "'40702810900000000001', '7701234567', 11, 'Иванов И.И.')"));
  }
  // The full names stored, as another desk reads them.
  static std::vector<std::string> StoredNames() {
    TPgConnection other(RegisterConnInfo());
    const TPgResult result =
        other.Execute(QStringLiteral("SELECT \"ФИО\" FROM \"Clients\" ORDER BY \"ID\""));
    std::vector<std::string> names;
    for (int row = 0; row < result.RowCount(); ++row) names.push_back(Shown(result.Value(row, 0)));
    return names;
  }
};

TEST_F(ServerWindow, TheTitleNamesTheServerAndItsDatabaseAndTheFirstBagIsShown) {
  TRunningProgram program(TServerConnection{RegisterConnInfo()});
  EXPECT_EQ(program.Window().windowTitle(),
            QStringLiteral("ТОРВИ Инкассация 2019 — сервер %1:5432, база register")
                .arg(Cluster().SocketDir()));
  EXPECT_EQ(program.Controls().DBEdit1->text(), QStringLiteral("1234"));
  EXPECT_EQ(program.Controls().DBEdit5->text(), QStringLiteral("Иванов И.И."));
}

TEST_F(ServerWindow,
       ASaveAfterAServerRestartFailsWithTheMessageKeepsTheTypingAndTheNextSaveStoresIt) {
  TRunningProgram program(TServerConnection{RegisterConnInfo()});
  const Ui::TForm1& ui = program.Controls();
  program.TypeOver(ui.DBEdit5, QStringLiteral("Петров П.П."));
  program.Click(ui.Button1);
  ASSERT_TRUE(program.Messages.Boxes.empty()) << program.Messages.Texts().join(u'\n').toStdString();
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"text 'Петров П.П.'"});

  Cluster().Restart();
  program.TypeOver(ui.DBEdit5, QStringLiteral("Сидоров С.С."));
  program.Click(ui.Button1);
  ASSERT_EQ(program.Messages.Boxes.size(), 1u);
  const TMessageBoxRequest& box = program.Messages.Boxes[0];
  EXPECT_EQ(box.Caption, QStringLiteral("ТОРВИ Инкассация 2019"));
  EXPECT_EQ(box.Type, TMsgDlgType::mtError);
  EXPECT_TRUE(box.Text.startsWith(
      QStringLiteral(
          "Связь с базой данных (сервер %1:5432, база register) прервалась, действие не выполнено; "
          "набранное осталось на экране. Повторите действие: программа подключится снова.\n")
          .arg(Cluster().SocketDir())))
      << box.Text.toStdString();
  EXPECT_EQ(program.Register().State(), TDataSetState::dsEdit);
  EXPECT_EQ(ui.DBEdit5->text(), QStringLiteral("Сидоров С.С."));
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"text 'Петров П.П.'"});

  program.Click(ui.Button1);
  EXPECT_EQ(program.Messages.Boxes.size(), 1u)
      << program.Messages.Texts().join(u'\n').toStdString();
  EXPECT_EQ(program.Register().State(), TDataSetState::dsBrowse);
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"text 'Сидоров С.С.'"});
}

// A save that cannot have what it needs from the server: it waits with the wait cursor and the
// window painted, ends within its bound with the message the operator reads, and keeps the
// typing; once the cause is gone the next save stores it.
class ServerWindowWait : public ServerWindow {
protected:
  // Clicks "Сохранить": the save ends after [fromMs, toMs) with the wait cursor shown and the
  // window painted meanwhile, and one box whose first line is `sentence`; the typing stays.
  static void ExpectSaveEnds(const TRunningProgram& program, qint64 fromMs, qint64 toMs,
                             const QString& sentence) {
    const Ui::TForm1& ui = program.Controls();
    QElapsedTimer clock;
    clock.start();
    {
      const TWaitWatch watch(ui.pbPreview);
      program.Click(ui.Button1);
      EXPECT_GT(watch.Ticks(), fromMs / 100);  // a tick every 50 ms
      EXPECT_GT(watch.Paints(), 0);
    }
    EXPECT_GE(clock.elapsed(), fromMs);
    EXPECT_LT(clock.elapsed(), toMs);
    ASSERT_EQ(program.Messages.Boxes.size(), 1u);
    EXPECT_TRUE(program.Messages.Boxes[0].Text.startsWith(sentence + u'\n'))
        << program.Messages.Boxes[0].Text.toStdString();
    EXPECT_EQ(program.Register().State(), TDataSetState::dsEdit);
    EXPECT_EQ(ui.DBEdit5->text(), QStringLiteral("Сидоров С.С."));
  }
};

// Another session holds the bag's row (a desk in the middle of a long transaction): the
// server's lock time-out (5 s) ends the wait as a busy register.
TEST_F(ServerWindowWait, ASaveWaitingForARowLockedByAnotherSessionEndsBusyAndKeepsTheTyping) {
  TRunningProgram program(TServerConnection{RegisterConnInfo()});
  program.TypeOver(program.Controls().DBEdit5, QStringLiteral("Сидоров С.С."));
  TPgConnection other(RegisterConnInfo());
  other.Execute(QStringLiteral("BEGIN"));
  other.Execute(QStringLiteral("SELECT 1 FROM \"Clients\" FOR UPDATE"));
  ExpectSaveEnds(
      program, 5000, 8000,
      QStringLiteral("База данных (сервер %1:5432, база register) занята другим рабочим местом. "
                     "Подождите немного и повторите действие.")
          .arg(Cluster().SocketDir()));
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"text 'Иванов И.И.'"});

  other.Execute(QStringLiteral("ROLLBACK"));
  program.Click(program.Controls().Button1);
  EXPECT_EQ(program.Messages.Boxes.size(), 1u);
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"text 'Сидоров С.С.'"});
}

// The server stops answering at all (a hung machine, here every process of the cluster
// stopped): the desk gives the session up after TPgConnection::SilenceLimitSeconds (10 s) as a
// broken connection, the save not made even once the server goes on, and connects again for
// the next save.
TEST_F(ServerWindowWait, ASaveToAServerThatStoppedAnsweringEndsAsALostConnectionAndKeepsTheTyping) {
  TRunningProgram program(TServerConnection{RegisterConnInfo()});
  program.TypeOver(program.Controls().DBEdit5, QStringLiteral("Сидоров С.С."));
  std::optional<TStoppedServer> stopped(std::in_place, Cluster());
  ExpectSaveEnds(program, 10000, 13000,
                 QStringLiteral("Связь с базой данных (сервер %1:5432, база register) прервалась, "
                                "действие не выполнено; набранное осталось на экране. Повторите "
                                "действие: программа подключится снова.")
                     .arg(Cluster().SocketDir()));
  stopped.reset();
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"text 'Иванов И.И.'"});

  program.Click(program.Controls().Button1);
  EXPECT_EQ(program.Messages.Texts().size(), 1)
      << program.Messages.Texts().join(u'\n').toStdString();
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"text 'Сидоров С.С.'"});
}

TEST_F(ServerWindow, ASaveOverAChangeByAnotherDeskOffersToReloadTheBag) {
  TRunningProgram program(TServerConnection{RegisterConnInfo()});
  const Ui::TForm1& ui = program.Controls();
  program.TypeOver(ui.DBEdit2, QStringLiteral("ИП Сидоров"));
  Cluster().Psql(QStringLiteral("register"),
                 QStringLiteral("UPDATE \"Clients\" SET \"ФИО\" = 'Другой'"));
  program.Messages.Answers = {TModalResult::mrOk};
  program.Click(ui.Button1);
  ASSERT_EQ(program.Messages.Boxes.size(), 1u);
  EXPECT_EQ(
      program.Messages.Boxes[0].Text,
      QStringLiteral(
          "Эту сумку изменили на другом рабочем месте, пока вы её правили: ваши изменения не "
          "сохранены.\nЗагрузить сохранённые данные сумки (всё набранное пропадёт) или продолжить "
          "правку?"));
  EXPECT_EQ(program.Register().State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ui.DBEdit2->text(), QStringLiteral("ООО Ромашка"));
  EXPECT_EQ(ui.DBEdit5->text(), QStringLiteral("Другой"));
}

// Another desk's CSV export merged from the menu into the server's register, the bag already
// there replaced: the server holds the file's bags, the window shows them.
TEST_F(ServerWindow, TheMenusImportReplacesTheBagsAlreadyOnTheServer) {
  const QTemporaryDir files;
  const QString path = files.filePath(QStringLiteral("desk2.csv"));
  QFile csv(path);
  ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
  csv.write(QStringLiteral("Номер сумки;Номер пакета;Получатель;Счет;Инн;Символ;ФИО\n"
                           "1234;1;ООО Новая;;;2;Сидоров\n0099;2;ООО Вторая;;;;\n")
                .toUtf8());
  csv.close();
  TRunningProgram program(TServerConnection{RegisterConnInfo()});
  const TOpenFilePresenter previous =
      SetOpenFilePresenter([&path](const TOpenFileRequest&) { return path; });
  program.Messages.Answers = {TModalResult::mrNo, TModalResult::mrOk};  // replace, then OK
  program.Controls().N4->trigger();
  SetOpenFilePresenter(previous);
  ASSERT_EQ(program.Messages.Boxes.size(), 2u) << program.Messages.Texts().join(u'\n').toStdString();
  EXPECT_EQ(program.Messages.Boxes[1].Text,
            QStringLiteral("Импорт из файла %1 закончен.\nДобавлено сумок: 1.\nЗаменено сумок "
                           "списка: 1.")
                .arg(path));
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"text 'Сидоров'", "NULL"}));
  EXPECT_EQ(program.Register().RecordCount(), 2);
}

// A long import shows its progress; "Отмена" there writes nothing.
TEST_F(ServerWindow, OtmenaUnderTheImportsProgressBarWritesNothing) {
  const QTemporaryDir files;
  const QString path = files.filePath(QStringLiteral("desk2.csv"));
  QByteArray csv;
  for (int bag = 1; bag <= 100000; ++bag)
    csv += "B" + QByteArray::number(bag) + ";" + QByteArray::number(bag) + ";;;;2;\n";
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(csv);
  file.close();
  TRunningProgram program(TServerConnection{RegisterConnInfo()});
  const TOpenFilePresenter previous =
      SetOpenFilePresenter([&path](const TOpenFileRequest&) { return path; });
  // The operator clicks "Отмена" as soon as the progress bar shows.
  bool clicked = false;
  QTimer operatorHand;
  QObject::connect(&operatorHand, &QTimer::timeout, [&] {
    for (QProgressDialog* progress : program.Window().findChildren<QProgressDialog*>())
      if (progress->isVisible() && !clicked) {
        clicked = true;
        program.Click(progress->findChild<QPushButton*>());
      }
  });
  operatorHand.start(10);
  program.Controls().N4->trigger();
  SetOpenFilePresenter(previous);
  EXPECT_TRUE(clicked) << "the progress bar showed";
  EXPECT_EQ(program.Messages.Texts().value(1),
            QStringLiteral("Импорт отменён: в список ничего не добавлено."));
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"text 'Иванов И.И.'"}));
  EXPECT_EQ(program.Register().RecordCount(), 1);
}

// app/schema-postgresql.sql declares the program's fields in their order, type and size,
// after the key; the search's folded names follow, computed by the server alone.
TEST(PostgresqlSchema, DeclaresTheFieldsTheProgramReadsInTheirOrderTypeAndSize) {
  TPgConnection admin(RegisterConnInfo(QStringLiteral("postgres")));
  const TPgResult columns = admin.Execute(QStringLiteral(
      "SELECT column_name || ' ' || data_type || coalesce('(' || character_maximum_length || ')', "
      "'') || CASE WHEN is_generated = 'ALWAYS' THEN ' generated' ELSE '' END "
      "FROM information_schema.columns WHERE table_name = 'Clients' ORDER BY ordinal_position"));
  QStringList actual;
  for (int row = 0; row < columns.RowCount(); ++row) actual << columns.Value(row, 0).toString();
  EXPECT_EQ(actual,
            QStringList({u"ID integer"_qs, u"Номер сумки character varying(50)"_qs,
                         u"Номер пакета integer"_qs, u"Получатель character varying(255)"_qs,
                         u"Счет character varying(255)"_qs, u"Инн character varying(255)"_qs,
                         u"Символ integer"_qs, u"ФИО character varying(100)"_qs,
                         u"SearchNames text generated"_qs, u"SearchLatin text generated"_qs}));
}

// The server reads the history in its own SQL: a bag's changes after real saves, newest first,
// the insert by the register's owner included; and the check names a record its owner changed.
TEST_F(ServerWindow, TheHistoryWindowShowsTheBagsChangesAndTheCheckFindsATamperedRecord) {
  TRunningProgram program(TServerConnection{RegisterConnInfo()});
  const Ui::TForm1& ui = program.Controls();
  program.TypeOver(ui.DBEdit5, QStringLiteral("Петров П.П."));
  program.Click(ui.Button1);
  program.TypeOver(ui.DBEdit1, QStringLiteral("1235"));
  program.Click(ui.Button1);
  const TShownHistory shown = ShownHistory(program);
  EXPECT_EQ(shown.Found, QStringLiteral("Сумка № 1235: 3 изменения."));
  EXPECT_EQ(shown.Rows,
            (QStringList{
                QStringLiteral("изменение|*1234 → 1235|5678|ООО Ромашка|40702810900000000001|"
                               "7701234567|11|Петров П.П."),
                QStringLiteral("изменение|1234|5678|ООО Ромашка|40702810900000000001|7701234567|"
                               "11|*Иванов И.И. → Петров П.П."),
                QStringLiteral("добавление|*— → 1234|*— → 5678|*— → ООО Ромашка|"
                               "*— → 40702810900000000001|*— → 7701234567|*— → 11|"
                               "*— → Иванов И.И.")}));
  EXPECT_EQ(shown.Who, (QStringList{QStringLiteral("desk"), QStringLiteral("desk"),
                                    QStringLiteral("postgres")}));

  ui.N6->trigger();
  Cluster().Psql(QStringLiteral("register"),
                 QStringLiteral("UPDATE \"ClientsHistory\" SET \"Who\" = 'desk' WHERE \"Seq\" = 1"));
  ui.N6->trigger();
  EXPECT_EQ(program.Messages.Texts(),
            (QStringList{QStringLiteral("Журнал цел: 3 записи."),
                         QStringLiteral("Журнал нарушен: запись № 1 изменена или переставлена. "
                                        "Журнал менялся в обход программы: сообщите "
                                        "администратору (сервер %1:5432, база register).")
                             .arg(Cluster().SocketDir())}));
}

}  // namespace
