#include <gtest/gtest.h>

#include "tests/support/QtPrinters.h"
#include "texts/TechnicalLine.h"

namespace {

TEST(TechnicalLine, DropsSourcePlacesAndSaysWellKnownReasonsInRussian) {
  const struct {
    const char* Text;
    const char* Line;
  } cases[] = {
      // The office's own reason stays, its source place goes.
      {"com.sun.star.lang.IndexOutOfBoundsException: at ./sc/source/ui/unoobj/docuno.cxx:3938.",
       "com.sun.star.lang.IndexOutOfBoundsException:"},
      {"Illegal sheet name at /build/libreoffice/sc/source/ui/docshell/docfunc.cxx:12 and more",
       "Illegal sheet name and more"},
      {"Binary URP bridge disposed during call at ./binaryurp/source/bridge.cxx:613",
       "связь с LibreOffice оборвалась (Binary URP bridge disposed during call)"},
      {"Permission denied.", "нет прав на запись (Permission denied)"},
      {"Permission denied", "нет прав на запись (Permission denied)"},
      {"No space left on device", "диск переполнен (No space left on device)"},
      {"attempt to write a readonly database",
       "база данных открыта только для чтения (attempt to write a readonly database)"},
      {"no connect", "нет связи с LibreOffice (no connect)"},
      {"no answer", "LibreOffice не отвечает (no answer)"},
      // Anything else is left as it is; a reason inside a longer text is not a known one.
      {"Unable to write to /home/op/firmname.ini", "Unable to write to /home/op/firmname.ini"},
      {"open: Permission denied for 2 files", "open: Permission denied for 2 files"},
      {"at the desk", "at the desk"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TechnicalLine(QString::fromUtf8(c.Text)), QString::fromUtf8(c.Line)) << c.Text;
}

}  // namespace
