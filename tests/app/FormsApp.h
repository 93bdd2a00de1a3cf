#pragma once

#include <QStringList>

#include "app/Application.h"

// The test run's application: the program's (its fonts, its exception route), whose
// handler keeps each error's text for the tests instead of showing an error box. An exception
// that unwinds through Qt's event delivery, where no handler guarded it, fails the running test.
class TFormsTestApp : public TApplication {
public:
  TFormsTestApp(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // The operator's texts (ErrorText) of the errors handled so far, in order.
  static QStringList& Errors();
};
