// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TorrentListViewModel.h"

#include "Logging.h"
#include "api/BackgroundDecoding.h"
#include "api/QBittorrentAPIClient.h"
#include "model/Formatting.h"
#include "model/NameOrder.h"
#include "store/AppSettings.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/ErrorState.h"
#include "viewmodels/OptionalVariant.h"

#include <QLocale>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>

#include <qcoro/qcorotask.h>

namespace {

constexpr int debounceMs = 300;

// Case-insensitive containment of canonically equivalent texts: a name written with combining
// accents matches a search typed with precomposed ones. Accents are not ignored.
bool nameContains(const QString &name, const QString &normalizedNeedle)
{
    if (nameorder::isTriviallyNormalized(name))
        return name.contains(normalizedNeedle, Qt::CaseInsensitive);
    return name.normalized(QString::NormalizationForm_C).contains(normalizedNeedle, Qt::CaseInsensitive);
}

// The first four UTF-16 units of a hash as one number, in the order of the hashes where they
// differ.
qint64 hashKey(const QString &id)
{
    quint64 key = 0;
    for (qsizetype i = 0; i < 4; ++i)
        key = key << 16 | (i < id.size() ? id[i].unicode() : 0);
    return qint64(key ^ (quint64(1) << 63));
}

// Adds one change to those of each hash so far: from the first record to the last.
void mergeChange(QHash<QString, TorrentChange> &changes, const TorrentChange &change)
{
    const QString &id = change.after ? change.after->id : change.before->id;
    const auto held = changes.find(id);
    if (held == changes.end()) {
        changes.insert(id, change);
        return;
    }
    held->after = change.after;
    if (!held->before && !held->after)
        changes.erase(held); // came and went
}

// The records whose names contain the (normalised) needle, in the order of their hashes; an
// empty list once `stop` says so. `ordered`: the candidates are in that order already.
template <typename Records, typename Stop = bool (*)()>
QList<TorrentPtr> search(const Records &candidates, const QString &needle, bool ordered, Stop stop = [] { return false; })
{
    QList<TorrentPtr> found;
    qsizetype visited = 0;
    for (const TorrentPtr &t : candidates) {
        if ((++visited & 1023) == 0 && stop())
            return {};
        if (nameContains(t->name, needle))
            found.append(t);
    }
    if (!ordered) {
        std::sort(found.begin(), found.end(), [](const TorrentPtr &a, const TorrentPtr &b) {
            const qint64 ka = hashKey(a->id), kb = hashKey(b->id);
            return ka != kb ? ka < kb : a->id < b->id;
        });
    }
    return found;
}

// search() on another thread. The job lets go of its records before its results are reported:
// the UI thread goes on changing its own copy, which must not be shared by then (it would be
// copied whole).
template <typename Records, typename Stop>
QFuture<QList<TorrentPtr>> searchAside(Records candidates, QString needle, bool ordered, Stop stop)
{
    return QtConcurrent::run([candidates = std::move(candidates), needle, ordered, stop]() mutable {
        QList<TorrentPtr> found = search(candidates, needle, ordered, stop);
        candidates = {};
        return found;
    });
}

// Counted under the same status filters, category and tags.
bool countedAlike(const Torrent &a, const Torrent &b)
{
    return a.state == b.state && (a.progress >= 1.0) == (b.progress >= 1.0) && a.category == b.category &&
           a.tags == b.tags;
}

// The shown list's row keys for its choices (TorrentListModel::KeyOf), wherever they are made.
TorrentListModel::KeyOf keyOf(const TorrentListChoices &choices)
{
    return [choices](const Torrent &t) { return choices.leadingKey(t); };
}

} // namespace

TorrentListViewModel::TorrentListViewModel(QObject *parent)
    : TorrentListViewModel(TorrentRepository::shared(QBittorrentAPIClient::shared()), AppSettings::shared(),
                           parent)
{}

