#include "E2EServer.h"

#include "support/Bencode.h"

#include "api/APIEndpoint.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

#include <stdexcept>

[[noreturn]] static void fail(const QString &message)
{
    throw std::runtime_error(message.toStdString());
}

E2EServer E2EServer::fromEnvironment()
{
    const QString envPath = qEnvironmentVariable("SEEDWHIRL_E2E_ENV");
    QFile file(envPath);
    if (envPath.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        fail(QStringLiteral("cannot read the file SEEDWHIRL_E2E_ENV names (\"%1\"): run e2e tests through "
                            "ctest, whose fixture test e2e_server_start writes it")
                 .arg(envPath));
    QHash<QByteArray, QString> values;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (const qsizetype equals = line.indexOf('='); equals > 0)
            values.insert(line.left(equals), QString::fromUtf8(line.mid(equals + 1).trimmed()));
    const auto value = [&](const char *key) {
        const QString text = values.value(QByteArray("SEEDWHIRL_E2E_") + key);
        if (text.isEmpty())
            fail(QStringLiteral("%1 lacks SEEDWHIRL_E2E_%2").arg(envPath, QLatin1String(key)));
        return text;
    };
    return {value("HOST"),      quint16(value("PORT").toUInt()),
            value("USERNAME"),  value("PASSWORD"),
            value("SAVE_PATH"), value("STATE_DIR"),
            value("PYTHON"),    value("TOOL")};
}

ServerConfig E2EServer::serverConfig(const QString &name) const
{
    return ServerConfig::create(name, host, port, username, false);
}

QString E2EServer::freshDirectory(const QString &name) const
{
    QDir dir(savePath + QLatin1Char('/') + name);
    if ((dir.exists() && !dir.removeRecursively()) || !dir.mkpath(QStringLiteral(".")))
        fail(QStringLiteral("cannot create ") + dir.path());
    return dir.path();
}

QString E2EServer::restart(int timeoutMs) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(python, {tool, QStringLiteral("restart"), stateDir, QStringLiteral("--timeout"),
                           QString::number(qMax(1, timeoutMs / 2000))});
    if (!process.waitForStarted(5'000))
        return QStringLiteral("cannot run %1: %2").arg(python, process.errorString());
    // The event loop keeps running meanwhile: the stopping server announces its torrents'
    // stop, and a tracker in this process must answer or the shutdown waits for its time-out.
    if (!pollUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs, 20)) {
        process.kill();
        process.waitForFinished(5'000);
        return QStringLiteral("the restart did not finish within %1 ms").arg(timeoutMs);
    }
    const QString output = QString::fromUtf8(process.readAll()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("the restart failed: ") + output;
    return output == QStringLiteral("PORT %1").arg(port)
               ? QString()
               : QStringLiteral("the server came back elsewhere: ") + output;
}

bool pollUntil(const std::function<bool()> &condition, int timeoutMs, int intervalMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(int(qMin<qint64>(intervalMs, qMax<qint64>(1, deadline.remainingTime()))));
    }
    return true;
}

QJsonObject torrentInfo(QBittorrentAPIClient &client, const QString &hash)
{
    if (!client.currentServer())
        return {};
    const auto outcome = runTask(client.fetch(APIEndpoint::torrentInfo(), *client.currentServer(), true));
    for (const QJsonValue &item : QJsonDocument::fromJson(outcome.value.value_or("")).array())
        if (item[QStringLiteral("hash")].toString() == hash)
            return item.toObject();
    return {};
}

QString addTorrentOf(QBittorrentAPIClient &client, const QString &dataPath, const QStringList &trackers,
                     std::optional<QString> category, std::optional<QString> tags)
{
    const MadeTorrent made = makeTorrent(dataPath, trackers);
    const QFileInfo data(dataPath);
    const auto added = runTask(client.addTorrentFile(data.fileName() + QStringLiteral(".torrent"), made.bytes,
                                                     data.absolutePath(), category, tags));
    if (!added.ok())
        fail(QStringLiteral("cannot add the torrent of %1: %2")
                 .arg(dataPath, QString::fromUtf8(describe(added))));
    return made.infoHash;
}

void removeTorrents(QBittorrentAPIClient &client, const QStringList &hashes)
{
    if (!client.isAuthenticated())
        return;
    for (const QString &hash : hashes)
        runTask(client.performAction(APIEndpoint::deleteTorrents(hash, true)));
    runTask(client.setDownloadLimit(0));
    runTask(client.setUploadLimit(0));
}
