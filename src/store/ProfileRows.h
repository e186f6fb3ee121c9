// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/ServerConfig.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

// How a profile's settings map to the columns of its row. Only the profile repository uses these.
namespace profilerows {

// The columns an add and an update both write, in the order of settingValues. Secrets are never
// among them.
extern const QStringList settingColumns;

QVariantList settingValues(const ServerConfig &server);
// Reads the setting columns that start at column `first` of the query's current row.
void readSettings(ServerConfig &server, const QSqlQuery &query, int first);
// The header names of a stored proxyHeaderNames value (a JSON array).
QStringList headerNamesFrom(const QVariant &value);

} // namespace profilerows
