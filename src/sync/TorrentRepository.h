// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "api/APIEndpoint.h"
#include "model/AppError.h"
#include "model/LoadProgress.h"
#include "model/SpeedHistory.h"
#include "model/Torrent.h"
#include "model/TransferRecords.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <qcoro/qcorotask.h>

#include <QSet>
#include <QUuid>

#include <memory>
#include <optional>

class QBittorrentAPIClient;
class AppSettings;


// Wakes the callers of refresh() that wait for one pass to end; opened once. Shared with them,
// so that a waiter can be woken after the repository itself is gone.
class SyncPassGate : public QObject
{
    Q_OBJECT
Q_SIGNALS:
    void passFinished();
};

// Keeps the torrent list of the active server current: polls the incremental sync endpoint
// with the last response id, merges each answer into a dictionary keyed by hash, and publishes
// the torrents, categories and tags. Main thread only.
//
// The server keeps one sync position per session: two request streams interleaving their `rid`
// on one session cookie would get a full answer every time. So every screen that shows the
// torrents of a client's server shares one repository (shared()), and at most one sync request
// is in flight at a time.
class TorrentRepository : public QObject
{
    Q_OBJECT

public:
    explicit TorrentRepository(QBittorrentAPIClient &apiClient, QObject *parent = nullptr);
    // For tests: an explicit settings instance (the refresh interval source).
    TorrentRepository(QBittorrentAPIClient &apiClient, AppSettings &settings, QObject *parent = nullptr);
    ~TorrentRepository() override;

    // The repository of the client's session, created on first use and kept while some model
    // holds it.
    static std::shared_ptr<TorrentRepository> shared(QBittorrentAPIClient &apiClient);

    // Every torrent's record by hash. A record is never changed once published: a merge replaces
    // the records that changed and leaves the others shared with whoever holds them.
    const QHash<QString, TorrentPtr> &records() const { return m_records; }
    // Copies of all torrents, in the order of their hashes (the order of the published list).
    QList<Torrent> torrents() const;
    const QList<Category> &categories() const { return m_categories; }
    const QStringList &tags() const { return m_tags; }
    // The server's figures as the sync answers carry them; none before the first answer.
    const std::optional<ServerState> &serverState() const { return m_serverState; }
    // The server's rates of the last minutes, from every sync answer and from whoever else reads
    // them (the statistics screen); forgotten with the server.
    const SpeedHistory &speedHistory() const { return m_speedHistory; }
    void addSpeedSample(qint64 download, qint64 upload);
    // For tools that show a history they made (the screenshots).
    void replaceSpeedHistory(SpeedHistory history);
    // Whether the alternative limits are in force: the mode asked for while the request and the
    // sync that confirms it are under way, else the server's; none when the server does not say.
    std::optional<bool> alternativeSpeed() const;
    bool isLoading() const { return m_isLoading; }
    // How far the full answer of the pass in flight (or of the last full pass) has come.
    const LoadProgress &loadProgress() const { return m_loadProgress; }
    // The last failure of a pass or of a request, cleared when the next pass starts.
    const ErrorPtr &error() const { return m_error; }
    void setError(ErrorPtr error);
    // The failure of something a person asked for (an action, an edit; a refresh pulled by hand
    // is set by its model), for the screens' alerts: kept until it is acknowledged (set to none)
    // or a later one replaces it. Passes and loads that nobody asked for never set it.
    const ErrorPtr &requestError() const { return m_requestError; }
    void setRequestError(ErrorPtr error);
    // The failure of the last sync pass, none once a pass is answered: meanwhile the held
    // figures are those of the answer at lastSynced() (invalid before the first answer).
    const ErrorPtr &syncError() const { return m_syncError; }
    const QDateTime &lastSynced() const { return m_lastSynced; }
    std::optional<qint64> currentRid() const { return m_currentRid; }
    // Setting none makes the next pass a full one, also when a pass now in flight would set a
    // position on its return.
    void setCurrentRid(std::optional<qint64> rid);
    // True while the refresh timer exists (auto refresh running).
    bool hasRefreshTimer() const { return m_refreshTimer != nullptr; }
    int refreshTimerInterval() const; // milliseconds, 0 when there is no timer
    bool isPassRunning() const { return m_passRunning; }

    // One sync pass; never throws. While a pass is in flight, the call waits for it and then
    // for one more pass, which serves every caller that asked in the meantime. Answers to
    // requests sent before the request of the most recently applied answer are discarded.
    QCoro::Task<void> refresh();
    // Each returns its failure (also the error), none when answered.
    QCoro::Task<ErrorPtr> fetchCategories();
    QCoro::Task<ErrorPtr> fetchTags();

