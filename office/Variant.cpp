#include "office/Variant.h"

EOffice::EOffice(const QString& message) : std::runtime_error(message.toStdString()) {}

TVariant::TVariant(std::shared_ptr<TAutoObject> object) {
  if (object)
    FValue = std::move(object);
  else
    FValue = TNull{};
}

TVariant TVariant::Null() {
  TVariant value;
  value.FValue = TNull{};
  return value;
}

bool TVariant::IsSameObject(const TVariant& other) const {
  return IsObject() && other.IsObject() && ObjectPtr() == other.ObjectPtr();
}

QString TVariant::KindName(TKind kind) {
  switch (kind) {
    case TKind::Empty:
      return "Empty";
    case TKind::Null:
      return "Null";
    case TKind::Bool:
      return "Boolean";
    case TKind::Int:
      return "Integer";
    case TKind::Double:
      return "Double";
    case TKind::String:
      return "String";
    case TKind::Object:
      return "Dispatch";
    case TKind::Array:
      return "Array";
  }
  return "Unknown";
}

namespace {

[[noreturn]] void CannotConvert(TVariant::TKind from, TVariant::TKind to) {
  throw EOffice(QString("Could not convert variant of type (%1) into type (%2)")
                    .arg(TVariant::KindName(from), TVariant::KindName(to)));
}

}  // namespace

bool TVariant::ToBool() const {
  if (const bool* value = std::get_if<bool>(&FValue)) return *value;
  if (const qint64* value = std::get_if<qint64>(&FValue)) return *value != 0;
  CannotConvert(Kind(), TKind::Bool);
}

qint64 TVariant::ToInt() const {
  if (const qint64* value = std::get_if<qint64>(&FValue)) return *value;
  if (const bool* value = std::get_if<bool>(&FValue)) return *value ? 1 : 0;
  CannotConvert(Kind(), TKind::Int);
}

double TVariant::ToDouble() const {
  if (const double* value = std::get_if<double>(&FValue)) return *value;
  if (const qint64* value = std::get_if<qint64>(&FValue)) return static_cast<double>(*value);
  CannotConvert(Kind(), TKind::Double);
}

QString TVariant::ToString() const {
  if (const QString* value = std::get_if<QString>(&FValue)) return *value;
  CannotConvert(Kind(), TKind::String);
}

const TVariant::TArray& TVariant::ToArray() const {
  if (const TArray* value = std::get_if<TArray>(&FValue)) return *value;
  CannotConvert(Kind(), TKind::Array);
}

const std::shared_ptr<TAutoObject>& TVariant::ObjectPtr() const {
  if (const auto* value = std::get_if<std::shared_ptr<TAutoObject>>(&FValue)) return *value;
  CannotConvert(Kind(), TKind::Object);
}

TAutoObject& TVariant::ToObject() const { return *ObjectPtr(); }

TVariant TVariant::Call(const QString& name, const TArray& args) const {
  return ToObject().Call(name, args);
}

TVariant TVariant::Get(const QString& name) const { return ToObject().Get(name); }

void TVariant::Set(const QString& name, const TVariant& value) const {
  ToObject().Set(name, value);
}
