// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Answer of /api/v2/transfer/info; every key required.
struct TransferInfo
{
    qint64 dlInfoSpeed = 0;
    qint64 dlInfoData = 0;
    qint64 upInfoSpeed = 0;
    qint64 upInfoData = 0;
    qint64 dlRateLimit = 0;
    qint64 upRateLimit = 0;
    qint64 dhtNodes = 0;
    QString connectionStatus;

    static TransferInfo fromJson(QByteArrayView json); // throws DecodingError
    QByteArray toJson() const;
    bool operator==(const TransferInfo &) const = default;
};

// The "server_state" object of a sync answer; every field optional (missing or null = absent).
struct ServerState
{
    std::optional<qint64> dlInfoSpeed;
    std::optional<qint64> upInfoSpeed;
    std::optional<qint64> dlInfoData;
    std::optional<qint64> upInfoData;
    std::optional<qint64> alltimeDL;
    std::optional<qint64> alltimeUL;
    std::optional<qint64> dhtNodes;
    std::optional<QString> connectionStatus;
    std::optional<qint64> dlRateLimit;
    std::optional<qint64> upRateLimit;
    std::optional<qint64> totalPeerConnections;
    std::optional<qint64> freeSpaceOnDisk;
    std::optional<qint64> queuedIO;
    std::optional<QString> readCacheHits;
    std::optional<QString> writeCacheOverload;
    std::optional<qint64> totalBuffersSize;
    // Whether the alternative limits are in force; older servers leave it out.
    std::optional<bool> useAltSpeedLimits;
    // Whether the server keeps a queue (only then do queue positions mean anything).
    std::optional<bool> queueing;

    static ServerState fromJson(QByteArrayView json); // throws DecodingError
    QByteArray toJson() const;
    bool operator==(const ServerState &) const = default;
    // An incremental sync answer carries only the fields that changed: those replace ours.
    void update(const ServerState &changes);
};

// A sync answer read only for its server state: "server_state" required, "rid" optional.
struct MainDataResponse
{
    std::optional<qint64> rid;
    std::optional<bool> fullUpdate;
    ServerState serverState;

    static MainDataResponse fromJson(QByteArrayView json); // throws DecodingError
    QByteArray toJson() const;
    bool operator==(const MainDataResponse &) const = default;
};

// The alternative limits of the server's preferences, bytes per second, 0 = none. Every other
// preference is left alone.
struct SpeedPreferences
{
    std::optional<qint64> altDlLimit;
    std::optional<qint64> altUpLimit;

    static SpeedPreferences fromJson(QByteArrayView json); // throws DecodingError
    QByteArray toJson() const;
    bool operator==(const SpeedPreferences &) const = default;
};

struct Category
{
    QString name;
    QString savePath;

    static Category fromJson(QByteArrayView json); // throws DecodingError
    QByteArray toJson() const;
    bool operator==(const Category &) const = default;
    // The names of a list of categories, in its order.
    static QStringList names(const QList<Category> &categories);
};

size_t qHash(const Category &category, size_t seed = 0) noexcept;

// "connected" / "firewalled" / "disconnected" (any letter case) in Chinese; anything else as
// received.
QString connectionStatusText(const QString &status);
