#include "app/Startup.h"

#include <QFileInfo>
#include <QTimer>

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

#include "app/Application.h"
#include "app/controls/Dialogs.h"
#include "app/DataModuleUnit.h"
#include "app/MainForm.h"
#include "app/OldRegisterOffer.h"
#include "app/Reg.h"
#include "office/OpenOffice.h"
#include "app/store/DatabaseError.h"

TForms::TForms() = default;
TForms::TForms(TForms&&) noexcept = default;
TForms& TForms::operator=(TForms&&) noexcept = default;
TForms::~TForms() = default;

TForms CreateForms(const QString& iniPath) { return CreateForms(iniPath, nullptr); }

TForms CreateForms(const QString& iniPath, std::unique_ptr<TOOCalc> office) {
  TForms forms;
  forms.Form1 = std::make_unique<TForm1>(nullptr, std::move(office));
  forms.Form4 = std::make_unique<TForm4>(nullptr, iniPath);
  forms.Form1->SetFirmDialog(forms.Form4.get());
  forms.Form2 = std::make_unique<TForm2>(*forms.Form1);
  return forms;
}

namespace {

QString ClassName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
  return QString::fromLatin1(status == 0 && name ? name.get() : type.name());
}

}  // namespace

QString StartupErrorText(std::exception_ptr error) {
  QString className = QStringLiteral("Exception");
  const void* address = nullptr;
  QString sentence;
  try {
    std::rethrow_exception(error);
  } catch (const EDatabaseError& e) {
    className = ClassName(typeid(e));
    address = e.Address();
    sentence = DatabaseFailureText(e);
  } catch (const std::exception& e) {
    className = ClassName(typeid(e));
  } catch (...) {
  }
  const QString message = ExceptionMessage(error);
  const QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  const QString fullStop = message.endsWith(u'.') ? QString() : QStringLiteral(".");
  const QString technical =
      QStringLiteral("Exception %1 in module %2 at %3.\r\n%4%5\r\n")
          .arg(className, module,
               QStringLiteral("%1")
                   .arg(quintptr(address), int(sizeof(void*) * 2), 16, QChar(u'0'))
                   .toUpper(),
               message, fullStop);
  return sentence.isEmpty() ? technical : sentence + QStringLiteral("\r\n") + technical;
}

int RunApplication(int& argc, char** argv) {
  // Pixel geometry as designed, whatever the screen's resolution.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  TApplication application(argc, argv);
  if (const std::optional<int> ended = OfferOldRegisterConversion()) return *ended;
  TForms forms;
  try {
    forms = CreateForms(TForm4::DefaultIniPath());
  } catch (...) {
    ShowMessageBox({QStringLiteral("Application Error"), StartupErrorText(std::current_exception()),
                    TMsgDlgType::mtError, TMsgDlgButtons::mbOK});
    return 1;
  }
  forms.Form1->show();
  // Once the window is up, the office gets ready in the background, so that the first export
  // of the day is as quick as the next.
  QTimer::singleShot(0, forms.Form1.get(),
                     [&forms] { forms.Form1->Office().AutomationServer().Prepare(); });
  return application.exec();
}
