// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "E2EServer.h"

#include "support/Bencode.h"

#include "api/APIEndpoint.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStringEncoder>
#include <QTest>

#include <stdexcept>

[[noreturn]] static void fail(const QString &message)
{
    throw std::runtime_error(message.toStdString());
}

QHash<QByteArray, QString> readEnvironmentFile(const char *variable)
{
    const QString envPath = qEnvironmentVariable(variable);
    QFile file(envPath);
    if (envPath.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        fail(QStringLiteral("cannot read the file %1 names (\"%2\"): run e2e tests through ctest, whose "
                            "fixture tests write it")
                 .arg(QLatin1String(variable), envPath));
    QHash<QByteArray, QString> values;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (const qsizetype equals = line.indexOf('='); equals > 0)
            values.insert(line.left(equals), QString::fromUtf8(line.mid(equals + 1).trimmed()));
    return values;
}

E2EServer E2EServer::fromEnvironment()
{
    const QHash<QByteArray, QString> values = readEnvironmentFile("SEEDWHIRL_E2E_ENV");
    const auto value = [&](const char *key) {
        const QString text = values.value(QByteArray("SEEDWHIRL_E2E_") + key);
        if (text.isEmpty())
            fail(QStringLiteral("the server's file lacks SEEDWHIRL_E2E_") + QLatin1String(key));
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

QString runTool(const QString &python, const QStringList &arguments, int timeoutMs, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(python, arguments + QStringList{QStringLiteral("--timeout"),
                                                  QString::number(qMax(1, timeoutMs / 2000))});
    if (!process.waitForStarted(5'000))
        return QStringLiteral("cannot run %1: %2").arg(python, process.errorString());
    // The event loop keeps running meanwhile: a stopping server announces its torrents' stop,
    // and a tracker in this process must answer or the shutdown waits for its time-out.
    if (!pollUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs, 20)) {
        process.kill();
        process.waitForFinished(5'000);
        return QStringLiteral("%1 did not finish within %2 ms").arg(arguments.join(u' ')).arg(timeoutMs);
    }
    const QString text = QString::fromUtf8(process.readAll()).trimmed();
    if (output)
        *output = text;
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0
               ? QString()
               : QStringLiteral("%1 failed: %2").arg(arguments.join(u' '), text);
}

QString E2EServer::restart(int timeoutMs) const
{
    QString output;
    if (QString error = runTool(python, {tool, QStringLiteral("restart"), stateDir}, timeoutMs, &output);
        !error.isEmpty())
        return error;
    return output == QStringLiteral("PORT %1").arg(port)
               ? QString()
               : QStringLiteral("the server came back elsewhere: ") + output;
}

QStringList leaksIn(const QStringList &files, const QList<Secret> &secrets, const QStringList &lines)
{
    QStringList leaks;
    for (const QString &line : lines)
        for (const auto &[what, text] : secrets)
            if (line.contains(text))
                leaks.append(QStringLiteral("a log line holds %1: %2")
                                 .arg(what, QString(line).replace(text, QStringLiteral("<…>"))));
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            leaks.append(path + QStringLiteral(": unreadable, so not checked"));
        const QByteArray bytes = file.readAll();
        for (const auto &[what, text] : secrets) {
            const QList<std::pair<const char *, QByteArray>> forms{
                {"UTF-8", text.toUtf8()},
                {"UTF-16LE", QStringEncoder(QStringConverter::Utf16LE)(text)},
                {"UTF-16BE", QStringEncoder(QStringConverter::Utf16BE)(text)},
                {"Base64", text.toUtf8().toBase64(QByteArray::OmitTrailingEquals)}};
            for (const auto &[encoding, form] : forms)
                if (bytes.contains(form))
                    leaks.append(
                        QStringLiteral("%1: holds %2 (%3)").arg(path, what, QLatin1String(encoding)));
        }
    }
    return leaks;
}

QStringList filesUnder(const QStringList &roots)
{
    QStringList files;
    for (const QString &root : roots)
        for (QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
             it.hasNext();)
            files.append(it.next());
    return files;
}

namespace {
QStringList capturedMessages;
QtMessageHandler previousHandler = nullptr;
} // namespace

const QStringList &qtMessages()
{
    static const bool installed = [] {
        previousHandler = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
                capturedMessages.append(message);
                if (previousHandler)
                    previousHandler(type, context, message);
            });
        return true;
    }();
    Q_UNUSED(installed)
    return capturedMessages;
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
