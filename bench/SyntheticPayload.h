// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

// Sync answers shaped like those of a qBittorrent 4.5.2 server (every key it sends per torrent,
// most of which the client ignores), generated deterministically for a given seed.
namespace synthetic {

// The hash of torrent number `index`: 40 lower-case hexadecimal digits.
QString torrentHash(int index);

// A full update ("full_update": true, rid 1) listing `count` torrents, categories, tags and
// the server state.
QByteArray fullMainData(int count, unsigned seed = 1);

// The answer that follows a full one: rid 2, the speeds, progress and eta of `fraction` of the
// `count` torrents changed, and the server state's speeds.
QByteArray incrementalMainData(int count, double fraction, unsigned seed = 2);

} // namespace synthetic
