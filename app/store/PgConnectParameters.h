#pragma once

#include <QByteArray>
#include <QString>

// What every session of the program is opened with, as the keyword and value arrays of libpq's
// PQconnectdbParams / PQconnectStartParams with expand_dbname = 1: the connection string is
// expanded in place of "dbname", so it overrides the defaults listed before it (the connect
// timeout, the application name) and none of the settings after it (the UTF-8 client encoding
// every text of the program is exchanged in, the session's time-outs). The arrays point into
// the object: keep it alive for the call, and never copy it.
//
// The session's time-outs bound every wait on the server's side: a statement that waits for a
// lock another session holds fails after LockTimeoutSeconds (SQLSTATE 55P03), and any statement
// after StatementTimeoutSeconds (57014). Server options the connection string gives
// ("options=-c search_path=desks") come after them, so an administrator may still change them.
class TPgConnectParameters {
public:
  static constexpr int LockTimeoutSeconds = 5;
  static constexpr int StatementTimeoutSeconds = 30;

  TPgConnectParameters(const QString& conninfo, int connectTimeoutSeconds);
  TPgConnectParameters(const TPgConnectParameters&) = delete;
  TPgConnectParameters& operator=(const TPgConnectParameters&) = delete;

  const char* const* Keywords() const { return FKeywords; }
  const char* const* Values() const { return FValues; }

private:
  const QByteArray FTimeout;
  const QByteArray FExpanded;
  const QByteArray FOptions;
  const char* const FKeywords[6] = {"connect_timeout", "fallback_application_name",
                                    "dbname",          "client_encoding",
                                    "options",         nullptr};
  const char* const FValues[6] = {FTimeout.constData(),  "inkassatsiya",
                                  FExpanded.constData(), "UTF8",
                                  FOptions.constData(),  nullptr};
};