TorrentListViewModel::TorrentListViewModel(std::shared_ptr<TorrentRepository> repository,
                                           AppSettings &settings, QObject *parent)
    : QObject(parent), m_repository(std::move(repository)), m_settings(settings),
      m_filtered(new TorrentListModel(this)), m_searchResults(new TorrentListModel(this))
{
    if (!m_repository)
        m_repository = std::make_shared<TorrentRepository>(QBittorrentAPIClient::shared(), m_settings);
    TorrentRepository *repo = m_repository.get();

    // Mirrors: what the repository holds now, then every value it publishes.
    m_categories = repo->categories();
    m_tags = repo->tags();
    m_isLoading = repo->isLoading();
    m_error = repo->requestError();
    takeIn(TorrentChanges{.everything = true, .changes = {}});
    connect(repo, &TorrentRepository::torrentsChanged, this, [this](const TorrentChanges &changes) {
        takeIn(changes);
        Q_EMIT torrentsChanged();
        m_debounce.start();
        if (changes.everything)
            sortAside(false);
    });
    connect(repo, &TorrentRepository::categoriesChanged, this, [this] {
        m_categories = m_repository->categories();
        Q_EMIT categoriesChanged();
    });
    connect(repo, &TorrentRepository::tagsChanged, this, [this] {
        m_tags = m_repository->tags();
        Q_EMIT tagsChanged();
    });
    connect(repo, &TorrentRepository::isLoadingChanged, this, [this] {
        followFirstLoad();
        if (m_isLoading == m_repository->isLoading())
            return;
        m_isLoading = m_repository->isLoading();
        Q_EMIT isLoadingChanged();
    });
    m_loadProgressDelay.setSingleShot(true);
    m_loadProgressDelay.setInterval(loadProgressDelayMs);
    connect(&m_loadProgressDelay, &QTimer::timeout, this, &TorrentListViewModel::showLoadProgress);
    m_loadProgressPace.setSingleShot(true);
    m_loadProgressPace.setInterval(loadProgressPaceMs);
    connect(&m_loadProgressPace, &QTimer::timeout, this, [this] {
        if (std::exchange(m_loadProgressDue, false))
            showLoadProgress();
    });
    connect(repo, &TorrentRepository::loadProgressChanged, this, &TorrentListViewModel::showLoadProgress);
    connect(repo, &TorrentRepository::requestErrorChanged, this, &TorrentListViewModel::mirrorError);
    connect(repo, &TorrentRepository::syncStateChanged, this, [this] {
        if (isOffline() && lastUpdated().isValid())
            m_staleTicker.start();
        else
            m_staleTicker.stop();
        Q_EMIT offlineChanged();
        Q_EMIT staleTextChanged();
    });
    // The retry part of offlineText follows the timer, which follows these (connected first).
    connect(&m_settings, &AppSettings::isAutoRefreshEnabledChanged, this, &TorrentListViewModel::offlineChanged);
    connect(&m_settings, &AppSettings::refreshIntervalChanged, this, &TorrentListViewModel::offlineChanged);
    m_staleTicker.setInterval(1000);
    connect(&m_staleTicker, &QTimer::timeout, this, &TorrentListViewModel::staleTextChanged);
    connect(repo, &TorrentRepository::serverStateChanged, this, &TorrentListViewModel::alternativeSpeedChanged);

    // Torrents, status filter and category reach the shown list after 300 ms of quiet, so that
    // a sync pass or a burst of taps costs one recomputation. The first one comes 300 ms after
    // construction.
    m_debounce.setSingleShot(true);
    m_debounce.setInterval(debounceMs);
    connect(&m_debounce, &QTimer::timeout, this, &TorrentListViewModel::showWhenQuiet);
    m_debounce.start();
    // Tag and sort order apply at once, their initial values included.
    if (m_isLoading || !repo->records().isEmpty()) {
        m_firstLoad = true;
        m_loadProgressDelay.start();
    }
    applyFilters();
}

TorrentListViewModel::~TorrentListViewModel()
{
    m_repository->setConsumerActive(this, false);
}

void TorrentListViewModel::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    // The repository runs its timer while some model is active and auto refresh is on in the
    // settings; it follows the settings' changes itself.
    m_repository->setConsumerActive(this, active);
    if (active)
        runDetached(loadTorrents(Trigger::automatic));
    Q_EMIT activeChanged();
}

// ----- mirrors and the shown list -----

void TorrentListViewModel::PendingChanges::add(const QList<TorrentChange> &changes)
{
    if (changes.isEmpty())
        return;
    if (m_merged.isEmpty() && m_one.isEmpty()) {
        m_one = changes;
        return;
    }
    if (m_merged.isEmpty()) {
        for (const TorrentChange &change : std::as_const(m_one))
            mergeChange(m_merged, change);
        m_one.clear();
    }
    for (const TorrentChange &change : changes)
        mergeChange(m_merged, change);
}

void TorrentListViewModel::takeIn(const TorrentChanges &published)
{
    if (published.everything) {
        m_pending.clear();
        m_pendingEverything = true;
        m_counted = false;
        qint64 down = 0;
        qint64 up = 0;
        for (const TorrentPtr &t : m_repository->records()) {
            down += t->dlspeed;
            up += t->upspeed;
        }
        m_totalDownloadSpeed = down;
        m_totalUploadSpeed = up;
        m_searchedFor.clear();
        updateSearchResults();
        return;
    }
    for (const TorrentChange &change : published.changes) {
        if (change.before) {
            m_totalDownloadSpeed -= change.before->dlspeed;
            m_totalUploadSpeed -= change.before->upspeed;
        }
        if (change.after) {
            m_totalDownloadSpeed += change.after->dlspeed;
            m_totalUploadSpeed += change.after->upspeed;
        }
        // Most changes of a tick are of rates and progress alone, which no count depends on.
        if (!change.before || !change.after || !countedAlike(*change.before, *change.after)) {
            if (change.before)
                count(*change.before, -1);
            if (change.after)
                count(*change.after, +1);
        }
    }
    if (m_keepsShownList && (!m_pendingEverything || m_sortedAside))
        m_pending.add(published.changes);
    if (m_searching)
        m_searchPending.add(published.changes);
    if (!m_searchedFor.isEmpty())
        takeInSearchResults(published.changes, m_searchedFor);
}

void TorrentListViewModel::takeInSearchResults(const QList<TorrentChange> &changes, const QString &needle)
{
    m_searchResults->applyChanges(
        changes, [&needle](const Torrent &t) { return nameContains(t.name, needle); },
        [](const Torrent &a, const Torrent &b) { return a.id < b.id; },
        [](const Torrent &t) { return hashKey(t.id); });
}

void TorrentListViewModel::mirrorError()
{
    const ErrorPtr &error = m_repository->requestError();
    if (error == m_error)
        return;
    m_error = error;
    Q_EMIT errorChanged();
}

void TorrentListViewModel::setOwnError(ErrorPtr error)
{
    if (error == m_error)
        return;
    m_error = std::move(error);
    Q_EMIT errorChanged();
}

