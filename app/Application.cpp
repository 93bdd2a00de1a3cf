#include "app/Application.h"

#include <QFontDatabase>

TApplication::TApplication(int& argc, char** argv) : TGuardedApplication(argc, argv) {
  // The window's font. Debian ships a Tahoma face with Wine's fonts (fonts-wine), outside the
  // folders fontconfig searches; without it Qt falls back to a similar sans-serif face.
  for (const char* face :
       {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
    QFontDatabase::addApplicationFont(QString::fromLatin1(face));
}
