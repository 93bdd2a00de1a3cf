#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class THistoryModel;
class TStoreEngine;

namespace Ui {
class THistoryForm;
}

// The window "История": the changes of the bags that ever bore a bag number, newest first
// (THistoryTable), deleted bags included; the operator may type another number and look it
// up ("Найти" or Enter). Its layout is the form app/HistoryForm.ui: Label1, Edit1 (the
// number), Button1 "Найти", Label2 (what was found), Grid1 (the changes). The history is read
// only by Find, never before the window opens.
class THistoryForm : public QDialog {
  Q_OBJECT

public:
  // `engine` must outlive the window.
  THistoryForm(TStoreEngine& engine, const QStringList& bagFields, QWidget* parent = nullptr);
  ~THistoryForm() override;

  const Ui::THistoryForm& Controls() const { return *FControls; }
  const THistoryModel& Model() const { return *FModel; }

  // Puts `bagNumber` in Edit1 and shows its bags' changes; Label2 says how many there are,
  // that none are recorded, or that the register keeps no history. An empty number shows
  // nothing. Throws EDatabaseError when the history cannot be read; the table is emptied.
  void Find(const QString& bagNumber);
  // "Найти": Find with the number in Edit1.
  void Button1Click();

private:
  std::unique_ptr<Ui::THistoryForm> FControls;
  TStoreEngine& FEngine;
  QStringList FBagFields;
  THistoryModel* FModel;  // owned by the window
};
