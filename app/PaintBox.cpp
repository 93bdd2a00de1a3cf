#include "app/PaintBox.h"

#include <QPainter>

#include "app/GuardedApplication.h"

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {}

void TPaintBox::paintEvent(QPaintEvent*) {
  if (!OnPaint) return;
  QPainter painter(this);
  Guarded([&] { OnPaint(painter); });
}
