#include "app/StoreSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/IniFile.h"
#include "app/store/DatabaseError.h"
#include "app/store/PgConnInfo.h"

namespace {

const QString Section = QStringLiteral("server");
const QString ConnectionKey = QStringLiteral("connection");

EDatabaseError Refused(const QString& settingsPath, const QString& reason, const QString& message) {
  return EDatabaseError(TDatabaseFailure::dfBadSettings, message,
                        QDir::toNativeSeparators(QFileInfo(settingsPath).absoluteFilePath()),
                        reason);
}

}  // namespace

QString StoreSettingsPath() { return QStringLiteral("database.ini"); }

std::optional<TServerConnection> ReadStoreSettings(const QString& settingsPath) {
  if (!QFileInfo::exists(settingsPath)) return std::nullopt;
  if (QFile file(settingsPath); !file.open(QIODevice::ReadOnly))
    throw Refused(settingsPath, QStringLiteral("его не удалось прочитать"),
                  QStringLiteral("cannot read the file: %1").arg(file.errorString()));
  const TIniFile settings(settingsPath);
  if (!settings.SectionExists(Section))
    throw Refused(settingsPath, QStringLiteral("в нём нет раздела [server]"),
                  QStringLiteral("no section [server]"));
  for (const QString& key : settings.ReadSection(Section)) {
    if (key.startsWith(u';') || key.startsWith(u'#')) continue;
    if (key.compare(ConnectionKey, Qt::CaseInsensitive) != 0)
      throw Refused(
          settingsPath,
          QStringLiteral("в разделе [server] неизвестный ключ «%1» (там бывает только connection)")
              .arg(key),
          QStringLiteral("unknown key \"%1\" in section [server]").arg(key));
  }
  const QString conninfo = settings.ReadString(Section, ConnectionKey, QString());
  if (conninfo.trimmed().isEmpty())
    throw Refused(settingsPath,
                  QStringLiteral("в разделе [server] не задана строка подключения connection"),
                  QStringLiteral("no connection string in section [server]"));
  std::optional<TPgConnInfo> parsed;
  try {
    parsed.emplace(conninfo);
  } catch (const EDatabaseError& e) {
    // libpq quotes a malformed URI whole, and it may hold a password.
    QString message = QString::fromUtf8(e.what());
    message.replace(conninfo, QStringLiteral("<connection>"));
    throw Refused(settingsPath,
                  QStringLiteral("строку подключения connection не удалось прочитать"), message);
  }
  if (parsed->HasPassword())
    throw Refused(
        settingsPath,
        QStringLiteral(
            "в строке подключения есть пароль, а ему место в файле ~/.pgpass (см. README)"),
        QStringLiteral("the connection string carries a password"));
  return TServerConnection{conninfo};
}
