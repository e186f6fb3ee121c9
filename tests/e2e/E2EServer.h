// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "support/TaskRunner.h"

#include "api/QBittorrentAPIClient.h"
#include "model/ServerConfig.h"

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

// The KEY=VALUE lines of the file the environment variable names (a fixture tool wrote it).
// Throws std::runtime_error when the file is missing: the fixture did not run.
QHash<QByteArray, QString> readEnvironmentFile(const char *variable);

// Runs `python tool arguments... --timeout <seconds>` with the event loop going; empty on
// success, with the tool's output in `output`, otherwise what went wrong.
QString runTool(const QString &python, const QStringList &arguments, int timeoutMs,
                QString *output = nullptr);

// What a secret is called in a finding, and the secret.
using Secret = std::pair<QString, QString>;
// "<file>: holds <what> (<form>)" for every byte form a leak of a secret could take in a file,
// and "a log line holds <what>: <line, secret masked>" for the lines; empty when clean.
QStringList leaksIn(const QStringList &files, const QList<Secret> &secrets, const QStringList &lines = {});
// Every file below the roots, hidden ones included.
QStringList filesUnder(const QStringList &roots);
// Every message Qt's logging passed on since the first call (a secret must not leave through
// qWarning either).
const QStringList &qtMessages();

// The qbittorrent-nox of the e2e fixture, as tools/qbt_server.py recorded it in the file that
// SEEDWHIRL_E2E_ENV names.
struct E2EServer
{
    QString host;
    quint16 port = 0;
    QString username;
    QString password;
    QString savePath; // the server's default save path
    QString stateDir;
    QString python;
    QString tool;

    // Throws std::runtime_error saying what is missing when the fixture did not run.
    static E2EServer fromEnvironment();

    // A new profile for this server (fresh id, so a fresh credential-store account).
    ServerConfig serverConfig(const QString &name = QStringLiteral("e2e")) const;

    // An empty directory `name` under the save path, created anew; throws std::runtime_error.
    QString freshDirectory(const QString &name) const;

    // Stops the server and starts it again on the same port and profile: every session it
    // handed out is gone, its torrents stay. Waits (bounded) until it answers again. Returns
    // an empty string on success, otherwise what went wrong.
    QString restart(int timeoutMs = 40'000) const;
};

// Calls `condition` until it holds or `timeoutMs` of wall-clock time have passed, running the
// event loop for `intervalMs` between calls; true when it held. Unlike QTRY_VERIFY it calls the
// condition once per round and never again afterwards, so a condition that consumes something
// (an incremental sync answer) is safe, and slow conditions do not stretch the bound.
bool pollUntil(const std::function<bool()> &condition, int timeoutMs, int intervalMs = 100);

inline QByteArray describe(const ErrorPtr &error)
{
    return error ? error->debugDescription().toUtf8() : "ok";
}
template <typename T> QByteArray describe(const Outcome<T> &outcome)
{
    return outcome.finished ? describe(outcome.error) : "did not finish within the guard time";
}

// clang-format off
#define AWAIT_OK(outcome) QVERIFY2((outcome).ok(), describe(outcome).constData())
// Runs the task and fails the test unless it succeeded; `name` holds its outcome.
#define AWAIT(name, task) const auto name = runTask(task); AWAIT_OK(name)
// Runs statements that throw std::runtime_error (fixture, data and torrent files); a throw fails
// the test with its message.
#define E2E_TRY(...) try { __VA_ARGS__; } catch (const std::exception &error) { QFAIL(error.what()); }
// clang-format on

// The torrent's record in /api/v2/torrents/info of the client's server; empty when not listed.
QJsonObject torrentInfo(QBittorrentAPIClient &client, const QString &hash);
inline QString stateOf(QBittorrentAPIClient &client, const QString &hash)
{
    return torrentInfo(client, hash)[QStringLiteral("state")].toString(QStringLiteral("(not listed)"));
}

// Adds the .torrent of the data at `dataPath` (a file or a directory) through the client,
// saved where the data lies, so that it seeds at once; returns its info hash. Throws
// std::runtime_error.
QString addTorrentOf(QBittorrentAPIClient &client, const QString &dataPath, const QStringList &trackers = {},
                     std::optional<QString> category = std::nullopt,
                     std::optional<QString> tags = std::nullopt);

// Deletes the torrents with their files and lifts both speed limits, when still logged in.
void removeTorrents(QBittorrentAPIClient &client, const QStringList &hashes);
