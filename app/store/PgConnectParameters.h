#pragma once

#include <QByteArray>
#include <QString>

// What every session of the program is opened with, as the keyword and value arrays of libpq's
// PQconnectdbParams / PQconnectStartParams with expand_dbname = 1: the connection string is
// expanded in place of "dbname", so it overrides the defaults listed before it (the connect
// timeout, the application name) and none of the settings after it (the UTF-8 client encoding
// every text of the program is exchanged in). The arrays point into the object: keep it alive
// for the call, and never copy it.
class TPgConnectParameters {
public:
  TPgConnectParameters(const QString& conninfo, int connectTimeoutSeconds)
      : FTimeout(QByteArray::number(connectTimeoutSeconds)), FExpanded(conninfo.toUtf8()) {}
  TPgConnectParameters(const TPgConnectParameters&) = delete;
  TPgConnectParameters& operator=(const TPgConnectParameters&) = delete;

  const char* const* Keywords() const { return FKeywords; }
  const char* const* Values() const { return FValues; }

private:
  const QByteArray FTimeout;
  const QByteArray FExpanded;
  const char* const FKeywords[5] = {"connect_timeout", "fallback_application_name", "dbname",
                                    "client_encoding", nullptr};
  const char* const FValues[5] = {FTimeout.constData(), "inkassatsiya", FExpanded.constData(),
                                  "UTF8", nullptr};
};
