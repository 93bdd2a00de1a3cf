#include "app/SearchField.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>

#include "app/DatabaseWait.h"
#include "app/controls/GuardedApplication.h"
#include "app/store/ADOTable.h"

namespace {

// A wait for the store, or an action already in it, holds a search back this long at a time.
constexpr int BusyRetryMs = 50;

static_assert(SearchMinLength == 3, "the label asks for three characters");

}  // namespace

TSearchField::TSearchField(QLineEdit& edit, QLabel& found, QWidget& registerView,
                           std::function<void()> moved)
    : FEdit(edit), FFound(found), FRegister(registerView), FMoved(std::move(moved)) {
  FPending.setSingleShot(true);
  FEdit.setPlaceholderText(QStringLiteral("Номер сумки, пакета, ИНН, счёт, получатель, ФИО"));
  FEdit.setClearButtonEnabled(true);
  connect(&FPending, &QTimer::timeout, this, [this] { Search(); });
  connect(&FEdit, &QLineEdit::textEdited, this, [this] { Typed(); });
  connect(&FEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
    // The clear button empties the field without an edit.
    if (text.isEmpty()) Typed();
  });
  connect(&FEdit, &QLineEdit::returnPressed, this, [this] {
    FPending.stop();
    Search();
    FRegister.setFocus();
  });
  auto* escape = new QAction(&FEdit);  // the field owns it
  escape->setShortcut(QKeySequence(Qt::Key_Escape));
  escape->setShortcutContext(Qt::WidgetShortcut);
  FEdit.addAction(escape);
  connect(escape, &QAction::triggered, this, [this] { Escape(); });
  SetDataSet(nullptr);
}

void TSearchField::SetDataSet(TADOTable* dataSet) {
  FDataSet = dataSet;
  FBackTo = 0;
  const bool searchable = dataSet && dataSet->Active() && dataSet->CanSearch();
  FEdit.setEnabled(searchable);
  if (dataSet && !searchable)
    FEdit.setToolTip(QStringLiteral(
        "Поиск недоступен: реестр не обновлён для этой версии программы. Обратитесь к "
        "администратору."));
  ShowCount();
}

void TSearchField::Enter() {
  FEdit.setFocus(Qt::ShortcutFocusReason);
  FEdit.selectAll();
}

void TSearchField::Typed() {
  // The search begins with the first character in an empty field.
  const bool searching = !FEdit.text().isEmpty();
  if (searching && !FSearching && FDataSet) FBefore = FDataSet->CurrentKey();
  FSearching = searching;
  FBackTo = 0;
  // Zero: after the key events already queued, so that fast typing searches once.
  FPending.start(0);
}

void TSearchField::Search() {
  if (!FDataSet || !FEdit.isEnabled()) return;
  if (TGuardedApplication::ActionRunning() || DatabaseWaiting()) {
    FPending.start(BusyRetryMs);
    return;
  }
  // Fewer characters than the index needs show every bag until the next one.
  TRowFilter filter{FEdit.text()};
  if (!FiltersBags(filter)) filter = {};
  const TRowKey current = FDataSet->CurrentKey();
  Guarded([&] { FDataSet->SetFilter(filter); });
  if (FDataSet->CurrentKey() != current) FMoved();
  ShowCount();
}

void TSearchField::Escape() {
  if (FEdit.text().isEmpty()) return;
  const TRowKey before = FBefore;
  FEdit.clear();
  FPending.stop();
  if (!FDataSet) return;
  const TRowKey current = FDataSet->CurrentKey();
  Guarded([&] {
    FDataSet->SetFilter({});
    if (!FDataSet->MoveToKey(before) && FDataSet->Loading()) {
      FBackTo = before;
      FBackFrom = FDataSet->CurrentKey();
    }
  });
  if (FDataSet->CurrentKey() != current) FMoved();
  ShowCount();
}

void TSearchField::GoBack() {
  if (!FDataSet || FBackTo == 0) return;
  // An operator who went to another bag, or began to edit this one, has moved on.
  if (FDataSet->CurrentKey() != FBackFrom || FDataSet->State() != TDataSetState::dsBrowse) {
    FBackTo = 0;
    return;
  }
  bool moved = false;
  Guarded([&] { moved = FDataSet->MoveToKey(FBackTo); });
  if (moved) FMoved();
  if (moved || !FDataSet->Loading() || FDataSet->CurrentKey() != FBackFrom) FBackTo = 0;
}

void TSearchField::ShowCount() {
  const TBagSearch search = ParseBagSearch({FEdit.text()});
  if (search.Kind == TSearchKind::skWaiting)
    FFound.setText(QStringLiteral("Наберите не меньше трёх знаков"));
  else if (FDataSet && FiltersBags(FDataSet->Filter())) {
    const int found =
        FDataSet->RecordCount() - (FDataSet->State() == TDataSetState::dsInsert ? 1 : 0);
    FFound.setText(found > SearchLimit
                       ? QStringLiteral("Найдено больше %1, уточните поиск").arg(SearchLimit)
                       : QStringLiteral("Найдено: %1").arg(found));
  } else {
    FFound.clear();
  }
}

void TSearchField::DataEvent(TDataEvent event, int) {
  switch (event) {
    case TDataEvent::deDataSetChange:
    case TDataEvent::deRowInserted:
    case TDataEvent::deRowDeleted:
    case TDataEvent::deRowsReset:
    case TDataEvent::deUpdateState:
      ShowCount();
      break;
    case TDataEvent::deRowsAppended:
      // After every link has taken the new rows in.
      if (FBackTo != 0) QTimer::singleShot(0, this, [this] { GoBack(); });
      break;
    default:
      break;
  }
}
