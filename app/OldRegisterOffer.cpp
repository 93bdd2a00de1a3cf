#include "app/OldRegisterOffer.h"

#include <QFileInfo>

#include "app/Application.h"
#include "app/controls/Dialogs.h"
#include "app/import/ImportError.h"
#include "app/import/ImportTexts.h"
#include "app/import/JetFile.h"
#include "app/import/OldRegister.h"
#include "app/StoreSettings.h"

std::optional<int> OfferOldRegisterConversion() {
  const QString db = QStringLiteral("db.mdb");
  if (QFileInfo::exists(StoreSettingsPath()) || !IsJetFile(db)) return std::nullopt;
  try {
    const TOldRegister old = ReadOldRegister(QFileInfo(db).absoluteFilePath());
    if (ShowMessageBox({TApplication::Title(), ConversionQuestion(int(old.Bags.size()), old.KeptName),
                        TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNo}) !=
        TModalResult::mrYes)
      return 0;
    ConvertOldRegister(old);
    return std::nullopt;
  } catch (const EBagImport& e) {
    ShowMessageBox({TApplication::Title(), QString::fromUtf8(e.what()), TMsgDlgType::mtError,
                    TMsgDlgButtons::mbOK});
    return 1;
  }
}
