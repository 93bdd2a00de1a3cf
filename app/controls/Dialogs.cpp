#include "app/controls/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <iterator>
#include <utility>
#include <vector>

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
  if (request.Buttons == TMsgDlgButtons::mbYesNo) buttons = QMessageBox::Yes | QMessageBox::No;
  if (request.Buttons == TMsgDlgButtons::mbYesNoCancel)
    buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  QMessageBox box(icon, request.Caption, request.Text, buttons);
  box.setTextFormat(Qt::PlainText);
  if (!request.Details.isEmpty()) box.setDetailedText(request.Details);
  const bool yesNo = request.Buttons == TMsgDlgButtons::mbYesNo ||
                     request.Buttons == TMsgDlgButtons::mbYesNoCancel;
  if (yesNo) {
    // Qt's own captions follow its translations, which the program does not load.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    box.setEscapeButton(QMessageBox::No);
  }
  if (request.Buttons == TMsgDlgButtons::mbYesNoCancel) {
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
    box.setEscapeButton(QMessageBox::Cancel);
  }
  const std::vector<QMessageBox::StandardButton> order =
      yesNo ? std::vector{QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}
            : std::vector{QMessageBox::Ok, QMessageBox::Cancel};
  for (qsizetype i = 0; i < request.ButtonCaptions.size() && i < qsizetype(order.size()); ++i)
    if (QAbstractButton* button = box.button(order[i])) button->setText(request.ButtonCaptions[i]);
  const QMessageBox::StandardButton defaults[] = {QMessageBox::Ok, QMessageBox::Cancel,
                                                  QMessageBox::Yes, QMessageBox::No};
  if (auto* button = qobject_cast<QPushButton*>(box.button(defaults[int(request.Default)])))
    box.setDefaultButton(button);
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

namespace {

TOpenFilePresenter& FilePresenter() {
  static TOpenFilePresenter presenter;
  return presenter;
}

}  // namespace

QString ChooseOpenFile(const TOpenFileRequest& request) {
  if (const TOpenFilePresenter& presenter = FilePresenter()) return presenter(request);
  return QFileDialog::getOpenFileName(QApplication::activeWindow(), request.Caption, QString(),
                                      request.Filter);
}

TOpenFilePresenter SetOpenFilePresenter(TOpenFilePresenter presenter) {
  return std::exchange(FilePresenter(), std::move(presenter));
}
