// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "api/APIEndpoint.h"
#include "model/AppError.h"
#include "model/Torrent.h"
#include "model/TorrentFilter.h"
#include "viewmodels/TorrentListModel.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <QVariant>
#include <QVariantMap>

#include <qcoro/qcorotask.h>

#include <array>
#include <atomic>
#include <memory>
#include <optional>

class TorrentRepository;
class AppSettings;

// Behind the torrent list, its filter sheet and the search screen. Mirrors the repository of the
// connected server (shared by every such model: one sync stream per session) and turns its
// torrents into the shown list (status filter, category and tag, sort order) and the search
// results; each model keeps its own choices. While `active` (its screen is shown), the model
// asks the repository to keep the list current. A tick costs what changed: the changed records
// are placed in the shown list and the results one by one, and the counters and totals are
// kept change by change; only new choices or a new search look at every torrent.
class TorrentListViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(TorrentListModel *filteredTorrents READ filteredTorrentsModel CONSTANT)
    Q_PROPERTY(TorrentListModel *searchResults READ searchResultsModel CONSTANT)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(int torrentCount READ torrentCountTotal NOTIFY torrentsChanged)
    Q_PROPERTY(QStringList categoryNames READ categoryNames NOTIFY categoriesChanged)
    Q_PROPERTY(QStringList tags READ tags NOTIFY tagsChanged)
    // Raw values ("all", "downloading", ...; "default", "name", "added_on", ...).
    Q_PROPERTY(
        QString selectedFilter READ selectedFilterRaw WRITE setSelectedFilterRaw NOTIFY selectedFilterChanged)
    Q_PROPERTY(QString sortOption READ sortOptionRaw WRITE setSortOptionRaw NOTIFY sortOptionChanged)
    // The sort order backwards; a new sort order starts forwards.
    Q_PROPERTY(bool sortReversed READ sortReversed WRITE setSortReversed NOTIFY sortOptionChanged)
    // null/undefined = no restriction; any string (the empty one included) restricts.
    Q_PROPERTY(QVariant selectedCategory READ selectedCategoryVariant WRITE setSelectedCategoryVariant NOTIFY
                   selectedCategoryChanged)
    Q_PROPERTY(
        QVariant selectedTag READ selectedTagVariant WRITE setSelectedTagVariant NOTIFY selectedTagChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(bool hasError READ hasError NOTIFY errorChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorChanged)
    Q_PROPERTY(QString errorSuggestion READ errorSuggestion NOTIFY errorChanged) // for the "\n建议：" line
    // The last sync pass failed: the figures are those of lastUpdated (invalid before the first
    // answer) until a pass is answered again. One bar tells it, never an alert: the passes that
    // nobody asked for (the timer's, the one back in the foreground, a show's) retry by themselves.
    Q_PROPERTY(bool offline READ isOffline NOTIFY offlineChanged)
    Q_PROPERTY(QString offlineText READ offlineText NOTIFY offlineChanged) // "已断开: … · 5 秒后重试"
    Q_PROPERTY(QDateTime lastUpdated READ lastUpdated NOTIFY offlineChanged)
    Q_PROPERTY(QString staleText READ staleText NOTIFY staleTextChanged) // "更新于 3分钟前"; empty online
    // The first list on its way: a full answer while the repository holds no torrents, or the
    // held ones before this model first shows them. From half a second on, how far it has come
    // ("正在接收 23.7 / 149 MB", then "正在处理 100,000 个种子"), changed at most four times a
    // second; empty before that and once the list is shown.
    Q_PROPERTY(bool firstLoad READ isFirstLoad NOTIFY loadProgressChanged)
    Q_PROPERTY(QString loadProgressText READ loadProgressText NOTIFY loadProgressChanged)
    // The part of the announced size received, 0 to 1; -1 when no size was announced or the
    // bytes are all in.
    Q_PROPERTY(double loadProgressFraction READ loadProgressFraction NOTIFY loadProgressChanged)
    // Bytes per second; a double for QML, exact far beyond any real rate.
    Q_PROPERTY(double totalDownloadSpeed READ totalDownloadSpeedForQml NOTIFY torrentsChanged)
    Q_PROPERTY(double totalUploadSpeed READ totalUploadSpeedForQml NOTIFY torrentsChanged)
    // Whether the shown list (filteredTorrents) is kept at all; a screen that shows search
    // results only spares its cost on every tick. Switched on, the list is made anew.
    Q_PROPERTY(bool keepsShownList READ keepsShownList WRITE setKeepsShownList NOTIFY keepsShownListChanged)
    // Set by the screen while it is shown: loads on every show, polls while shown.
    Q_PROPERTY(bool active READ isActive WRITE setActive NOTIFY activeChanged)
    // Whether the alternative limits are in force; undefined when the server does not say.
    Q_PROPERTY(QVariant alternativeSpeed READ alternativeSpeedVariant NOTIFY alternativeSpeedChanged)
    // Whether the server queues torrents (queue moves are offered only then).
    Q_PROPERTY(bool queueingEnabled READ queueingEnabled NOTIFY alternativeSpeedChanged)

public:
    // The shared repository of the shared API client's session.
    explicit TorrentListViewModel(QObject *parent = nullptr);
    TorrentListViewModel(std::shared_ptr<TorrentRepository> repository, AppSettings &settings,
                         QObject *parent = nullptr);
    ~TorrentListViewModel() override;

    TorrentRepository &repository() { return *m_repository; }

    // Copies, in the repository's order (by hash) and in the shown order.
    QList<Torrent> torrents() const;
    QList<Torrent> filteredTorrents() const { return m_filtered->torrents(); }
    const QList<Category> &categoryList() const { return m_categories; }
    const QStringList &tags() const { return m_tags; }
    TorrentFilter selectedFilter() const { return m_selectedFilter; }
    void setSelectedFilter(TorrentFilter filter);
    const std::optional<QString> &selectedCategory() const { return m_selectedCategory; }
    void setSelectedCategory(std::optional<QString> category);
    const std::optional<QString> &selectedTag() const { return m_selectedTag; }
    void setSelectedTag(std::optional<QString> tag);
    TorrentSortOption sortOption() const { return m_sortOption; }
    void setSortOption(TorrentSortOption option);
    bool sortReversed() const { return m_sortReversed; }
    void setSortReversed(bool reversed);
    bool isLoading() const { return m_isLoading; }
    const ErrorPtr &error() const { return m_error; }
    // Sets the model's and the repository's error to none: the alert was acknowledged. The
    // alert shows one error at a time; a failure while it is shown replaces its text.
    Q_INVOKABLE void clearError();
    bool isOffline() const;
    QString offlineText() const;
    QDateTime lastUpdated() const;
    QString staleText() const;
    bool isFirstLoad() const { return m_firstLoad; }
    const QString &loadProgressText() const { return m_loadProgressText; }
    double loadProgressFraction() const { return m_loadProgressFraction; }
    static constexpr int loadProgressDelayMs = 500;
    static constexpr int loadProgressPaceMs = 250;
    // The bar's "重试": one pass now; a failure shows in the bar again.
    Q_INVOKABLE void retryNow();

    qint64 totalDownloadSpeed() const;
    qint64 totalUploadSpeed() const;
    int torrentCount(TorrentFilter filter) const;
    int torrentCountForCategory(const QString &name) const;
    int torrentCountForTag(const QString &name) const;

    // Synchronous recomputation of the shown list.
    Q_INVOKABLE void applyFilters();

    // Who wants the list now: what a person asked for (pull to refresh) reports a failed pass
    // in the alert, what the screen does by itself in the bar alone.
    enum class Trigger { person, automatic };
    QCoro::Task<void> loadTorrents(Trigger trigger = Trigger::person);
    QCoro::Task<void> refresh(Trigger trigger = Trigger::person);
    QCoro::Task<void> pauseTorrents(QList<Torrent> torrents);
    QCoro::Task<void> resumeTorrents(QList<Torrent> torrents);
    QCoro::Task<void> forceStartTorrents(QList<Torrent> torrents);
    QCoro::Task<void> deleteTorrents(QList<Torrent> torrents, bool deleteFiles);
    QCoro::Task<void> recheckTorrents(QList<Torrent> torrents);
    QCoro::Task<void> reannounceTorrents(QList<Torrent> torrents);

    // Fire-and-forget entry points for the screens (a torrent is named by its hash).
    Q_INVOKABLE void startLoadTorrents();
    Q_INVOKABLE void pause(const QString &hash);
    Q_INVOKABLE void resume(const QString &hash);
    Q_INVOKABLE void forceStart(const QString &hash);
    Q_INVOKABLE void remove(const QString &hash, bool deleteFiles);
    Q_INVOKABLE void recheck(const QString &hash);
    Q_INVOKABLE void reannounce(const QString &hash);
    Q_INVOKABLE void setAlternativeSpeed(bool on);

    // The same on many torrents at once: one request with their hashes joined by "|".
    Q_INVOKABLE void pauseAll(const QStringList &hashes);
    Q_INVOKABLE void resumeAll(const QStringList &hashes);
    Q_INVOKABLE void forceStartAll(const QStringList &hashes);
    Q_INVOKABLE void removeAll(const QStringList &hashes, bool deleteFiles);
    Q_INVOKABLE void recheckAll(const QStringList &hashes);
    Q_INVOKABLE void reannounceAll(const QStringList &hashes);

    // Edits of torrents: each is posted, logged, then one sync runs; a refusal becomes the
    // model's error. The ones that take text return false, sending nothing, when it is not
    // acceptable (a blank name or location, a limit that is not a whole KB/s figure).
    // An empty category takes the torrents out of theirs.
    QCoro::Task<bool> editTorrents(APIEndpoint endpoint, QString done, QString failed);
    Q_INVOKABLE void setCategory(const QStringList &hashes, const QString &category);
    // Creates the category on the server, then puts the torrents in it.
    Q_INVOKABLE bool createCategory(const QStringList &hashes, const QString &name);
    // Tags the server does not know yet are created first.
    Q_INVOKABLE bool addTags(const QStringList &hashes, const QStringList &tags);
    Q_INVOKABLE bool removeTags(const QStringList &hashes, const QStringList &tags);
    Q_INVOKABLE bool setLocation(const QStringList &hashes, const QString &location);
    Q_INVOKABLE bool rename(const QString &hash, const QString &name);
    // KB/s texts, "0" = none; an empty text leaves that limit as it is. Both are checked
    // before either is sent.
    Q_INVOKABLE bool setTorrentLimits(const QStringList &hashes, const QString &download, const QString &upload);
    Q_INVOKABLE void setForceStart(const QStringList &hashes, bool on);
    Q_INVOKABLE void toggleSequentialDownload(const QStringList &hashes);
    Q_INVOKABLE void toggleFirstLastPiecePriority(const QStringList &hashes);
    // "top", "up", "down" or "bottom".
    Q_INVOKABLE void moveInQueue(const QStringList &hashes, const QString &where);
    // What the edit screens start from, as the list holds it now: name, category, tags (a
    // list), savePath, the limits as KB/s texts, forceStart, sequentialDownload,
    // firstLastPiecePriority and queuePosition (0 when not queued). Empty for a torrent the
    // list does not hold.
    Q_INVOKABLE QVariantMap editState(const QString &hash) const;
    // The save paths a location field suggests: those of the torrents and of the categories,
    // sorted, each once.
    Q_INVOKABLE QStringList knownSavePaths() const;
    bool queueingEnabled() const;

    bool isActive() const { return m_active; }
    bool keepsShownList() const { return m_keepsShownList; }
    void setKeepsShownList(bool keeps);
    void setActive(bool active);
    // Qt::ApplicationState as int; logs the scene-phase lines. The repository stops polling
    // while the application is not active; back to active, a shown screen gets a full refresh.
    Q_INVOKABLE void handleApplicationState(int state);
    // The state the screen starts in, told without a log line or a refresh.
    Q_INVOKABLE void setApplicationActive(bool active);

    QString searchText() const { return m_searchText; }
    void setSearchText(const QString &text);
    TorrentListModel *filteredTorrentsModel() const { return m_filtered; }
    TorrentListModel *searchResultsModel() const { return m_searchResults; }
    // From this many candidates on, a search runs on another thread and its results come later.
    static constexpr qsizetype searchInBackgroundFrom = 5000;
    // From this many torrents on, a list that changed wholesale is filtered and sorted on another
    // thread while the quiet period runs, and one for new choices is shown once sorted there.
    static constexpr qsizetype sortInBackgroundFrom = 5000;

Q_SIGNALS:
    void torrentsChanged();
    void categoriesChanged();
    void tagsChanged();
    void selectedFilterChanged();
    void selectedCategoryChanged();
    void selectedTagChanged();
    void sortOptionChanged();
    void isLoadingChanged();
    void errorChanged();
    void searchTextChanged();
    void activeChanged();
    void keepsShownListChanged();
    void alternativeSpeedChanged();
    void offlineChanged();
    void staleTextChanged();
    void loadProgressChanged();

private:
    int torrentCountTotal() const;
    QVariant alternativeSpeedVariant() const;
    QString joinedIds(const QStringList &hashes) const { return hashes.join(u'|'); }
    QStringList categoryNames() const;
    double totalDownloadSpeedForQml() const { return double(m_totalDownloadSpeed); }
    double totalUploadSpeedForQml() const { return double(m_totalUploadSpeed); }
    QString selectedFilterRaw() const;
    void setSelectedFilterRaw(const QString &raw);
    QString sortOptionRaw() const;
    void setSortOptionRaw(const QString &raw);
    QVariant selectedCategoryVariant() const;
    void setSelectedCategoryVariant(const QVariant &value);
    QVariant selectedTagVariant() const;
    void setSelectedTagVariant(const QVariant &value);
    bool hasError() const { return m_error != nullptr; }
    QString errorMessage() const;
    QString errorSuggestion() const;

    // The shown list from the current torrents and choices (the end of both the debounced and
    // the immediate path).
    void updateShown();
    // The end of the quiet period: the list sorted aside, when it is of these torrents and
    // choices, or else updateShown().
    void showWhenQuiet();
    // Filters and sorts the records on another thread for the current choices; with
    // `showWhenReady`, the result shows as soon as it comes, else at the end of the quiet period.
    void sortAside(bool showWhenReady);
    void updateSearchResults();
    // Takes in one publication of the repository: totals, counts and search results at once,
    // the shown list at the end of the quiet period.
    void takeIn(const TorrentChanges &changes);
    // Changes into the search results of the (normalised) needle, kept in the order of hashes.
    void takeInSearchResults(const QList<TorrentChange> &changes, const QString &needle);
    TorrentListChoices choices() const;
    void countAll() const;
    void count(const Torrent &torrent, int delta) const;
    void mirrorError();
    // The first load begins with a full pass while no torrent is held, and ends when the pass
    // fails or brought none, or else when the shown list first takes the torrents in.
    void followFirstLoad();
    void endFirstLoad();
    // The progress texts from the repository's, at most once per loadProgressPaceMs.
    void showLoadProgress();
    void setOwnError(ErrorPtr error);
    // Starts a task that the screen does not wait for; it must not touch this model once the
    // model is gone (each task guards itself after every suspension).
    void runDetached(QCoro::Task<void> &&task);
    void runDetached(QCoro::Task<bool> &&task);

    std::shared_ptr<TorrentRepository> m_repository;
    bool m_active = false;
    bool m_keepsShownList = true;
    AppSettings &m_settings;
    QList<Category> m_categories;
    QStringList m_tags;
    TorrentFilter m_selectedFilter = TorrentFilter::all;
    std::optional<QString> m_selectedCategory;
    std::optional<QString> m_selectedTag;
    TorrentSortOption m_sortOption = TorrentSortOption::defaultOrder;
    bool m_sortReversed = false;
    bool m_isLoading = false;
    ErrorPtr m_error;
    QString m_searchText;
    qint64 m_totalDownloadSpeed = 0;
    qint64 m_totalUploadSpeed = 0;
    QTimer m_debounce; // 300 ms after the last change of torrents, filter or category
    QTimer m_staleTicker; // while offline: the relative time of staleText moves on
    bool m_firstLoad = false;
    QString m_loadProgressText;
    double m_loadProgressFraction = -1;
    QTimer m_loadProgressDelay; // the first half second of a first load: no figures
    QTimer m_loadProgressPace;  // since the texts last changed
    bool m_loadProgressDue = false; // the repository's progress moved while paced

    // What changed since the shown list was computed, per hash, and the choices it was
    // computed with; everything, until it first is.
    // The changes since some moment, one per torrent: the one publication itself while there is
    // one (shared, not copied: the common case of a tick in a quiet period), merged per hash
    // from the second on.
    class PendingChanges
    {
    public:
        void add(const QList<TorrentChange> &changes);
        QList<TorrentChange> values() const { return m_merged.isEmpty() ? m_one : m_merged.values(); }
        qsizetype size() const { return m_merged.isEmpty() ? m_one.size() : m_merged.size(); }
        bool isEmpty() const { return size() == 0; }
        void clear()
        {
            m_one.clear();
            m_merged.clear();
        }

    private:
        QList<TorrentChange> m_one;
        QHash<QString, TorrentChange> m_merged;
    };
    PendingChanges m_pending;
    bool m_pendingEverything = true;
    std::optional<TorrentListChoices> m_shownChoices;
    // The list that changed wholesale, filtered and sorted on another thread for `choices`;
    // m_pending holds the changes since. Its serial is that of the last one started, so a
    // result that comes after another start, or after the shown list was made otherwise, is
    // not used. It exists only while a shown list is kept and is to be made anew
    // (m_pendingEverything): starting one sets that, and whatever ends either drops it.
    struct SortedAside
    {
        quint64 serial = 0;
        TorrentListChoices choices;
        std::optional<QList<TorrentPtr>> rows; // until they come
        std::vector<qint64> keys;               // the rows' leading keys
        bool showWhenReady = false;
    };
    std::optional<SortedAside> m_sortedAside;
    quint64 m_asideSerial = 0;
    QString m_searchedFor; // the normalised text of the search results
    // Counts the searches; a search on another thread stops once it is not the latest.
    std::shared_ptr<std::atomic<quint64>> m_searchGeneration = std::make_shared<std::atomic<quint64>>(0);
    bool m_searching = false;
    PendingChanges m_searchPending; // changes since that search's records

    // Torrents per status filter, category and tag; counted when first asked for, then kept
    // current change by change.
    mutable bool m_counted = false;
    mutable std::array<int, 7> m_statusCounts{};
    mutable QHash<QString, int> m_categoryCounts;
    mutable QHash<QString, int> m_tagCounts;
    TorrentListModel *m_filtered;
    TorrentListModel *m_searchResults;
};
