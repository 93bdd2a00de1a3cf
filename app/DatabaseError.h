#pragma once

#include <QString>

#include <stdexcept>

// A failure of the bag register's store: opening, reading, posting or deleting, or a text a
// field cannot hold. what() is the database layer's message in UTF-8.
class EDatabaseError : public std::runtime_error {
public:
  // Remembers the code address that raised the error, for the start-up failure box.
  explicit EDatabaseError(const QString& message);

  // The return address inside the function that constructed the error; never null.
  const void* Address() const { return FAddress; }

private:
  const void* FAddress;
};
