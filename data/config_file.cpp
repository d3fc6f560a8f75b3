#include "data/config_file.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace agrimor {

namespace {

int readNumber(const QString& path, int lineNumber, const QString& key, const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0)
        throw ConfigError(QStringLiteral("Valor inválido para %1 na linha %2 de \"%3\": \"%4\"")
                              .arg(key)
                              .arg(lineNumber)
                              .arg(path, text));
    return value;
}

bool complete(const ConnectionSettings& s) {
    return !s.server.isEmpty() && !s.database.isEmpty() && !s.user.isEmpty();
}

}  // namespace

ConfigFile readConfigFile(const QString& path) {
    ConfigFile result;
    result.path = path;
    if (!QFileInfo::exists(path))
        return result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw ConfigError(
            QStringLiteral("Não foi possível ler o ficheiro de configuração \"%1\": %2")
                .arg(path, file.errorString()));
    result.exists = true;
    QTextStream in(&file);
    QString section;
    int lineNumber = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) ||
            line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            throw ConfigError(
                QStringLiteral("Linha %1 de \"%2\" não é da forma chave=valor: \"%3\"")
                    .arg(lineNumber)
                    .arg(path, line));
        const QString key = line.left(equals).trimmed().toLower();
        const QString value = line.mid(equals + 1).trimmed();
        ConnectionSettings& s = result.settings;
        if (section == QLatin1String("database")) {
            if (key == QLatin1String("server"))
                s.server = value;
            else if (key == QLatin1String("database"))
                s.database = value;
            else if (key == QLatin1String("user"))
                s.user = value;
            else if (key == QLatin1String("password"))
                s.password = value;
        } else if (section == QLatin1String("odbc")) {
            if (key == QLatin1String("driver"))
                s.odbc.driver = value;
            else if (key == QLatin1String("port"))
                s.odbc.port = readNumber(path, lineNumber, key, value);
            else if (key == QLatin1String("tdsversion"))
                s.odbc.tdsVersion = value;
            else if (key == QLatin1String("logintimeout"))
                s.odbc.loginTimeoutSeconds = readNumber(path, lineNumber, key, value);
            else if (key == QLatin1String("querytimeout"))
                s.odbc.queryTimeoutSeconds = readNumber(path, lineNumber, key, value);
        }
    }
    return result;
}

ConnectionSettings readConnectionConfig(const QString& configFile, const QString& fallbackFile) {
    const ConfigFile primary = readConfigFile(configFile);
    if (complete(primary.settings))
        return primary.settings;
    const ConfigFile fallback = readConfigFile(fallbackFile);
    if (complete(fallback.settings))
        return fallback.settings;
    const QString primaryState =
        primary.exists ? QStringLiteral("\"%1\" não indica servidor, base de dados e utilizador")
                             .arg(configFile)
                       : QStringLiteral("\"%1\" não existe").arg(configFile);
    const QString fallbackState =
        fallback.exists ? QStringLiteral("\"%1\" também está incompleto").arg(fallbackFile)
                        : QStringLiteral("\"%1\" não existe").arg(fallbackFile);
    throw ConfigError(QStringLiteral("Configuração da base de dados consolidada em falta: %1 e %2.")
                          .arg(primaryState, fallbackState));
}

}  // namespace agrimor
