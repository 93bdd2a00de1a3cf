#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "office/AutomationServer.h"
#include "tests/support/QtPrinters.h"

// A small office suite in process, reached by the same late-bound calls as the real one: a
// desktop that loads documents, sheets (a fresh object per lookup, as the suite does), cells,
// drawing layers with shapes, a graphic provider, structures. Every call is logged.

class TFakeWorld;

// An object of the fake suite: methods and properties by name, letter case not significant.
// Only declared properties can be set. Logs "Kind.Method()", "Kind.Property" (get) and
// "Kind.Property=" (set).
class TFakeObject : public TAutoObject {
public:
  using TMethod = std::function<TVariant(const TVariant::TArray&)>;
  TFakeObject(TFakeWorld& world, QString kind) : FWorld(world), FKind(std::move(kind)) {}
  TVariant Call(const QString& name, const TVariant::TArray& args) override;
  TVariant Get(const QString& name) override;
  void Set(const QString& name, const TVariant& value) override;

  void Method(const QString& name, TMethod method) { FMethods[name.toLower()] = std::move(method); }
  void Property(const QString& name, TVariant value) { FProperties[name.toLower()] = value; }
  // A declared property that also tells onSet every value set.
  void Property(const QString& name, TVariant value, std::function<void(const TVariant&)> onSet) {
    Property(name, std::move(value));
    FOnSet[name.toLower()] = std::move(onSet);
  }
  TVariant Property(const QString& name) const;

private:
  TFakeWorld& FWorld;
  QString FKind;
  std::map<QString, TMethod> FMethods;
  std::map<QString, TVariant> FProperties;
  std::map<QString, std::function<void(const TVariant&)>> FOnSet;
};

// One sheet's content: its name, the texts written into it, its drawing layer.
struct TFakeSheet {
  QString Name;
  std::map<QString, QString> Cells;       // by upper-case address
  std::map<QString, double> CharHeights;  // sizes set, by upper-case address
  std::shared_ptr<TFakeObject> DrawPage;
  std::vector<std::shared_ptr<TFakeObject>> Shapes;
};

struct TFakeDocument {
  std::shared_ptr<TFakeObject> Model;
  std::vector<std::shared_ptr<TFakeSheet>> Sheets;  // in position order
  bool Shown = false;   // its window was made visible
  bool Closed = false;  // closed (and so no longer among the open documents' windows)
};

// One text written into a cell: which document (by load order), which sheet (its name).
struct TFakeWrite {
  int Document;
  QString Sheet;
  QString Address;
  QString Text;
};

class TFakeWorld {
public:
  TFakeWorld();
  // A document, open in the suite, with sheets of these names and this URL.
  TFakeDocument& AddDocument(const QStringList& sheetNames, const QString& url,
                             const QString& service = "com.sun.star.sheet.SpreadsheetDocument");
  // A shape of a service put straight onto a sheet's drawing layer.
  void AddShape(TFakeSheet& sheet, const QString& service, const QString& name);

  bool Reachable = true;  // false: the service manager cannot be created
  std::chrono::milliseconds AnswerTimeout{30000};
  qint64 GraphicType = 1;  // what the provider reports for any file
  QString RefusedAddress;  // a cell address the suite refuses
  QString UnmergedAddress;  // a cell that is no merged field in loaded documents
  // A cell whose SetString never answers: it waits until the server is aborted, then raises
  // EOfficeGone as a disposed connection does.
  QString HangingAddress;
  QStringList Sheets{"Ведомость", "Опись", "Квитанция", "Опись (2)"};  // of loaded documents
  QStringList Calls;  // every call, get and set, as logged by TFakeObject
  std::vector<std::unique_ptr<TFakeDocument>> Documents;  // open, in load order
  std::vector<TVariant::TArray> Loads;  // the arguments of every LoadComponentFromURL
  std::vector<TFakeWrite> Writes;

  std::shared_ptr<TFakeObject> ServiceManager();

  // How often the server was aborted. Thread-safe.
  void RecordAbort();
  int Aborts() const;

private:
  std::shared_ptr<TFakeObject> Struct(const QString& type);
  std::shared_ptr<TFakeObject> SheetObject(int document, std::shared_ptr<TFakeSheet> sheet);
  std::shared_ptr<TFakeObject> Desktop();
  std::shared_ptr<TFakeObject> NewShape(const QString& service);
  void HangUntilAborted();

  mutable std::mutex FMutex;
  std::condition_variable FAborted;
  int FAborts = 0;
};

class TFakeServer : public TAutomationServer {
public:
  explicit TFakeServer(TFakeWorld& world) : FWorld(world) {}
  TVariant CreateServiceManager() override;
  // An object with the property Kind = "silent".
  TVariant CreateInteractionHandler() override;
  // Abort is recorded in the world (Aborts) and ends a hanging call; BeginWork is logged.
  void Abort() override;
  void BeginWork() override;
  std::chrono::milliseconds AnswerTimeout() const override { return FWorld.AnswerTimeout; }
  bool IsStarting() const override { return false; }

private:
  TFakeWorld& FWorld;
};
