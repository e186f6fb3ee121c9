#pragma once

#include "SyncRecords.h"
#include "TorrentState.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
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
    qint64 priority = 0;

    // Nothing when any of the twenty required fields is absent.
    static std::optional<Torrent> fromTorrentData(const QString &hash, const TorrentData &data);
    // A copy with every present field of `data` applied.
    Torrent updatedWith(const TorrentData &data) const;

    bool isPaused() const;
    QString formattedETA() const;
    QStringList tagList() const;

    // JSON form with the field names as keys and the state as its raw value; not exchanged with
    // the server.
    QByteArray toJson() const;
    static Torrent fromJson(QByteArrayView json); // throws DecodingError

    bool operator==(const Torrent &) const = default;
};
