#pragma once

#include <QString>

#include <ostream>

// Lets GoogleTest show a QString in a failure as its text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
