#include "app/DatabaseWait.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

namespace {

// Holds back the closing of windows while the store waits inside a call: closing the main
// window may save the bag, and the waiting connection must not be used until its call returns.
class TCloseDeferral : public QObject {
public:
  std::vector<QPointer<QWidget>> Closed;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Close || !watched->isWidgetType()) return false;
    Closed.emplace_back(static_cast<QWidget*>(watched));
    event->ignore();
    return true;
  }
};

std::unique_ptr<TCloseDeferral>& Deferral() {
  static std::unique_ptr<TCloseDeferral> deferral;
  return deferral;
}

}  // namespace

void ShowDatabaseWait(bool waiting) {
  std::unique_ptr<TCloseDeferral>& deferral = Deferral();
  if (waiting) {
    if (!deferral) {
      deferral = std::make_unique<TCloseDeferral>();
      qApp->installEventFilter(deferral.get());
      QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return;
  }
  if (!deferral) return;
  const std::unique_ptr<TCloseDeferral> over = std::move(deferral);  // its filter goes with it
  QApplication::restoreOverrideCursor();
  for (const QPointer<QWidget>& window : over->Closed)
    QMetaObject::invokeMethod(
        qApp,
        [window] {
          if (window) window->close();
        },
        Qt::QueuedConnection);
}

bool DatabaseWaiting() { return Deferral() != nullptr; }