void TorrentListViewModel::clearError()
{
    setOwnError(nullptr);
    m_repository->setError(nullptr);
    m_repository->setRequestError(nullptr);
}

bool TorrentListViewModel::isOffline() const
{
    return m_repository->syncError() != nullptr;
}

QString TorrentListViewModel::offlineText() const
{
    const ErrorPtr &failure = m_repository->syncError();
    if (!failure)
        return {};
    // The next tick comes within one interval: ticks while a pass is out are skipped.
    const int interval = m_repository->refreshTimerInterval();
    const QString retry = interval > 0 ? tr("%1 秒后重试").arg(std::max(1, int(std::ceil(interval / 1000.0))))
                                       : tr("自动刷新已关闭");
    // The first line: some descriptions add advice in paragraphs of their own.
    return tr("已断开: %1 · %2").arg(failure->localizedDescription().section(u'\n', 0, 0), retry);
}

QDateTime TorrentListViewModel::lastUpdated() const
{
    return m_repository->lastSynced();
}

QString TorrentListViewModel::staleText() const
{
    if (!isOffline() || !lastUpdated().isValid())
        return {};
    return tr("更新于 %1").arg(relativeDateString(lastUpdated()));
}

void TorrentListViewModel::retryNow()
{
    runDetached(refresh(Trigger::automatic));
}

TorrentListChoices TorrentListViewModel::choices() const
{
    return {m_selectedFilter, m_selectedCategory, m_selectedTag, m_sortOption, m_sortReversed};
}

void TorrentListViewModel::setKeepsShownList(bool keeps)
{
    if (keeps == m_keepsShownList)
        return;
    m_keepsShownList = keeps;
    m_pending.clear();
    m_pendingEverything = true;
    if (!keeps)
        m_filtered->setRecords({});
    updateShown();
    Q_EMIT keepsShownListChanged();
}

void TorrentListViewModel::sortAside(bool showWhenReady)
{
    m_sortedAside.reset();
    if (!m_keepsShownList || m_repository->records().size() < sortInBackgroundFrom)
        return;
    // Over the records as they are now (shared, never changed once published); the changes
    // that come meanwhile gather in m_pending. Whatever shows next is made anew.
    const quint64 serial = ++m_asideSerial;
    m_sortedAside = SortedAside{serial, choices(), std::nullopt, {}, showWhenReady};
    m_pending.clear();
    m_pendingEverything = true;
    // With the rows' keys, which the first changes placed would otherwise make on this thread.
    using Sorted = std::pair<QList<TorrentPtr>, std::vector<qint64>>;
    QFuture<Sorted> sorting = QtConcurrent::run(
        [records = m_repository->records(), choices = m_sortedAside->choices]() mutable {
            QList<TorrentPtr> rows = filterAndSort(records, choices);
            records = {};
            std::vector<qint64> keys = TorrentListModel::keysOf(rows, keyOf(choices));
            return Sorted{std::move(rows), std::move(keys)};
        });
    sorting.then(this, [this, serial](Sorted sorted) {
        if (!m_sortedAside || m_sortedAside->serial != serial)
            return;
        m_sortedAside->rows = std::move(sorted.first);
        m_sortedAside->keys = std::move(sorted.second);
        if (m_sortedAside->showWhenReady)
            showWhenQuiet();
    });
}

void TorrentListViewModel::showWhenQuiet()
{
    if (!m_sortedAside || m_sortedAside->choices != choices()) {
        updateShown();
        return;
    }
    if (!m_sortedAside->rows) {
        m_sortedAside->showWhenReady = true;
        return;
    }
    SortedAside aside = *std::exchange(m_sortedAside, std::nullopt);
    // In another order the rows take their new records where they are, as a short list's rows
    // would move: working out how 100,000 rows moved costs more, and a reset makes every shown
    // row anew.
    if (aside.choices != m_shownChoices)
        m_filtered->replaceRecords(*aside.rows, std::move(aside.keys));
    else
        m_filtered->setRecords(*aside.rows, TorrentListModel::Ids::unique, std::move(aside.keys));
    m_shownChoices = aside.choices;
    m_pendingEverything = false;
    if (!m_repository->isLoading() || !m_repository->records().isEmpty())
        endFirstLoad(); // the held torrents are shown (none while a first load runs)
    // The changes that came while it was sorted are placed as those of a tick.
    if (!m_pending.isEmpty())
        updateShown();
}

void TorrentListViewModel::followFirstLoad()
{
    if (m_repository->isLoading()) {
        if (m_firstLoad || !m_repository->records().isEmpty())
            return;
        m_firstLoad = true;
        m_loadProgressDelay.start();
        Q_EMIT loadProgressChanged();
    } else if (m_repository->records().isEmpty() || !m_keepsShownList) {
        endFirstLoad(); // failed, or nothing to show: the list tells it as it is
    }
}

void TorrentListViewModel::endFirstLoad()
{
    if (!m_firstLoad)
        return;
    m_firstLoad = false;
    m_loadProgressDelay.stop();
    m_loadProgressPace.stop();
    m_loadProgressDue = false;
    m_loadProgressText.clear();
    m_loadProgressFraction = -1;
    Q_EMIT loadProgressChanged();
}

