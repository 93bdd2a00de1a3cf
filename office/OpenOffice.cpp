#include "office/OpenOffice.h"

#include <QDir>

#include "office/AutomationValues.h"
#include "office/UnoServer.h"

namespace {

QString AsciiUpper(QString text) {
  for (QChar& c : text)
    if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
  return text;
}

}  // namespace

TOpenOffice::TOpenOffice(std::shared_ptr<TAutomationServer> server) : FServer(std::move(server)) {}

TOpenOffice::~TOpenOffice() = default;

TVariant TOpenOffice::CreateServiceManager() const { return FServer->CreateServiceManager(); }

void TOpenOffice::Connect(bool active) {
  if (!active) {
    Clear();
    return;
  }
  try {
    const TVariant serviceManager = CreateServiceManager();
    if (serviceManager.IsObject())
      FDesktop = serviceManager.Call("CreateInstance", {"com.sun.star.frame.Desktop"});
  } catch (const std::exception&) {
    FDesktop = TVariant();
  }
}

bool TOpenOffice::IsConnected() const { return FDesktop.IsObject(); }

void TOpenOffice::OpenDocument(const QString& fileName, TOOOpenOptions options,
                               quint8 macroExecutionMode) {
  if (!fileName.isEmpty() && FindOpenDocument(fileName)) return;
  const TVariant serviceManager = CreateServiceManager();
  const QString url = fileName.isEmpty()
                          ? FNewDocumentURL
                          : FileNameToURL(QDir::current().absoluteFilePath(fileName));
  TVariant::TArray properties{
      MakePropertyValue(serviceManager, "Hidden", options.Hidden),
      MakePropertyValue(serviceManager, "AsTemplate", options.AsTemplate),
      MakePropertyValue(serviceManager, "ReadOnly", options.ReadOnly),
      MakePropertyValue(serviceManager, "MacroExecutionMode", int{macroExecutionMode})};
  if (!options.FilterName.isEmpty())
    properties.push_back(MakePropertyValue(serviceManager, "FilterName", options.FilterName));
  const TVariant handler = FServer->CreateInteractionHandler();
  if (!handler.IsEmpty())
    properties.push_back(MakePropertyValue(serviceManager, "InteractionHandler", handler));
  const TVariant document =
      FDesktop.Call("LoadComponentFromURL", {url, "_blank", 0, TVariant(properties)});
  if (!document.IsObject()) throw EOffice("The office suite cannot load " + url);
  FDocument = document;
  if (!handler.IsEmpty()) ForgetInteractionHandler(url);
  FDocument.Set("Title", "vedomost.xls");
}

void TOpenOffice::ForgetInteractionHandler(const QString& url) {
  // The document keeps the arguments of its load and would ask the handler about what the
  // user does later (a save, say), after this program has declined it all or has ended. The
  // arguments given here are merged into the kept ones: a null handler replaces ours.
  FDocument.Call("AttachResource",
                 {url, TVariant(TVariant::TArray{MakePropertyValue(
                           CreateServiceManager(), "InteractionHandler", TVariant::Null())})});
}

bool TOpenOffice::FindOpenDocument(const QString& fileName) {
  QString service;
  if (FDocumentKind == "writer") service = "com.sun.star.text.TextDocument";
  if (FDocumentKind == "calc") service = "com.sun.star.sheet.SpreadsheetDocument";
  const QString wanted = AsciiUpper(FileNameToURL(fileName));
  const TVariant components = FDesktop.Call("GetComponents").Call("CreateEnumeration");
  while (components.Call("HasMoreElements").ToBool()) {
    const TVariant component = components.Call("NextElement");
    if (service.isEmpty() || !component.Call("SupportsService", {service}).ToBool()) continue;
    if (AsciiUpper(component.Get("URL").ToString()) == wanted) {
      FDocument = component;
      return true;
    }
  }
  return false;
}

void TOpenOffice::ShowDocument() {
  const TVariant window =
      FDocument.Call("GetCurrentController").Call("GetFrame").Call("GetContainerWindow");
  window.Call("SetVisible", {true});
  window.Call("ToFront");
}

void TOpenOffice::CloseDocument() {
  const TVariant document = FDocument;
  Clear();
  // True: the office may not keep the document open for someone else's sake either.
  document.Call("Close", {true});
}

void TOpenOffice::Clear() { FDocument = TVariant(); }

void TOpenOffice::StoreDocument(const QString& method, const QString& fileName,
                                const QString& filterName, bool overwrite) {
  const TVariant serviceManager = CreateServiceManager();
  TVariant::TArray properties{MakePropertyValue(serviceManager, "FilterName", filterName)};
  if (overwrite) properties.push_back(MakePropertyValue(serviceManager, "Overwrite", true));
  FDocument.Call(method, {FileNameToURL(fileName), TVariant(properties)});
}

void TOpenOffice::ExportToPDF(const QString& fileName) {
  StoreDocument("StoreToURL", fileName, FDocumentKind + "_pdf_Export", false);
}

TOOCalc::TOOCalc(std::shared_ptr<TAutomationServer> server)
    : TOpenOffice(server), FSheets(new TOOCalcSheets(server)) {
  FNewDocumentURL = "private:factory/scalc";
  FDocumentKind = "calc";
}

TOOCalc::TOOCalc() : TOOCalc(std::make_shared<TUnoServer>()) {}

void TOOCalc::Clear() {
  TOpenOffice::Clear();
  FSheets->Clear();
}

void TOOCalc::SaveDocumentAs(const QString& fileName, const QString& formatName) {
  QString filter = formatName;
  if (filter.isEmpty()) {
    const QString extension = QFileInfo(fileName).suffix().toLower();
    if (extension == "xls") filter = "MS Excel 97";
    if (extension == "ods") filter = "calc8";
    if (filter.isEmpty()) throw EOffice("No file format for " + fileName);
  }
  StoreDocument("StoreAsURL", fileName, filter, true);
}

TOOCalcSheets& TOOCalc::Sheets() {
  FSheets->FDocument = FDocument;
  return *FSheets;
}
