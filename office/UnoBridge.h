#pragma once

// Late binding over UNO: the bridge to one running office and the TAutoObject implementations
// on top of it. Only office's own sources, its tests and its benchmark include this header; it
// needs the generated UNO headers (target office_uno).

#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/lang/XSingleServiceFactory.hpp>
#include <com/sun/star/reflection/InvocationTargetException.hpp>
#include <com/sun/star/reflection/XIdlMethod.hpp>
#include <com/sun/star/script/XTypeConverter.hpp>
#include <com/sun/star/script/XInvocation2.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <QHash>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "office/Variant.h"

namespace css = com::sun::star;

rtl::OUString ToOUString(const QString& text);
QString FromOUString(const rtl::OUString& text);

// The UNO runtime of this process (type library, reflection, local Invocation), created on
// first use; raises EOffice when the office's runtime is not installed. From then on SIGPIPE is
// ignored by the whole process (unless it had a handler of its own): a write to an office that
// has died fails instead of ending the process. TOfficeProcess starts the office with it at its
// default again.
css::uno::Reference<css::uno::XComponentContext> LocalContext();

// Runs f and turns every UNO exception it raises into EOffice with the suite's message: an
// exception inside the office arrives unwrapped from InvocationTargetException, a broken
// connection as "Binary URP bridge disposed ...".
[[noreturn]] void RethrowUnoException(const css::uno::Exception& error);
// A disposed bridge (the office died, or the connection was broken off on purpose) says so
// with this type, whichever object was called: EOfficeGone.
[[noreturn]] void RethrowUnoException(const css::lang::DisposedException& error);
[[noreturn]] void RethrowUnoException(const css::reflection::InvocationTargetException& error);
template <class F>
auto UnoGuard(F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (const css::reflection::InvocationTargetException& error) {
    RethrowUnoException(error);
  } catch (const css::lang::DisposedException& error) {
    RethrowUnoException(error);
  } catch (const css::uno::Exception& error) {
    RethrowUnoException(error);
  }
}

// One URP connection to an office over a named pipe. Objects of the office keep their session
// alive; when the office goes away the session reports it (IsAlive) and every call raises.
class TUnoSession : public std::enable_shared_from_this<TUnoSession> {
public:
  // Connects to the pipe; raises css::connection::NoConnectException when nobody listens there.
  // opened, when given, receives the session as soon as its bridge exists, before the first
  // exchange with the office (which waits for an office that does not answer): from then on
  // Dispose breaks the connection off.
  static std::shared_ptr<TUnoSession> Connect(
      const QString& pipeName,
      const std::function<void(const std::shared_ptr<TUnoSession>&)>& opened = {});
  ~TUnoSession();
  TUnoSession(const TUnoSession&) = delete;
  TUnoSession& operator=(const TUnoSession&) = delete;

  bool IsAlive() const { return !*FDisposed; }
  // Ends the connection, from any thread: calls waiting for the office return with
  // EOfficeGone, later calls raise it at once. Returns within DisposeBound.
  void Dispose();
  static constexpr std::chrono::seconds DisposeBound{5};
  const css::uno::Reference<css::uno::XComponentContext>& RemoteContext() const {
    return FRemoteContext;
  }
  // The office's service manager as a late-bound object (with Bridge_GetStruct).
  TVariant ServiceManager();

  // Wraps a UNO value: objects and structures become late-bound objects of this session,
  // sequences arrays, enums and all integer types integers, void Empty.
  TVariant FromAny(const css::uno::Any& value);
  // The inverse; raises EOffice for an object that did not come from a UNO session.
  static css::uno::Any ToAny(const TVariant& value);

  // A late-bound adapter for an object of the office, made in this process.
  css::uno::Reference<css::script::XInvocation2> Adapter(
      const css::uno::Reference<css::uno::XInterface>& object);

