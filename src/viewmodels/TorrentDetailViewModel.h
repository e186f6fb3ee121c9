#pragma once

#include "model/AppError.h"
#include "model/DetailRecords.h"
#include "model/Torrent.h"

#include <QObject>
#include <QVariant>

#include <qcoro/qcorotask.h>

class QBittorrentAPIClient;

// Behind the detail screen: the torrent as it was when the screen opened, and its files,
// trackers and peers loaded fresh from the server.
//
// QML rows: info = [{label, value}] in screen order ("完成时间" left out without a completion
// date); files = [{index, name, size, sizeText, progress, progressText}]; trackers = [{url,
// status, statusText, isWorking, seedsAndLeechesText}]; peers = [{address, client, progress,
// progressText, dlSpeedText, upSpeedText}].
class TorrentDetailViewModel : public QObject
{
    Q_OBJECT
    // Set once from QML with a value of TorrentListModel::torrentAt().
    Q_PROPERTY(QVariant torrent READ torrentVariant WRITE setTorrentVariant NOTIFY torrentChanged)
    Q_PROPERTY(QVariantList info READ infoRows NOTIFY torrentChanged)
    Q_PROPERTY(QVariantList files READ filesVariant NOTIFY filesChanged)
    Q_PROPERTY(QVariantList trackers READ trackersVariant NOTIFY trackersChanged)
    Q_PROPERTY(QVariantList peers READ peersVariant NOTIFY peersChanged)
    Q_PROPERTY(int peerCount READ peerCount NOTIFY peersChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(bool hasError READ hasError NOTIFY errorChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorChanged)

public:
    explicit TorrentDetailViewModel(QObject *parent = nullptr); // shared API client, empty torrent
    TorrentDetailViewModel(Torrent torrent, QBittorrentAPIClient &apiClient, QObject *parent = nullptr);

    const Torrent &torrent() const { return m_torrent; }
    const QList<TorrentFile> &files() const { return m_files; }
    const QList<TorrentTracker> &trackers() const { return m_trackers; }
    const QList<TorrentPeer> &peers() const { return m_peers; }
    bool isLoading() const { return m_isLoading; }
    const ErrorPtr &error() const { return m_error; }

    Q_INVOKABLE void loadAll(); // starts the three loads and returns at once
    QCoro::Task<void> loadFiles();
    QCoro::Task<void> loadTrackers();
    QCoro::Task<void> loadPeers();
    Q_INVOKABLE void startLoadFiles();
    Q_INVOKABLE void startLoadTrackers();
    Q_INVOKABLE void startLoadPeers();

Q_SIGNALS:
    void torrentChanged();
    void filesChanged();
    void trackersChanged();
    void peersChanged();
    void isLoadingChanged();
    void errorChanged();

private:
    QVariant torrentVariant() const;
    void setTorrentVariant(const QVariant &value);
    QVariantList infoRows() const;
    QVariantList filesVariant() const;
    QVariantList trackersVariant() const;
    QVariantList peersVariant() const;
    int peerCount() const { return int(m_peers.size()); }
    bool hasError() const { return m_error != nullptr; }
    QString errorMessage() const;
    void beginLoad();
    void finishLoad(const ErrorPtr &failure); // keeps a failure, ends loading

    QBittorrentAPIClient &m_apiClient;
    Torrent m_torrent;
    bool m_torrentSet = false;
    QList<TorrentFile> m_files;
    QList<TorrentTracker> m_trackers;
    QList<TorrentPeer> m_peers;
    bool m_isLoading = false;
    ErrorPtr m_error;
};
