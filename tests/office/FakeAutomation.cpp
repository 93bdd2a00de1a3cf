#include "tests/office/FakeAutomation.h"

#include <QFileInfo>

TVariant TFakeObject::Call(const QString& name, const TVariant::TArray& args) {
  FWorld.Calls << FKind + "." + name + "()";
  const auto method = FMethods.find(name.toLower());
  if (method == FMethods.end())
    throw EOffice(QString("Method '%1' not supported by automation object").arg(name));
  return method->second(args);
}

TVariant TFakeObject::Get(const QString& name) {
  FWorld.Calls << FKind + "." + name;
  return Property(name);
}

void TFakeObject::Set(const QString& name, const TVariant& value) {
  FWorld.Calls << FKind + "." + name + "=";
  const auto property = FProperties.find(name.toLower());
  if (property == FProperties.end()) throw EOffice("Unknown property " + name);
  property->second = value;
  if (const auto onSet = FOnSet.find(name.toLower()); onSet != FOnSet.end()) onSet->second(value);
}

TVariant TFakeObject::Property(const QString& name) const {
  const auto property = FProperties.find(name.toLower());
  if (property == FProperties.end()) throw EOffice("Unknown property " + name);
  return property->second;
}

TFakeWorld::TFakeWorld() = default;

TFakeDocument& TFakeWorld::AddDocument(const QStringList& sheetNames, const QString& url,
                                       const QString& service) {
  const int index = static_cast<int>(Documents.size());
  auto document = std::make_unique<TFakeDocument>();
  for (const QString& name : sheetNames) {
    auto sheet = std::make_shared<TFakeSheet>();
    sheet->Name = name;
    sheet->DrawPage = std::make_shared<TFakeObject>(*this, "DrawPage");
    TFakeSheet* content = sheet.get();
    sheet->DrawPage->Method("GetCount", [content](const TVariant::TArray&) {
      return TVariant(static_cast<qint64>(content->Shapes.size()));
    });
    sheet->DrawPage->Method("GetByIndex", [content](const TVariant::TArray& args) {
      return TVariant(
          std::static_pointer_cast<TAutoObject>(content->Shapes.at(args.at(0).ToInt())));
    });
    sheet->DrawPage->Method("Add", [content](const TVariant::TArray& args) {
      content->Shapes.push_back(std::dynamic_pointer_cast<TFakeObject>(args.at(0).ObjectPtr()));
      return TVariant();
    });
    document->Sheets.push_back(std::move(sheet));
  }
  document->Model = std::make_shared<TFakeObject>(*this, "Document");
  TFakeDocument* content = document.get();
  document->Model->Property("URL", url);
  document->Model->Property("Title", QFileInfo(url).fileName());
  document->Model->Method("SupportsService", [service](const TVariant::TArray& args) {
    return TVariant(args.at(0).ToString() == service);
  });
  document->Model->Method("GetSheets", [this, index, content](const TVariant::TArray&) {
    auto sheets = std::make_shared<TFakeObject>(*this, "Sheets");
    sheets->Method("GetCount", [content](const TVariant::TArray&) {
      return TVariant(static_cast<qint64>(content->Sheets.size()));
    });
    sheets->Method("GetByIndex", [this, index, content](const TVariant::TArray& args) {
      const qint64 position = args.at(0).ToInt();
      if (position < 0 || position >= static_cast<qint64>(content->Sheets.size()))
        throw EOffice("com.sun.star.lang.IndexOutOfBoundsException");
      return TVariant(
          std::static_pointer_cast<TAutoObject>(SheetObject(index, content->Sheets[position])));
    });
    return TVariant(std::static_pointer_cast<TAutoObject>(sheets));
  });
  document->Model->Method("AttachResource", [](const TVariant::TArray&) { return TVariant(); });
  document->Model->Method("Close", [content](const TVariant::TArray&) {
    content->Closed = true;
    return TVariant();
  });
  // Controller, frame and window in one object: only the window's calls are used.
  auto view = std::make_shared<TFakeObject>(*this, "View");
  const std::weak_ptr<TFakeObject> self = view;
  for (const char* step : {"GetFrame", "GetContainerWindow"})
    view->Method(step, [self](const TVariant::TArray&) {
      return TVariant(std::static_pointer_cast<TAutoObject>(self.lock()));
    });
  view->Method("SetVisible", [content](const TVariant::TArray& args) {
    content->Shown = args.at(0).ToBool();
    return TVariant();
  });
  view->Method("ToFront", [](const TVariant::TArray&) { return TVariant(); });
  document->Model->Method("GetCurrentController", [view](const TVariant::TArray&) {
    return TVariant(std::static_pointer_cast<TAutoObject>(view));
  });
  document->Model->Method("CreateInstance", [this](const TVariant::TArray& args) {
    return TVariant(std::static_pointer_cast<TAutoObject>(NewShape(args.at(0).ToString())));
  });
  Documents.push_back(std::move(document));
  return *Documents.back();
}

