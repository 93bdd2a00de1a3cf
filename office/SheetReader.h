#pragma once

#include <QString>

#include <optional>
#include <vector>

class TAutomationServer;
class TOfficeWork;

// A cell of a spreadsheet as text: nothing for an empty cell; a text cell exactly as it is
// (leading zeros and blanks kept); a number in digits ("42", "-7"; a fraction or a number past
// 2^53 with up to 17 significant digits and a full stop, "2.5").
using TSheetCell = std::optional<QString>;

// The cells of the first sheet of the spreadsheet `path` (whatever the suite opens: .xls,
// .xlsx, .ods, ...), from A1 to the end of its used area, row by row. The suite loads the file
// hidden and read-only with the server's interaction handler, so it asks nothing, and closes it
// again. Runs as the job of `work` (on its thread), telling it of every answer of the suite.
// Raises EOffice when the suite cannot load the file or refuses a call (the document is
// closed), EOfficeGone when it goes away.
std::vector<std::vector<TSheetCell>> ReadSheetCells(TAutomationServer& server, const QString& path,
                                                    TOfficeWork& work);
