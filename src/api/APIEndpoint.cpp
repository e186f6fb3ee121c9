#include "APIEndpoint.h"

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
    const QByteArray hashesPair = "hashes=" + hashes.toUtf8();
    const auto flag = [](bool on) { return on ? QByteArrayLiteral("true") : QByteArrayLiteral("false"); };
    switch (kind) {
    case Kind::pause:
    case Kind::resume:
    case Kind::recheck:
    case Kind::reannounce:
        return hashesPair;
    case Kind::deleteTorrents:
        return hashesPair + "&deleteFiles=" + flag(deleteFiles);
    case Kind::setForceStart:
        return hashesPair + "&value=" + flag(value);
    default:
        return {};
    }
}
