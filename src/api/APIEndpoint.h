#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <utility>

// Every Web API endpoint the client can address, with the parameters that go into its URL or
// body. The path actually sent comes from the version adapter; defaultPath() is the path of
// servers of major version 4.
struct APIEndpoint
{
    enum class Kind {
        login,
        logout,
        version,
        torrentInfo,
        add,
        deleteTorrents,
        pause,
        resume,
        setForceStart,
        recheck,
        reannounce,
        setLocation,
        setCategory,
        properties,
        trackers,
        torrentPeers,
        files,
        mainData,
        addTags,
        removeTags,
        transferInfo,
        preferences,
        setPreferences,
        categories,
        createCategory,
        removeCategories,
        tags,
        createTags,
        deleteTags,
        setDownloadLimit,
        setUploadLimit,
        speedLimitsMode,
        toggleSpeedLimitsMode,
    };

    Kind kind = Kind::version;
    std::optional<QString> filter; // torrentInfo
    QString hashes;                // hashes joined by "|": the torrent actions
    bool deleteFiles = false;      // deleteTorrents
    QString hash;                  // properties, trackers, torrentPeers, files
    std::optional<qint64> rid;     // mainData
    bool value = false;            // setForceStart

    static APIEndpoint login() { return of(Kind::login); }
    static APIEndpoint logout() { return of(Kind::logout); }
    static APIEndpoint version() { return of(Kind::version); }
    static APIEndpoint torrentInfo(std::optional<QString> filter = std::nullopt);
    static APIEndpoint add() { return of(Kind::add); }
    static APIEndpoint deleteTorrents(QString hashes, bool deleteFiles);
    static APIEndpoint pause(QString hashes) { return withHashes(Kind::pause, std::move(hashes)); }
    static APIEndpoint resume(QString hashes) { return withHashes(Kind::resume, std::move(hashes)); }
    static APIEndpoint setForceStart(QString hashes, bool value);
    static APIEndpoint recheck(QString hashes) { return withHashes(Kind::recheck, std::move(hashes)); }
    static APIEndpoint reannounce(QString hashes) { return withHashes(Kind::reannounce, std::move(hashes)); }
    static APIEndpoint setLocation() { return of(Kind::setLocation); }
    static APIEndpoint setCategory() { return of(Kind::setCategory); }
    static APIEndpoint properties(QString hash) { return withHash(Kind::properties, std::move(hash)); }
    static APIEndpoint trackers(QString hash) { return withHash(Kind::trackers, std::move(hash)); }
    static APIEndpoint torrentPeers(QString hash) { return withHash(Kind::torrentPeers, std::move(hash)); }
    static APIEndpoint files(QString hash) { return withHash(Kind::files, std::move(hash)); }
    static APIEndpoint mainData(std::optional<qint64> rid = std::nullopt);
    static APIEndpoint addTags() { return of(Kind::addTags); }
    static APIEndpoint removeTags() { return of(Kind::removeTags); }
    static APIEndpoint transferInfo() { return of(Kind::transferInfo); }
    static APIEndpoint preferences() { return of(Kind::preferences); }
    static APIEndpoint setPreferences() { return of(Kind::setPreferences); }
    static APIEndpoint categories() { return of(Kind::categories); }
    static APIEndpoint createCategory() { return of(Kind::createCategory); }
    static APIEndpoint removeCategories() { return of(Kind::removeCategories); }
    static APIEndpoint tags() { return of(Kind::tags); }
    static APIEndpoint createTags() { return of(Kind::createTags); }
    static APIEndpoint deleteTags() { return of(Kind::deleteTags); }
    static APIEndpoint setDownloadLimit() { return of(Kind::setDownloadLimit); }
    static APIEndpoint setUploadLimit() { return of(Kind::setUploadLimit); }
    static APIEndpoint speedLimitsMode() { return of(Kind::speedLimitsMode); }
    static APIEndpoint toggleSpeedLimitsMode() { return of(Kind::toggleSpeedLimitsMode); }

    QString defaultPath() const;
    // Name/value pairs of the query string in the order the server documents them; empty when
    // the URL has no query at all.
    QList<std::pair<QString, QString>> queryItems() const;
    // The form body of the torrent actions ("hashes=a|b", "&deleteFiles=", "&value="); empty
    // for every other endpoint. Hashes are hexadecimal and "|" and go in as they are.
    QByteArray actionBody() const;

    bool operator==(const APIEndpoint &) const = default;

private:
    static APIEndpoint of(Kind kind)
    {
        APIEndpoint endpoint;
        endpoint.kind = kind;
        return endpoint;
    }
    static APIEndpoint withHashes(Kind kind, QString hashes);
    static APIEndpoint withHash(Kind kind, QString hash);
};
