#pragma once

#include "model/ServerConfig.h"

#include <QString>

#include <functional>

// The qbittorrent-nox of the e2e fixture, as tools/qbt_server.py recorded it in the file that
// SEEDWHIRL_E2E_ENV names.
struct E2EServer
{
    QString host;
    quint16 port = 0;
    QString username;
    QString password;
    QString savePath; // the server's default save path
    QString profile;  // the server's profile directory
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
