#include "app/Application.h"

#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>

TApplication::TApplication(int& argc, char** argv) : TGuardedApplication(argc, argv) {
  // The window's font. Debian ships a Tahoma face with Wine's fonts (fonts-wine), outside the
  // folders fontconfig searches; without it Qt falls back to a similar sans-serif face.
  for (const char* face :
       {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
    QFontDatabase::addApplicationFont(QString::fromLatin1(face));
  // Qt's own dialogs (the file dialog of the import, the editors' context menus) speak
  // Russian, as the rest of the program does; Debian's qt6-translations-l10n brings the text.
  if (FQtTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    installTranslator(&FQtTexts);
}

QFont TApplication::WindowFont(int pixelSize) {
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(pixelSize);
  return font;
}
