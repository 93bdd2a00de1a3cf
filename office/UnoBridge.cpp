#include "office/UnoBridge.h"

#include <com/sun/star/beans/XExactName.hpp>
#include <com/sun/star/beans/XMaterialHolder.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <com/sun/star/lang/XTypeProvider.hpp>
#include <com/sun/star/reflection/XIdlReflection.hpp>
#include <com/sun/star/reflection/theCoreReflection.hpp>
#include <com/sun/star/script/Converter.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionDisapprove.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <rtl/bootstrap.hxx>
#include <typelib/typedescription.hxx>

#include <algorithm>
#include <csignal>
#include <future>
#include <thread>

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using css::uno::XInterface;

rtl::OUString ToOUString(const QString& text) {
  return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()), text.size());
}

QString FromOUString(const rtl::OUString& text) {
  return QString(reinterpret_cast<const QChar*>(text.getStr()), text.getLength());
}

namespace {

QString MessageOf(const css::uno::Exception& error, const Any& asAny) {
  return error.Message.isEmpty() ? FromOUString(asAny.getValueTypeName())
                                 : FromOUString(error.Message);
}

Reference<css::lang::XSingleServiceFactory> InvocationFactory(
    const Reference<css::uno::XComponentContext>& context) {
  return Reference<css::lang::XSingleServiceFactory>(
      context->getServiceManager()->createInstanceWithContext("com.sun.star.script.Invocation",
                                                              context),
      UNO_QUERY_THROW);
}

Reference<css::script::XInvocation2> NewAdapter(
    const Reference<css::lang::XSingleServiceFactory>& factory, const Any& material) {
  Sequence<Any> args(1);
  args.getArray()[0] = material;
  return Reference<css::script::XInvocation2>(factory->createInstanceWithArguments(args),
                                              UNO_QUERY_THROW);
}

// The exact name of a member named without regard to letter case; raises EOffice for an
// unknown name.
rtl::OUString ExactName(css::script::XInvocation2& adapter, const QString& name) {
  const rtl::OUString exact =
      Reference<css::beans::XExactName>(&adapter, UNO_QUERY_THROW)->getExactName(ToOUString(name));
  if (exact.isEmpty())
    throw EOffice(QString("Method '%1' not supported by automation object").arg(name));
  return exact;
}

Sequence<Any> ToAnys(const TVariant::TArray& values) {
  Sequence<Any> result(static_cast<sal_Int32>(values.size()));
  Any* out = result.getArray();
  for (const TVariant& value : values) *out++ = TUnoSession::ToAny(value);
  return result;
}

Any Invoke(css::script::XInvocation2& adapter, const rtl::OUString& name,
           const TVariant::TArray& args) {
  Sequence<sal_Int16> outIndices;
  Sequence<Any> outValues;
  return adapter.invoke(name, ToAnys(args), outIndices, outValues);
}

class TDisposeListener : public cppu::WeakImplHelper1<css::lang::XEventListener> {
public:
  explicit TDisposeListener(std::shared_ptr<std::atomic<bool>> disposed)
      : FDisposed(std::move(disposed)) {}
  void SAL_CALL disposing(const css::lang::EventObject&) override { *FDisposed = true; }

private:
  std::shared_ptr<std::atomic<bool>> FDisposed;
};

// The service manager also builds structures by type name, as the COM bridge of the suite did.
class TUnoServiceManager : public TUnoObject {
public:
  using TUnoObject::TUnoObject;
  TVariant Call(const QString& name, const TVariant::TArray& args) override {
    if (name.compare(QLatin1String("Bridge_GetStruct"), Qt::CaseInsensitive) != 0)
      return TUnoObject::Call(name, args);
    if (args.size() != 1) throw EOffice("Bridge_GetStruct expects one type name");
    return TVariant(TUnoStruct::Create(Session(), args[0].ToString()));
  }
};

class TSilentInteractionHandler : public cppu::WeakImplHelper1<css::task::XInteractionHandler> {
public:
  void SAL_CALL handle(const Reference<css::task::XInteractionRequest>& request) override {
    const Sequence<Reference<css::task::XInteractionContinuation>> choices =
        request->getContinuations();
    for (const Reference<css::task::XInteractionContinuation>& choice : choices)
      if (Reference<css::task::XInteractionAbort>(choice, UNO_QUERY).is()) {
        choice->select();
        return;
      }
    for (const Reference<css::task::XInteractionContinuation>& choice : choices)
      if (Reference<css::task::XInteractionDisapprove>(choice, UNO_QUERY).is()) {
        choice->select();
        return;
      }
  }
};

}  // namespace