namespace {
// "23.7 / 149 MB", "312 / 940 KB", "23.7 MB": the unit of the larger figure, one decimal
// below 100 of it, none from there on.
QString receivedText(qint64 received, qint64 total)
{
    const bool mega = std::max(received, total) >= 1024 * 1024;
    const double unit = mega ? 1024.0 * 1024.0 : 1024.0;
    const auto figure = [unit](qint64 bytes) {
        const double value = double(bytes) / unit;
        return QString::number(value, 'f', value < 100 ? 1 : 0);
    };
    return (total > 0 ? figure(received) + QStringLiteral(" / ") + figure(total) : figure(received)) +
           (mega ? QStringLiteral(" MB") : QStringLiteral(" KB"));
}
} // namespace

void TorrentListViewModel::showLoadProgress()
{
    if (!m_firstLoad || m_loadProgressDelay.isActive())
        return;
    if (m_loadProgressPace.isActive()) {
        m_loadProgressDue = true;
        return;
    }
    const LoadProgress &progress = m_repository->loadProgress();
    QString text;
    double fraction = -1;
    switch (progress.stage) {
    case LoadProgress::Stage::waiting:
        text = tr("正在等待服务器应答...");
        break;
    case LoadProgress::Stage::receiving:
        text = tr("正在接收 %1").arg(receivedText(progress.received, progress.total));
        if (progress.total > 0) {
            // In steps of a hundredth: the bar moves when the figure does.
            fraction = std::clamp(std::floor(100.0 * double(progress.received) / double(progress.total)) / 100.0,
                                  0.0, 1.0);
        }
        break;
    case LoadProgress::Stage::processing:
        text = progress.torrents < 0 ? tr("正在处理 %1 数据").arg(receivedText(progress.received, -1))
                                     : tr("正在处理 %1 个种子")
                                           .arg(QLocale(QLocale::Chinese, QLocale::China)
                                                    .toString(qint64(progress.torrents)));
        break;
    }
    if (text == m_loadProgressText && fraction == m_loadProgressFraction)
        return;
    m_loadProgressText = std::move(text);
    m_loadProgressFraction = fraction;
    m_loadProgressPace.start();
    Q_EMIT loadProgressChanged();
}

void TorrentListViewModel::updateShown()
{
    m_sortedAside.reset();
    if (!m_keepsShownList) {
        if (!m_repository->isLoading() || !m_repository->records().isEmpty())
            endFirstLoad();
        return;
    }
    const TorrentListChoices now = choices();
    // A few changed torrents of a long list are placed one by one; new choices, a short list or
    // one that changed wholesale are filtered and sorted anew, a long list on another thread
    // (sorting 100,000 names takes a fifth of a second), shown as soon as it is ready.
    if (m_pendingEverything || now != m_shownChoices || m_pending.size() * 8 >= m_filtered->count()) {
        if (m_repository->records().size() >= sortInBackgroundFrom) {
            sortAside(true);
            return;
        }
        m_filtered->setRecords(filterAndSort(m_repository->records(), now), TorrentListModel::Ids::unique);
    } else if (!m_pending.isEmpty()) {
        m_filtered->applyChanges(
            m_pending.values(), [&now](const Torrent &t) { return now.admits(t); },
            [&now](const Torrent &a, const Torrent &b) { return now.isShownBefore(a, b); },
            keyOf(now));
    }
    // Mostly the last holder of the records the changes replaced: they are freed on the
    // decoding thread, a thousand of them on a tick of a big server.
    if (m_pending.size() > 256)
        freeInBackground(std::exchange(m_pending, {}));
    m_pending.clear();
    m_pendingEverything = false;
    m_shownChoices = now;
    if (!m_repository->isLoading() || !m_repository->records().isEmpty())
        endFirstLoad(); // the held torrents are shown (none while a first load runs)
}

void TorrentListViewModel::applyFilters()
{
    updateShown();
}

void TorrentListViewModel::updateSearchResults()
{
    const quint64 generation = ++*m_searchGeneration;
    m_searchPending.clear();
    m_searching = false;
    if (m_searchText.isEmpty()) {
        m_searchedFor.clear();
        m_searchResults->setRecords({});
        return;
    }
    const QString needle = m_searchText.normalized(QString::NormalizationForm_C);
    // A longer text finds a part of what the shorter one found: typing on looks only there.
    const bool narrower = !m_searchedFor.isEmpty() && needle.contains(m_searchedFor, Qt::CaseInsensitive);
    if ((narrower ? m_searchResults->count() : m_repository->records().size()) < searchInBackgroundFrom) {
        m_searchedFor = needle;
        m_searchResults->setRecords(narrower ? search(m_searchResults->records(), needle, true)
                                             : search(m_repository->records(), needle, false),
                                    TorrentListModel::Ids::unique);
        return;
    }
    // A long list is searched on another thread, over the records as they are now; the changes
    // that come meanwhile are taken in when the results arrive. A newer search makes this one
    // stop and its results unwanted.
    m_searching = true;
    const auto stop = [generation, current = m_searchGeneration] { return *current != generation; };
    QFuture<QList<TorrentPtr>> searching = narrower
                                               ? searchAside(m_searchResults->records(), needle, true, stop)
                                               : searchAside(m_repository->records(), needle, false, stop);
    searching.then(this, [this, generation, needle](const QList<TorrentPtr> &found) {
        if (generation != *m_searchGeneration)
            return;
        m_searching = false;
        m_searchedFor = needle;
        // Results of a new text: started over, which costs less than working out how tens of
        // thousands of rows differ.
        m_searchResults->replaceRecords(found);
        if (!m_searchPending.isEmpty()) {
            takeInSearchResults(m_searchPending.values(), needle);
            m_searchPending.clear();
        }
    });
}