  // The interface methods of this name (letter case not significant) met so far on this
  // connection, at most one per declaring interface.
  const std::vector<css::uno::Reference<css::reflection::XIdlMethod>>& KnownMethods(
      const QString& lowerName);
  // Finds the methods of that name that the interfaces types declare (those with only
  // in-parameters), adds them to the known ones and returns them.
  std::vector<css::uno::Reference<css::reflection::XIdlMethod>> LearnMethods(
      const QString& lowerName, const css::uno::Sequence<css::uno::Type>& types);
  // Converts args in place to the parameter types of method, as Invocation would; raises
  // EOffice when the count differs or a value does not convert.
  void ConvertArguments(css::reflection::XIdlMethod& method,
                        css::uno::Sequence<css::uno::Any>& args);

private:
  TUnoSession() = default;
  css::uno::Reference<css::bridge::XBridge> FBridge;
  css::uno::Reference<css::uno::XComponentContext> FRemoteContext;
  css::uno::Reference<css::lang::XSingleServiceFactory> FInvocation;
  css::uno::Reference<css::script::XTypeConverter> FConverter;
  QHash<QString, std::vector<css::uno::Reference<css::reflection::XIdlMethod>>> FMethods;
  std::shared_ptr<std::atomic<bool>> FDisposed = std::make_shared<std::atomic<bool>>(false);
  std::atomic<bool> FBridgeClosing{false};  // Dispose closes the bridge once
};

// A late-bound object of the office. Methods are called directly on the interface that declares
// them: the interface is found once per connection (from the object's own types the first
// time), each object is asked for it once, the arguments are converted as Invocation converts
// them. Properties, and methods no interface of the object declares, go through an Invocation
// adapter, made once per object; so do the exact names of the properties.
//
// The direct calls earn their code: nearly every call of the export meets a new object (a cell,
// a sheet, the sheet collection), which Invocation alone would first wrap in an adapter of its
// own. Measured with bench-export (LibreOffice 7.4, 2 shared cores, three runs of 9 exports
// each): an export took 462-468 ms with direct calls and 575-602 ms through Invocation alone,
// against 434-446 ms of the bare typed client (ratio 1.06 against 1.31-1.38, the target being
// 1.2); with --desktop the later exports took 0.7-1.1 s against 1.05-1.3 s.
class TUnoObject : public TAutoObject {
public:
  TUnoObject(std::shared_ptr<TUnoSession> session,
             css::uno::Reference<css::uno::XInterface> object);
  TVariant Call(const QString& name, const TVariant::TArray& args) override;
  TVariant Get(const QString& name) override;
  void Set(const QString& name, const TVariant& value) override;
  const css::uno::Reference<css::uno::XInterface>& Object() const { return FObject; }

protected:
  const std::shared_ptr<TUnoSession>& Session() const { return FSession; }

private:
  rtl::OUString ExactName(const QString& name);
  css::script::XInvocation2& Adapter();

  std::shared_ptr<TUnoSession> FSession;
  css::uno::Reference<css::uno::XInterface> FObject;
  css::uno::Reference<css::script::XInvocation2> FAdapter;
  QHash<QString, rtl::OUString> FExactNames;  // by the lower-case name
  // A method called directly: the object as its declaring interface, and the method.
  struct TBoundMethod {
    css::uno::Any Interface;
    css::uno::Reference<css::reflection::XIdlMethod> Method;
  };
  // The method of that name bound to this object; none when only the adapter can call it.
  std::optional<TBoundMethod> BoundMethod(const QString& name);
  QHash<QString, TBoundMethod> FBoundMethods;                // by the lower-case name
  QHash<QString, css::uno::Any> FInterfaces;                 // by interface type name
  std::optional<css::uno::Sequence<css::uno::Type>> FTypes;  // the object's, once asked
};

// A local object for a load's "InteractionHandler": it declines every request of the office
// (it chooses Abort, else Disapprove), so that the office opens no dialog of its own.
TVariant NewSilentInteractionHandler(const std::shared_ptr<TUnoSession>& session);

// A UNO structure (PropertyValue, Point, Size, ...) held locally, its fields read and written by
// name (Get, Set) without regard to letter case; it has no methods. Handed to the office as the
// filled structure.
class TUnoStruct : public TAutoObject {
public:
  // Raises EOffice for an unknown type name.
  static std::shared_ptr<TUnoStruct> Create(std::shared_ptr<TUnoSession> session,
                                            const QString& typeName);
  TUnoStruct(std::shared_ptr<TUnoSession> session, const css::uno::Any& value);
  TVariant Call(const QString& name, const TVariant::TArray& args) override;
  TVariant Get(const QString& name) override;
  void Set(const QString& name, const TVariant& value) override;
  css::uno::Any Value() const;

private:
  rtl::OUString ExactName(const QString& name);
  std::shared_ptr<TUnoSession> FSession;
  css::uno::Reference<css::script::XInvocation2> FAdapter;
};
