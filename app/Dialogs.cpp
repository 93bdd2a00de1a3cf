#include "app/Dialogs.h"

#include <QAbstractButton>
#include <QMessageBox>

#include <iterator>
#include <utility>

#include "app/Application.h"

namespace {

TModalResult ShowModalBox(const TMessageBoxRequest& request) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (request.Type) {
    case TMsgDlgType::mtCustom: icon = QMessageBox::NoIcon; break;
    case TMsgDlgType::mtInformation: icon = QMessageBox::Information; break;
    case TMsgDlgType::mtWarning: icon = QMessageBox::Warning; break;
    case TMsgDlgType::mtError: icon = QMessageBox::Critical; break;
    case TMsgDlgType::mtConfirmation: icon = QMessageBox::Question; break;
  }
  const QMessageBox::StandardButtons buttons = request.Buttons == TMsgDlgButtons::mbOKCancel
                                                   ? QMessageBox::Ok | QMessageBox::Cancel
                                                   : QMessageBox::StandardButtons(QMessageBox::Ok);
  QMessageBox box(icon, request.Caption, request.Text, buttons);
  box.setTextFormat(Qt::PlainText);
  const QMessageBox::StandardButton order[] = {QMessageBox::Ok, QMessageBox::Cancel};
  for (qsizetype i = 0; i < request.ButtonCaptions.size() && i < qsizetype(std::size(order)); ++i)
    if (QAbstractButton* button = box.button(order[i])) button->setText(request.ButtonCaptions[i]);
  if (request.Default == TModalResult::mrCancel && box.button(QMessageBox::Cancel))
    box.setDefaultButton(QMessageBox::Cancel);
  return box.exec() == QMessageBox::Ok ? TModalResult::mrOk : TModalResult::mrCancel;
}

TMessagePresenter& Presenter() {
  static TMessagePresenter presenter;
  return presenter;
}

}  // namespace

TModalResult ShowMessageBox(const TMessageBoxRequest& request) {
  const TMessagePresenter& presenter = Presenter();
  if (presenter) return presenter(request);
  const TModalResult result = ShowModalBox(request);
  // A box with only OK answers OK however it was closed.
  return request.Buttons == TMsgDlgButtons::mbOK ? TModalResult::mrOk : result;
}

TMessagePresenter SetMessagePresenter(TMessagePresenter presenter) {
  return std::exchange(Presenter(), std::move(presenter));
}

void ShowMessage(const QString& text) {
  ShowMessageBox({TApplication::Title(), text, TMsgDlgType::mtCustom, TMsgDlgButtons::mbOK});
}
