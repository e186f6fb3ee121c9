// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "DetailListModels.h"
#include "model/AppError.h"
#include "model/DetailRecords.h"
#include "model/Torrent.h"

#include <QObject>
#include <QVariant>

#include <memory>

#include <qcoro/qcorotask.h>

class QBittorrentAPIClient;
class TorrentRepository;

// Behind the detail screen: the torrent, kept current from the list's sync stream once opened
// (so that an edit shows), and its files, trackers and peers loaded fresh from the server.
//
// The four tabs are list models that keep their rows across reloads; the information rows
// leave out "完成时间" for a torrent without a completion date.
class TorrentDetailViewModel : public QObject
{
    Q_OBJECT
    // Set once from QML with a value of TorrentListModel::torrentAt().
    Q_PROPERTY(QVariant torrent READ torrentVariant WRITE setTorrentVariant NOTIFY torrentChanged)
    Q_PROPERTY(QString hash READ hash NOTIFY torrentChanged)
    Q_PROPERTY(InfoRowsModel *info READ infoModel CONSTANT)
    Q_PROPERTY(TorrentFilesModel *files READ filesModel CONSTANT)
    Q_PROPERTY(TorrentTrackersModel *trackers READ trackersModel CONSTANT)
    Q_PROPERTY(TorrentPeersModel *peers READ peersModel CONSTANT)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(bool hasError READ hasError NOTIFY errorChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorChanged)
    // Why the last change of file priorities failed; empty when it did not.
    Q_PROPERTY(QString actionErrorMessage READ actionErrorMessage NOTIFY actionErrorChanged)
    // Set by the screen while it is shown: files, trackers and peers load anew on every show.
    Q_PROPERTY(bool active READ isActive WRITE setActive NOTIFY activeChanged)

public:
    explicit TorrentDetailViewModel(QObject *parent = nullptr); // shared API client, empty torrent
    TorrentDetailViewModel(Torrent torrent, QBittorrentAPIClient &apiClient, QObject *parent = nullptr);

    const Torrent &torrent() const { return m_torrent; }
    QString hash() const { return m_torrent.id; }
    const QList<TorrentFile> &files() const { return m_files.files(); }
    const QList<TorrentTracker> &trackers() const { return m_trackers.trackers(); }
    const QList<TorrentPeer> &peers() const { return m_peers.peers(); }
    InfoRowsModel *infoModel() { return &m_info; }
    TorrentFilesModel *filesModel() { return &m_files; }
    TorrentTrackersModel *trackersModel() { return &m_trackers; }
    TorrentPeersModel *peersModel() { return &m_peers; }
    bool isLoading() const { return m_loadsInFlight > 0; } // until the last of the loads answered
    const ErrorPtr &error() const { return m_error; }

    bool isActive() const { return m_active; }
    void setActive(bool active);
    Q_INVOKABLE void loadAll(); // starts the three loads and returns at once
    QCoro::Task<void> loadFiles();
    QCoro::Task<void> loadTrackers();
    QCoro::Task<void> loadPeers();
    Q_INVOKABLE void startLoadFiles();
    Q_INVOKABLE void startLoadTrackers();
    Q_INVOKABLE void startLoadPeers();
    // The priority (0, 1, 6 or 7) of the files a row of the files tab stands for, a folder's in
    // one request. Shown at once; the files load again afterwards, and a refusal becomes the
    // model's error.
    Q_INVOKABLE void setFilePriority(int row, int priority);
    Q_INVOKABLE void clearActionError();
    QString actionErrorMessage() const { return m_actionError; }
    QCoro::Task<void> setFilePriorities(QList<qint64> ids, int priority);

Q_SIGNALS:
    void torrentChanged();
    void isLoadingChanged();
    void errorChanged();
    void actionErrorChanged();
    void activeChanged();

private:
    QVariant torrentVariant() const;
    void setTorrentVariant(const QVariant &value);
    QList<InfoRowsModel::Row> infoRows() const;
    bool hasError() const { return m_error != nullptr; }
    QString errorMessage() const;
    void beginLoad();
    void finishLoad(const ErrorPtr &failure); // keeps a failure, ends loading
    void follow(const TorrentChanges &changes);

    QBittorrentAPIClient &m_apiClient;
    std::shared_ptr<TorrentRepository> m_repository;
    Torrent m_torrent;
    bool m_torrentSet = false;
    InfoRowsModel m_info;
    TorrentFilesModel m_files;
    TorrentTrackersModel m_trackers;
    TorrentPeersModel m_peers;
    int m_loadsInFlight = 0;
    ErrorPtr m_error;
    QString m_actionError;
    bool m_active = false;
};
