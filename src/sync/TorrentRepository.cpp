#include "TorrentRepository.h"

#include "api/APIEndpoint.h"
#include "api/Attempt.h"
#include "api/QBittorrentAPIClient.h"
#include "store/AppSettings.h"

#include <algorithm>
#include <cmath>

namespace {

// Categories by name ascending, plain code-point order.
void sortByName(QList<Category> &categories)
{
    std::stable_sort(categories.begin(), categories.end(),
                     [](const Category &a, const Category &b) { return a.name < b.name; });
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
{}

TorrentRepository::~TorrentRepository()
{
    stopAutoRefresh();
}

void TorrentRepository::setError(ErrorPtr error)
{
    if (!error && !m_error)
        return;
    m_error = std::move(error);
    Q_EMIT errorChanged();
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
    QPointer<TorrentRepository> self(this);
    if (!m_currentRid)
        setLoading(true);
    setError(nullptr);

    const quint64 serial = ++m_nextRequestSerial;
    Attempted<SyncData> answer = co_await attempt(m_apiClient.getSyncData(m_currentRid));
    // The model that owned this repository may be gone by now (the screen was closed).
    if (!self)
        co_return;
    // An answer to a request older than the one whose answer was applied last would move the
    // list and the sync position backwards; a newer pass already did this work.
    if (serial < m_lastAppliedSerial)
        co_return;
    m_lastAppliedSerial = serial;

    if (answer.error) {
        setError(answer.error);
        m_currentRid.reset();
        setLoading(false);
        co_return;
    }
    apply(*answer.value);
}

void TorrentRepository::apply(const SyncData &payload)
{
    m_currentRid = payload.rid;

    bool changed = false;
    if (payload.fullUpdate.value_or(false))
        m_torrentsDict.clear();
    if (payload.torrentsRemoved) {
        for (const QString &hash : *payload.torrentsRemoved)
            m_torrentsDict.remove(hash);
    }
    if (payload.torrents) {
        for (const auto &[hash, data] : *payload.torrents) {
            auto existing = m_torrentsDict.find(hash);
            if (existing != m_torrentsDict.end()) {
                *existing = existing->updatedWith(data);
                changed = true;
            } else if (std::optional<Torrent> torrent = Torrent::fromTorrentData(hash, data)) {
                m_torrentsDict.insert(hash, std::move(*torrent));
                changed = true;
            }
        }
    }
    if (changed || payload.torrentsRemoved || payload.fullUpdate.value_or(false)) {
        QList<Torrent> list;
        list.reserve(m_torrentsDict.size());
        for (auto it = m_torrentsDict.cbegin(); it != m_torrentsDict.cend(); ++it)
            list.append(it.value());
        m_torrents = std::move(list);
        Q_EMIT torrentsChanged();
    }

    if (payload.categories) {
        QList<Category> categories;
        categories.reserve(payload.categories->size());
        for (const auto &[key, data] : *payload.categories)
            categories.append(Category{data.name, data.savePath});
        sortByName(categories);
        m_categories = std::move(categories);
        Q_EMIT categoriesChanged();
    }
    if (payload.tags) {
        QStringList tags = *payload.tags;
        std::sort(tags.begin(), tags.end());
        m_tags = std::move(tags);
        Q_EMIT tagsChanged();
    }
    setLoading(false);
}

QCoro::Task<void> TorrentRepository::fetchCategories()
{
    QPointer<TorrentRepository> self(this);
    Attempted<QList<Category>> answer = co_await attempt(m_apiClient.getCategories());
    if (!self)
        co_return;
    if (answer.error) {
        setError(answer.error);
        co_return;
    }
    sortByName(*answer.value);
    m_categories = std::move(*answer.value);
    Q_EMIT categoriesChanged();
}

QCoro::Task<void> TorrentRepository::fetchTags()
{
    QPointer<TorrentRepository> self(this);
    Attempted<QStringList> answer = co_await attempt(m_apiClient.getTags());
    if (!self)
        co_return;
    if (answer.error) {
        setError(answer.error);
        co_return;
    }
    std::sort(answer.value->begin(), answer.value->end());
    m_tags = std::move(*answer.value);
    Q_EMIT tagsChanged();
}

namespace {

// One action on the server, then one sync pass so that the list shows its effect.
QCoro::Task<void> performThenRefresh(QPointer<TorrentRepository> self, QBittorrentAPIClient &client,
                                     APIEndpoint endpoint)
{
    const ErrorPtr failure = co_await attempt(client.performAction(std::move(endpoint)));
    if (!self)
        co_return;
    if (failure) {
        self->setError(failure);
        co_return;
    }
    co_await self->refresh();
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

void TorrentRepository::startAutoRefresh()
{
    stopAutoRefresh();
    m_refreshTimer = std::make_unique<QTimer>();
    double seconds = m_settings.refreshInterval();
    if (!std::isfinite(seconds))
        seconds = AppSettings::defaultRefreshInterval;
    // A nonsensical stored interval must not turn into a busy loop or an overflow.
    const double millis = std::clamp(seconds * 1000.0, 100.0, 24.0 * 3600.0 * 1000.0);
    m_refreshTimer->setInterval(int(millis));
    // The timer belongs to the repository and dies with it, so a tick never outlives it.
    connect(m_refreshTimer.get(), &QTimer::timeout, this, [this] { refresh(); });
    m_refreshTimer->start();
}

void TorrentRepository::stopAutoRefresh()
{
    if (m_refreshTimer) {
        m_refreshTimer->stop();
        m_refreshTimer.reset();
    }
}
