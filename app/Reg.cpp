#include "app/Reg.h"

#include "app/Application.h"
#include "app/IniFile.h"
#include "app/controls/GuardedApplication.h"
#include "ui_Reg.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <exception>

namespace {

const QString Section = QStringLiteral("user");
const QString NameKey = QStringLiteral("name");
const QString AccountKey = QStringLiteral("acc");
const QString FirmHint = QStringLiteral(
    "указывается полное (сокращенное) наименование юридического лица, фамилия, имя и отчество "
    "(при наличии) индивидуального предпринимателя, физического лица");
// The Windows colour "gradient inactive caption" of the default scheme.
const QColor InactiveCaptionGradient(215, 228, 242);

}  // namespace

TForm4::TForm4(QWidget* parent, const QString& iniPath)
    : QDialog(parent), FControls(std::make_unique<Ui::TForm4>()), FIniPath(iniPath) {
  // Pixel sizes, which a form cannot hold; the dialog's font first, so that the controls the
  // form creates take it.
  setFont(TApplication::WindowFont(11));
  FControls->setupUi(this);
  const Ui::TForm4& ui = *FControls;
  ui.Label1->setFont(TApplication::WindowFont(16));
  ui.Label2->setFont(TApplication::WindowFont(16));
  ui.Edit1->setToolTip(FirmHint);
  ui.Edit2->setToolTip(FirmHint);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, InactiveCaptionGradient);
  setPalette(palette);
  setAutoFillBackground(true);
  move(0, 0);
  connect(ui.Button1, &QPushButton::clicked, this, [this] { Guarded([this] { Button1Click(); }); });
  FormCreate();
}

TForm4::~TForm4() = default;

QString TForm4::DefaultIniPath() {
  return QCoreApplication::applicationDirPath() + QStringLiteral("/firmname.ini");
}

QString TForm4::FirmName() const { return FControls->Edit1->text(); }

QString TForm4::CashAccount() const { return FControls->Edit2->text(); }

void TForm4::FormCreate() {
  const TIniFile ini(FIniPath);
  FControls->Edit1->setText(ini.ReadString(Section, NameKey, FControls->Edit1->text()));
  FControls->Edit2->setText(ini.ReadString(Section, AccountKey, FControls->Edit2->text()));
}

void TForm4::Save() {
  TIniFile ini(FIniPath);
  ini.WriteString(Section, NameKey, FControls->Edit1->text());
  ini.WriteString(Section, AccountKey, FControls->Edit2->text());
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
        this, [failure] { TGuardedApplication::HandleException(failure); }, Qt::QueuedConnection);
  exec();
}

void TForm4::keyPressEvent(QKeyEvent* event) {
  // Only the close box and the button leave the dialog; Escape does not.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) return;
  QDialog::keyPressEvent(event);
}
