#pragma once

#include "model/AppError.h"
#include "model/Torrent.h"
#include "model/TransferRecords.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>

class QBittorrentAPIClient;
class AppSettings;

// Keeps the torrent list of the active server current: polls the incremental sync endpoint
// with the last response id, merges each answer into a dictionary keyed by hash, and publishes
// the torrents, categories and tags. One instance per list model; main thread only.
class TorrentRepository : public QObject
{
    Q_OBJECT

public:
    explicit TorrentRepository(QBittorrentAPIClient &apiClient, QObject *parent = nullptr);
    // For tests: an explicit settings instance (the refresh interval source).
    TorrentRepository(QBittorrentAPIClient &apiClient, AppSettings &settings, QObject *parent = nullptr);
    ~TorrentRepository() override;

    const QList<Torrent> &torrents() const { return m_torrents; }
    const QList<Category> &categories() const { return m_categories; }
    const QStringList &tags() const { return m_tags; }
    bool isLoading() const { return m_isLoading; }
    const ErrorPtr &error() const { return m_error; }
    void setError(ErrorPtr error);
    std::optional<qint64> currentRid() const { return m_currentRid; }
    void setCurrentRid(std::optional<qint64> rid) { m_currentRid = rid; }
    // True while the refresh timer exists (auto refresh running).
    bool hasRefreshTimer() const { return m_refreshTimer != nullptr; }
    int refreshTimerInterval() const; // milliseconds, 0 when there is no timer

    // One sync pass; never throws. Answers to requests sent before the request of the most
    // recently applied answer are discarded.
    QCoro::Task<void> refresh();
    QCoro::Task<void> fetchCategories();
    QCoro::Task<void> fetchTags();

    QCoro::Task<void> pause(QList<Torrent> torrents);
    QCoro::Task<void> resume(QList<Torrent> torrents);
    QCoro::Task<void> forceStart(QList<Torrent> torrents);
    QCoro::Task<void> deleteTorrents(QList<Torrent> torrents, bool deleteFiles);
    QCoro::Task<void> recheck(QList<Torrent> torrents);
    QCoro::Task<void> reannounce(QList<Torrent> torrents);

    void startAutoRefresh();
    void stopAutoRefresh();

    // The merge of one decoded answer, steps in order (also driven directly by tests and
    // fuzzers).
    void apply(const SyncData &payload);

Q_SIGNALS:
    void torrentsChanged();
    void categoriesChanged();
    void tagsChanged();
    void isLoadingChanged();
    void errorChanged();

private:
    void setLoading(bool loading);

    QBittorrentAPIClient &m_apiClient;
    AppSettings &m_settings;
    QList<Torrent> m_torrents;
    QList<Category> m_categories;
    QStringList m_tags;
    bool m_isLoading = false;
    ErrorPtr m_error;
    std::unique_ptr<QTimer> m_refreshTimer;
    std::optional<qint64> m_currentRid;
    QHash<QString, Torrent> m_torrentsDict;
    quint64 m_nextRequestSerial = 0;
    quint64 m_lastAppliedSerial = 0;
};
