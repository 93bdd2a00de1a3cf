#pragma once

#include <functional>

class QWidget;
class TADOTable;
class TAutomationServer;
struct TResyncResult;

// The menu's "Импорт сумок…": bags from another desk's old register (a Jet file), or from a
// CSV file or a spreadsheet it was exported to, into the register `dataSet` works on (a file
// or a server). The operator chooses the file; a Jet file is read through libmdb, a .csv or
// .txt as CSV (ReadCsvFile), anything else through the office suite `office` (ReadSheetCells,
// behind a box with "Отмена"). The preview (ImportPreviewText) says how many bags come in, how
// many of them the register holds already and which rows cannot be taken; the operator skips
// or replaces the bags already there, or gives up. The bags go in one transaction behind a
// progress bar with "Отмена" (which writes nothing); the register catches up (dataSet.Resync,
// whose result goes to `resynced`) and a summary ends it. Raises EBagImport or EDatabaseError
// when the file cannot be read or the register cannot take the bags: nothing is written then.
// Precondition: the current record is not being edited (the caller settles that first).
void ImportBags(QWidget& window, TADOTable& dataSet, TAutomationServer& office,
                const std::function<void(const TResyncResult&)>& resynced);
