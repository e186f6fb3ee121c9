// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TorrentRepository.h"

#include "Logging.h"
#include "api/APIEndpoint.h"
#include "api/Attempt.h"
#include "api/BackgroundDecoding.h"
#include "api/QBittorrentAPIClient.h"
#include "model/Halves.h"
#include "model/NameOrder.h"
#include "store/AppSettings.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <qcoro/qcorofuture.h>
#include <qcoro/qcorosignal.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Categories by name ascending, plain code-point order (not UTF-16 order, which puts characters
// above U+FFFF before U+E000..U+FFFF).
void sortByName(QList<Category> &categories)
{
    std::stable_sort(categories.begin(), categories.end(), [](const Category &a, const Category &b) {
        return nameorder::codePointLess(a.name, b.name);
    });
}

void sortTags(QStringList &tags)
{
    std::sort(tags.begin(), tags.end(), nameorder::codePointLess);
}

QString joinedHashes(const QList<Torrent> &torrents)
{
    QStringList hashes;
    hashes.reserve(torrents.size());
    for (const Torrent &torrent : torrents)
        hashes.append(torrent.id);
    return hashes.join(QLatin1Char('|'));
}

} // namespace

TorrentRepository::TorrentRepository(QBittorrentAPIClient &apiClient, QObject *parent)
    : TorrentRepository(apiClient, AppSettings::shared(), parent)
{}

TorrentRepository::TorrentRepository(QBittorrentAPIClient &apiClient, AppSettings &settings, QObject *parent)
    : QObject(parent), m_apiClient(apiClient), m_settings(settings)
{
    if (const auto &server = m_apiClient.currentServer())
        m_serverId = server->id;
    // Another server's torrents must not stay on screen, nor its sync position be sent on.
    connect(&m_apiClient, &QBittorrentAPIClient::currentServerChanged, this, [this] {
        const auto &server = m_apiClient.currentServer();
        const std::optional<QUuid> id = server ? std::optional(server->id) : std::nullopt;
        if (id != m_serverId) {
            m_serverId = id;
            forgetServer();
        }
    });
    connect(&m_settings, &AppSettings::isAutoRefreshEnabledChanged, this,
            &TorrentRepository::followAutoRefresh);
    // A new interval replaces a running timer only.
    connect(&m_settings, &AppSettings::refreshIntervalChanged, this, [this] {
        if (m_refreshTimer)
            startAutoRefresh();
    });
}

TorrentRepository::~TorrentRepository()
{
    stopAutoRefresh();
    // Callers waiting for a pass are woken once this repository is gone; they see it gone and
    // end. (Woken now, they would run on inside this destructor.)
    for (const std::shared_ptr<SyncPassGate> &gate : {m_currentGate, m_nextGate}) {
        if (gate)
            QMetaObject::invokeMethod(
                gate.get(), [gate] { Q_EMIT gate->passFinished(); }, Qt::QueuedConnection);
    }
}

std::shared_ptr<TorrentRepository> TorrentRepository::shared(QBittorrentAPIClient &apiClient)
{
    static QHash<const QBittorrentAPIClient *, std::weak_ptr<TorrentRepository>> repositories;
    std::weak_ptr<TorrentRepository> &slot = repositories[&apiClient];
    if (std::shared_ptr<TorrentRepository> existing = slot.lock())
        return existing;
    auto created = std::make_shared<TorrentRepository>(apiClient);
    slot = created;
    return created;
}

void TorrentRepository::addSpeedSample(qint64 download, qint64 upload)
{
    if (m_speedHistory.add(QDateTime::currentMSecsSinceEpoch(), download, upload))
        Q_EMIT speedHistoryChanged();
}

void TorrentRepository::replaceSpeedHistory(SpeedHistory history)
{
    m_speedHistory = std::move(history);
    Q_EMIT speedHistoryChanged();
}

void TorrentRepository::forgetServer()
{
    ++m_serverGeneration;
    m_speedHistory.clear();
    Q_EMIT speedHistoryChanged();
    setCurrentRid(std::nullopt);
    if (!m_records.isEmpty()) {
        m_records.clear();
        Q_EMIT torrentsChanged(TorrentChanges{.everything = true, .changes = {}});
    }
    if (!m_categories.isEmpty()) {
        m_categories.clear();
        Q_EMIT categoriesChanged();
    }
    if (!m_tags.isEmpty()) {
        m_tags.clear();
        Q_EMIT tagsChanged();
    }
    if (m_serverState) {
        m_serverState.reset();
        m_requestedAltSpeed.reset();
        Q_EMIT serverStateChanged();
    }
    if (m_syncError || m_lastSynced.isValid()) {
        m_syncError.reset();
        m_lastSynced = {};
        Q_EMIT syncStateChanged();
    }
}

