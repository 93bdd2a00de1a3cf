#pragma once

#include <QChar>

class QKeyEvent;

// The character a key press types, as a classic key-press event reports it: Backspace 8,
// Enter 13, Escape 27, Ctrl+letter its control character (Ctrl+C 3, Ctrl+V 22, Ctrl+X 24),
// otherwise the first character of the event's text. QChar() for keys that type nothing
// (arrows, Delete, Home, End, function keys, Shift+Insert).
QChar TypedChar(const QKeyEvent& event);
