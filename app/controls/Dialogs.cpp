#include "app/controls/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QWindow>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace {

// The window a box belongs to and opens centred on: the program's main window while it is
// shown, otherwise the active window (a box of start-up has none and is centred on the screen).
QWidget* BoxOwner() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (qobject_cast<QMainWindow*>(window) && window->isVisible()) return window;
  return QApplication::activeWindow();
}

// A window manager cuts a title that does not fit the title bar ("ТОРВИ…я 2019"), and a box
// sizes itself by its text only: so it is made as wide as its whole title needs in a bold
// title font, with a quarter more for fonts that run wider and room for the title bar's icon
// and buttons.
void MakeRoomForTitle(QMessageBox& box) {
  constexpr int TitleBarButtons = 160;
  QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
  font.setBold(true);
  const int width =
      QFontMetrics(font).horizontalAdvance(box.windowTitle()) * 5 / 4 + TitleBarButtons;
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

// A message box that opens centred on its owner's window, frame and all. Qt centres a box on
// its parent with a guess at the frames that is off by the height of a title bar; the box's own
// frame is taken to be like its owner's, which the same window manager drew.
class TCentredBox : public QMessageBox {
public:
  using QMessageBox::QMessageBox;

protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);  // sizes the box to its text
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner || !owner->isVisible()) return;
    // The window's own frame as the window manager says now: QWidget::frameGeometry() may
    // still hold the guess made before the window manager framed the window.
    const QRect ownerFrame =
        owner->windowHandle() ? owner->windowHandle()->frameGeometry() : owner->frameGeometry();
    const QSize frame = ownerFrame.size() - owner->geometry().size();
    const QSize boxFrame = size() + frame;
    QRect placed(ownerFrame.center() - QPoint(boxFrame.width() / 2, boxFrame.height() / 2),
                 boxFrame);
    if (const QScreen* screen = owner->screen()) {
      const QRect room = screen->availableGeometry();
      placed.moveLeft(std::clamp(placed.left(), room.left(), room.right() - placed.width() + 1));
      placed.moveTop(std::clamp(placed.top(), room.top(), room.bottom() - placed.height() + 1));
    }
    setGeometry(QRect(placed.topLeft() + (owner->geometry().topLeft() - ownerFrame.topLeft()),
                      size()));
  }
};

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
  TCentredBox box(icon, request.Caption, request.Text, buttons, BoxOwner());
  box.setTextFormat(Qt::PlainText);
  MakeRoomForTitle(box);
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