void TFakeWorld::AddShape(TFakeSheet& sheet, const QString& service, const QString& name) {
  std::shared_ptr<TFakeObject> shape = NewShape(service);
  shape->Property("Name", name);
  sheet.Shapes.push_back(shape);
}

std::shared_ptr<TFakeObject> TFakeWorld::NewShape(const QString& service) {
  auto shape = std::make_shared<TFakeObject>(*this, "Shape");
  for (const char* name : {"Name", "Position", "Size", "Transparency", "Graphic"})
    shape->Property(name, TVariant());
  shape->Property("Name", "");
  shape->Method("GetShapeType", [service](const TVariant::TArray&) { return TVariant(service); });
  TFakeObject* self = shape.get();
  shape->Method("SetSize", [self](const TVariant::TArray& args) {
    self->Property("Size", args.at(0));
    return TVariant();
  });
  return shape;
}

std::shared_ptr<TFakeObject> TFakeWorld::SheetObject(int document,
                                                     std::shared_ptr<TFakeSheet> sheet) {
  auto object = std::make_shared<TFakeObject>(*this, "Sheet");
  object->Property("DrawPage", std::static_pointer_cast<TAutoObject>(sheet->DrawPage));
  object->Method("GetName", [sheet](const TVariant::TArray&) { return TVariant(sheet->Name); });
  object->Method("GetCellRangeByName", [this, document, sheet](const TVariant::TArray& args) {
    const QString address = args.at(0).ToString();
    if (address == RefusedAddress) throw EOffice("com.sun.star.uno.RuntimeException");
    auto cell = std::make_shared<TFakeObject>(*this, "Cell");
    cell->Method("SetString", [this, document, sheet, address](const TVariant::TArray& text) {
      if (address == HangingAddress) HangUntilAborted();
      sheet->Cells[address.toUpper()] = text.at(0).ToString();
      Writes.push_back({document, sheet->Name, address, text.at(0).ToString()});
      return TVariant();
    });
    cell->Method("GetIsMerged", [this, address](const TVariant::TArray&) {
      return TVariant(address != UnmergedAddress);
    });
    cell->Property("CharHeight", 10.0, [sheet, address](const TVariant& size) {
      sheet->CharHeights[address.toUpper()] = size.ToDouble();
    });
    return TVariant(std::static_pointer_cast<TAutoObject>(cell));
  });
  return object;
}

std::shared_ptr<TFakeObject> TFakeWorld::Struct(const QString& type) {
  static const std::map<QString, QStringList> fields{
      {"com.sun.star.beans.PropertyValue", {"Name", "Value"}},
      {"com.sun.star.awt.Point", {"X", "Y"}},
      {"com.sun.star.awt.Size", {"Width", "Height"}}};
  const auto found = fields.find(type);
  if (found == fields.end()) throw EOffice("Unknown structure type " + type);
  auto structure = std::make_shared<TFakeObject>(*this, type.section('.', -1));
  for (const QString& field : found->second) structure->Property(field, TVariant());
  return structure;
}

