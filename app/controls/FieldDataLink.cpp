#include "app/controls/FieldDataLink.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include "app/controls/GuardedApplication.h"
#include "app/store/DataSource.h"

namespace {

// Swallows the mouse press being delivered, once: the one whose focus change a control refused.
// Lives until the event loop comes round, so that no later press is touched.
class TPressSwallower : public QObject {
public:
  explicit TPressSwallower(QObject* parent) : QObject(parent) {}

protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (FSwallowed ||
        (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick))
      return false;
    FSwallowed = true;
    return true;
  }

private:
  bool FSwallowed = false;
};

}  // namespace

TFieldDataLink::~TFieldDataLink() {
  if (FDataSource) FDataSource->RemoveLink(this);
}

void TFieldDataLink::SetDataSource(TDataSource* source) {
  if (FDataSource) FDataSource->RemoveLink(this);
  FDataSource = source;
  FFieldIndex = source ? source->DataSet().FieldIndex(FDataField) : -1;
  if (source) source->AddLink(this);
  Reset();
}

const TFieldDef* TFieldDataLink::Field() const {
  return FFieldIndex < 0 ? nullptr : &FDataSource->DataSet().Fields()[FFieldIndex];
}

void TFieldDataLink::Edit() {
  if (FDataSource && FDataSource->DataSet().Active()) FDataSource->DataSet().Edit();
}

void TFieldDataLink::Reset() {
  const bool shown = FFieldIndex >= 0 && FDataSource->DataSet().Active();
  ShowFieldText(shown ? FieldDisplayText(FDataSource->DataSet().FieldValue(FFieldIndex))
                      : QString());
  FModified = false;
}

void TFieldDataLink::CancelEdit() {
  if (FModified || !FDataSource) {
    Reset();
    return;
  }
  TADOTable& dataSet = FDataSource->DataSet();
  if (dataSet.Active() && dataSet.State() != TDataSetState::dsBrowse) dataSet.RefreshRecord();
}

void TFieldDataLink::DataEvent(TDataEvent event, int info) {
  if (event == TDataEvent::deRecordChange || event == TDataEvent::deDataSetChange ||
      (event == TDataEvent::deFieldChange && info == FFieldIndex))
    Reset();
}

void TFieldDataLink::UpdateData() {
  if (!FModified || FFieldIndex < 0) return;
  try {
    FDataSource->DataSet().SetFieldText(FFieldIndex, ControlText());
  } catch (...) {
    RestoreFocus();
    throw;
  }
  FModified = false;
}

bool StoresOnFocusOut(Qt::FocusReason reason) {
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
         reason != Qt::MenuBarFocusReason;
}

void StoreOnFocusOut(TFieldDataLink& link, Qt::FocusReason reason) {
  if (!StoresOnFocusOut(reason) || Guarded([&] { link.UpdateData(); }) ||
      reason != Qt::MouseFocusReason)
    return;
  // The press that moved the focus is still on its way to the clicked control.
  auto* swallower = new TPressSwallower(QCoreApplication::instance());
  QCoreApplication::instance()->installEventFilter(swallower);
  QTimer::singleShot(0, swallower, &QObject::deleteLater);
}
