#include "data/connection_settings.h"

#include <QDir>

namespace agrimor {

namespace {

// ODBC connection-string values: braced when they hold a character that would end them.
QString odbcValue(const QString& value) {
    if (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('{')) &&
        !value.contains(QLatin1Char('}')) && value.trimmed() == value)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

}  // namespace

bool ConnectionSettings::isEmbedded() const {
    return server.trimmed().compare(QLatin1String("sqlite"), Qt::CaseInsensitive) == 0;
}

QString ConnectionSettings::sqliteFile() const {
    if (QDir::isAbsolutePath(database) || dataFolder.isEmpty())
        return database;
    return QDir(dataFolder).filePath(database);
}

bool ConnectionSettings::odbcDriverIsSqlite() const {
    return odbc.driver.contains(QLatin1String("sqlite"), Qt::CaseInsensitive);
}

QString ConnectionSettings::odbcConnectionString(const QString& sqliteExtension) const {
    QString text = QStringLiteral("Driver={%1};").arg(odbc.driver);
    if (odbcDriverIsSqlite()) {
        // NoCreat: a missing file is an error, never a new empty database.
        text += QStringLiteral("Database=%1;NoCreat=1;").arg(odbcValue(sqliteFile()));
        if (!sqliteExtension.isEmpty())
            text += QStringLiteral("LoadExt=%1;").arg(odbcValue(sqliteExtension));
        return text;
    }
    text += QStringLiteral(
                "Server=%1;Port=%2;Database=%3;UID=%4;PWD=%5;TDS_Version=%6;"
                "ClientCharset=UTF-8;")
                .arg(odbcValue(server))
                .arg(odbc.port)
                .arg(odbcValue(database), odbcValue(user), odbcValue(password),
                     odbcValue(odbc.tdsVersion));
    return text;
}

QString ConnectionSettings::describe() const {
    if (isEmbedded())
        return QStringLiteral("sqlite / %1").arg(sqliteFile());
    return QStringLiteral("%1 / %2").arg(server, database);
}

}  // namespace agrimor
