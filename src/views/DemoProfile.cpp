// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DemoProfile.h"

#include "api/QBittorrentAPIClient.h"
#include "store/Persistence.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QUrl>

#include <qcoro/qcorotask.h>

namespace {

QCoro::Task<std::optional<QString>> connect(ServerConfig wanted, QString password)
{
    ServerRepository &repository = ServerRepository::shared();
    std::optional<ServerConfig> existing;
    for (const ServerConfig &server : repository.servers()) {
        if (server.host == wanted.host && server.port == wanted.port && server.username == wanted.username)
            existing = server;
    }
    try {
        if (existing) {
            co_await repository.updateServer(*existing, password);
        } else {
            co_await repository.addServer(wanted, password);
            existing = wanted;
        }
        repository.setActiveServer(existing->id);
        co_await QBittorrentAPIClient::shared().login(*existing, password);
    } catch (const AppError &error) {
        co_return error.localizedDescription();
    }
    co_return std::nullopt;
}

} // namespace

std::optional<QString> connectAtStart(const QString &address)
{
    const int colon = address.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const int port = colon > 0 ? address.mid(colon + 1).toInt(&ok) : 0;
    if (!ok || port < 1 || port > 65535)
        return QStringLiteral("--connect wants HOST:PORT, got \"%1\"").arg(address);
    const QString user = qEnvironmentVariable("SEEDWHIRL_USER", QStringLiteral("admin"));
    const QString password = qEnvironmentVariable("SEEDWHIRL_PASSWORD");
    ServerConfig server = ServerConfig::create(QCoreApplication::translate("DemoProfile", "演示服务器"),
                                               address.left(colon), port, user, false);
    return QCoro::waitFor(connect(server, password));
}