std::shared_ptr<TFakeObject> TFakeWorld::Desktop() {
  auto desktop = std::make_shared<TFakeObject>(*this, "Desktop");
  desktop->Method("LoadComponentFromURL", [this](const TVariant::TArray& args) {
    Loads.push_back(args);
    const QString url = args.at(0).ToString();
    TFakeDocument& document = AddDocument(Sheets, url.startsWith("private:") ? "" : url);
    return TVariant(std::static_pointer_cast<TAutoObject>(document.Model));
  });
  desktop->Method("GetComponents", [this](const TVariant::TArray&) {
    auto components = std::make_shared<TFakeObject>(*this, "Components");
    components->Method("CreateEnumeration", [this](const TVariant::TArray&) {
      auto enumeration = std::make_shared<TFakeObject>(*this, "Enumeration");
      auto next = std::make_shared<size_t>(0);
      enumeration->Method("HasMoreElements", [this, next](const TVariant::TArray&) {
        return TVariant(*next < Documents.size());
      });
      enumeration->Method("NextElement", [this, next](const TVariant::TArray&) {
        return TVariant(std::static_pointer_cast<TAutoObject>(Documents.at((*next)++)->Model));
      });
      return TVariant(std::static_pointer_cast<TAutoObject>(enumeration));
    });
    return TVariant(std::static_pointer_cast<TAutoObject>(components));
  });
  return desktop;
}

std::shared_ptr<TFakeObject> TFakeWorld::ServiceManager() {
  auto manager = std::make_shared<TFakeObject>(*this, "ServiceManager");
  manager->Method("CreateInstance", [this](const TVariant::TArray& args) -> TVariant {
    const QString service = args.at(0).ToString();
    if (service == "com.sun.star.frame.Desktop")
      return TVariant(std::static_pointer_cast<TAutoObject>(Desktop()));
    if (service != "com.sun.star.graphic.GraphicProvider") throw EOffice("No service " + service);
    auto provider = std::make_shared<TFakeObject>(*this, "GraphicProvider");
    provider->Method("QueryGraphicDescriptor", [this](const TVariant::TArray&) {
      auto descriptor = std::make_shared<TFakeObject>(*this, "Descriptor");
      descriptor->Method("GetPropertyValue", [this](const TVariant::TArray& args) {
        if (args.at(0).ToString() != "GraphicType") throw EOffice("UnknownPropertyException");
        return TVariant(GraphicType);
      });
      return TVariant(std::static_pointer_cast<TAutoObject>(descriptor));
    });
    provider->Method("QueryGraphic", [this](const TVariant::TArray& args) {
      auto graphic = std::make_shared<TFakeObject>(*this, "Graphic");
      graphic->Property("URL", args.at(0).ToArray().at(0).Get("Value"));
      return TVariant(std::static_pointer_cast<TAutoObject>(graphic));
    });
    return TVariant(std::static_pointer_cast<TAutoObject>(provider));
  });
  manager->Method("Bridge_GetStruct", [this](const TVariant::TArray& args) {
    return TVariant(std::static_pointer_cast<TAutoObject>(Struct(args.at(0).ToString())));
  });
  return manager;
}

TVariant TFakeServer::CreateServiceManager() {
  FWorld.Calls << "CreateServiceManager";
  if (!FWorld.Reachable) throw EOffice("The office suite cannot be started");
  return TVariant(std::static_pointer_cast<TAutoObject>(FWorld.ServiceManager()));
}

TVariant TFakeServer::CreateInteractionHandler() {
  auto handler = std::make_shared<TFakeObject>(FWorld, "InteractionHandler");
  handler->Property("Kind", "silent");
  return TVariant(std::static_pointer_cast<TAutoObject>(handler));
}

void TFakeServer::Abort() { FWorld.RecordAbort(); }

void TFakeWorld::RecordAbort() {
  std::lock_guard lock(FMutex);
  ++FAborts;
  FAborted.notify_all();
}

int TFakeWorld::Aborts() const {
  std::lock_guard lock(FMutex);
  return FAborts;
}

void TFakeWorld::HangUntilAborted() {
  std::unique_lock lock(FMutex);
  FAborted.wait(lock, [this] { return FAborts > 0; });
  throw EOfficeGone("Binary URP bridge disposed during call");
}

void TFakeServer::BeginWork() { FWorld.Calls << "BeginWork"; }
