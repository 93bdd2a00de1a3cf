#pragma once

#include <QApplication>
#include <QStringList>

// The test run's application: like the program's, it catches what escapes an event handler;
// it keeps the messages for the tests instead of showing an error box.
class TFormsTestApp : public QApplication {
public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override;

  static QStringList& Errors();
};
