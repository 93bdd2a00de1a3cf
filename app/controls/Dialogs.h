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

// mbYesNoCancel shows "Да", "Нет" and "Отмена".
enum class TMsgDlgButtons { mbOK, mbOKCancel, mbYesNoCancel };

enum class TModalResult { mrOk, mrCancel, mrYes, mrNo };

struct TMessageBoxRequest {
  QString Caption;  // window title
  QString Text;
  TMsgDlgType Type = TMsgDlgType::mtCustom;
  TMsgDlgButtons Buttons = TMsgDlgButtons::mbOK;
  // Texts for the buttons in place of the standard ones, in the order OK, Cancel; fewer
  // leave the rest standard.
  QStringList ButtonCaptions = {};
  // The button Enter presses.
  TModalResult Default = TModalResult::mrOk;
};

// Shows a box and waits for the operator. Returns the button chosen: mrOk, mrYes or mrNo, or
// mrCancel when the box has a Cancel button and the operator chose it (or closed the box).
using TMessagePresenter = std::function<TModalResult(const TMessageBoxRequest&)>;

// Shows `request` through the current presenter (a modal QMessageBox unless replaced).
TModalResult ShowMessageBox(const TMessageBoxRequest& request);

// Puts `presenter` in place of the current one and returns the one it replaces; an empty
// presenter restores the modal QMessageBox.
TMessagePresenter SetMessagePresenter(TMessagePresenter presenter);