void TorrentRepository::setCurrentRid(std::optional<qint64> rid)
{
    m_currentRid = rid;
    m_fullSyncWanted = !rid.has_value();
}

void TorrentRepository::setError(ErrorPtr error)
{
    if (!error && !m_error)
        return;
    m_error = std::move(error);
    Q_EMIT errorChanged();
}

void TorrentRepository::setRequestError(ErrorPtr error)
{
    if (error == m_requestError)
        return;
    m_requestError = std::move(error);
    Q_EMIT requestErrorChanged();
}

void TorrentRepository::setSyncState(ErrorPtr failure)
{
    if (!failure)
        m_lastSynced = QDateTime::currentDateTimeUtc();
    m_syncError = std::move(failure);
    Q_EMIT syncStateChanged();
}

void TorrentRepository::setLoadProgress(const LoadProgress &progress)
{
    if (m_loadProgress == progress)
        return;
    m_loadProgress = progress;
    Q_EMIT loadProgressChanged();
}

void TorrentRepository::setLoading(bool loading)
{
    if (m_isLoading == loading)
        return;
    m_isLoading = loading;
    Q_EMIT isLoadingChanged();
}

int TorrentRepository::refreshTimerInterval() const
{
    return m_refreshTimer ? m_refreshTimer->interval() : 0;
}

QCoro::Task<void> TorrentRepository::refresh()
{
    if (!m_passRunning) {
        co_await runPasses();
        co_return;
    }
    // A pass is in flight: its request went out before this call, so its answer may not show
    // what the caller wants to see (an action's effect). One more pass follows it and serves
    // every caller that asked meanwhile. Each pass has a gate of its own that is opened once,
    // so a waiter is woken exactly once: no second wake can reach a frame that may be gone.
    m_followUpWanted = true;
    if (!m_nextGate)
        m_nextGate = std::make_shared<SyncPassGate>();
    const std::shared_ptr<SyncPassGate> gate = m_nextGate;
    co_await qCoro(gate.get(), &SyncPassGate::passFinished);
}

QCoro::Task<void> TorrentRepository::runPasses()
{
    QPointer<TorrentRepository> self(this);
    m_passRunning = true;
    do {
        m_followUpWanted = false;
        m_currentGate = std::move(m_nextGate);
        co_await onePass();
        // The model that held this repository may be gone by now (the screen was closed).
        if (!self)
            co_return;
        if (const std::shared_ptr<SyncPassGate> gate = std::exchange(m_currentGate, nullptr))
            Q_EMIT gate->passFinished();
    } while (m_followUpWanted);
    m_passRunning = false;
}