void TorrentListViewModel::setSearchText(const QString &text)
{
    if (text == m_searchText)
        return;
    m_searchText = text;
    Q_EMIT searchTextChanged();
    updateSearchResults();
}

// ----- choices -----

void TorrentListViewModel::setSelectedFilter(TorrentFilter filter)
{
    if (filter == m_selectedFilter)
        return;
    m_selectedFilter = filter;
    Q_EMIT selectedFilterChanged();
    m_debounce.start();
}

void TorrentListViewModel::setSelectedCategory(std::optional<QString> category)
{
    if (category == m_selectedCategory)
        return;
    m_selectedCategory = std::move(category);
    Q_EMIT selectedCategoryChanged();
    m_debounce.start();
}

void TorrentListViewModel::setSelectedTag(std::optional<QString> tag)
{
    if (tag == m_selectedTag)
        return;
    m_selectedTag = std::move(tag);
    Q_EMIT selectedTagChanged();
    applyFilters();
}

void TorrentListViewModel::setSortOption(TorrentSortOption option)
{
    if (option == m_sortOption)
        return;
    m_sortOption = option;
    m_sortReversed = false;
    Q_EMIT sortOptionChanged();
    applyFilters();
}

void TorrentListViewModel::setSortReversed(bool reversed)
{
    if (reversed == m_sortReversed)
        return;
    m_sortReversed = reversed;
    Q_EMIT sortOptionChanged();
    applyFilters();
}

QString TorrentListViewModel::selectedFilterRaw() const
{
    return TorrentFilters::rawValue(m_selectedFilter);
}

void TorrentListViewModel::setSelectedFilterRaw(const QString &raw)
{
    if (const auto filter = TorrentFilters::fromRawValue(raw))
        setSelectedFilter(*filter);
    else
        qCWarning(lcViewModels, "TorrentListViewModel: no status filter is called \"%s\"; the choice stays",
                 qUtf8Printable(raw));
}

QString TorrentListViewModel::sortOptionRaw() const
{
    return TorrentSortOptions::rawValue(m_sortOption);
}

void TorrentListViewModel::setSortOptionRaw(const QString &raw)
{
    if (const auto option = TorrentSortOptions::fromRawValue(raw))
        setSortOption(*option);
    else
        qCWarning(lcViewModels, "TorrentListViewModel: no sort order is called \"%s\"; the choice stays",
                 qUtf8Printable(raw));
}

namespace {

// null and undefined mean no restriction; any string, the empty one included, restricts.
std::optional<QString> optionalText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    return value.toString();
}

} // namespace

QVariant TorrentListViewModel::selectedCategoryVariant() const
{
    return variantOf(m_selectedCategory);
}

void TorrentListViewModel::setSelectedCategoryVariant(const QVariant &value)
{
    setSelectedCategory(optionalText(value));
}

QVariant TorrentListViewModel::selectedTagVariant() const
{
    return variantOf(m_selectedTag);
}

void TorrentListViewModel::setSelectedTagVariant(const QVariant &value)
{
    setSelectedTag(optionalText(value));
}

QStringList TorrentListViewModel::categoryNames() const
{
    return Category::names(m_categories);
}

QString TorrentListViewModel::errorMessage() const
{
    return errorTexts(m_error).message;
}

QString TorrentListViewModel::errorSuggestion() const
{
    return errorTexts(m_error).suggestion;
}

// ----- counters and totals -----

qint64 TorrentListViewModel::totalDownloadSpeed() const
{
    return m_totalDownloadSpeed;
}

qint64 TorrentListViewModel::totalUploadSpeed() const
{
    return m_totalUploadSpeed;
}

void TorrentListViewModel::count(const Torrent &t, int delta) const
{
    if (!m_counted)
        return;
    for (const TorrentFilter filter : TorrentFilters::allCases()) {
        if (TorrentFilters::matches(filter, t))
            m_statusCounts[std::size_t(filter)] += delta;
    }
    m_categoryCounts[t.category] += delta;
    // A torrent counts once under each of its tags, however often its text names one.
    QStringList tags = t.tagList();
    tags.removeDuplicates();
    for (const QString &tag : std::as_const(tags))
        m_tagCounts[tag] += delta;
}

void TorrentListViewModel::countAll() const
{
    if (m_counted)
        return;
    m_statusCounts.fill(0);
    m_categoryCounts.clear();
    m_tagCounts.clear();
    m_counted = true;
    for (const TorrentPtr &t : m_repository->records())
        count(*t, +1);
}

int TorrentListViewModel::torrentCountTotal() const
{
    return int(m_repository->records().size());
}

int TorrentListViewModel::torrentCount(TorrentFilter filter) const
{
    countAll();
    return m_statusCounts[std::size_t(filter)];
}

int TorrentListViewModel::torrentCountForCategory(const QString &name) const
{
    countAll();
    return m_categoryCounts.value(name);
}

int TorrentListViewModel::torrentCountForTag(const QString &name) const
{
    countAll();
    return m_tagCounts.value(name);
}

QList<Torrent> TorrentListViewModel::torrents() const
{
    return m_repository->torrents();
}

// ----- synchronisation and actions -----

QCoro::Task<void> TorrentListViewModel::loadTorrents(Trigger trigger)
{
    // The repository may outlive this model (another model shares it): stop once this is gone.
    QPointer<TorrentListViewModel> self(this);
    co_await m_repository->refresh();
    if (!self)
        co_return;
    // After a failed pass the categories and tags would fail alike. The screen's own load tells
    // nothing: the bar shows a failed pass, and the next full answer brings the lists.
    ErrorPtr failure = m_repository->syncError();
    if (!failure) {
        failure = co_await m_repository->fetchCategories();
        if (!self)
            co_return;
    }
    if (!failure) {
        failure = co_await m_repository->fetchTags();
        if (!self)
            co_return;
    }
    if (failure && trigger == Trigger::person)
        m_repository->setRequestError(failure);
}

