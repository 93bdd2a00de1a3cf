#include "app/controls/Dialogs.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include <iterator>
#include <utility>

namespace {

TModalResult ShowModalBox(const TMessageBoxRequest& request) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (request.Type) {
    case TMsgDlgType::mtCustom:
      icon = QMessageBox::NoIcon;
      break;
    case TMsgDlgType::mtInformation:
      icon = QMessageBox::Information;
      break;
    case TMsgDlgType::mtWarning:
      icon = QMessageBox::Warning;
      break;
    case TMsgDlgType::mtError:
      icon = QMessageBox::Critical;
      break;
    case TMsgDlgType::mtConfirmation:
      icon = QMessageBox::Question;
      break;
  }
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  if (request.Buttons == TMsgDlgButtons::mbOKCancel)
    buttons = QMessageBox::Ok | QMessageBox::Cancel;
  if (request.Buttons == TMsgDlgButtons::mbYesNoCancel)
    buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  QMessageBox box(icon, request.Caption, request.Text, buttons);
  box.setTextFormat(Qt::PlainText);
  if (request.Buttons == TMsgDlgButtons::mbYesNoCancel) {
    // Qt's own captions follow its translations, which the program does not load.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
    box.setEscapeButton(QMessageBox::Cancel);
  }
  const QMessageBox::StandardButton order[] = {QMessageBox::Ok, QMessageBox::Cancel};
  for (qsizetype i = 0; i < request.ButtonCaptions.size() && i < qsizetype(std::size(order)); ++i)
    if (QAbstractButton* button = box.button(order[i])) button->setText(request.ButtonCaptions[i]);
  if (request.Default == TModalResult::mrCancel && box.button(QMessageBox::Cancel))
    box.setDefaultButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Ok:
      return TModalResult::mrOk;
    case QMessageBox::Yes:
      return TModalResult::mrYes;
    case QMessageBox::No:
      return TModalResult::mrNo;
    default:
      return TModalResult::mrCancel;
  }
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
