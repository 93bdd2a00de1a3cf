#include "tests/app/AppTestSupport.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

const TBagRow Bag1234 = {QStringLiteral("1234"),        5678,
                         QStringLiteral("ООО Ромашка"), QStringLiteral("40702810900000000001"),
                         QStringLiteral("7701234567"),  11,
                         QStringLiteral("Иванов И.И.")};
const TBagRow Bag77 = {QStringLiteral("77"),
                       12,
                       QStringLiteral("ИП Петров"),
                       QStringLiteral("40802810000000000002"),
                       QStringLiteral("500100732259"),
                       19,
                       QVariant()};

namespace {

struct TCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using TDb = std::unique_ptr<sqlite3, TCloser>;

TDb OpenDb(const QString& path, int flags) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot open " + path.toStdString());
  }
  sqlite3_busy_timeout(db, 5000);
  // As the program's own connections: the search index's triggers journal every row of a
  // statement, far slower in temporary files.
  sqlite3_exec(db, "PRAGMA temp_store = MEMORY", nullptr, nullptr, nullptr);
  return TDb(db);
}

void Exec(sqlite3* db, const QString& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error ? error : "?";
    sqlite3_free(error);
    throw std::runtime_error(message + " in: " + sql.toStdString());
  }
}

QVariant ColumnValue(sqlite3_stmt* stmt, int i) {
  switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
      return qint64(sqlite3_column_int64(stmt, i));
    case SQLITE_FLOAT:
      return sqlite3_column_double(stmt, i);
    case SQLITE_NULL:
      return QVariant();
    default:
      return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                               sqlite3_column_bytes(stmt, i));
  }
}

const char* InsertSql =
    "INSERT INTO Clients (\"Номер сумки\",\"Номер пакета\",\"Получатель\",\"Счет\",\"Инн\","
    "\"Символ\",\"ФИО\") VALUES (?,?,?,?,?,?,?)";

void BindRow(sqlite3_stmt* stmt, const TBagRow& row) {
  for (int i = 0; i < int(row.size()); ++i) {
    const QVariant& v = row[i];
    if (!v.isValid())
      sqlite3_bind_null(stmt, i + 1);
    else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
      sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
    else
      sqlite3_bind_text(stmt, i + 1, v.toString().toUtf8().constData(), -1, SQLITE_TRANSIENT);
  }
}

}  // namespace

TTempWorkDir::TTempWorkDir() : FPrevious(QDir::currentPath()) {
  if (!FDir.isValid() || !QDir::setCurrent(FDir.path()))
    throw std::runtime_error("no temporary folder");
}

TTempWorkDir::~TTempWorkDir() { QDir::setCurrent(FPrevious); }

QString TTempWorkDir::Path(const QString& name) const {
  return name.isEmpty() ? FDir.path() : FDir.filePath(name);
}

QStringList TTempWorkDir::Files() const {
  return QDir(FDir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

void CreateClientsDatabase(const QString& path, const std::vector<TBagRow>& rows) {
  QFile schema(QStringLiteral(APP_SCHEMA_SQL));
  if (!schema.open(QIODevice::ReadOnly)) throw std::runtime_error("schema.sql missing");
  TDb db = OpenDb(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  Exec(db.get(), QString::fromUtf8(schema.readAll()));
  for (const TBagRow& row : rows) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db.get(), InsertSql, -1, &stmt, nullptr);
    BindRow(stmt, row);
    const int rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) throw std::runtime_error("insert failed");
  }
}

void InsertGeneratedBags(const QString& path, int count) {
  TDb db = OpenDb(path, SQLITE_OPEN_READWRITE);
  Exec(db.get(), QStringLiteral("BEGIN"));
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db.get(), InsertSql, -1, &stmt, nullptr);
  for (int n = 1; n <= count; ++n) {
    BindRow(stmt, {QStringLiteral("bag-%1").arg(n), n, QStringLiteral("ООО Получатель %1").arg(n),
                   QStringLiteral("407028109%1").arg(n, 11, 10, QChar(u'0')),
                   QStringLiteral("77%1").arg(n, 8, 10, QChar(u'0')), 2,
                   QStringLiteral("Иванов %1").arg(n)});
    sqlite3_step(stmt);
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
  Exec(db.get(), QStringLiteral("COMMIT"));
}

std::vector<TBagRow> ReadBags(const QString& path) {
  TDb db = OpenDb(path, SQLITE_OPEN_READONLY);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db.get(),
                     "SELECT \"Номер сумки\",\"Номер пакета\",\"Получатель\",\"Счет\",\"Инн\","
                     "\"Символ\",\"ФИО\" FROM Clients ORDER BY rowid",
                     -1, &stmt, nullptr);
  std::vector<TBagRow> rows;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    TBagRow row;
    for (int i = 0; i < 7; ++i) row.push_back(ColumnValue(stmt, i));
    rows.push_back(row);
  }
  sqlite3_finalize(stmt);
  return rows;
}

void ExecuteSql(const QString& path, const QString& sql) {
  TDb db = OpenDb(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  Exec(db.get(), sql);
}

QVariant QueryValue(const QString& path, const QString& sql) {
  TDb db = OpenDb(path, SQLITE_OPEN_READONLY);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db.get(), sql.toUtf8().constData(), -1, &stmt, nullptr);
  QVariant value;
  if (stmt && sqlite3_step(stmt) == SQLITE_ROW) value = ColumnValue(stmt, 0);
  sqlite3_finalize(stmt);
  return value;
}

TWriteLock::TWriteLock(const QString& path) {
  TDb db = OpenDb(path, SQLITE_OPEN_READWRITE);
  Exec(db.get(), QStringLiteral("BEGIN EXCLUSIVE"));
  FDb = db.release();
}

TWriteLock::~TWriteLock() { Release(); }

void TWriteLock::Release() {
  if (!FDb) return;
  sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(FDb);
  FDb = nullptr;
}

TMessageRecorder::TMessageRecorder() {
  FPrevious = SetMessagePresenter([this](const TMessageBoxRequest& request) {
    Boxes.push_back(request);
    if (Answers.empty()) return TModalResult::mrOk;
    const TModalResult answer = Answers.front();
    Answers.pop_front();
    return answer;
  });
}

TMessageRecorder::~TMessageRecorder() { SetMessagePresenter(FPrevious); }

QStringList TMessageRecorder::Texts() const {
  QStringList texts;
  for (const TMessageBoxRequest& box : Boxes) texts << box.Text;
  return texts;
}

void WriteDatabaseIni(const QString& folder, const QString& conninfo) {
  QFile settings(QDir(folder).filePath(QStringLiteral("database.ini")));
  if (!settings.open(QIODevice::WriteOnly) ||
      settings.write("[server]\r\nconnection=" + conninfo.toUtf8()) < 0 || !settings.flush())
    throw std::runtime_error("cannot write database.ini");
}
