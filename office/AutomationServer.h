#pragma once

#include "office/Variant.h"

// Where the wrapper gets the suite's service manager from: the counterpart of creating the
// COM object "com.sun.star.ServiceManager" by its ProgID. The service manager answers
// CreateInstance(service name) and Bridge_GetStruct(type name).
class TAutomationServer {
 public:
  virtual ~TAutomationServer() = default;
  // A fresh reference to the service manager, the suite started when needed. Raises EOffice
  // when the suite is missing or does not answer in time.
  virtual TVariant CreateServiceManager() = 0;
};