    QCoro::Task<void> pause(QList<Torrent> torrents);
    QCoro::Task<void> resume(QList<Torrent> torrents);
    QCoro::Task<void> forceStart(QList<Torrent> torrents);
    QCoro::Task<void> deleteTorrents(QList<Torrent> torrents, bool deleteFiles);
    QCoro::Task<void> recheck(QList<Torrent> torrents);
    QCoro::Task<void> reannounce(QList<Torrent> torrents);
    // One action on the server, then one sync pass; never throws, a failure becomes the error.
    QCoro::Task<void> perform(APIEndpoint endpoint);
    // One change on the server (of torrents, or of its categories and tags), logged "✅ " +
    // `done` or "❌ " + `failed` + ": " and why, then one sync when `refreshAfter`; never throws.
    // True when the server took it; a refusal becomes the repository's error.
    QCoro::Task<bool> edit(APIEndpoint endpoint, QString done, QString failed, bool refreshAfter = true);
    // Puts the alternative limits in or out of force, then runs one sync; never throws.
    QCoro::Task<void> setAlternativeSpeed(bool on);

    // The timer itself: started with the interval of the settings, or stopped.
    void startAutoRefresh();
    void stopAutoRefresh();

    // Who wants the list kept current: the timer runs while some consumer (a shown screen) is
    // active, the application is active and auto refresh is on in the settings.
    void setConsumerActive(const QObject *consumer, bool active);
    bool hasActiveConsumer() const { return !m_activeConsumers.isEmpty(); }
    // Who wants to hear of changes while no screen shows the list, or the application is in the
    // background (completion notifications): the timer then runs at a slower pace, at least
    // backgroundIntervalMs.
    void setBackgroundWatcher(const QObject *watcher, bool watching);
    static constexpr int backgroundIntervalMs = 30'000;
    void setApplicationActive(bool active);
    bool isApplicationActive() const { return m_applicationActive; }
    bool wantsAutoRefresh() const;
    bool isWatchedInForeground() const;
    // Starts the timer anew (a full interval from now) when it is wanted, stops it otherwise.
    void restartAutoRefreshIfWanted();

    // The merge of one decoded answer, steps in order (also driven directly by tests and
    // fuzzers).
    void apply(const SyncData &payload);

Q_SIGNALS:
    // After every merge that touched the torrents; `changes` is valid during the emission only.
    void torrentsChanged(const TorrentChanges &changes);
    void categoriesChanged();
    void tagsChanged();
    void serverStateChanged();
    void speedHistoryChanged();
    void isLoadingChanged();
    void loadProgressChanged();
    void errorChanged();
    void requestErrorChanged();
    void syncStateChanged(); // syncError or lastSynced

private:
    void setLoading(bool loading);
    void setLoadProgress(const LoadProgress &progress);
    // After a pass: its failure, or none and the time of its answer.
    void setSyncState(ErrorPtr failure);
    void followAutoRefresh();
    QCoro::Task<void> runPasses();
    QCoro::Task<void> onePass();
    void forgetServer();
    // The torrents of an answer merged with the records held: what changed, and for a full
    // answer all records (those that did not change are the held ones). Runs on any thread and
    // touches nothing of a repository, so that a big answer is merged off the UI thread.
    struct MergedAnswer
    {
        std::optional<QHash<QString, TorrentPtr>> records;
        QList<TorrentChange> changes;
        bool everything = false; // all records are new: `changes` is not listed
        bool publish = false;
    };
    static MergedAnswer mergeAnswer(const QHash<QString, TorrentPtr> &held, const SyncData &payload);
    void apply(const SyncData &payload, MergedAnswer merged);

    QBittorrentAPIClient &m_apiClient;
    AppSettings &m_settings;
    QList<Category> m_categories;
    QStringList m_tags;
    std::optional<ServerState> m_serverState;
    SpeedHistory m_speedHistory;
    std::optional<bool> m_requestedAltSpeed;
    bool m_isLoading = false;
    LoadProgress m_loadProgress;
    ErrorPtr m_error;
    ErrorPtr m_requestError;
    ErrorPtr m_syncError;
    QDateTime m_lastSynced;
    std::unique_ptr<QTimer> m_refreshTimer;
    std::optional<qint64> m_currentRid;
    QHash<QString, TorrentPtr> m_records;
    quint64 m_nextRequestSerial = 0;
    quint64 m_lastAppliedSerial = 0;

    bool m_passRunning = false;
    bool m_followUpWanted = false;
    bool m_fullSyncWanted = false;
    std::shared_ptr<SyncPassGate> m_currentGate; // opened when the pass in flight ends
    std::shared_ptr<SyncPassGate> m_nextGate;    // of the pass that follows it, for later callers

    QSet<const QObject *> m_activeConsumers;
    QSet<const QObject *> m_backgroundWatchers;
    bool m_refreshedInForeground = false; // the pace the running timer was started with
    bool m_applicationActive = true;
    std::optional<QUuid> m_serverId; // the profile whose torrents are held
    quint64 m_serverGeneration = 0;  // counts the changes of m_serverId
};
