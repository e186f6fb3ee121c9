// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TransferRecords.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// One torrent's changed fields in a sync answer; every field optional.
struct TorrentData
{
    std::optional<QString> name;
    std::optional<qint64> size;
    std::optional<double> progress;
    std::optional<qint64> dlspeed;
    std::optional<qint64> upspeed;
    std::optional<qint64> downloaded;
    std::optional<qint64> uploaded;
    std::optional<qint64> eta;
    std::optional<QString> state;
    std::optional<double> ratio;
    std::optional<QString> category;
    std::optional<QString> tags;
    std::optional<qint64> addedOn;      // seconds since 1970-01-01 UTC
    std::optional<qint64> completionOn; // seconds since 1970-01-01 UTC; below 1 = not completed
    std::optional<QString> savePath;
    std::optional<qint64> numSeeds;
    std::optional<qint64> numLeechs;
    std::optional<qint64> numComplete;
    std::optional<qint64> numIncomplete;
    std::optional<qint64> priority;
    std::optional<qint64> reannounce;
    std::optional<qint64> seedingTime;
    std::optional<qint64> timeActive;
    std::optional<double> popularity;
    std::optional<QString> tracker;
    std::optional<qint64> dlLimit; // bytes per second; 0 or below = none
    std::optional<qint64> upLimit;
    std::optional<bool> forceStart;
    std::optional<bool> seqDl;
    std::optional<bool> flPiecePrio;

    static TorrentData fromJson(QByteArrayView json); // throws DecodingError
    QByteArray toJson() const;
    bool operator==(const TorrentData &) const = default;
};

struct CategoryData
{
    QString name;
    QString savePath;

    bool operator==(const CategoryData &) const = default;
};

// The answer of /api/v2/sync/maindata. Maps keep the order in which the answer lists their
// entries (the order in which they are merged).
struct SyncData
{
    qint64 rid = 0;
    std::optional<bool> fullUpdate;
    std::optional<QList<std::pair<QString, TorrentData>>> torrents;
    std::optional<QStringList> torrentsRemoved;
    std::optional<QList<std::pair<QString, CategoryData>>> categories;
    std::optional<QStringList> categoriesRemoved;
    std::optional<QStringList> tags;
    std::optional<QStringList> tagsRemoved;
    std::optional<ServerState> serverState;

    // Decodes the whole answer or throws DecodingError; never a partial result.
    static SyncData fromJson(QByteArrayView json);
    // The same, parsing the bytes where they are: `json` grows by the parser's padding first
    // (in place where the allocator can), which spares a copy of a big answer, and is emptied
    // once parsed, before the records are made.
    static SyncData fromJsonInPlace(QByteArray &json);
    QByteArray toJson() const;
    bool operator==(const SyncData &) const = default;
};
