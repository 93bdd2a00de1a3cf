#pragma once

#include <QString>

class QWidget;
class TOfficeWork;

// Waits for work with the office (work.Wait) behind a small modal box saying `label` with an
// "Отмена" button over parent: the program's windows keep painting but take no input, and
// "Отмена" cancels the work, the box then saying `cancelling`. Returns when the work has
// ended; the box is gone by then.
void WaitBehindBusyDialog(QWidget* parent, TOfficeWork& work,
                          const QString& label = QStringLiteral("Экспорт…"),
                          const QString& cancelling = QStringLiteral("Отмена экспорта…"));
