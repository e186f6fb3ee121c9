// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "APIVersionAdapter.h"

QString QBittorrent4Adapter::path(const APIEndpoint &endpoint) const
{
    return endpoint.defaultPath();
}

QString QBittorrent5Adapter::path(const APIEndpoint &endpoint) const
{
    switch (endpoint.kind) {
    case APIEndpoint::Kind::pause:
        return QStringLiteral("/api/v2/torrents/stop");
    case APIEndpoint::Kind::resume:
        return QStringLiteral("/api/v2/torrents/start");
    default:
        return endpoint.defaultPath();
    }
}
