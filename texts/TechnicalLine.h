#pragma once

#include <QString>

// The second line of an operator's message: the system's or the office's own text, as the
// operator can read it. Source places the office adds to its messages (" at
// ./sc/source/ui/unoobj/docuno.cxx:3938.") are dropped, since they say nothing to the operator
// and much to nobody; the rest of the text is kept as it is. A well-known reason (a full disk,
// no right to write, a read-only database, an office that cannot be reached or does not
// answer, a connection to it that broke) is said in Russian with the original in brackets:
// "Permission denied." gives "нет прав на запись (Permission denied)". The empty text stays
// empty.
QString TechnicalLine(const QString& text);
