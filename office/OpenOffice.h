#pragma once

#include <QString>

#include <memory>

#include "office/AutomationServer.h"
#include "office/CalcSheets.h"
#include "office/Variant.h"

// How OpenDocument opens a document: hidden (no window), as a template (an untitled copy),
// read-only, and with which of the suite's import filters ("MS Excel 97"; empty: the suite
// detects the type, and may ask the user when it cannot).
struct TOOOpenOptions {
  bool Hidden = false;
  bool AsTemplate = false;
  bool ReadOnly = false;
  QString FilterName;
};

// The root of the automation wrapper: a connection to the office suite and its current
// document. Holds references to objects of the suite, never owns them: the documents it opens
// stay open in the suite.
//
// States: created (no desktop, no document) -> Connect(true) -> connected (desktop) ->
// OpenDocument -> document open -> Connect(false)/Clear -> cleared (desktop kept, no document).
// Connect(true) failing leaves it not connected (no desktop).
class TOpenOffice {
public:
  explicit TOpenOffice(std::shared_ptr<TAutomationServer> server);
  virtual ~TOpenOffice();
  TOpenOffice(const TOpenOffice&) = delete;
  TOpenOffice& operator=(const TOpenOffice&) = delete;

  // True: get a fresh service manager and desktop, swallowing every failure (then there is no
  // desktop). False: Clear. Raises nothing.
  void Connect(bool active);
  // True while a desktop is held.
  bool IsConnected() const;
  // Makes a document the current one. A non-empty fileName that FindOpenDocument finds is
  // taken as it is. Otherwise the suite loads, into a new window, a new empty document for an
  // empty fileName, else the file fileName names (relative to the working directory); the
  // document's window title becomes "vedomost.xls". The load gets the properties Hidden,
  // AsTemplate, ReadOnly and MacroExecutionMode (handed over as they are), FilterName when
  // options name one, and the server's InteractionHandler when it has one, so that the suite
  // asks the user nothing: a file it cannot open without asking fails to load. The loaded
  // document no longer knows the handler afterwards: what the user does in it later is asked
  // as usual. Errors of the suite propagate as EOffice; the current document then stays what
  // it was.
  virtual void OpenDocument(const QString& fileName, TOOOpenOptions options,
                            quint8 macroExecutionMode);
  // Looks among the open documents of this kind for one whose URL equals FileNameToURL of
  // fileName, ASCII letter case ignored; the first found becomes the current document.
  bool FindOpenDocument(const QString& fileName);
  // Shows the window of the current document (one loaded Hidden) and brings it to the front.
  void ShowDocument();
  // Closes the current document without saving it, its windows with it, and drops it (Clear).
  // Raises EOffice when the suite refuses; the document is dropped all the same.
  void CloseDocument();
  // Drops the current document and every reference the wrapper objects hold; the desktop stays.
  virtual void Clear();
  // Stores the current document at fileName (overwriting), in the suite's filter formatName,
  // or by the extension when formatName is empty: ".xls" "MS Excel 97", ".ods" "calc8".
  virtual void SaveDocumentAs(const QString& fileName, const QString& formatName) = 0;
  // Writes a PDF copy of the current document to fileName.
  virtual void ExportToPDF(const QString& fileName);
  // Where the suite is reached; lives as long as this object.
  TAutomationServer& AutomationServer() const { return *FServer; }

protected:
  TVariant CreateServiceManager() const;
  // Drops the InteractionHandler from the arguments the current document (loaded from url)
  // keeps of its load.
  void ForgetInteractionHandler(const QString& url);
  void StoreDocument(const QString& method, const QString& fileName, const QString& filterName,
                     bool overwrite);

  QString FNewDocumentURL;
  QString FDocumentKind;
  TVariant FDesktop;
  TVariant FDocument;

private:
  std::shared_ptr<TAutomationServer> FServer;
};

// The spreadsheet flavour: documents of kind "calc" and the way to their sheets.
class TOOCalc : public TOpenOffice {
public:
  // Contacts nothing: the suite is reached first by Connect(true).
  explicit TOOCalc(std::shared_ptr<TAutomationServer> server);
  // The product's own LibreOffice (TUnoServer with the program's pipe, the user's profile).
  TOOCalc();
  void Clear() override;
  void SaveDocumentAs(const QString& fileName, const QString& formatName) override;
  // The sheet collection, now on the current document. Valid as long as this object.
  TOOCalcSheets& Sheets();

private:
  std::unique_ptr<TOOCalcSheets> FSheets;
};
