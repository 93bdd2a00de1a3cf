#pragma once

#include <QString>

#include <memory>
#include <stdexcept>
#include <variant>
#include <vector>

class TAutoObject;

// The exception of the office automation: the suite refused a call, the connection to it broke,
// or a rule of the wrapper was broken. what() is the message in UTF-8.
class EOffice : public std::runtime_error {
public:
  explicit EOffice(const QString& message);
  QString Message() const { return QString::fromUtf8(what()); }
};

// The connection to the suite is gone: the office ended or died, or the work with it was broken
// off (TAutomationServer::Abort). Nothing more can be done through objects of that connection.
class EOfficeGone : public EOffice {
public:
  using EOffice::EOffice;
};

// One value as the late-bound calls pass and return it: Empty (unset), Null (a null object
// reference), a Boolean, a 64-bit integer, a double, a text (UTF-16), a reference to an
// object of the suite (shared: copies refer to the same object, the last copy releases it),
// or an array of values. An automation reference is a TVariant that is Empty or an Object.
class TVariant {
public:
  using TArray = std::vector<TVariant>;
  enum class TKind { Empty, Null, Bool, Int, Double, String, Object, Array };

  TVariant() = default;
  TVariant(bool value) : FValue(value) {}
  TVariant(int value) : FValue(qint64{value}) {}
  TVariant(qint64 value) : FValue(value) {}
  TVariant(double value) : FValue(value) {}
  TVariant(const QString& value) : FValue(value) {}
  TVariant(const char* utf8) : FValue(QString::fromUtf8(utf8)) {}
  // A null pointer makes a Null value.
  TVariant(std::shared_ptr<TAutoObject> object);
  TVariant(TArray values) : FValue(std::move(values)) {}
  static TVariant Null();

  TKind Kind() const { return static_cast<TKind>(FValue.index()); }
  bool IsEmpty() const { return Kind() == TKind::Empty; }
  // True for a live object reference.
  bool IsObject() const { return Kind() == TKind::Object; }
  // True when both refer to the same wrapper of a suite object (the same reference, copied).
  bool IsSameObject(const TVariant& other) const;

  // Conversions; a value of another kind raises EOffice. ToBool takes an integer too (non-zero
  // is true), ToInt a Boolean, ToDouble an integer.
  bool ToBool() const;
  qint64 ToInt() const;
  double ToDouble() const;
  QString ToString() const;
  const TArray& ToArray() const;
  TAutoObject& ToObject() const;
  const std::shared_ptr<TAutoObject>& ObjectPtr() const;

  // Late-bound access by name, letter case not significant: Call invokes a method, Get and Set
  // read and write a property. Raise EOffice when this is not an object, the object has no
  // member of that name, or it refuses.
  TVariant Call(const QString& name, const TArray& args = {}) const;
  TVariant Get(const QString& name) const;
  void Set(const QString& name, const TVariant& value) const;

  // The kind's name for messages: "Empty", "String", ...
  static QString KindName(TKind kind);

private:
  struct TNull {};
  // The order of the alternatives is the order of TKind.
  std::variant<std::monostate, TNull, bool, qint64, double, QString, std::shared_ptr<TAutoObject>,
               TArray>
      FValue;
};

// An object reached by late binding: what an automation server hands out. Implementations
// match names without regard to letter case and raise EOffice for anything refused.
class TAutoObject {
public:
  virtual ~TAutoObject() = default;
  virtual TVariant Call(const QString& name, const TVariant::TArray& args) = 0;
  virtual TVariant Get(const QString& name) = 0;
  virtual void Set(const QString& name, const TVariant& value) = 0;
};