QCoro::Task<void> TorrentRepository::onePass()
{
    QPointer<TorrentRepository> self(this);
    if (m_fullSyncWanted) {
        m_fullSyncWanted = false;
        m_currentRid.reset();
    }
    LoadProgressReport report;
    if (!m_currentRid) {
        setLoading(true);
        setLoadProgress({});
        report = [self, generation = m_serverGeneration](const LoadProgress &progress) {
            if (self && self->m_serverGeneration == generation)
                self->setLoadProgress(progress);
        };
    }
    setError(nullptr);

    const quint64 serial = ++m_nextRequestSerial;
    const quint64 generation = m_serverGeneration;
    Attempted<SyncData> answer = co_await attempt(m_apiClient.getSyncData(m_currentRid, std::move(report)));
    if (!self)
        co_return;
    // An answer to a request older than the one whose answer was applied last would move the
    // list and the sync position backwards; a newer pass already did this work.
    if (serial < m_lastAppliedSerial)
        co_return;
    m_lastAppliedSerial = serial;
    // The server changed while the request was out: the answer is of the old one.
    if (generation != m_serverGeneration) {
        setLoading(false);
        co_return;
    }

    if (answer.error) {
        setSyncState(answer.error);
        setError(answer.error);
        m_currentRid.reset();
        setLoading(false);
        co_return;
    }
    SyncData payload = std::move(*answer.value);
    answer.value.reset();
    const std::optional<qint64> askedRid = m_currentRid;
    const qsizetype listedCount = payload.torrents ? payload.torrents->size() : 0;
    const qsizetype removedCount = payload.torrentsRemoved ? payload.torrentsRemoved->size() : 0;
    QElapsedTimer mergeTime;
    mergeTime.start();
    // The torrents are merged on the decoding thread against the records held now, which no
    // one changes meanwhile: at most one pass is in flight, and a change of server makes a
    // new generation whose answer this is not. The decoded torrents are freed there too.
    SyncData listed;
    listed.fullUpdate = payload.fullUpdate;
    listed.torrents = std::exchange(payload.torrents, std::nullopt);
    listed.torrentsRemoved = payload.torrentsRemoved;
    QFuture<Decoded<MergedAnswer>> merging =
        decodeInBackground([held = m_records, listed = std::move(listed)]() mutable {
            MergedAnswer merged = mergeAnswer(held, listed);
            // Let go here, before the result is reported: the UI thread may change its records
            // as soon as it resumes, and must not find them shared. The decoded answer is
            // freed after the result is reported.
            held = {};
            freeInBackground(std::move(listed));
            return merged;
        });
    Decoded<MergedAnswer> merged = co_await merging;
    if (!self)
        co_return;
    if (generation != m_serverGeneration || serial < m_lastAppliedSerial) {
        setLoading(false);
        co_return;
    }
    if (!merged.value) { // out of memory, say
        try {
            std::rethrow_exception(merged.error);
        } catch (...) {
            setSyncState(currentError());
            setError(m_syncError);
        }
        m_currentRid.reset();
        setLoading(false);
        co_return;
    }
    const qint64 mergeMs = mergeTime.elapsed();
    const qsizetype changeCount = merged.value->everything ? -1 : merged.value->changes.size();
    apply(payload, std::move(*merged.value));
    qCDebug(lcSync).noquote() << "sync pass: rid" << (askedRid ? QString::number(*askedRid) : QStringLiteral("none"))
                              << "->" << payload.rid << (payload.fullUpdate.value_or(false) ? "full," : "delta,")
                              << listedCount << "listed," << removedCount << "removed,"
                              << (changeCount < 0 ? QStringLiteral("all") : QString::number(changeCount)) << "changed,"
                              << m_records.size() << "held, merged in" << mergeMs << "ms";
    setSyncState(nullptr);
}

QList<Torrent> TorrentRepository::torrents() const
{
    QList<const TorrentPtr *> sorted;
    sorted.reserve(m_records.size());
    for (const TorrentPtr &record : m_records)
        sorted.append(&record);
    std::sort(sorted.begin(), sorted.end(),
              [](const TorrentPtr *a, const TorrentPtr *b) { return (*a)->id < (*b)->id; });
    QList<Torrent> list;
    list.reserve(sorted.size());
    for (const TorrentPtr *record : sorted)
        list.append(**record);
    return list;
}

