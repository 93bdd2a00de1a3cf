#pragma once

#include <chrono>

#include "office/Variant.h"

// Where the wrapper gets the suite's service manager from: the counterpart of creating the
// COM object "com.sun.star.ServiceManager" by its ProgID. The service manager answers
// CreateInstance(service name) and Bridge_GetStruct(type name).
//
// CreateServiceManager and the objects it hands out are used by one thread at a time; Abort
// may be called from any thread while another one is inside a call to the suite.
class TAutomationServer {
public:
  virtual ~TAutomationServer() = default;
  // A fresh reference to the service manager, the suite started when needed. Raises EOffice
  // when the suite is missing or does not answer in time, and after Abort until BeginWork.
  virtual TVariant CreateServiceManager() = 0;
  // An object to hand to the suite as a load's "InteractionHandler": it answers every question
  // the suite would ask the user (a lock, a filter, a repair) by declining, so that no dialog
  // opens and the load fails instead. Empty when the server has none.
  virtual TVariant CreateInteractionHandler() = 0;
  // Gives a suite that does not answer up: an office that this server started is ended
  // (forcibly), the connection is broken off, so that a call blocked in the suite returns with
  // EOfficeGone, and every call after it raises until BeginWork. An office the server did not
  // start is left running, but this program cannot reach it again until it is restarted.
  virtual void Abort() = 0;
  // A piece of work with the suite begins (an export, an import): allowed again after Abort
  // (the next CreateServiceManager connects anew). Until its EndWork the suite is not ended
  // for holding no document, neither by this program nor by another instance of it: the work
  // may be between connecting and loading its document.
  virtual void BeginWork() = 0;
  // The work BeginWork began has ended. The default does nothing.
  virtual void EndWork() {}
  // How long the suite may go without an answer before the export gives it up; the one figure
  // the operator's message names. A suite being started does not count as silent: its start
  // has a limit of its own, after which CreateServiceManager raises.
  virtual std::chrono::milliseconds AnswerTimeout() const = 0;
  // True while CreateServiceManager, on any thread, starts the suite and waits for it to answer.
  virtual bool IsStarting() const = 0;
  // Returns at once; gets the suite ready in the background where that costs the caller
  // nothing, so that the first export finds it running. The default does nothing.
  virtual void Prepare() {}
};
