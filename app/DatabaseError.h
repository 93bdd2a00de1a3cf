#pragma once

#include <QString>

#include <stdexcept>

// A failure of the bag register's store: opening, reading, posting or deleting, or a text a
// field cannot hold. what() is the database layer's message in UTF-8.
class EDatabaseError : public std::runtime_error {
public:
  // Remembers the code address that raised the error, for the start-up failure box.
  // sqlState is the five-character SQLSTATE a PostgreSQL server reported ("22001", "57P01");
  // empty where there is none (SQLite, or a failure libpq met on its own side such as a
  // refused connection).
  explicit EDatabaseError(const QString& message, const QString& sqlState = QString());

  // The return address inside the function that constructed the error; never null.
  const void* Address() const { return FAddress; }
  const QString& SqlState() const { return FSqlState; }

private:
  const void* FAddress;
  QString FSqlState;
};