TorrentRepository::MergedAnswer TorrentRepository::mergeAnswer(const QHash<QString, TorrentPtr> &held,
                                                               const SyncData &payload)
{
    MergedAnswer merged;
    QList<TorrentChange> &changes = merged.changes;
    if (payload.fullUpdate.value_or(false)) {
        // The answer lists every torrent; a record equal to the one held stays the one held, so
        // that a full answer in which little changed costs the consumers what changed.
        merged.publish = true;
        QHash<QString, TorrentPtr> &next = merged.records.emplace();
        next.reserve(payload.torrents ? payload.torrents->size() : 0);
        if (payload.torrents) {
            // The records are made by two threads at once for a big answer; only the reads of
            // `held` are shared between them.
            const auto &listed = *payload.torrents;
            std::vector<TorrentPtr> made(size_t(listed.size()));
            inHalves(made.size(), 8192, [&](size_t begin, size_t end) {
                for (size_t i = begin; i < end; ++i) {
                    const auto &[hash, data] = listed[qsizetype(i)];
                    std::optional<Torrent> fresh = Torrent::fromTorrentData(hash, data);
                    if (!fresh)
                        continue;
                    TorrentPtr before = held.value(hash);
                    if (before && *before == *fresh) {
                        made[i] = std::move(before);
                        continue;
                    }
                    if (before)
                        fresh->shareTextsWith(*before);
                    made[i] = std::make_shared<const Torrent>(std::move(*fresh));
                }
            });
            // Listed twice, the later entry holds.
            for (size_t i = 0; i < made.size(); ++i) {
                if (made[i])
                    next.insert(listed[qsizetype(i)].first, std::move(made[i]));
            }
        }
        if (held.isEmpty()) {
            merged.everything = !next.isEmpty();
            return merged;
        }
        qsizetype stayed = 0;
        for (auto it = next.cbegin(); it != next.cend(); ++it) {
            TorrentPtr before = held.value(it.key());
            if (before)
                ++stayed;
            if (before != it.value())
                changes.append({std::move(before), it.value()});
        }
        if (stayed < held.size()) {
            // Some held torrents are missing from the answer.
            for (auto it = held.cbegin(); it != held.cend(); ++it) {
                if (!next.contains(it.key()))
                    changes.append({it.value(), nullptr});
            }
        }
        return merged;
    }

    // Published when the answer lists removals (even none) or names a torrent, changed or not.
    merged.publish = payload.torrentsRemoved.has_value();
    // The change of each hash met so far: a hash removed and listed again, or listed twice,
    // makes one change from the record held to the last one.
    QHash<QString, qsizetype> changeOf;
    const auto current = [&](const QString &hash) -> TorrentPtr {
        const auto it = changeOf.constFind(hash);
        return it != changeOf.cend() ? changes[it.value()].after : held.value(hash);
    };
    const auto record = [&](const QString &hash, TorrentPtr after) {
        const auto it = changeOf.constFind(hash);
        if (it != changeOf.cend()) {
            changes[it.value()].after = std::move(after);
            return;
        }
        changeOf.insert(hash, changes.size());
        changes.append({held.value(hash), std::move(after)});
    };
    if (payload.torrentsRemoved) {
        for (const QString &hash : *payload.torrentsRemoved) {
            if (current(hash))
                record(hash, nullptr);
        }
    }
    if (payload.torrents) {
        for (const auto &[hash, data] : *payload.torrents) {
            if (const TorrentPtr existing = current(hash)) {
                merged.publish = true;
                Torrent updated = *existing;
                if (updated.update(data))
                    record(hash, std::make_shared<const Torrent>(std::move(updated)));
            } else if (std::optional<Torrent> torrent = Torrent::fromTorrentData(hash, data)) {
                merged.publish = true;
                if (const TorrentPtr gone = held.value(hash)) // removed and listed again
                    torrent->shareTextsWith(*gone);
                record(hash, std::make_shared<const Torrent>(std::move(*torrent)));
            }
        }
    }
    // Came and went within the answer: nothing to tell.
    changes.removeIf([](const TorrentChange &change) { return !change.before && !change.after; });
    return merged;
}

void TorrentRepository::apply(const SyncData &payload)
{
    apply(payload, mergeAnswer(m_records, payload));
}

