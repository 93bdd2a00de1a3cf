#pragma once

#include <QByteArray>
#include <QStringList>

// One finished run of voucher-tool.
struct TRun {
  int ExitCode = -1;
  QByteArray Out;
  QByteArray Err;
};

// Runs the built voucher-tool with the arguments, feeding input to its standard input.
TRun RunTool(const QStringList& arguments, const QByteArray& input = {});
