// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "APIEndpoint.h"

#include <QString>

// The endpoint paths of one generation of qBittorrent servers. Room for further
// version-dependent choices; today only the path differs.
class APIVersionAdapter
{
public:
    virtual ~APIVersionAdapter() = default;
    virtual QString path(const APIEndpoint &endpoint) const = 0;
};

// Servers of major version 4 and earlier: every endpoint at its default path.
class QBittorrent4Adapter final : public APIVersionAdapter
{
public:
    QString path(const APIEndpoint &endpoint) const override;
};

// Servers of major version 5 and later renamed pause/resume to stop/start; the old paths
// answer 404 there, so an action would silently do nothing.
class QBittorrent5Adapter final : public APIVersionAdapter
{
public:
    QString path(const APIEndpoint &endpoint) const override;
};
