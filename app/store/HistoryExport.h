#pragma once

#include <QByteArray>
#include <QDate>

#include <functional>

#include "app/store/PgConnection.h"
#include "app/store/Sqlite.h"

// The bags' history of a date range as CSV for the administrator: UTF-8, a header line, then
// one line per changed field of each record made from `from` to `to` inclusive (days in UTC),
// in the order of the records and, within one, of the fields' names; a record that changed no
// field has one line with the field's cells empty. Columns: record number, time (UTC,
// "YYYY-MM-DD HH:MM:SS.mmm"), who, change ("добавление", "изменение", "удаление"), the bag's key,
// field, before, after (empty where NULL). Lines end with CR LF; a cell holding a comma, a
// quote or a line break is quoted (RFC 4180). Each piece of output goes to `write` as it is made,
// so memory stays bounded however long the range. Throws EDatabaseError.
using THistoryCsvWrite = std::function<void(const QByteArray&)>;

void ExportSqliteHistory(TSqliteDatabase& db, QDate from, QDate to, const THistoryCsvWrite& write);
void ExportPgHistory(TPgConnection& connection, QDate from, QDate to, const THistoryCsvWrite& write);