QCoro::Task<void> TorrentListViewModel::refresh(Trigger trigger)
{
    QPointer<TorrentListViewModel> self(this);
    m_repository->setError(nullptr);
    // An alert that is shown stays until acknowledged, unless a person asks anew.
    if (trigger == Trigger::person)
        m_repository->setRequestError(nullptr);
    // The next pass asks for everything again.
    m_repository->setCurrentRid(std::nullopt);
    co_await m_repository->refresh();
    if (!self)
        co_return;
    if (trigger == Trigger::person && m_repository->syncError())
        m_repository->setRequestError(m_repository->syncError());
    // The next tick comes a full interval after this pass.
    m_repository->restartAutoRefreshIfWanted();
    Q_EMIT offlineChanged(); // its retry time
}

// Each action forwards to the repository, which sends it and then re-synchronises; nothing of
// this model is touched afterwards.
QCoro::Task<void> TorrentListViewModel::pauseTorrents(QList<Torrent> torrents)
{
    co_await m_repository->pause(std::move(torrents));
}

QCoro::Task<void> TorrentListViewModel::resumeTorrents(QList<Torrent> torrents)
{
    co_await m_repository->resume(std::move(torrents));
}

QCoro::Task<void> TorrentListViewModel::forceStartTorrents(QList<Torrent> torrents)
{
    co_await m_repository->forceStart(std::move(torrents));
}

QCoro::Task<void> TorrentListViewModel::deleteTorrents(QList<Torrent> torrents, bool deleteFiles)
{
    co_await m_repository->deleteTorrents(std::move(torrents), deleteFiles);
}

QCoro::Task<void> TorrentListViewModel::recheckTorrents(QList<Torrent> torrents)
{
    co_await m_repository->recheck(std::move(torrents));
}

QCoro::Task<void> TorrentListViewModel::reannounceTorrents(QList<Torrent> torrents)
{
    co_await m_repository->reannounce(std::move(torrents));
}

void TorrentListViewModel::runDetached(QCoro::Task<void> &&task)
{
    QCoro::connect(std::move(task), this, [] {});
}

void TorrentListViewModel::runDetached(QCoro::Task<bool> &&task)
{
    QCoro::connect(std::move(task), this, [](bool) {});
}

void TorrentListViewModel::startLoadTorrents()
{
    runDetached(loadTorrents());
}

void TorrentListViewModel::pause(const QString &hash)
{
    pauseAll({hash});
}

QVariant TorrentListViewModel::alternativeSpeedVariant() const
{
    return variantOf(m_repository->alternativeSpeed());
}

void TorrentListViewModel::setAlternativeSpeed(bool on)
{
    runDetached(m_repository->setAlternativeSpeed(on));
}

bool TorrentListViewModel::queueingEnabled() const
{
    const std::optional<ServerState> &state = m_repository->serverState();
    return state && state->queueing.value_or(false);
}

void TorrentListViewModel::pauseAll(const QStringList &hashes)
{
    if (!hashes.isEmpty())
        runDetached(m_repository->perform(APIEndpoint::pause(joinedIds(hashes))));
}

void TorrentListViewModel::resumeAll(const QStringList &hashes)
{
    if (!hashes.isEmpty())
        runDetached(m_repository->perform(APIEndpoint::resume(joinedIds(hashes))));
}

void TorrentListViewModel::forceStartAll(const QStringList &hashes)
{
    if (!hashes.isEmpty())
        runDetached(m_repository->perform(APIEndpoint::setForceStart(joinedIds(hashes), true)));
}

void TorrentListViewModel::removeAll(const QStringList &hashes, bool deleteFiles)
{
    if (!hashes.isEmpty())
        runDetached(m_repository->perform(APIEndpoint::deleteTorrents(joinedIds(hashes), deleteFiles)));
}

void TorrentListViewModel::recheckAll(const QStringList &hashes)
{
    if (!hashes.isEmpty())
        runDetached(m_repository->perform(APIEndpoint::recheck(joinedIds(hashes))));
}

void TorrentListViewModel::reannounceAll(const QStringList &hashes)
{
    if (!hashes.isEmpty())
        runDetached(m_repository->perform(APIEndpoint::reannounce(joinedIds(hashes))));
}

// ----- edits -----
// An edit's texts are the lines TorrentRepository::edit logs; the screens never show them.

namespace {

QString countText(const QStringList &hashes)
{
    return QStringLiteral(" (%1个种子)").arg(hashes.size()); // untranslated: log line
}

// Tags as typed: each trimmed; none when one is blank or holds the list separator.
std::optional<QStringList> cleanTags(const QStringList &tags)
{
    QStringList clean;
    for (const QString &tag : tags) {
        const QString trimmed = tag.trimmed();
        if (trimmed.isEmpty() || trimmed.contains(u','))
            return std::nullopt;
        if (!clean.contains(trimmed))
            clean.append(trimmed);
    }
    if (clean.isEmpty())
        return std::nullopt;
    return clean;
}

} // namespace

