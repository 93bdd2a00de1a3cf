#pragma once

class QWidget;
class TOfficeWork;

// Waits for the office part of an export (work.Wait) behind a small modal "Экспорт…" box with
// an "Отмена" button over parent: the program's windows keep painting but take no input, and
// "Отмена" cancels the work. Returns when the work has ended; the box is gone by then.
void WaitBehindBusyDialog(QWidget* parent, TOfficeWork& work);
