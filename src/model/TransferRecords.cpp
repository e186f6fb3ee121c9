// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TransferRecords.h"

#include "JsonRecords.h"

#include <QCoreApplication>
#include <QHash>

using json::field;

const json::Fields<TransferInfo> &jsonFields(const TransferInfo *)
{
    static const json::Fields<TransferInfo> fields(
        "TransferInfo", {
                            field<&TransferInfo::dlInfoSpeed>("dl_info_speed"),
                            field<&TransferInfo::dlInfoData>("dl_info_data"),
                            field<&TransferInfo::upInfoSpeed>("up_info_speed"),
                            field<&TransferInfo::upInfoData>("up_info_data"),
                            field<&TransferInfo::dlRateLimit>("dl_rate_limit"),
                            field<&TransferInfo::upRateLimit>("up_rate_limit"),
                            field<&TransferInfo::dhtNodes>("dht_nodes"),
                            field<&TransferInfo::connectionStatus>("connection_status"),
                        });
    return fields;
}

const json::Fields<ServerState> &jsonFields(const ServerState *)
{
    static const json::Fields<ServerState> fields(
        "ServerState", {
                           field<&ServerState::dlInfoSpeed>("dl_info_speed"),
                           field<&ServerState::upInfoSpeed>("up_info_speed"),
                           field<&ServerState::dlInfoData>("dl_info_data"),
                           field<&ServerState::upInfoData>("up_info_data"),
                           field<&ServerState::alltimeDL>("alltime_dl"),
                           field<&ServerState::alltimeUL>("alltime_ul"),
                           field<&ServerState::dhtNodes>("dht_nodes"),
                           field<&ServerState::connectionStatus>("connection_status"),
                           field<&ServerState::dlRateLimit>("dl_rate_limit"),
                           field<&ServerState::upRateLimit>("up_rate_limit"),
                           field<&ServerState::totalPeerConnections>("total_peer_connections"),
                           field<&ServerState::freeSpaceOnDisk>("free_space_on_disk"),
                           field<&ServerState::queuedIO>("queued_io_jobs"),
                           field<&ServerState::readCacheHits>("read_cache_hits"),
                           field<&ServerState::writeCacheOverload>("write_cache_overload"),
                           field<&ServerState::totalBuffersSize>("total_buffers_size"),
                           field<&ServerState::useAltSpeedLimits>("use_alt_speed_limits"),
                           field<&ServerState::queueing>("queueing"),
                       });
    return fields;
}

const json::Fields<MainDataResponse> &jsonFields(const MainDataResponse *)
{
    static const json::Fields<MainDataResponse> fields(
        "MainDataResponse", {
                                field<&MainDataResponse::rid>("rid"),
                                field<&MainDataResponse::fullUpdate>("full_update"),
                                field<&MainDataResponse::serverState>("server_state"),
                            });
    return fields;
}

const json::Fields<SpeedPreferences> &jsonFields(const SpeedPreferences *)
{
    static const json::Fields<SpeedPreferences> fields(
        "SpeedPreferences", {
                                field<&SpeedPreferences::altDlLimit>("alt_dl_limit"),
                                field<&SpeedPreferences::altUpLimit>("alt_up_limit"),
                            });
    return fields;
}

const json::Fields<Category> &jsonFields(const Category *)
{
    static const json::Fields<Category> fields("Category", {
                                                               field<&Category::name>("name"),
                                                               field<&Category::savePath>("savePath"),
                                                           });
    return fields;
}

TransferInfo TransferInfo::fromJson(QByteArrayView json)
{
    return json::decodeDocument<TransferInfo>(json);
}

QByteArray TransferInfo::toJson() const
{
    return json::encodeDocument(*this);
}

ServerState ServerState::fromJson(QByteArrayView json)
{
    return json::decodeDocument<ServerState>(json);
}

QByteArray ServerState::toJson() const
{
    return json::encodeDocument(*this);
}

MainDataResponse MainDataResponse::fromJson(QByteArrayView json)
{
    return json::decodeDocument<MainDataResponse>(json);
}

QByteArray MainDataResponse::toJson() const
{
    return json::encodeDocument(*this);
}

SpeedPreferences SpeedPreferences::fromJson(QByteArrayView json)
{
    return json::decodeDocument<SpeedPreferences>(json);
}

QByteArray SpeedPreferences::toJson() const
{
    return json::encodeDocument(*this);
}

Category Category::fromJson(QByteArrayView json)
{
    return json::decodeDocument<Category>(json);
}

QByteArray Category::toJson() const
{
    return json::encodeDocument(*this);
}

QStringList Category::names(const QList<Category> &categories)
{
    QStringList names;
    names.reserve(categories.size());
    for (const Category &category : categories)
        names.append(category.name);
    return names;
}

size_t qHash(const Category &category, size_t seed) noexcept
{
    return qHashMulti(seed, category.name, category.savePath);
}

QString connectionStatusText(const QString &status)
{
    const QString lower = status.toLower();
    if (lower == QLatin1String("connected"))
        return QCoreApplication::translate("ServerState", "已连接");
    if (lower == QLatin1String("firewalled"))
        return QCoreApplication::translate("ServerState", "防火墙");
    if (lower == QLatin1String("disconnected"))
        return QCoreApplication::translate("ServerState", "未连接");
    return status;
}

void ServerState::update(const ServerState &changes)
{
    const auto take = [](auto &field, const auto &changed) {
        if (changed)
            field = changed;
    };
    take(dlInfoSpeed, changes.dlInfoSpeed);
    take(upInfoSpeed, changes.upInfoSpeed);
    take(dlInfoData, changes.dlInfoData);
    take(upInfoData, changes.upInfoData);
    take(alltimeDL, changes.alltimeDL);
    take(alltimeUL, changes.alltimeUL);
    take(dhtNodes, changes.dhtNodes);
    take(connectionStatus, changes.connectionStatus);
    take(dlRateLimit, changes.dlRateLimit);
    take(upRateLimit, changes.upRateLimit);
    take(totalPeerConnections, changes.totalPeerConnections);
    take(freeSpaceOnDisk, changes.freeSpaceOnDisk);
    take(queuedIO, changes.queuedIO);
    take(readCacheHits, changes.readCacheHits);
    take(writeCacheOverload, changes.writeCacheOverload);
    take(totalBuffersSize, changes.totalBuffersSize);
    take(useAltSpeedLimits, changes.useAltSpeedLimits);
    take(queueing, changes.queueing);
}
