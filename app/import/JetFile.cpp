#include "app/import/JetFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <mdbtools.h>

#include <algorithm>

#include "app/import/ImportError.h"

namespace {

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

// libmdb's flags in a row's offset: the row is deleted, or points elsewhere.
constexpr int RowOffsetMask = 0x1FFF;

}  // namespace

bool IsJetFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = file.read(19);
  return head.size() == 19 && (head.mid(4) == QByteArrayLiteral("Standard Jet DB") ||
                               head.mid(4) == QByteArrayLiteral("Standard ACE DB"));
}

struct TJetDatabase::TImpl {
  MdbHandle* Mdb = nullptr;
  ~TImpl() {
    if (Mdb) mdb_close(Mdb);
  }
};

TJetDatabase::TJetDatabase(const QString& path) : FPath(path), FImpl(std::make_unique<TImpl>()) {
  if (QFile file(path); !file.open(QIODevice::ReadOnly))
    throw EBagImport(QStringLiteral("Не удалось прочитать файл %1: его нет или к нему нет "
                                    "доступа. Проверьте имя файла и права на него.")
                         .arg(Native(path)),
                     file.errorString());
  FImpl->Mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
  if (!FImpl->Mdb) Damaged(QStringLiteral("libmdb %1 cannot open it").arg(mdb_get_version()));
  const qint64 size = QFileInfo(path).size();
  const qint64 page = FImpl->Mdb->fmt->pg_size;
  if (size % page != 0)
    Damaged(QStringLiteral("%1 bytes, not a whole number of %2-byte pages").arg(size).arg(page));
}

TJetDatabase::~TJetDatabase() = default;

void TJetDatabase::Damaged(const QString& technical) const {
  throw EBagImport(QStringLiteral("Файл %1 не удалось прочитать как базу Access: он повреждён, "
                                  "обрезан или это не база. Возьмите целую копию файла.")
                       .arg(Native(FPath)),
                   technical);
}

TJetVersion TJetDatabase::Version() const {
  switch (FImpl->Mdb->f->jet_version) {
    case MDB_VER_JET3:
      return TJetVersion::Jet3;
    case MDB_VER_JET4:
      return TJetVersion::Jet4;
    default:
      return TJetVersion::Ace;
  }
}

struct TJetTable::TImpl {
  MdbTableDef* Table = nullptr;
  std::vector<std::vector<char>> Buffers;  // where libmdb writes each column's value
  std::vector<int> Lengths;
  std::vector<bool> Null;         // per column, of the current row
  std::vector<MdbField> Fields;   // the current row as libmdb cracks it
  ~TImpl() {
    if (Table) mdb_free_tabledef(Table);
  }
};

std::unique_ptr<TJetTable> TJetDatabase::Table(const QString& name) {
  MdbHandle* mdb = FImpl->Mdb;
  if (!mdb_read_catalog(mdb, MDB_TABLE)) Damaged(QStringLiteral("no catalogue"));
  for (unsigned i = 0; i < mdb->num_catalog; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
    if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry)) continue;
    if (QString::fromUtf8(entry->object_name).compare(name, Qt::CaseInsensitive) != 0) continue;
    auto impl = std::make_unique<TJetTable::TImpl>();
    impl->Table = mdb_read_table(entry);
    if (!impl->Table || !mdb_read_columns(impl->Table))
      Damaged(QStringLiteral("no definition of the table %1").arg(name));
    MdbTableDef* table = impl->Table;
    impl->Buffers.resize(table->num_cols, std::vector<char>(mdb->bind_size + 1));
    impl->Lengths.resize(table->num_cols);
    impl->Null.resize(table->num_cols);
    impl->Fields.resize(MDB_MAX_COLS);
    std::vector<TJetTable::TColumn> columns;
    for (unsigned c = 0; c < table->num_cols; ++c) {
      const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
      const int type = column->col_type;
      columns.push_back({QString::fromUtf8(column->name), type == MDB_TEXT || type == MDB_MEMO,
                         type == MDB_BYTE || type == MDB_INT || type == MDB_LONGINT});
      mdb_bind_column(table, int(c) + 1, impl->Buffers[c].data(), &impl->Lengths[c]);
    }
    mdb_rewind_table(table);
    std::unique_ptr<TJetTable> result(new TJetTable(std::move(impl)));
    result->FColumns = std::move(columns);
    result->FRow.resize(result->FColumns.size());
    return result;
  }
  return nullptr;
}

TJetTable::TJetTable(std::unique_ptr<TImpl> impl) : FImpl(std::move(impl)) {}

TJetTable::~TJetTable() = default;

qint64 TJetTable::StatedRowCount() const { return FImpl->Table->num_rows; }

bool TJetTable::Next() {
  MdbTableDef* table = FImpl->Table;
  if (!mdb_fetch_row(table)) return false;
  // The bound values cannot tell a NULL from an empty text: the row's null flags can. The
  // row just fetched is on the page libmdb holds; cracked again as libmdb cracked it.
  int start = 0;
  size_t size = 0;
  std::vector<bool>& null = FImpl->Null;
  std::fill(null.begin(), null.end(), false);
  if (mdb_find_row(table->entry->mdb, int(table->cur_row) - 1, &start, &size) == 0) {
    std::vector<MdbField>& fields = FImpl->Fields;
    const int count = mdb_crack_row(table, start & RowOffsetMask, size, fields.data());
    for (int i = 0; i < count && i < int(fields.size()); ++i)
      if (fields[i].colnum >= 0 && std::size_t(fields[i].colnum) < null.size())
        null[fields[i].colnum] = fields[i].is_null;
  }
  for (std::size_t c = 0; c < FRow.size(); ++c) {
    if (null[c])
      FRow[c].reset();
    else
      FRow[c] = QString::fromUtf8(FImpl->Buffers[c].data());
  }
  return true;
}