QCoro::Task<bool> TorrentListViewModel::editTorrents(APIEndpoint endpoint, QString done, QString failed)
{
    // Held here: the model may go while the request is under way.
    const std::shared_ptr<TorrentRepository> repository = m_repository;
    co_return co_await repository->edit(std::move(endpoint), std::move(done), std::move(failed));
}

void TorrentListViewModel::setCategory(const QStringList &hashes, const QString &category)
{
    if (hashes.isEmpty())
        return;
    const QString done = category.isEmpty() ? QStringLiteral("已移出分类") : QStringLiteral("已设置分类: ") + category; // untranslated: log line
    runDetached(editTorrents(APIEndpoint::setCategory(joinedIds(hashes), category), done + countText(hashes),
                             QStringLiteral("设置分类失败")));
}

bool TorrentListViewModel::createCategory(const QStringList &hashes, const QString &name)
{
    const QString category = name.trimmed();
    if (category.isEmpty())
        return false;
    // The server refuses to create one it has: then it is only chosen.
    if (std::ranges::count(m_categories, category, &Category::name) > 0) {
        setCategory(hashes, category);
        return true;
    }
    runDetached([](std::shared_ptr<TorrentRepository> repository, QStringList hashes,
                   QString category) -> QCoro::Task<void> {
        const bool created =
            co_await repository->edit(APIEndpoint::createCategory(category), QStringLiteral("已创建分类: ") + category,
                                      QStringLiteral("创建分类失败"), hashes.isEmpty());
        if (created && !hashes.isEmpty())
            co_await repository->edit(APIEndpoint::setCategory(hashes.join(u'|'), category),
                                      QStringLiteral("已设置分类: ") + category + countText(hashes),
                                      QStringLiteral("设置分类失败"));
    }(m_repository, hashes, category));
    return true;
}

bool TorrentListViewModel::addTags(const QStringList &hashes, const QStringList &tags)
{
    const std::optional<QStringList> clean = cleanTags(tags);
    if (!clean || hashes.isEmpty())
        return false;
    QStringList unknown;
    for (const QString &tag : *clean) {
        if (!m_tags.contains(tag))
            unknown.append(tag);
    }
    runDetached([](std::shared_ptr<TorrentRepository> repository, QStringList hashes, QStringList tags,
                   QStringList unknown) -> QCoro::Task<void> {
        if (!unknown.isEmpty()) {
            const QString joined = unknown.join(u',');
            const bool created = co_await repository->edit(APIEndpoint::createTags(joined),
                                                           QStringLiteral("已创建标签: ") + joined,
                                                           QStringLiteral("创建标签失败"), false);
            if (!created)
                co_return;
        }
        co_await repository->edit(APIEndpoint::addTags(hashes.join(u'|'), tags.join(u',')),
                                  QStringLiteral("已添加标签: ") + tags.join(QStringLiteral(", ")) + countText(hashes),
                                  QStringLiteral("添加标签失败"));
    }(m_repository, hashes, *clean, unknown));
    return true;
}

bool TorrentListViewModel::removeTags(const QStringList &hashes, const QStringList &tags)
{
    const std::optional<QStringList> clean = cleanTags(tags);
    if (!clean || hashes.isEmpty())
        return false;
    runDetached(editTorrents(APIEndpoint::removeTags(joinedIds(hashes), clean->join(u',')),
                             QStringLiteral("已移除标签: ") + clean->join(QStringLiteral(", ")) + countText(hashes),
                             QStringLiteral("移除标签失败")));
    return true;
}

bool TorrentListViewModel::setLocation(const QStringList &hashes, const QString &location)
{
    const QString path = location.trimmed();
    if (path.isEmpty() || hashes.isEmpty())
        return false;
    runDetached(editTorrents(APIEndpoint::setLocation(joinedIds(hashes), path),
                             QStringLiteral("已更改保存位置: ") + path + countText(hashes),
                             QStringLiteral("更改保存位置失败")));
    return true;
}

bool TorrentListViewModel::rename(const QString &hash, const QString &name)
{
    // Leading and trailing spaces are kept: they may be part of the name the user wants.
    if (name.trimmed().isEmpty() || hash.isEmpty())
        return false;
    runDetached(editTorrents(APIEndpoint::rename(hash, name), QStringLiteral("已重命名为: ") + name,
                             QStringLiteral("重命名失败")));
    return true;
}

bool TorrentListViewModel::setTorrentLimits(const QStringList &hashes, const QString &download,
                                            const QString &upload)
{
    // Empty: left as it is (an empty inner value); otherwise a limit, or nothing when the text
    // is not one.
    using Entry = std::optional<std::optional<qint64>>;
    const auto read = [](const QString &text) -> Entry {
        if (text.trimmed().isEmpty())
            return Entry(std::in_place, std::nullopt);
        const std::optional<qint64> bytes = limitBytes(text.trimmed());
        if (!bytes)
            return std::nullopt;
        return Entry(std::in_place, *bytes);
    };
    const auto dl = read(download);
    const auto up = read(upload);
    if (!dl || !up || hashes.isEmpty())
        return false;
    runDetached([](std::shared_ptr<TorrentRepository> repository, QStringList hashes, std::optional<qint64> dl,
                   std::optional<qint64> up) -> QCoro::Task<void> {
        const QString ids = hashes.join(u'|');
        if (dl && !co_await repository->edit(APIEndpoint::setTorrentDownloadLimit(ids, *dl),
                                             QStringLiteral("已设置种子下载限速: %1 B/s").arg(*dl) + countText(hashes),
                                             QStringLiteral("设置种子下载限速失败"), !up))
            co_return;
        if (up)
            co_await repository->edit(APIEndpoint::setTorrentUploadLimit(ids, *up),
                                      QStringLiteral("已设置种子上传限速: %1 B/s").arg(*up) + countText(hashes),
                                      QStringLiteral("设置种子上传限速失败"));
    }(m_repository, hashes, *dl, *up));
    return true;
}

