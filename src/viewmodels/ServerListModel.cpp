// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ServerListModel.h"

#include "model/Formatting.h"

#include <QCoreApplication>

ServerProfile ServerProfile::of(const ServerConfig &server)
{
    return {
        .valid = true,
        .serverId = server.accountName(),
        .name = server.name,
        .host = server.host,
        .port = int(server.port),
        .username = server.username,
        .useHTTPS = server.useHTTPS,
        .isActive = server.isActive,
        .lastConnectedText = server.lastConnectedAt
                                 ? relativeDateString(*server.lastConnectedAt)
                                 : QCoreApplication::translate("ServerProfile", "从未连接"),
    };
}

QVariant ServerListModel::data(const QModelIndex &index, int role) const
{
    if (!validRow(index))
        return {};
    const ServerProfile profile = ServerProfile::of(m_servers.at(index.row()));
    switch (role) {
    case ServerIdRole:
        return profile.serverId;
    case Qt::DisplayRole:
    case NameRole:
        return profile.name;
    case HostRole:
        return profile.host;
    case PortRole:
        return profile.port;
    case UsernameRole:
        return profile.username;
    case UseHTTPSRole:
        return profile.useHTTPS;
    case IsActiveRole:
        return profile.isActive;
    case LastConnectedTextRole:
        return profile.lastConnectedText;
    default:
        return {};
    }
}

QHash<int, QByteArray> ServerListModel::roleNames() const
{
    return {{ServerIdRole, "serverId"}, {NameRole, "name"},
            {HostRole, "host"},         {PortRole, "port"},
            {UsernameRole, "username"}, {UseHTTPSRole, "useHTTPS"},
            {IsActiveRole, "isActive"}, {LastConnectedTextRole, "lastConnectedText"}};
}
