// Message boxes as the operator sees them on a real desktop (Xvfb and openbox): centred on the
// main window, with the whole title in the window manager's title bar.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <map>

#include "app/Application.h"
#include "app/MainForm.h"
#include "app/controls/Dialogs.h"

namespace {

// The window with its frame, as the window manager says now (QWidget::frameGeometry may hold
// an older answer).
QRect FrameOf(const QWidget& window) {
  return window.windowHandle() ? window.windowHandle()->frameGeometry() : window.geometry();
}

// True once the window manager has framed `window` (the title bar above it).
bool Framed(const QWidget& window) {
  return window.isVisible() && window.width() > 1 && FrameOf(window).top() < window.geometry().top();
}

// The window's title bar as the screen shows it: the rows between the frame's top and the
// window's own, inside the frame's side borders. Taken once the window is framed and the
// picture holds still (the window manager paints the frame, and may activate the window, a
// moment after it maps it, seconds later on a loaded machine); null when it never does.
QImage TitleBar(const QWidget& window) {
  if (!QTest::qWaitFor([&] { return Framed(window); }, 20000)) return QImage();
  const auto grab = [&] {
    const QRect frame = FrameOf(window);
    const QRect client = window.geometry();
    return window.screen()->grabWindow(0).toImage().copy(client.left(), frame.top(),
                                                          client.width(),
                                                          client.top() - frame.top());
  };
  QImage previous;
  for (int attempt = 0; attempt < 80; ++attempt) {
    QTest::qWait(250);
    QImage bar = grab();
    if (bar == previous) return bar;
    previous = bar;
  }
  return QImage();
}

// The width of the title bar's widest run of ink: the columns where a pixel differs from the
// colour most of its row has (the bar's gradient runs top to bottom), runs joined across gaps
// of less than 8 pixels. The title's text is wider than the icon or the buttons, so this is
// the width of the title as drawn; a cut title ("ТОРВИ…я 2019") is narrower than the whole.
int TitleInkWidth(const QImage& bar) {
  std::vector<bool> ink(bar.width(), false);
  for (int y = 0; y < bar.height(); ++y) {
    std::map<QRgb, int> counts;
    for (int x = 0; x < bar.width(); ++x) ++counts[bar.pixel(x, y)];
    const QRgb background =
        std::max_element(counts.begin(), counts.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; })
            ->first;
    for (int x = 0; x < bar.width(); ++x) {
      const QRgb p = bar.pixel(x, y);
      const int distance = std::abs(qRed(p) - qRed(background)) +
                           std::abs(qGreen(p) - qGreen(background)) +
                           std::abs(qBlue(p) - qBlue(background));
      if (distance > 60) ink[x] = true;
    }
  }
  int widest = 0;
  int runStart = -1;
  int lastInk = -100;
  for (int x = 0; x < bar.width(); ++x) {
    if (!ink[x]) continue;
    if (x - lastInk >= 8) runStart = x;
    lastInk = x;
    widest = std::max(widest, x - runStart + 1);
  }
  return widest;
}

// Shows `request` through the program's message box and runs `look` on the box once it is
// shown, then closes it.
void ShowAndLook(const TMessageBoxRequest& request, const std::function<void(QWidget&)>& look) {
  bool looked = false;
  QTimer::singleShot(0, [&] {
    QWidget* box = nullptr;
    if (!QTest::qWaitFor([&] { return (box = QApplication::activeModalWidget()) != nullptr; },
                         5000)) {
      ADD_FAILURE() << "no box";
      return;
    }
    look(*box);
    looked = true;
    if (auto* messageBox = qobject_cast<QMessageBox*>(box)) messageBox->done(QMessageBox::Cancel);
  });
  ShowMessageBox(request);
  EXPECT_TRUE(looked);
}

TEST(DesktopBoxes, ABoxOpensCentredOnTheMainWindowWithItsWholeTitle) {
  const QString title = TApplication::Title();
  // The title as openbox draws it on a window wide enough for it.
  int wholeTitle = 0;
  {
    QWidget wide;
    wide.setWindowTitle(title);
    wide.resize(700, 100);
    wide.show();
    // A bar that held still before the window manager wrote the title into it is looked at again.
    (void)QTest::qWaitFor(
        [&] { return (wholeTitle = TitleInkWidth(TitleBar(wide))) > 100; }, 20000);
  }
  ASSERT_GT(wholeTitle, 100);

  TForm1 window;
  window.show();
  ASSERT_FALSE(TitleBar(window).isNull());
  const struct {
    const char* Name;
    TMessageBoxRequest Request;
  } boxes[] = {
      {"a short warning", {title, QStringLiteral("Введите номер сумки")}},
      {"a question",
       {title, QStringLiteral("Сохранить изменения?"), TMsgDlgType::mtConfirmation,
        TMsgDlgButtons::mbYesNoCancel}},
      {"an error of two lines",
       {title, QStringLiteral("Unable to write to /home/desk/firmname.ini.\nPermission denied."),
        TMsgDlgType::mtError}},
  };
  for (const auto& b : boxes) {
    SCOPED_TRACE(b.Name);
    ShowAndLook(b.Request, [&](QWidget& box) {
      const QImage bar = TitleBar(box);
      ASSERT_FALSE(bar.isNull());
      const QPoint offCentre = FrameOf(box).center() - FrameOf(window).center();
      EXPECT_LE(offCentre.manhattanLength(), 2) << offCentre.x() << ", " << offCentre.y();
      EXPECT_EQ(TitleInkWidth(bar), wholeTitle);
    });
  }
}

}  // namespace
