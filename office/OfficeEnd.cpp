#include "office/OfficeEnd.h"

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/document/XDocumentEventBroadcaster.hpp>
#include <com/sun/star/document/XDocumentEventListener.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/TerminationVetoException.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XTerminateListener.hpp>
#include <com/sun/star/frame/theGlobalEventBroadcaster.hpp>
#include <cppuhelper/implbase1.hxx>

using css::uno::Reference;
using css::uno::UNO_QUERY;

namespace {

class TClosedListener : public cppu::WeakImplHelper1<css::document::XDocumentEventListener> {
public:
  explicit TClosedListener(std::function<void()> closed) : FClosed(std::move(closed)) {}
  void SAL_CALL documentEventOccured(const css::document::DocumentEvent& event) override {
    if (event.EventName == "OnUnload") FClosed();
  }
  void SAL_CALL disposing(const css::lang::EventObject&) override {}

private:
  std::function<void()> FClosed;
};

class TTerminateVeto : public cppu::WeakImplHelper1<css::frame::XTerminateListener> {
public:
  explicit TTerminateVeto(std::function<bool()> busy) : FBusy(std::move(busy)) {}
  void SAL_CALL queryTermination(const css::lang::EventObject&) override {
    if (FBusy()) throw css::frame::TerminationVetoException();
  }
  void SAL_CALL notifyTermination(const css::lang::EventObject&) override {}
  void SAL_CALL disposing(const css::lang::EventObject&) override {}

private:
  std::function<bool()> FBusy;
};

Reference<css::frame::XDesktop2> DesktopOf(TUnoSession& session) {
  return css::frame::Desktop::create(session.RemoteContext());
}

}  // namespace

void WatchOffice(TUnoSession& session, std::function<void()> closed, std::function<bool()> busy) {
  UnoGuard([&] {
    css::frame::theGlobalEventBroadcaster::get(session.RemoteContext())
        ->addDocumentEventListener(new TClosedListener(std::move(closed)));
    DesktopOf(session)->addTerminateListener(new TTerminateVeto(std::move(busy)));
  });
}

bool OfficeHoldsDocument(TUnoSession& session) {
  return UnoGuard([&] {
    const Reference<css::container::XEnumeration> components =
        DesktopOf(session)->getComponents()->createEnumeration();
    while (components->hasMoreElements()) {
      const Reference<css::frame::XModel> model(components->nextElement(), UNO_QUERY);
      if (!model.is()) continue;  // the Start Center, a help window: no document
      try {
        model->getURL();
        return true;
      } catch (const css::lang::DisposedException&) {
        // Closed a moment ago, still on the list.
      }
    }
    return false;
  });
}

bool AskOfficeToEnd(TUnoSession& session) {
  return UnoGuard([&] { return static_cast<bool>(DesktopOf(session)->terminate()); });
}
