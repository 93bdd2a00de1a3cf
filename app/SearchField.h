#pragma once

#include <QObject>
#include <QTimer>

#include "app/store/DataLink.h"
#include "app/store/StoreEngine.h"

class QLabel;
class QLineEdit;
class TADOTable;

// The register's search field and the label beside it. What the operator types filters the
// register (TADOTable::SetFilter) as soon as the keys already pressed are in: a search that
// has not started yet gives way to the one of the text typed since. The label says "Найдено: N"
// while the register shows only the bags found ("Найдено больше 1000, уточните поиск" when the
// search stopped at SearchLimit), and asks for a third character while fewer are
// typed (the register then shows every bag). Escape empties the field and makes the bag that
// was current before the search current again; in a large register whose keys are still
// coming (TADOTable::Loading) it becomes current once its key is in, unless the operator went
// to another bag meanwhile. Return puts the cursor into the register.
// A register that cannot be searched yet (TADOTable::CanSearch) leaves the field disabled,
// its tooltip saying why.
//
// Attach it to the data source the register grid shows, so that the count follows every
// change (TDataLink). Both controls must outlive it.
class TSearchField : public QObject, public TDataLink {
public:
  // `register` gets the focus on Return; `moved` runs after a search made another bag current
  // (the window's refresh of what it shows of the current bag).
  TSearchField(QLineEdit& edit, QLabel& found, QWidget& registerView, std::function<void()> moved);

  // The data set the field filters, or none (the field is then disabled).
  void SetDataSet(TADOTable* dataSet);
  // Ctrl+F: the cursor into the field, its text selected.
  void Enter();

  void DataEvent(TDataEvent event, int info) override;
  void UpdateData() override {}

private:
  void Typed();
  void Search();
  void Escape();
  void ShowCount();
  // After Escape, once more keys are in: the bag to go back to, when it is among them.
  void GoBack();

  QLineEdit& FEdit;
  QLabel& FFound;
  QWidget& FRegister;
  std::function<void()> FMoved;
  TADOTable* FDataSet = nullptr;
  QTimer FPending;  // a search to run once the keys already pressed are in
  // Whether the field holds text, and the bag current when it began to: Escape goes back to it.
  bool FSearching = false;
  TRowKey FBefore = 0;
  // After Escape in a register still loading: the bag to go back to once its key is in (0 for
  // none), and the bag current meanwhile (another one means the operator has moved on).
  TRowKey FBackTo = 0;
  TRowKey FBackFrom = 0;
};
