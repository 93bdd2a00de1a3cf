#include "app/ExportBusyDialog.h"

#include <QProgressDialog>

#include "app/Application.h"
#include "office/OfficeWork.h"

void WaitBehindBusyDialog(QWidget* parent, TOfficeWork& work, const QString& label,
                          const QString& cancelling) {
  QProgressDialog dialog(label, QStringLiteral("Отмена"), 0, 0, parent);
  dialog.setWindowTitle(TApplication::Title());
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setAutoReset(false);
  dialog.setAutoClose(false);
  dialog.setMinimumDuration(0);
  QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&dialog, &work, cancelling] {
    dialog.setLabelText(cancelling);
    work.Cancel();
  });
  dialog.show();
  work.Wait();
}