void TorrentRepository::apply(const SyncData &payload, MergedAnswer merged)
{
    m_currentRid = payload.rid;

    if (merged.records) {
        // The records that went out of use are freed on the decoding thread (a hundred
        // thousand of them after a new server's answer).
        QHash<QString, TorrentPtr> old = std::exchange(m_records, std::move(*merged.records));
        if (old.size() > 10'000)
            freeInBackground(std::move(old));
    } else {
        for (const TorrentChange &change : std::as_const(merged.changes)) {
            if (change.after)
                m_records.insert(change.after->id, change.after);
            else
                m_records.remove(change.before->id);
        }
    }
    TorrentChanges published{merged.everything, std::move(merged.changes)};
    // A consumer starts over faster than it takes in most of the list one by one.
    if (published.changes.size() > std::max<qsizetype>(64, m_records.size() / 8)) {
        published.everything = true;
        published.changes.clear();
    }
    if (merged.publish)
        Q_EMIT torrentsChanged(published);

    if (payload.categories) {
        QList<Category> categories;
        categories.reserve(payload.categories->size());
        for (const auto &[key, data] : *payload.categories)
            categories.append(Category{data.name, data.savePath});
        sortByName(categories);
        m_categories = std::move(categories);
        Q_EMIT categoriesChanged();
    }
    if (payload.serverState) {
        if (!m_serverState || payload.fullUpdate.value_or(false))
            m_serverState = *payload.serverState;
        else
            m_serverState->update(*payload.serverState);
        Q_EMIT serverStateChanged();
        if (m_serverState->dlInfoSpeed && m_serverState->upInfoSpeed)
            addSpeedSample(*m_serverState->dlInfoSpeed, *m_serverState->upInfoSpeed);
    }
    if (payload.tags) {
        QStringList tags = *payload.tags;
        sortTags(tags);
        m_tags = std::move(tags);
        Q_EMIT tagsChanged();
    }
    setLoading(false);
}

QCoro::Task<ErrorPtr> TorrentRepository::fetchCategories()
{
    QPointer<TorrentRepository> self(this);
    const quint64 generation = m_serverGeneration;
    Attempted<QList<Category>> answer = co_await attempt(m_apiClient.getCategories());
    // Gone, or the answer of a server that is no longer the connected one.
    if (!self || generation != m_serverGeneration)
        co_return ErrorPtr();
    if (answer.error) {
        setError(answer.error);
        co_return answer.error;
    }
    sortByName(*answer.value);
    m_categories = std::move(*answer.value);
    Q_EMIT categoriesChanged();
    co_return ErrorPtr();
}

QCoro::Task<ErrorPtr> TorrentRepository::fetchTags()
{
    QPointer<TorrentRepository> self(this);
    const quint64 generation = m_serverGeneration;
    Attempted<QStringList> answer = co_await attempt(m_apiClient.getTags());
    if (!self || generation != m_serverGeneration)
        co_return ErrorPtr();
    if (answer.error) {
        setError(answer.error);
        co_return answer.error;
    }
    sortTags(*answer.value);
    m_tags = std::move(*answer.value);
    Q_EMIT tagsChanged();
    co_return ErrorPtr();
}

namespace {

// What an action logs: "✅ " + done, or "❌ " + failed + ": " and why.
struct OutcomeLines
{
    QString done;
    QString failed;
};

// One action on the server, then (when `refreshAfter`) one sync pass so that the list shows its
// effect; a failure becomes the repository's error. True when the server took it.
QCoro::Task<bool> act(QPointer<TorrentRepository> self, QBittorrentAPIClient &client, APIEndpoint endpoint,
                      std::optional<OutcomeLines> lines, bool refreshAfter)
{
    const ErrorPtr failure = co_await attempt(client.performAction(std::move(endpoint)));
    if (lines && failure)
        logLine(lcSync(), QStringLiteral("❌ ") + lines->failed + QStringLiteral(": ") + failure->localizedDescription());
    else if (lines)
        logLine(lcSync(), QStringLiteral("✅ ") + lines->done);
    if (!self)
        co_return !failure;
    if (failure) {
        self->setError(failure);
        self->setRequestError(failure);
    } else if (refreshAfter)
        co_await self->refresh();
    co_return !failure;
}

QCoro::Task<void> performThenRefresh(QPointer<TorrentRepository> self, QBittorrentAPIClient &client,
                                     APIEndpoint endpoint)
{
    co_await act(std::move(self), client, std::move(endpoint), std::nullopt, true);
}

} // namespace

QCoro::Task<void> TorrentRepository::pause(QList<Torrent> torrents)
{
    return performThenRefresh(this, m_apiClient, APIEndpoint::pause(joinedHashes(torrents)));
}

QCoro::Task<void> TorrentRepository::resume(QList<Torrent> torrents)
{
    return performThenRefresh(this, m_apiClient, APIEndpoint::resume(joinedHashes(torrents)));
}

QCoro::Task<void> TorrentRepository::forceStart(QList<Torrent> torrents)
{
    return performThenRefresh(this, m_apiClient, APIEndpoint::setForceStart(joinedHashes(torrents), true));
}

QCoro::Task<void> TorrentRepository::deleteTorrents(QList<Torrent> torrents, bool deleteFiles)
{
    return performThenRefresh(this, m_apiClient,
                              APIEndpoint::deleteTorrents(joinedHashes(torrents), deleteFiles));
}

QCoro::Task<void> TorrentRepository::recheck(QList<Torrent> torrents)
{
    return performThenRefresh(this, m_apiClient, APIEndpoint::recheck(joinedHashes(torrents)));
}

QCoro::Task<void> TorrentRepository::reannounce(QList<Torrent> torrents)
{
    return performThenRefresh(this, m_apiClient, APIEndpoint::reannounce(joinedHashes(torrents)));
}

QCoro::Task<void> TorrentRepository::perform(APIEndpoint endpoint)
{
    return performThenRefresh(this, m_apiClient, std::move(endpoint));
}

QCoro::Task<bool> TorrentRepository::edit(APIEndpoint endpoint, QString done, QString failed, bool refreshAfter)
{
    return act(this, m_apiClient, std::move(endpoint), OutcomeLines{std::move(done), std::move(failed)},
               refreshAfter);
}

std::optional<bool> TorrentRepository::alternativeSpeed() const
{
    if (m_requestedAltSpeed)
        return m_requestedAltSpeed;
    return m_serverState ? m_serverState->useAltSpeedLimits : std::nullopt;
}

QCoro::Task<void> TorrentRepository::setAlternativeSpeed(bool on)
{
    QPointer<TorrentRepository> self(this);
    m_requestedAltSpeed = on;
    Q_EMIT serverStateChanged();
    const ErrorPtr failure = co_await attempt(m_apiClient.setSpeedLimitsMode(on));
    if (failure)
        logLine(lcSync(), QStringLiteral("❌ 切换备用速度限制失败: ") + failure->localizedDescription());
    else
        logLine(lcSync(), on ? QStringLiteral("✅ 已启用备用速度限制") : QStringLiteral("✅ 已停用备用速度限制"));
    if (!self)
        co_return;
    if (failure) {
        setError(failure);
        setRequestError(failure);
    } else
        co_await refresh();
    if (!self || m_requestedAltSpeed != on)
        co_return; // asked again meanwhile: that request settles it
    m_requestedAltSpeed.reset();
    Q_EMIT serverStateChanged();
}

void TorrentRepository::startAutoRefresh()
{
    stopAutoRefresh();
    m_refreshedInForeground = isWatchedInForeground();
    m_refreshTimer = std::make_unique<QTimer>();
    double seconds = m_settings.refreshInterval();
    if (!std::isfinite(seconds))
        seconds = AppSettings::defaultRefreshInterval;
    // A nonsensical stored interval must not turn into a busy loop or an overflow.
    double millis = std::clamp(seconds * 1000.0, 100.0, 24.0 * 3600.0 * 1000.0);
    if (!isWatchedInForeground() && !m_backgroundWatchers.isEmpty())
        millis = std::max(millis, double(backgroundIntervalMs));
    m_refreshTimer->setInterval(int(millis));
    // The timer belongs to the repository and dies with it, so a tick never outlives it. A tick
    // while a pass is in flight is skipped: against a server slower than the interval, ticks
    // would otherwise pile up requests (and full ones, while no position is held).
    connect(m_refreshTimer.get(), &QTimer::timeout, this, [this] {
        if (!m_passRunning)
            QCoro::connect(refresh(), this, [] {});
    });
    m_refreshTimer->start();
}

void TorrentRepository::stopAutoRefresh()
{
    if (m_refreshTimer) {
        m_refreshTimer->stop();
        m_refreshTimer.reset();
    }
}

bool TorrentRepository::isWatchedInForeground() const
{
    return !m_activeConsumers.isEmpty() && m_applicationActive;
}

bool TorrentRepository::wantsAutoRefresh() const
{
    return (isWatchedInForeground() || !m_backgroundWatchers.isEmpty()) && m_settings.isAutoRefreshEnabled();
}

void TorrentRepository::followAutoRefresh()
{
    if (!wantsAutoRefresh())
        stopAutoRefresh();
    // Started, or between the screen's pace and the background's.
    else if (!m_refreshTimer || m_refreshedInForeground != isWatchedInForeground())
        startAutoRefresh();
}

void TorrentRepository::setBackgroundWatcher(const QObject *watcher, bool watching)
{
    if (watching)
        m_backgroundWatchers.insert(watcher);
    else
        m_backgroundWatchers.remove(watcher);
    followAutoRefresh();
}

void TorrentRepository::restartAutoRefreshIfWanted()
{
    if (wantsAutoRefresh())
        startAutoRefresh();
    else
        stopAutoRefresh();
}

void TorrentRepository::setConsumerActive(const QObject *consumer, bool active)
{
    if (active)
        m_activeConsumers.insert(consumer);
    else
        m_activeConsumers.remove(consumer);
    followAutoRefresh();
}

void TorrentRepository::setApplicationActive(bool active)
{
    m_applicationActive = active;
    followAutoRefresh();
}
