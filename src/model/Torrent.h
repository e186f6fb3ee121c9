// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "SyncRecords.h"
#include "TorrentState.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

using Timestamp = std::chrono::sys_seconds;

// The complete torrent record, identified by its hash, built from and kept current by the
// partial records of the sync answer.
struct Torrent
{
    QString id;
    QString name;
    qint64 size = 0;
    double progress = 0;
    qint64 dlspeed = 0;
    qint64 upspeed = 0;
    qint64 downloaded = 0;
    qint64 uploaded = 0;
    qint64 eta = 0;
    TorrentState state = TorrentState::unknown;
    double ratio = 0;
    QString category;
    QString tags;
    Timestamp addedOn{};
    std::optional<Timestamp> completionOn;
    QString savePath;
    qint64 numSeeds = 0;
    qint64 numLeechs = 0;
    qint64 numComplete = 0;
    qint64 numIncomplete = 0;
    qint64 priority = 0; // place in the download queue; 0 or below when not queued
    // Sent by every server this client knows, but not needed to show a torrent: 0 and false
    // until the server says.
    qint64 dlLimit = 0; // bytes per second; 0 or below = none
    qint64 upLimit = 0;
    bool forceStart = false;
    bool sequentialDownload = false;
    bool firstLastPiecePriority = false;

    // Nothing when any of the twenty required fields is absent.
    static std::optional<Torrent> fromTorrentData(const QString &hash, const TorrentData &data);
    // A copy with every present field of `data` applied.
    Torrent updatedWith(const TorrentData &data) const;
    // Applies every present field of `data`; true when some value changed. A text equal to the
    // one held stays the one held, shared with every list that shows the record.
    bool update(const TorrentData &data);
    // Takes over the texts of `other` that are equal to its own, so that they are held once.
    void shareTextsWith(const Torrent &other);

    bool isPaused() const;
    QString formattedETA() const;
    QStringList tagList() const;

    // JSON form with the field names as keys and the state as its raw value; not exchanged with
    // the server.
    QByteArray toJson() const;
    static Torrent fromJson(QByteArrayView json); // throws DecodingError

    bool operator==(const Torrent &) const = default;
};

// A record as the repository and the shown lists hold it: never changed once published, so that
// one copy serves them all and a tick replaces only the records that changed.
using TorrentPtr = std::shared_ptr<const Torrent>;

// One torrent's record before and after a merge: no `before` for a torrent that is new, no
// `after` for one that is gone.
struct TorrentChange
{
    TorrentPtr before;
    TorrentPtr after;
};

// What one publication of the torrents changed.
struct TorrentChanges
{
    // Too much changed to list (a new server, the first answer, a full answer that replaced most
    // records): a consumer starts over from records(); `changes` is then empty.
    bool everything = false;
    // Each hash at most once.
    QList<TorrentChange> changes;
};
Q_DECLARE_METATYPE(TorrentChanges)
