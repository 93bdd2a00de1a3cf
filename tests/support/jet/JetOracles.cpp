#include "tests/support/jet/JetOracles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

constexpr char16_t FieldSeparator = 0x1F;
constexpr char16_t RowSeparator = 0x1E;
constexpr char16_t NullMark = 0x1D;

struct TOutput {
  QString Out;
  QString Err;
  int Code = -1;
};

TOutput Execute(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
    ADD_FAILURE() << program.toStdString() << " did not run: " << process.errorString().toStdString();
    return {};
  }
  return {QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError()),
          process.exitCode()};
}

QString NodeScript() { return QStringLiteral(JET_ORACLE_DIR "/read-jet.mjs"); }

// A field of mdb-export: the NULL mark, a quoted text ("" inside for "), or a number.
QVariant ExportedValue(const QString& field) {
  if (field == QString(NullMark))
    return {};
  if (field.startsWith(u'"') && field.endsWith(u'"') && field.size() >= 2)
    return field.mid(1, field.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
  bool ok = false;
  const qlonglong number = field.toLongLong(&ok);
  if (!ok)
    ADD_FAILURE() << "mdb-export gave neither text nor a number: " << field.toStdString();
  return number;
}

QVariant JsonValue(const QJsonValue& value) {
  if (value.isNull())
    return {};
  if (value.isDouble())
    return static_cast<qlonglong>(value.toDouble());
  return value.toString();
}

QJsonObject ReadJson(const QString& file, const QStringList& more, TOutput* output) {
  *output = Execute(QStringLiteral("node"), QStringList{NodeScript(), file} + more);
  return QJsonDocument::fromJson(output->Out.toUtf8()).object();
}

}  // namespace

QString RunTool(const QString& program, const QStringList& arguments) {
  const TOutput output = Execute(program, arguments);
  EXPECT_EQ(output.Code, 0) << program.toStdString() << ": " << output.Err.toStdString();
  return output.Out;
}

TTableRead ReadWithMdbTools(const QString& file, const QString& table) {
  const TOutput output = Execute(QStringLiteral("mdb-export"),
                                 {QStringLiteral("-d"), QString(FieldSeparator), QStringLiteral("-R"),
                                  QString(RowSeparator), QStringLiteral("-0"), QString(NullMark), file, table});
  TTableRead read;
  read.Errors = output.Err;
  read.Failed = output.Code != 0;
  QStringList lines = output.Out.split(RowSeparator);
  if (!lines.isEmpty() && lines.last().isEmpty())
    lines.removeLast();
  if (lines.isEmpty())
    return read;
  read.Columns = lines.takeFirst().split(FieldSeparator);
  for (const QString& line : lines) {
    QVariantList row;
    for (const QString& field : line.split(FieldSeparator))
      row.append(ExportedValue(field));
    read.Rows.push_back(row);
  }
  return read;
}

TTableRead ReadWithMdbReader(const QString& file, const QString& table) {
  TOutput output;
  const QJsonObject json = ReadJson(file, {table}, &output);
  TTableRead read;
  read.Errors = output.Err;
  read.Failed = output.Code != 0;
  for (const QJsonValue column : json.value(QStringLiteral("columns")).toArray())
    read.Columns.append(column.toObject().value(QStringLiteral("name")).toString());
  for (const QJsonValue row : json.value(QStringLiteral("rows")).toArray()) {
    QVariantList values;
    for (const QJsonValue value : row.toArray())
      values.append(JsonValue(value));
    read.Rows.push_back(values);
  }
  return read;
}

QStringList TablesByMdbTools(const QString& file) {
  return RunTool(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), file}).split(u'\n', Qt::SkipEmptyParts);
}

QStringList TablesByMdbReader(const QString& file) {
  TOutput output;
  QStringList tables;
  for (const QJsonValue name : ReadJson(file, {}, &output).value(QStringLiteral("tables")).toArray())
    tables.append(name.toString());
  EXPECT_EQ(output.Code, 0) << output.Err.toStdString();
  return tables;
}

QStringList ColumnsByMdbReader(const QString& file, const QString& table) {
  TOutput output;
  QStringList columns;
  for (const QJsonValue column : ReadJson(file, {table}, &output).value(QStringLiteral("columns")).toArray()) {
    const QJsonObject c = column.toObject();
    columns.append(QStringLiteral("%1 %2 %3")
                       .arg(c.value(QStringLiteral("name")).toString(), c.value(QStringLiteral("type")).toString())
                       .arg(c.value(QStringLiteral("size")).toInt()));
  }
  EXPECT_EQ(output.Code, 0) << output.Err.toStdString();
  return columns;
}
