// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

// Bytes of a recorded answer of a real qBittorrent 4.5.2 server, e.g. fixture("maindata-full.json").
QByteArray fixture(const QString &name);