TVariant NewSilentInteractionHandler(const std::shared_ptr<TUnoSession>& session) {
  const Reference<css::task::XInteractionHandler> handler(new TSilentInteractionHandler);
  return TVariant(
      std::make_shared<TUnoObject>(session, Reference<XInterface>(handler, UNO_QUERY_THROW)));
}

void RethrowUnoException(const css::uno::Exception& error) {
  throw EOffice(MessageOf(error, Any(error)));
}

void RethrowUnoException(const css::lang::DisposedException& error) {
  throw EOfficeGone(MessageOf(error, Any(error)));
}

void RethrowUnoException(const css::reflection::InvocationTargetException& error) {
  if (css::lang::DisposedException gone; error.TargetException >>= gone)
    throw EOfficeGone(MessageOf(gone, error.TargetException));
  css::uno::Exception inner;
  if (error.TargetException >>= inner) throw EOffice(MessageOf(inner, error.TargetException));
  throw EOffice(MessageOf(error, Any(error)));
}

namespace {

// The bridge writes to the office's socket from threads of its own; the office may die between
// two writes. The default action of SIGPIPE would then end this whole process, unsaved work of
// the operator included; ignored, the write fails with EPIPE and the bridge reports the office
// gone. A handler the host program installed itself is left alone.
void IgnoreBrokenPipes() {
  struct sigaction current {};
  sigaction(SIGPIPE, nullptr, &current);
  if (current.sa_handler == SIG_DFL) std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

Reference<css::uno::XComponentContext> LocalContext() {
  static const Reference<css::uno::XComponentContext> context = [] {
    IgnoreBrokenPipes();
    // A client outside the office's program folder must name the office's bootstrap file;
    // without it the connection succeeds and the first typed call fails.
    rtl::Bootstrap::set("URE_BOOTSTRAP",
                        "vnd.sun.star.pathname:/usr/lib/libreoffice/program/fundamentalrc");
    try {
      return cppu::defaultBootstrap_InitialComponentContext();
    } catch (const cppu::BootstrapException& error) {
      throw EOffice("The office runtime cannot start: " + FromOUString(error.getMessage()));
    } catch (const css::uno::Exception& error) {
      RethrowUnoException(error);
    }
  }();
  return context;
}

std::shared_ptr<TUnoSession> TUnoSession::Connect(
    const QString& pipeName,
    const std::function<void(const std::shared_ptr<TUnoSession>&)>& opened) {
  Reference<css::uno::XComponentContext> local = LocalContext();
  Reference<css::connection::XConnection> connection =
      css::connection::Connector::create(local)->connect("pipe,name=" + ToOUString(pipeName));
  std::shared_ptr<TUnoSession> session(new TUnoSession);
  session->FBridge = css::bridge::BridgeFactory::create(local)->createBridge(
      "", "urp", connection, Reference<css::bridge::XInstanceProvider>());
  Reference<css::lang::XComponent>(session->FBridge, UNO_QUERY_THROW)
      ->addEventListener(new TDisposeListener(session->FDisposed));
  if (opened) opened(session);
  session->FRemoteContext.set(session->FBridge->getInstance("StarOffice.ComponentContext"),
                              UNO_QUERY_THROW);
  // Adapters are made here, not inside the office: exact names then cost no round trip, and a
  // refusal of the adapter (an unknown method raises an exception the bridge cannot carry)
  // cannot bring the office down.
  session->FInvocation = InvocationFactory(local);
  session->FConverter = css::script::Converter::create(local);
  return session;
}

TUnoSession::~TUnoSession() { Dispose(); }

void TUnoSession::Dispose() {
  *FDisposed = true;
  const Reference<css::lang::XComponent> bridge{FBridge, UNO_QUERY};
  if (!bridge.is() || FBridgeClosing.exchange(true)) return;
  // The bridge's dispose breaks off the calls waiting for the office at once, then waits until
  // no call is in progress. An office that ends in the middle of its own calls to this process
  // (the listeners' events as it closes) can leave that count standing, and the wait would
  // never end: it is given a bound, past which the closing goes on by itself. Nothing of the
  // connection is used any more by then.
  auto closed = std::make_shared<std::promise<void>>();
  std::future<void> done = closed->get_future();
  std::thread([bridge, closed] {
    try {
      bridge->dispose();
    } catch (const css::uno::Exception&) {
      // A bridge that is already gone needs no closing.
    }
    closed->set_value();
  }).detach();
  done.wait_for(DisposeBound);
}

TVariant TUnoSession::ServiceManager() {
  return TVariant(std::make_shared<TUnoServiceManager>(
      shared_from_this(), UnoGuard([&] { return FRemoteContext->getServiceManager(); })));
}

const std::vector<Reference<css::reflection::XIdlMethod>>& TUnoSession::KnownMethods(
    const QString& lowerName) {
  return FMethods[lowerName];
}

std::vector<Reference<css::reflection::XIdlMethod>> TUnoSession::LearnMethods(
    const QString& lowerName, const Sequence<css::uno::Type>& types) {
  const Reference<css::reflection::XIdlReflection> reflection =
      css::reflection::theCoreReflection::get(LocalContext());
  const rtl::OUString wanted = ToOUString(lowerName);
  std::vector<Reference<css::reflection::XIdlMethod>> found;
  for (const css::uno::Type& type : types) {
    const Reference<css::reflection::XIdlClass> interface = reflection->forName(type.getTypeName());
    if (!interface.is()) continue;
    for (const Reference<css::reflection::XIdlMethod>& method : interface->getMethods()) {
      if (!method->getName().equalsIgnoreAsciiCase(wanted)) continue;
      // Only plain in-parameters are called directly; Invocation handles the rest.
      bool plain = true;
      for (const css::reflection::ParamInfo& info : method->getParameterInfos())
        plain = plain && info.aMode == css::reflection::ParamMode_IN;
      if (plain) found.push_back(method);
    }
  }
  std::vector<Reference<css::reflection::XIdlMethod>>& known = FMethods[lowerName];
  for (const Reference<css::reflection::XIdlMethod>& method : found) {
    const auto same = [&](const Reference<css::reflection::XIdlMethod>& other) {
      return other->getDeclaringClass()->getName() == method->getDeclaringClass()->getName();
    };
    if (std::none_of(known.begin(), known.end(), same)) known.push_back(method);
  }
  return found;
}

void TUnoSession::ConvertArguments(css::reflection::XIdlMethod& method, Sequence<Any>& args) {
  const Sequence<Reference<css::reflection::XIdlClass>> parameters = method.getParameterTypes();
  if (parameters.getLength() != args.getLength())
    throw EOffice(QString("Method '%1' takes %2 arguments")
                      .arg(FromOUString(method.getName()))
                      .arg(parameters.getLength()));
  Any* arg = args.getArray();
  for (const Reference<css::reflection::XIdlClass>& parameter : parameters) {
    const css::uno::Type type(parameter->getTypeClass(), parameter->getName());
    if (type.getTypeClass() != css::uno::TypeClass_ANY && arg->getValueType() != type)
      *arg = FConverter->convertTo(*arg, type);
    ++arg;
  }
}

Reference<css::script::XInvocation2> TUnoSession::Adapter(const Reference<XInterface>& object) {
  return UnoGuard([&] { return NewAdapter(FInvocation, Any(object)); });
}

TVariant TUnoSession::FromAny(const Any& value) {
  switch (value.getValueTypeClass()) {
    case css::uno::TypeClass_VOID:
      return TVariant();
    case css::uno::TypeClass_BOOLEAN:
      return TVariant(*static_cast<const sal_Bool*>(value.getValue()) != 0);
    case css::uno::TypeClass_BYTE:
    case css::uno::TypeClass_SHORT:
    case css::uno::TypeClass_UNSIGNED_SHORT:
    case css::uno::TypeClass_LONG:
    case css::uno::TypeClass_UNSIGNED_LONG:
    case css::uno::TypeClass_HYPER: {
      sal_Int64 number = 0;
      value >>= number;
      return TVariant(qint64{number});
    }
    case css::uno::TypeClass_UNSIGNED_HYPER:
      return TVariant(static_cast<qint64>(*static_cast<const sal_uInt64*>(value.getValue())));
    case css::uno::TypeClass_ENUM:
      return TVariant(qint64{*static_cast<const sal_Int32*>(value.getValue())});
    case css::uno::TypeClass_FLOAT:
    case css::uno::TypeClass_DOUBLE: {
      double number = 0;
      value >>= number;
      return TVariant(number);
    }
    case css::uno::TypeClass_CHAR:
      return TVariant(QString(QChar(*static_cast<const sal_Unicode*>(value.getValue()))));
    case css::uno::TypeClass_STRING:
      return TVariant(FromOUString(*static_cast<const rtl::OUString*>(value.getValue())));
    case css::uno::TypeClass_TYPE:
      return TVariant(
          FromOUString(static_cast<const css::uno::Type*>(value.getValue())->getTypeName()));
    case css::uno::TypeClass_ANY:
      return FromAny(*static_cast<const Any*>(value.getValue()));
    case css::uno::TypeClass_INTERFACE: {
      Reference<XInterface> object(value, UNO_QUERY);
      if (!object.is()) return TVariant::Null();
      return TVariant(std::make_shared<TUnoObject>(shared_from_this(), object));
    }
    case css::uno::TypeClass_STRUCT:
    case css::uno::TypeClass_EXCEPTION:
      return TVariant(std::make_shared<TUnoStruct>(shared_from_this(), value));
    case css::uno::TypeClass_SEQUENCE: {
      css::uno::TypeDescription sequenceType(value.getValueTypeRef());
      css::uno::TypeDescription elementType(
          reinterpret_cast<typelib_IndirectTypeDescription*>(sequenceType.get())->pType);
      const uno_Sequence* sequence = *static_cast<uno_Sequence* const*>(value.getValue());
      TVariant::TArray elements;
      elements.reserve(sequence->nElements);
      for (sal_Int32 i = 0; i < sequence->nElements; ++i)
        elements.push_back(FromAny(
            Any(sequence->elements + i * elementType.get()->nSize, elementType.get()->pWeakRef)));
      return TVariant(std::move(elements));
    }
    default:
      throw EOffice("Unsupported value type " + FromOUString(value.getValueTypeName()));
  }
}

Any TUnoSession::ToAny(const TVariant& value) {
  switch (value.Kind()) {
    case TVariant::TKind::Empty:
      return Any();
    case TVariant::TKind::Null:
      return Any(Reference<XInterface>());
    case TVariant::TKind::Bool:
      return Any(value.ToBool());
    case TVariant::TKind::Int: {
      // The narrowest of 16, 32 and 64 bits: a receiver that reads an Any (a property value's
      // Value, say MacroExecutionMode, a 16-bit field) accepts only widening.
      const qint64 number = value.ToInt();
      if (number >= SAL_MIN_INT16 && number <= SAL_MAX_INT16)
        return Any(static_cast<sal_Int16>(number));
      if (number >= SAL_MIN_INT32 && number <= SAL_MAX_INT32)
        return Any(static_cast<sal_Int32>(number));
      return Any(static_cast<sal_Int64>(number));
    }
    case TVariant::TKind::Double:
      return Any(value.ToDouble());
    case TVariant::TKind::String:
      return Any(ToOUString(value.ToString()));
    case TVariant::TKind::Object:
      if (const auto* object = dynamic_cast<const TUnoObject*>(&value.ToObject()))
        return Any(object->Object());
      if (const auto* structure = dynamic_cast<const TUnoStruct*>(&value.ToObject()))
        return structure->Value();
      throw EOffice("The object does not belong to the office suite");
    case TVariant::TKind::Array:
      return Any(ToAnys(value.ToArray()));
  }
  return Any();
}

TUnoObject::TUnoObject(std::shared_ptr<TUnoSession> session, Reference<XInterface> object)
    : FSession(std::move(session)), FObject(std::move(object)) {}

css::script::XInvocation2& TUnoObject::Adapter() {
  if (!FAdapter.is()) FAdapter = FSession->Adapter(FObject);
  return *FAdapter;
}

rtl::OUString TUnoObject::ExactName(const QString& name) {
  const QString key = name.toLower();
  if (auto found = FExactNames.constFind(key); found != FExactNames.constEnd()) return *found;
  return *FExactNames.insert(key, UnoGuard([&] { return ::ExactName(Adapter(), name); }));
}

std::optional<TUnoObject::TBoundMethod> TUnoObject::BoundMethod(const QString& name) {
  const QString key = name.toLower();
  if (auto found = FBoundMethods.constFind(key); found != FBoundMethods.constEnd()) return *found;
  const auto bind = [&](const std::vector<Reference<css::reflection::XIdlMethod>>& methods)
      -> std::optional<TBoundMethod> {
    for (const Reference<css::reflection::XIdlMethod>& method : methods) {
      const rtl::OUString type = method->getDeclaringClass()->getName();
      const QString typeKey = FromOUString(type);
      if (!FInterfaces.contains(typeKey))
        FInterfaces.insert(
            typeKey, FObject->queryInterface(css::uno::Type(css::uno::TypeClass_INTERFACE, type)));
      const Any interface = FInterfaces.value(typeKey);
      if (interface.hasValue()) {
        const TBoundMethod bound{interface, method};
        FBoundMethods.insert(key, bound);
        return bound;
      }
    }
    return std::nullopt;
  };
  return UnoGuard([&]() -> std::optional<TBoundMethod> {
    if (std::optional<TBoundMethod> bound = bind(FSession->KnownMethods(key))) return bound;
    if (!FTypes) {
      Reference<css::lang::XTypeProvider> provider(FObject, UNO_QUERY);
      FTypes = provider.is() ? provider->getTypes() : css::uno::Sequence<css::uno::Type>();
    }
    return bind(FSession->LearnMethods(key, *FTypes));
  });
}

TVariant TUnoObject::Call(const QString& name, const TVariant::TArray& args) {
  if (const std::optional<TBoundMethod> bound = BoundMethod(name)) {
    return FSession->FromAny(UnoGuard([&] {
      Sequence<Any> converted = ToAnys(args);
      FSession->ConvertArguments(*bound->Method, converted);
      return bound->Method->invoke(bound->Interface, converted);
    }));
  }
  const rtl::OUString exact = ExactName(name);
  return FSession->FromAny(UnoGuard([&] { return Invoke(Adapter(), exact, args); }));
}

TVariant TUnoObject::Get(const QString& name) {
  const rtl::OUString exact = ExactName(name);
  return FSession->FromAny(UnoGuard([&] { return Adapter().getValue(exact); }));
}

void TUnoObject::Set(const QString& name, const TVariant& value) {
  const rtl::OUString exact = ExactName(name);
  UnoGuard([&] { Adapter().setValue(exact, TUnoSession::ToAny(value)); });
}

std::shared_ptr<TUnoStruct> TUnoStruct::Create(std::shared_ptr<TUnoSession> session,
                                               const QString& typeName) {
  Any value = UnoGuard([&] {
    Reference<css::reflection::XIdlClass> type =
        css::reflection::theCoreReflection::get(LocalContext())->forName(ToOUString(typeName));
    if (!type.is() || type->getTypeClass() != css::uno::TypeClass_STRUCT)
      throw EOffice("Unknown structure type " + typeName);
    Any created;
    type->createObject(created);
    return created;
  });
  return std::make_shared<TUnoStruct>(std::move(session), value);
}

TUnoStruct::TUnoStruct(std::shared_ptr<TUnoSession> session, const Any& value)
    : FSession(std::move(session)) {
  static const Reference<css::lang::XSingleServiceFactory> localInvocation =
      UnoGuard([] { return InvocationFactory(LocalContext()); });
  FAdapter = UnoGuard([&] { return NewAdapter(localInvocation, value); });
}

rtl::OUString TUnoStruct::ExactName(const QString& name) {
  return UnoGuard([&] { return ::ExactName(*FAdapter, name); });
}

TVariant TUnoStruct::Call(const QString& name, const TVariant::TArray&) {
  throw EOffice(QString("Method '%1' not supported by automation object").arg(name));
}

TVariant TUnoStruct::Get(const QString& name) {
  const rtl::OUString exact = ExactName(name);
  return FSession->FromAny(UnoGuard([&] { return FAdapter->getValue(exact); }));
}

void TUnoStruct::Set(const QString& name, const TVariant& value) {
  const rtl::OUString exact = ExactName(name);
  UnoGuard([&] { FAdapter->setValue(exact, TUnoSession::ToAny(value)); });
}

Any TUnoStruct::Value() const {
  return UnoGuard([&] {
    return Reference<css::beans::XMaterialHolder>(FAdapter, UNO_QUERY_THROW)->getMaterial();
  });
}
