#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Every message and error box of the program goes through ShowMessageBox, so that tests can
// put a recorder in place of the modal boxes and check texts, titles, buttons and order.

enum class TMsgDlgType {
  mtCustom,  // no icon
  mtInformation,
  mtWarning,
  mtError,
  mtConfirmation
};

// mbYesNo shows "Да" and "Нет" (Escape is "Нет"); mbYesNoCancel "Да", "Нет" and "Отмена".
enum class TMsgDlgButtons { mbOK, mbOKCancel, mbYesNo, mbYesNoCancel };

enum class TModalResult { mrOk, mrCancel, mrYes, mrNo };

struct TMessageBoxRequest {
  QString Caption;  // window title
  QString Text;
  TMsgDlgType Type = TMsgDlgType::mtCustom;
  TMsgDlgButtons Buttons = TMsgDlgButtons::mbOK;
  // Texts for the buttons in place of the standard ones, in the order of the buttons (OK,
  // Cancel; or Yes, No, Cancel); fewer leave the rest standard.
  QStringList ButtonCaptions = {};
  // The button Enter presses.
  TModalResult Default = TModalResult::mrOk;
  // A longer text the operator may unfold under the box's text; none when empty.
  QString Details = {};
};

// Shows a box and waits for the operator. Returns the button chosen: mrOk, mrYes or mrNo, or
// mrCancel when the box has a Cancel button and the operator chose it (or closed the box).
using TMessagePresenter = std::function<TModalResult(const TMessageBoxRequest&)>;

// Shows `request` through the current presenter (a modal QMessageBox unless replaced).
TModalResult ShowMessageBox(const TMessageBoxRequest& request);

// Puts `presenter` in place of the current one and returns the one it replaces; an empty
// presenter restores the modal QMessageBox.
TMessagePresenter SetMessagePresenter(TMessagePresenter presenter);

// A file the operator is asked to choose for reading.
struct TOpenFileRequest {
  QString Caption;  // the dialog's title
  QString Filter;   // the kinds offered, as Qt's file dialogs take them: "Сумки (*.mdb *.csv)"
};

// Asks the operator for a file. Returns its path, empty when the operator cancelled.
using TOpenFilePresenter = std::function<QString(const TOpenFileRequest&)>;

// Asks through the current presenter (a modal file dialog unless replaced).
QString ChooseOpenFile(const TOpenFileRequest& request);

// Puts `presenter` in place of the current one and returns the one it replaces; an empty
// presenter restores the file dialog.
TOpenFilePresenter SetOpenFilePresenter(TOpenFilePresenter presenter);
