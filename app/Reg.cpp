#include "app/Reg.h"

#include "app/IniFile.h"

#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <exception>

namespace {

const QString Section = QStringLiteral("user");
const QString NameKey = QStringLiteral("name");
const QString AccountKey = QStringLiteral("acc");
const QString DefaultAccount = QStringLiteral("202028100000000000001");
const QString FirmHint = QStringLiteral(
    "указывается полное (сокращенное) наименование юридического лица, фамилия, имя и отчество "
    "(при наличии) индивидуального предпринимателя, физического лица");
// The Windows colour "gradient inactive caption" of the default scheme.
const QColor InactiveCaptionGradient(215, 228, 242);

QLabel* MakeLabel(QWidget* parent, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setPixelSize(16);
  label->setFont(font);
  label->move(left, top);
  label->adjustSize();
  return label;
}

}  // namespace

TForm4::TForm4(QWidget* parent, const QString& iniPath) : QDialog(parent), FIniPath(iniPath) {
  setWindowTitle(QStringLiteral("Фирма"));
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(11);
  setFont(font);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, InactiveCaptionGradient);
  setPalette(palette);
  setAutoFillBackground(true);
  // The client area of a 465 x 216 window with the usual Windows frame and caption.
  setFixedSize(449, 178);
  move(0, 0);

  Bevel1 = new QFrame(this);
  Bevel1->setFrameShape(QFrame::HLine);
  Bevel1->setFrameShadow(QFrame::Sunken);
  Bevel1->setGeometry(8, 8 + 121 - 2, 433, 2);  // the bottom edge of an 8, 8, 433, 121 frame

  Label1 = MakeLabel(this, QStringLiteral("Введите название фирмы"), 16, 24);
  Edit1 = new QLineEdit(this);
  Edit1->setGeometry(216, 24, 185, 21);
  Edit1->setToolTip(FirmHint);

  Label2 = MakeLabel(this, QStringLiteral("Кассовый счет"), 96, 64);
  Edit2 = new QLineEdit(DefaultAccount, this);
  Edit2->setGeometry(216, 64, 185, 21);
  Edit2->setToolTip(FirmHint);
  Edit2->setEnabled(false);

  Button1 = new QPushButton(QStringLiteral("Закрыть и сохранить"), this);
  Button1->setGeometry(160, 136, 129, 33);
  Button1->setAutoDefault(false);
  connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);

  FormCreate();
}

QString TForm4::DefaultIniPath() {
  return QCoreApplication::applicationDirPath() + QStringLiteral("/firmname.ini");
}

void TForm4::FormCreate() {
  const TIniFile ini(FIniPath);
  Edit1->setText(ini.ReadString(Section, NameKey, Edit1->text()));
  Edit2->setText(ini.ReadString(Section, AccountKey, Edit2->text()));
}

void TForm4::Save() {
  TIniFile ini(FIniPath);
  ini.WriteString(Section, NameKey, Edit1->text());
  ini.WriteString(Section, AccountKey, Edit2->text());
}

void TForm4::Button1Click() {
  Save();
  accept();
}

void TForm4::ShowModally() {
  std::exception_ptr failure;
  try {
    Save();
  } catch (const EIniFileException&) {
    failure = std::current_exception();
  }
  // Without the dialog the firm name could never be typed in while the file is unwritable,
  // and the export needs it: so the dialog opens all the same and the error shows above it.
  if (failure)
    QMetaObject::invokeMethod(
        this, [failure] { std::rethrow_exception(failure); }, Qt::QueuedConnection);
  exec();
}

void TForm4::keyPressEvent(QKeyEvent* event) {
  // Only the close box and the button leave the dialog; Escape does not.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) return;
  QDialog::keyPressEvent(event);
}
