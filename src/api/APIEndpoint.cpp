// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "APIEndpoint.h"

#include "FormEncoding.h"

APIEndpoint APIEndpoint::torrentInfo(std::optional<QString> filter)
{
    APIEndpoint endpoint = of(Kind::torrentInfo);
    endpoint.filter = std::move(filter);
    return endpoint;
}

APIEndpoint APIEndpoint::deleteTorrents(QString hashes, bool deleteFiles)
{
    APIEndpoint endpoint = withHashes(Kind::deleteTorrents, std::move(hashes));
    endpoint.deleteFiles = deleteFiles;
    return endpoint;
}

APIEndpoint APIEndpoint::setForceStart(QString hashes, bool value)
{
    APIEndpoint endpoint = withHashes(Kind::setForceStart, std::move(hashes));
    endpoint.value = value;
    return endpoint;
}

namespace {

APIEndpoint withFields(APIEndpoint endpoint, QList<std::pair<QString, QString>> fields)
{
    endpoint.fields = std::move(fields);
    return endpoint;
}

} // namespace

APIEndpoint APIEndpoint::setLocation(QString hashes, QString location)
{
    return withFields(withHashes(Kind::setLocation, std::move(hashes)), {{QStringLiteral("location"), location}});
}

APIEndpoint APIEndpoint::setCategory(QString hashes, QString category)
{
    return withFields(withHashes(Kind::setCategory, std::move(hashes)), {{QStringLiteral("category"), category}});
}

APIEndpoint APIEndpoint::addTags(QString hashes, QString tags)
{
    return withFields(withHashes(Kind::addTags, std::move(hashes)), {{QStringLiteral("tags"), tags}});
}

APIEndpoint APIEndpoint::removeTags(QString hashes, QString tags)
{
    return withFields(withHashes(Kind::removeTags, std::move(hashes)), {{QStringLiteral("tags"), tags}});
}

APIEndpoint APIEndpoint::createCategory(QString name, QString savePath)
{
    return withFields(of(Kind::createCategory),
                      {{QStringLiteral("category"), name}, {QStringLiteral("savePath"), savePath}});
}

APIEndpoint APIEndpoint::createTags(QString tags)
{
    return withFields(of(Kind::createTags), {{QStringLiteral("tags"), tags}});
}

APIEndpoint APIEndpoint::rename(QString hash, QString name)
{
    return withFields(withHash(Kind::rename, std::move(hash)), {{QStringLiteral("name"), name}});
}

APIEndpoint APIEndpoint::setTorrentDownloadLimit(QString hashes, qint64 limit)
{
    return withFields(withHashes(Kind::setTorrentDownloadLimit, std::move(hashes)),
                      {{QStringLiteral("limit"), QString::number(limit)}});
}

APIEndpoint APIEndpoint::setTorrentUploadLimit(QString hashes, qint64 limit)
{
    return withFields(withHashes(Kind::setTorrentUploadLimit, std::move(hashes)),
                      {{QStringLiteral("limit"), QString::number(limit)}});
}

APIEndpoint APIEndpoint::filePrio(QString hash, QString ids, int priority)
{
    return withFields(withHash(Kind::filePrio, std::move(hash)),
                      {{QStringLiteral("id"), ids}, {QStringLiteral("priority"), QString::number(priority)}});
}

APIEndpoint APIEndpoint::mainData(std::optional<qint64> rid)
{
    APIEndpoint endpoint = of(Kind::mainData);
    endpoint.rid = rid;
    return endpoint;
}

APIEndpoint APIEndpoint::withHashes(Kind kind, QString hashes)
{
    APIEndpoint endpoint = of(kind);
    endpoint.hashes = std::move(hashes);
    return endpoint;
}

APIEndpoint APIEndpoint::withHash(Kind kind, QString hash)
{
    APIEndpoint endpoint = of(kind);
    endpoint.hash = std::move(hash);
    return endpoint;
}

