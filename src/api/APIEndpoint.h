// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

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
        rename,
        setTorrentDownloadLimit,
        setTorrentUploadLimit,
        toggleSequentialDownload,
        toggleFirstLastPiecePrio,
        topPrio,
        increasePrio,
        decreasePrio,
        bottomPrio,
        filePrio,
    };

    Kind kind = Kind::version;
    std::optional<QString> filter; // torrentInfo
    QString hashes;                // hashes joined by "|": the torrent actions
    bool deleteFiles = false;      // deleteTorrents
    QString hash;                  // properties, trackers, torrentPeers, files
    std::optional<qint64> rid;     // mainData
    bool value = false;            // setForceStart
    // The further fields of an action's form, in the order sent (category, location, tags,
    // name, limit, file ids and priority): values as typed, encoded when the body is made.
    QList<std::pair<QString, QString>> fields;

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
    static APIEndpoint setLocation(QString hashes, QString location);
    // An empty category takes the torrents out of every category.
    static APIEndpoint setCategory(QString hashes, QString category);
    static APIEndpoint properties(QString hash) { return withHash(Kind::properties, std::move(hash)); }
    static APIEndpoint trackers(QString hash) { return withHash(Kind::trackers, std::move(hash)); }
    static APIEndpoint torrentPeers(QString hash) { return withHash(Kind::torrentPeers, std::move(hash)); }
    static APIEndpoint files(QString hash) { return withHash(Kind::files, std::move(hash)); }
    static APIEndpoint mainData(std::optional<qint64> rid = std::nullopt);
    // Tags joined by ","; the server creates the ones it does not know.
    static APIEndpoint addTags(QString hashes, QString tags);
    static APIEndpoint removeTags(QString hashes, QString tags);
    static APIEndpoint transferInfo() { return of(Kind::transferInfo); }
    static APIEndpoint preferences() { return of(Kind::preferences); }
    static APIEndpoint setPreferences() { return of(Kind::setPreferences); }
    static APIEndpoint categories() { return of(Kind::categories); }
    static APIEndpoint createCategory(QString name, QString savePath = {});
    static APIEndpoint removeCategories() { return of(Kind::removeCategories); }
    static APIEndpoint tags() { return of(Kind::tags); }
    static APIEndpoint createTags(QString tags);
    static APIEndpoint deleteTags() { return of(Kind::deleteTags); }
    static APIEndpoint setDownloadLimit() { return of(Kind::setDownloadLimit); }
    static APIEndpoint setUploadLimit() { return of(Kind::setUploadLimit); }
    static APIEndpoint speedLimitsMode() { return of(Kind::speedLimitsMode); }
    static APIEndpoint toggleSpeedLimitsMode() { return of(Kind::toggleSpeedLimitsMode); }
    static APIEndpoint rename(QString hash, QString name);
    // Bytes per second, 0 = none.
    static APIEndpoint setTorrentDownloadLimit(QString hashes, qint64 limit);
    static APIEndpoint setTorrentUploadLimit(QString hashes, qint64 limit);
    static APIEndpoint toggleSequentialDownload(QString hashes)
    {
        return withHashes(Kind::toggleSequentialDownload, std::move(hashes));
    }
    static APIEndpoint toggleFirstLastPiecePrio(QString hashes)
    {
        return withHashes(Kind::toggleFirstLastPiecePrio, std::move(hashes));
    }
    // One of topPrio, increasePrio, decreasePrio, bottomPrio: a move in the download queue.
    static APIEndpoint queueMove(Kind kind, QString hashes) { return withHashes(kind, std::move(hashes)); }
    // The files' ids (their index) joined by "|"; priority 0, 1, 6 or 7.
    static APIEndpoint filePrio(QString hash, QString ids, int priority);

    QString defaultPath() const;
    // Name/value pairs of the query string in the order the server documents them; empty when
    // the URL has no query at all.
    QList<std::pair<QString, QString>> queryItems() const;
    // The form body of the torrent actions and edits ("hashes=a|b" or "hash=a", then
    // "&deleteFiles=", "&value=" or the further fields, form-encoded); of any other endpoint,
    // its fields alone. Hashes are hexadecimal and "|" and go in as they are.
    QByteArray actionBody() const;
    // Whether the endpoint changes torrents, categories or tags: its refusals (400, 404, 409)
    // have texts of their own (NetworkError::editRefused).
    bool isEdit() const;

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
