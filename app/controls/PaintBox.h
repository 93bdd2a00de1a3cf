#pragma once

#include <QWidget>

#include <functional>

class QPainter;

// A plain drawing surface: every repaint calls OnPaint with a painter on the whole widget.
class TPaintBox : public QWidget {
  Q_OBJECT

public:
  explicit TPaintBox(QWidget* parent);

  std::function<void(QPainter& canvas)> OnPaint;

protected:
  void paintEvent(QPaintEvent* event) override;
};
