#include "app/controls/PaintBox.h"

#include <QPainter>

#include "app/controls/GuardedApplication.h"

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {}

void TPaintBox::paintEvent(QPaintEvent*) {
  if (!OnPaint) return;
  QPainter painter(this);
  Guarded([&] { OnPaint(painter); });
}
