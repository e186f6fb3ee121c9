// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TransferRecords.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

struct TorrentFileResponse
{
    QString name;
    qint64 size = 0;
    double progress = 0;
    qint64 priority = 0;
    double availability = 0;
    std::optional<qint64> index; // the file's id for priorities; older servers send none

    bool operator==(const TorrentFileResponse &) const = default;
};

struct TorrentFile
{
    qint64 index = 0; // the file's id: the server's index, else its position in the answer
    QString name;
    qint64 size = 0;
    double progress = 0;
    qint64 priority = 0;
    double availability = 0;

    static TorrentFile fromJson(QByteArrayView json); // throws DecodingError
    QByteArray toJson() const;
    bool operator==(const TorrentFile &) const = default;
};

struct TorrentTracker
{
    QUuid id; // new on every decoding; lists of trackers are replaced, never merged
    QString url;
    qint64 status = 1;
    std::optional<qint64> tier;
    std::optional<qint64> numPeers;
    std::optional<qint64> numSeeds;
    std::optional<qint64> numLeeches;
    std::optional<qint64> numDownloaded;
    QString msg;

    QString statusText() const;

    bool operator==(const TorrentTracker &) const = default;
};

struct TorrentPeer
{
    QString ip;
    qint64 port = 0;
    QString client;
    double progress = 0;
    qint64 dlSpeed = 0;
    qint64 upSpeed = 0;
    qint64 downloaded = 0;
    qint64 uploaded = 0;
    QString connection;
    QString flags;
    QString country;

    bool operator==(const TorrentPeer &) const = default;
};

struct PeersResponse
{
    QList<std::pair<QString, TorrentPeer>> peers; // in the answer's order

    static PeersResponse fromJson(QByteArrayView json); // throws DecodingError
    bool operator==(const PeersResponse &) const = default;
};

struct CategoryResponse
{
    QString savePath;

    bool operator==(const CategoryResponse &) const = default;
};

// Whole answers of the detail endpoints. Each throws DecodingError for the whole answer.
QList<TorrentFile> decodeTorrentFiles(QByteArrayView json);
QList<TorrentTracker> decodeTorrentTrackers(QByteArrayView json);
QList<TorrentPeer> decodeTorrentPeers(QByteArrayView json);
QList<Category> decodeCategories(QByteArrayView json); // map name -> {"savePath"}, unsorted
QStringList decodeTags(QByteArrayView json);