void TorrentListViewModel::setForceStart(const QStringList &hashes, bool on)
{
    if (hashes.isEmpty())
        return;
    runDetached(editTorrents(APIEndpoint::setForceStart(joinedIds(hashes), on),
                             (on ? QStringLiteral("已启用强制启动") : QStringLiteral("已关闭强制启动")) + countText(hashes),
                             QStringLiteral("设置强制启动失败")));
}

void TorrentListViewModel::toggleSequentialDownload(const QStringList &hashes)
{
    if (hashes.isEmpty())
        return;
    runDetached(editTorrents(APIEndpoint::toggleSequentialDownload(joinedIds(hashes)),
                             QStringLiteral("已切换顺序下载") + countText(hashes), QStringLiteral("切换顺序下载失败")));
}

void TorrentListViewModel::toggleFirstLastPiecePriority(const QStringList &hashes)
{
    if (hashes.isEmpty())
        return;
    runDetached(editTorrents(APIEndpoint::toggleFirstLastPiecePrio(joinedIds(hashes)),
                             QStringLiteral("已切换首尾块优先") + countText(hashes),
                             QStringLiteral("切换首尾块优先失败")));
}

void TorrentListViewModel::moveInQueue(const QStringList &hashes, const QString &where)
{
    using K = APIEndpoint::Kind;
    static const QHash<QString, std::pair<K, QString>> moves = {
        {QStringLiteral("top"), {K::topPrio, QStringLiteral("已移至队列顶部")}}, // untranslated: log line
        {QStringLiteral("up"), {K::increasePrio, QStringLiteral("已在队列中上移")}}, // untranslated: log line
        {QStringLiteral("down"), {K::decreasePrio, QStringLiteral("已在队列中下移")}}, // untranslated: log line
        {QStringLiteral("bottom"), {K::bottomPrio, QStringLiteral("已移至队列底部")}}, // untranslated: log line
    };
    const auto move = moves.constFind(where);
    if (hashes.isEmpty() || move == moves.cend())
        return;
    runDetached(editTorrents(APIEndpoint::queueMove(move->first, joinedIds(hashes)), move->second + countText(hashes),
                             QStringLiteral("调整队列位置失败")));
}

QVariantMap TorrentListViewModel::editState(const QString &hash) const
{
    const TorrentPtr record = m_repository->records().value(hash);
    if (!record)
        return {};
    const Torrent &t = *record;
    return {
        {QStringLiteral("name"), t.name},
        {QStringLiteral("category"), t.category},
        {QStringLiteral("tags"), t.tagList()},
        {QStringLiteral("savePath"), t.savePath},
        {QStringLiteral("downloadLimit"), kilobytesText(t.dlLimit)},
        {QStringLiteral("uploadLimit"), kilobytesText(t.upLimit)},
        {QStringLiteral("forceStart"), t.forceStart},
        {QStringLiteral("sequentialDownload"), t.sequentialDownload},
        {QStringLiteral("firstLastPiecePriority"), t.firstLastPiecePriority},
        {QStringLiteral("queuePosition"), qMax<qint64>(t.priority, 0)},
    };
}

QStringList TorrentListViewModel::knownSavePaths() const
{
    QSet<QString> paths;
    for (const TorrentPtr &record : m_repository->records()) {
        if (!record->savePath.isEmpty())
            paths.insert(record->savePath);
    }
    for (const Category &category : m_categories) {
        if (!category.savePath.isEmpty())
            paths.insert(category.savePath);
    }
    QStringList sorted(paths.begin(), paths.end());
    sorted.sort();
    return sorted;
}

void TorrentListViewModel::resume(const QString &hash)
{
    resumeAll({hash});
}

void TorrentListViewModel::forceStart(const QString &hash)
{
    forceStartAll({hash});
}

void TorrentListViewModel::remove(const QString &hash, bool deleteFiles)
{
    removeAll({hash}, deleteFiles);
}

void TorrentListViewModel::recheck(const QString &hash)
{
    recheckAll({hash});
}

void TorrentListViewModel::reannounce(const QString &hash)
{
    reannounceAll({hash});
}

void TorrentListViewModel::setApplicationActive(bool active)
{
    m_repository->setApplicationActive(active);
}

void TorrentListViewModel::handleApplicationState(int state)
{
    switch (state) {
    case Qt::ApplicationActive:
        logLine(lcViewModels(), QStringLiteral("📱 应用回到前台"));
        m_repository->setApplicationActive(true);
        // Only a screen that shows torrents wants them now; a hidden tab stays quiet.
        if (m_repository->hasActiveConsumer())
            runDetached(refresh(Trigger::automatic));
        break;
    case Qt::ApplicationInactive:
        logLine(lcViewModels(), QStringLiteral("📱 应用非活跃状态"));
        m_repository->setApplicationActive(false);
        break;
    case Qt::ApplicationHidden:
    case Qt::ApplicationSuspended:
        logLine(lcViewModels(), QStringLiteral("📱 应用已进入后台"));
        // Normally already stopped on the way through inactive; a desktop session can hide
        // the application without passing there, and no timer may run in the background.
        m_repository->setApplicationActive(false);
        break;
    default:
        break;
    }
}
