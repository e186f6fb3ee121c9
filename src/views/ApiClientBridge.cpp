// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ApiClientBridge.h"

#include "api/QBittorrentAPIClient.h"

ApiClientBridge::ApiClientBridge(QObject *parent) : ApiClientBridge(QBittorrentAPIClient::shared(), parent) {}

ApiClientBridge::ApiClientBridge(QBittorrentAPIClient &client, QObject *parent)
    : QObject(parent), m_client(client)
{
    connect(&m_client, &QBittorrentAPIClient::isAuthenticatedChanged, this,
            &ApiClientBridge::isAuthenticatedChanged);
}

bool ApiClientBridge::isAuthenticated() const
{
    return m_client.isAuthenticated();
}
