#include "office/SheetReader.h"

#include <QDir>

#include <cmath>

#include "office/AutomationServer.h"
#include "office/AutomationValues.h"
#include "office/OfficeWork.h"

namespace {

TSheetCell CellText(const TVariant& value) {
  switch (value.Kind()) {
    case TVariant::TKind::String:
      if (value.ToString().isEmpty()) return std::nullopt;
      return value.ToString();
    case TVariant::TKind::Double: {
      const double number = value.ToDouble();
      if (std::trunc(number) == number && std::fabs(number) <= 9007199254740992.0)
        return QString::number(qint64(number));
      return QString::number(number, 'g', 17);
    }
    case TVariant::TKind::Int:
      return QString::number(value.ToInt());
    default:
      return std::nullopt;
  }
}

}  // namespace

std::vector<std::vector<TSheetCell>> ReadSheetCells(TAutomationServer& server, const QString& path,
                                                    TOfficeWork& work) {
  const TVariant serviceManager = server.CreateServiceManager();
  work.Answered();
  const TVariant desktop = serviceManager.Call("CreateInstance", {"com.sun.star.frame.Desktop"});
  const QString url = FileNameToURL(QDir::current().absoluteFilePath(path));
  TVariant::TArray properties{MakePropertyValue(serviceManager, "Hidden", true),
                              MakePropertyValue(serviceManager, "ReadOnly", true)};
  if (const TVariant handler = server.CreateInteractionHandler(); !handler.IsEmpty())
    properties.push_back(MakePropertyValue(serviceManager, "InteractionHandler", handler));
  work.Answered();
  const TVariant document =
      desktop.Call("LoadComponentFromURL", {url, "_blank", 0, TVariant(properties)});
  if (!document.IsObject()) throw EOffice("The office suite cannot load " + url);
  work.Answered();
  std::vector<std::vector<TSheetCell>> rows;
  try {
    if (!document.Call("SupportsService", {"com.sun.star.sheet.SpreadsheetDocument"}).ToBool())
      throw EOffice("Not a spreadsheet: " + url);
    const TVariant sheet = document.Call("GetSheets").Call("GetByIndex", {0});
    work.Answered();
    const TVariant cursor =
        sheet.Call("CreateCursorByRange", {sheet.Call("GetCellRangeByName", {"A1"})});
    cursor.Call("GotoEndOfUsedArea", {true});
    work.Answered();
    const TVariant data = cursor.Call("GetDataArray");
    work.Answered();
    for (const TVariant& row : data.ToArray()) {
      std::vector<TSheetCell> cells;
      for (const TVariant& cell : row.ToArray()) cells.push_back(CellText(cell));
      rows.push_back(std::move(cells));
    }
  } catch (...) {
    document.Call("Close", {true});
    throw;
  }
  document.Call("Close", {true});
  work.Answered();
  return rows;
}
