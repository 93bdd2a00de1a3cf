#pragma once

#include <QString>

#include <stdexcept>

// An import of bags that cannot go on, or a conversion of the old register that cannot be
// made: nothing was written when it is raised. what() is what the operator reads: a Russian
// sentence naming the file and the reason, then, on a second line, the technical text
// (libmdb's, the system's, as TechnicalLine gives it) when there is one.
class EBagImport : public std::runtime_error {
public:
  explicit EBagImport(const QString& sentence, const QString& technical = QString());

  const QString& Sentence() const { return FSentence; }
  const QString& Technical() const { return FTechnical; }

private:
  QString FSentence;
  QString FTechnical;
};