QString APIEndpoint::defaultPath() const
{
    switch (kind) {
    case Kind::login:
        return QStringLiteral("/api/v2/auth/login");
    case Kind::logout:
        return QStringLiteral("/api/v2/auth/logout");
    case Kind::version:
        return QStringLiteral("/api/v2/app/version");
    case Kind::torrentInfo:
        return QStringLiteral("/api/v2/torrents/info");
    case Kind::add:
        return QStringLiteral("/api/v2/torrents/add");
    case Kind::deleteTorrents:
        return QStringLiteral("/api/v2/torrents/delete");
    case Kind::pause:
        return QStringLiteral("/api/v2/torrents/pause");
    case Kind::resume:
        return QStringLiteral("/api/v2/torrents/resume");
    case Kind::setForceStart:
        return QStringLiteral("/api/v2/torrents/setForceStart");
    case Kind::recheck:
        return QStringLiteral("/api/v2/torrents/recheck");
    case Kind::reannounce:
        return QStringLiteral("/api/v2/torrents/reannounce");
    case Kind::setLocation:
        return QStringLiteral("/api/v2/torrents/setLocation");
    case Kind::setCategory:
        return QStringLiteral("/api/v2/torrents/setCategory");
    case Kind::properties:
        return QStringLiteral("/api/v2/torrents/properties");
    case Kind::trackers:
        return QStringLiteral("/api/v2/torrents/trackers");
    case Kind::torrentPeers:
        return QStringLiteral("/api/v2/sync/torrentPeers");
    case Kind::files:
        return QStringLiteral("/api/v2/torrents/files");
    case Kind::mainData:
        return QStringLiteral("/api/v2/sync/maindata");
    case Kind::addTags:
        return QStringLiteral("/api/v2/torrents/addTags");
    case Kind::removeTags:
        return QStringLiteral("/api/v2/torrents/removeTags");
    case Kind::transferInfo:
        return QStringLiteral("/api/v2/transfer/info");
    case Kind::preferences:
        return QStringLiteral("/api/v2/app/preferences");
    case Kind::setPreferences:
        return QStringLiteral("/api/v2/app/setPreferences");
    case Kind::categories:
        return QStringLiteral("/api/v2/torrents/categories");
    case Kind::createCategory:
        return QStringLiteral("/api/v2/torrents/createCategory");
    case Kind::removeCategories:
        return QStringLiteral("/api/v2/torrents/removeCategories");
    case Kind::tags:
        return QStringLiteral("/api/v2/torrents/tags");
    case Kind::createTags:
        return QStringLiteral("/api/v2/torrents/createTags");
    case Kind::deleteTags:
        return QStringLiteral("/api/v2/torrents/deleteTags");
    case Kind::setDownloadLimit:
        return QStringLiteral("/api/v2/transfer/setDownloadLimit");
    case Kind::setUploadLimit:
        return QStringLiteral("/api/v2/transfer/setUploadLimit");
    case Kind::speedLimitsMode:
        return QStringLiteral("/api/v2/transfer/speedLimitsMode");
    case Kind::toggleSpeedLimitsMode:
        return QStringLiteral("/api/v2/transfer/toggleSpeedLimitsMode");
    case Kind::rename:
        return QStringLiteral("/api/v2/torrents/rename");
    case Kind::setTorrentDownloadLimit:
        return QStringLiteral("/api/v2/torrents/setDownloadLimit");
    case Kind::setTorrentUploadLimit:
        return QStringLiteral("/api/v2/torrents/setUploadLimit");
    case Kind::toggleSequentialDownload:
        return QStringLiteral("/api/v2/torrents/toggleSequentialDownload");
    case Kind::toggleFirstLastPiecePrio:
        return QStringLiteral("/api/v2/torrents/toggleFirstLastPiecePrio");
    case Kind::topPrio:
        return QStringLiteral("/api/v2/torrents/topPrio");
    case Kind::increasePrio:
        return QStringLiteral("/api/v2/torrents/increasePrio");
    case Kind::decreasePrio:
        return QStringLiteral("/api/v2/torrents/decreasePrio");
    case Kind::bottomPrio:
        return QStringLiteral("/api/v2/torrents/bottomPrio");
    case Kind::filePrio:
        return QStringLiteral("/api/v2/torrents/filePrio");
    }
    return {};
}

QList<std::pair<QString, QString>> APIEndpoint::queryItems() const
{
    switch (kind) {
    case Kind::torrentInfo:
        if (filter)
            return {{QStringLiteral("filter"), *filter}};
        return {};
    case Kind::properties:
    case Kind::trackers:
    case Kind::files:
        return {{QStringLiteral("hash"), hash}};
    case Kind::torrentPeers:
        return {{QStringLiteral("hash"), hash}, {QStringLiteral("rid"), QStringLiteral("0")}};
    case Kind::mainData:
        if (rid)
            return {{QStringLiteral("rid"), QString::number(*rid)}};
        return {};
    default:
        return {};
    }
}

QByteArray APIEndpoint::actionBody() const
{
    const auto flag = [](bool on) { return on ? QByteArrayLiteral("true") : QByteArrayLiteral("false"); };
    QByteArray body;
    switch (kind) {
    case Kind::pause:
    case Kind::resume:
    case Kind::recheck:
    case Kind::reannounce:
    case Kind::setLocation:
    case Kind::setCategory:
    case Kind::addTags:
    case Kind::removeTags:
    case Kind::setTorrentDownloadLimit:
    case Kind::setTorrentUploadLimit:
    case Kind::toggleSequentialDownload:
    case Kind::toggleFirstLastPiecePrio:
    case Kind::topPrio:
    case Kind::increasePrio:
    case Kind::decreasePrio:
    case Kind::bottomPrio:
        body = "hashes=" + hashes.toUtf8();
        break;
    case Kind::deleteTorrents:
        return "hashes=" + hashes.toUtf8() + "&deleteFiles=" + flag(deleteFiles);
    case Kind::setForceStart:
        return "hashes=" + hashes.toUtf8() + "&value=" + flag(value);
    case Kind::rename:
    case Kind::filePrio:
        body = "hash=" + hash.toUtf8();
        break;
    default:
        break; // the fields alone
    }
    for (const auto &[name, value] : fields) {
        if (!body.isEmpty())
            body += '&';
        body += name.toUtf8() + '=' + formEncode(value);
    }
    return body;
}

bool APIEndpoint::isEdit() const
{
    switch (kind) {
    case Kind::setLocation:
    case Kind::setCategory:
    case Kind::addTags:
    case Kind::removeTags:
    case Kind::createCategory:
    case Kind::createTags:
    case Kind::rename:
    case Kind::setTorrentDownloadLimit:
    case Kind::setTorrentUploadLimit:
    case Kind::setForceStart:
    case Kind::toggleSequentialDownload:
    case Kind::toggleFirstLastPiecePrio:
    case Kind::topPrio:
    case Kind::increasePrio:
    case Kind::decreasePrio:
    case Kind::bottomPrio:
    case Kind::filePrio:
        return true;
    default:
        return false;
    }
}
