// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The application's own path at 1,000 / 10,000 / 100,000 torrents, end to end in one process:
// a local server on its own thread answers like qBittorrent 4.5.2 (gzip-compressed sync
// answers, built once per size), and the GUI thread runs the real QBittorrentAPIClient, the
// whole Main.qml (the welcome screen, then the tabs once the client is logged in), the shared
// TorrentRepository and the list and search screens' TorrentListViewModels with their
// TorrentListModels, on the offscreen platform. Only the GUI thread's work is measured.
//
// Per size, in this order:
//   first_list_ms   from the first full sync request reaching the server to the first frame
//                   swapped after the shown list holds every torrent
//   ready_ms        from the same request to the repository holding every torrent on the GUI
//                   thread (inflated, parsed, decoded and merged); the shown list follows after
//                   its quiet period of 300 ms, a filter and sort, and a frame
//   load_gap_ms     the longest stretch the GUI thread did not get back to its event loop from
//                   the new engine to the welcome screen's first frame (Main.qml loading; the
//                   first size also pays for the types, the style and the fonts)
//   connect_gap_ms  the longest stretch the GUI thread did not get back to its event loop,
//                   from the login to that frame (the gaps between the beats of a 1 ms timer)
//   idle_gap_ms     the same with the list shown and nothing polling: the floor of the above
//   tick_cpu_ms     GUI thread CPU per refresh tick (1% of the torrents changed), over a
//                   number of ticks, less the idle CPU of the same wall time; measured while
//                   the 1 ms beats are slowed to 50 ms, so that their own cost stays out
//   tick_gap_ms     the longest stretch during as many ticks again, with the 1 ms beats
//   flick_frame_ms  the longest time between two frames while the list scrolls without pause
//                   (contentY animated at 2,000 px/s, back and forth) and ticks keep coming
//   type_gap_ms     the longest stretch while a search is typed in the search screen, a
//                   keystroke every 200 ms (narrowing, starting anew, widening)
//   sort_gap_ms     the longest stretch after a new sort order is chosen in the list (by name,
//                   by size, back to the default), each followed by 400 ms
//   act_gap_ms      the longest stretch when the application becomes active again: a full
//                   answer and the shown list's quiet period after it
//   rss_MB / peak_MB VmRSS after the ticks, VmHWM at the end. VmHWM is process-wide
//                   and never goes down, so sizes run in increasing order; server_MB is what
//                   the local server holds (the compressed answers), part of both.
// After the table, per size: when the server had handed the last byte of the full answer to its
// socket, and the first list's time after that, also less the list's quiet period, each beside
// the cold parse.
// The search tab is shown once after the list is full, so that both screens' models are alive
// while ticking, as after a user's first visit there. Baselines of the same run: simdjson's bare
// parse of the same full answer (uncompressed) with a new parser (cold) and a used one (warm),
// and one pass through an idle event loop.
//
// Options (besides Google Benchmark's): --sizes=1000,10000,100000 --interval-ms=2000
// (the refresh interval set in the settings for the run) --ticks=6 (ticks per measurement)
// --flick-ticks=4 (ticks while scrolling).

#include "BenchApplication.h"
#include "SyncServer.h"
#include "SyntheticPayload.h"
#include "UiSetup.h"

#include "api/QBittorrentAPIClient.h"
#include "model/Allocator.h"
#include "model/AppError.h"
#include "model/ServerConfig.h"
#include "store/AppSettings.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/TorrentListModel.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSequentialAnimationGroup>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <benchmark/benchmark.h>
#include <qcoro/qcorotask.h>
#include <simdjson.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

Q_IMPORT_QML_PLUGIN(SeedwhirlPlugin)

namespace {

struct Options
{
    QList<int> sizes{1000, 10000, 100000};
    int intervalMs = 2000;
    int ticks = 6;
    int flickTicks = 4;
};
Options options;
SyncServer *server = nullptr;

constexpr int idleMs = 2000;
constexpr double flickPixelsPerSecond = 2000;
constexpr int stepTimeoutMs = 300'000;
// The list's quiet period: the shown list follows the repository this long after its last change.
constexpr double quietMs = 300;

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// VmRSS and VmHWM of this process, in MB.
std::pair<double, double> memoryMB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    double rss = 0, hwm = 0;
    if (!status.open(QIODevice::ReadOnly))
        return {rss, hwm};
    for (const QByteArray &line : status.readAll().split('\n')) {
        const auto kb = [&] { return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0; };
        if (line.startsWith("VmRSS:"))
            rss = kb();
        else if (line.startsWith("VmHWM:"))
            hwm = kb();
    }
    return {rss, hwm};
}

// A 1 ms timer on the GUI thread: the longest time between two of its beats is the longest
// stretch the thread spent away from its event loop. Its beats also check what a wait waits for.
class GapMonitor
{
public:
    GapMonitor()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = nowNs();
            m_maxNs = std::max(m_maxNs, now - m_lastNs);
            m_lastNs = now;
            if (m_beat)
                m_beat();
        });
        reset();
        m_timer.start();
    }
    // 1 ms beats that measure gaps, or 50 ms ones that only look at what a wait waits for.
    void setPrecise(bool precise)
    {
        m_timer.setInterval(precise ? 1 : 50);
        m_timer.setTimerType(precise ? Qt::PreciseTimer : Qt::CoarseTimer);
        reset();
    }
    void reset()
    {
        m_lastNs = nowNs();
        m_maxNs = 0;
    }
    double maxMs() const { return double(std::max(m_maxNs, nowNs() - m_lastNs)) / 1e6; }

    // Runs the event loop until condition() holds (looked at on every beat); false after the
    // bound.
    bool waitUntil(const std::function<bool()> &condition, int timeoutMs = stepTimeoutMs)
    {
        if (condition())
            return true;
        QDeadlineTimer deadline(timeoutMs);
        QEventLoop loop;
        bool met = false;
        m_beat = [&] {
            met = condition();
            if (met || deadline.hasExpired())
                loop.quit();
        };
        loop.exec();
        m_beat = nullptr;
        return met;
    }
    void runFor(int ms)
    {
        QDeadlineTimer deadline(ms);
        waitUntil([&] { return deadline.hasExpired(); }, ms + 1000);
    }

private:
    QTimer m_timer;
    qint64 m_lastNs = 0;
    qint64 m_maxNs = 0;
    std::function<void()> m_beat;
};
GapMonitor *monitor = nullptr;

// The frames of the window: how many, and the longest time between two while watching.
struct FrameWatch
{
    int frames = 0;
    bool watching = false;
    qint64 lastNs = 0;
    qint64 maxGapNs = 0;
    int watchedFrames = 0;
    // Set when the shown list is full: the next frame is the first that shows it.
    bool listFull = false;
    qint64 fullFrameNs = 0;

    void onFrame()
    {
        const qint64 now = nowNs();
        ++frames;
        if (listFull && !fullFrameNs)
            fullFrameNs = now;
        if (watching) {
            if (lastNs)
                maxGapNs = std::max(maxGapNs, now - lastNs);
            lastNs = now;
            ++watchedFrames;
        }
    }
    void watch()
    {
        watching = true;
        lastNs = 0;
        maxGapNs = 0;
        watchedFrames = 0;
    }
};

// The first object with this name under root, breadth first through child objects and items.
QObject *findNamed(QObject *root, const QString &name)
{
    std::deque<QObject *> queue{root};
    while (!queue.empty()) {
        QObject *object = queue.front();
        queue.pop_front();
        if (!object)
            continue;
        if (object != root && object->objectName() == name)
            return object;
        for (QObject *child : object->children())
            queue.push_back(child);
        if (auto *item = qobject_cast<QQuickItem *>(object)) {
            for (QQuickItem *child : item->childItems())
                queue.push_back(child);
        }
    }
    return nullptr;
}

QCoro::Task<void> logIn(ServerConfig server, QString *error, bool *done)
{
    try {
        co_await QBittorrentAPIClient::shared().login(std::move(server), QStringLiteral("adminadmin"));
    } catch (const AppError &failure) {
        *error = failure.localizedDescription();
    }
    *done = true;
}

struct Figures
{
    double firstListMs = 0, arrivedMs = -1, readyMs = -1, loginToListMs = 0, loadGapMs = 0, connectGapMs = 0, connectCpuMs = 0;
    double idleGapMs = 0, idleCpuPercent = 0;
    double tickCpuMs = 0, tickGapMs = 0, tickWallMs = 0;
    double flickFrameMs = 0, flickFps = 0, flickGapMs = 0;
    double typeGapMs = 0, sortGapMs = 0, activationGapMs = 0;
    double rssBeforeMB = 0, rssMB = 0, peakMB = 0, serverMB = 0;
    double parseColdMs = 0, parseWarmMs = 0;
    bool timerFromSettings = true;
};
std::map<int, Figures> results;
double idleIterationUs = 0;

// One size: connect, show the full list, visit the search tab, idle, tick, scroll, disconnect.
// Timing runs (for Google Benchmark's CPU time) only from the login to the full list's frame.
std::optional<QString> runAppPath(int size, Figures &f, benchmark::State &state)
{
    const std::shared_ptr<const SyncAnswers> answers = SyncAnswers::build(size);
    server->setAnswers(answers);
    f.serverMB = double(answers->bytes()) / 1048576.0;
    f.rssBeforeMB = memoryMB().first;

    AppSettings &settings = AppSettings::shared();
    settings.setAutoRefreshEnabled(true);
    settings.setRefreshInterval(options.intervalMs / 1000.0);

    monitor->reset();
    auto engine = std::make_unique<QQmlApplicationEngine>();
    prepareQmlEngine(*engine);
    engine->load(QUrl(QStringLiteral("qrc:/qt/qml/Seedwhirl/qml/Main.qml")));
    auto *window =
        engine->rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(engine->rootObjects().first());
    if (!window)
        return QStringLiteral("Main.qml did not load to a window");
    FrameWatch frames;
    QObject::connect(window, &QQuickWindow::frameSwapped, window, [&frames] { frames.onFrame(); },
                     Qt::DirectConnection);
    const auto cleanUp = [&](const ServerConfig *connected) {
        if (connected)
            QBittorrentAPIClient::shared().forgetServer(connected->id);
        monitor->runFor(200);
        engine.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        monitor->runFor(200);
        server->setAnswers(nullptr);
    };
    // The window shows at once and the screen is made between frames: the figure ends with a
    // frame that shows the welcome screen.
    int framesBeforeWelcome = -1;
    if (!monitor->waitUntil(
            [&] {
                if (framesBeforeWelcome < 0 && findNamed(window->contentItem(), QStringLiteral("welcomeView")))
                    framesBeforeWelcome = frames.frames;
                return framesBeforeWelcome >= 0 && frames.frames > framesBeforeWelcome;
            },
            30000)) {
        cleanUp(nullptr);
        return QStringLiteral("no first frame of the welcome screen");
    }
    f.loadGapMs = monitor->maxMs();
    monitor->runFor(300);

    // Connecting: the login turns the window to the tabs, whose list screen starts syncing.
    const ServerConfig config =
        ServerConfig::create(QStringLiteral("bench"), QStringLiteral("127.0.0.1"), server->port(),
                             QStringLiteral("admin"), false);
    server->resetCounters();
    QString loginError;
    bool loginDone = false;
    QObject context;
    TorrentListViewModel *listModel = nullptr;
    qint64 readyNs = 0;
    const auto checkFull = [&] {
        if (listModel && !frames.listFull && listModel->filteredTorrentsModel()->rowCount() == size)
            frames.listFull = true;
    };
    monitor->reset();
    const qint64 loginNs = nowNs();
    const double cpuAtLogin = threadCpuMs();
    state.ResumeTiming();
    QCoro::connect(logIn(config, &loginError, &loginDone), &context, [] {});
    const bool shown = monitor->waitUntil([&] {
        if (loginDone && !loginError.isEmpty())
            return true;
        if (!listModel && QBittorrentAPIClient::shared().isAuthenticated()) {
            if (QObject *view = findNamed(window->contentItem(), QStringLiteral("torrentListView"))) {
                listModel = qobject_cast<TorrentListViewModel *>(view->property("viewModel").value<QObject *>());
                if (listModel) {
                    TorrentRepository *repository = &listModel->repository();
                    QObject::connect(
                        repository, &TorrentRepository::torrentsChanged, &context,
                        [&, repository] {
                            if (!readyNs && repository->records().size() == size)
                                readyNs = nowNs();
                        },
                        Qt::DirectConnection);
                    TorrentListModel *rows = listModel->filteredTorrentsModel();
                    QObject::connect(rows, &TorrentListModel::modelReset, &context, checkFull,
                                     Qt::DirectConnection);
                    QObject::connect(rows, &TorrentListModel::layoutChanged, &context, checkFull,
                                     Qt::DirectConnection);
                    QObject::connect(rows, &TorrentListModel::rowsInserted, &context, checkFull,
                                     Qt::DirectConnection);
                    checkFull();
                }
            }
        }
        return frames.fullFrameNs != 0;
    });
    state.PauseTiming();
    f.connectCpuMs = threadCpuMs() - cpuAtLogin;
    f.connectGapMs = monitor->maxMs();
    if (!loginError.isEmpty()) {
        cleanUp(nullptr);
        return QStringLiteral("login failed: ") + loginError;
    }
    if (!shown || !listModel) {
        cleanUp(&config);
        return QStringLiteral("the list did not fill (%1 of %2 rows)")
            .arg(listModel ? listModel->filteredTorrentsModel()->rowCount() : -1)
            .arg(size);
    }
    f.firstListMs = double(frames.fullFrameNs - server->firstFullRequestNs()) / 1e6;
    if (server->firstFullSentNs())
        f.arrivedMs = double(server->firstFullSentNs() - server->firstFullRequestNs()) / 1e6;
    if (readyNs)
        f.readyMs = double(readyNs - server->firstFullRequestNs()) / 1e6;
    f.loginToListMs = double(frames.fullFrameNs - loginNs) / 1e6;
    TorrentRepository &repository = listModel->repository();
    const auto quiet = [&] { return !repository.isPassRunning() && !repository.isLoading(); };

    // The search tab once, then back: both screens' models stay alive from here on.
    QObject *tabs = findNamed(window->contentItem(), QStringLiteral("mainTabs"));
    if (!tabs) {
        cleanUp(&config);
        return QStringLiteral("no main tabs");
    }
    tabs->setProperty("selectedTab", 2);
    if (!monitor->waitUntil([&] { return findNamed(tabs, QStringLiteral("searchTorrentView")) != nullptr; }, 30000)) {
        cleanUp(&config);
        return QStringLiteral("the search screen did not show");
    }
    monitor->runFor(500);
    tabs->setProperty("selectedTab", 0);
    monitor->runFor(500);
    monitor->waitUntil(quiet);

    // Idle: the list shown, nothing polling. The gaps with the 1 ms beats, the CPU with slow
    // ones, so that the beats' own cost stays out of the CPU figures.
    settings.setAutoRefreshEnabled(false);
    monitor->waitUntil(quiet);
    monitor->runFor(500);
    monitor->reset();
    monitor->runFor(idleMs);
    f.idleGapMs = monitor->maxMs();
    monitor->setPrecise(false);
    {
        const double cpu0 = threadCpuMs();
        const qint64 wall0 = nowNs();
        monitor->runFor(idleMs);
        f.idleCpuPercent = (threadCpuMs() - cpu0) / (double(nowNs() - wall0) / 1e6) * 100.0;
    }

    settings.setAutoRefreshEnabled(true);
    if (!repository.hasRefreshTimer()) {
        // The offscreen platform may leave the application inactive, which stops the polling.
        f.timerFromSettings = false;
        listModel->setApplicationActive(true);
    }
    if (!repository.hasRefreshTimer()) {
        cleanUp(&config);
        return QStringLiteral("the repository does not poll");
    }
    // `ticks` ticks between two merges of an answer into the repository: the window starts
    // and ends at the same point of a tick's work, so it holds exactly that many ticks' worth.
    struct Window
    {
        double cpuMs = 0, wallMs = 0, gapMs = 0;
    };
    const auto measureTicks = [&](int ticks) -> std::optional<Window> {
        int merges = 0;
        double cpu0 = 0;
        qint64 wall0 = 0;
        std::optional<Window> window;
        QObject counter;
        QObject::connect(
            &repository, &TorrentRepository::torrentsChanged, &counter,
            [&] {
                ++merges;
                if (merges == 1) {
                    monitor->reset();
                    cpu0 = threadCpuMs();
                    wall0 = nowNs();
                } else if (merges == ticks + 1) {
                    window = Window{threadCpuMs() - cpu0, double(nowNs() - wall0) / 1e6, monitor->maxMs()};
                }
            },
            Qt::DirectConnection);
        monitor->waitUntil([&] { return window.has_value(); }, (ticks + 2) * options.intervalMs + stepTimeoutMs);
        return window;
    };
    const std::optional<Window> cpuWindow = measureTicks(options.ticks);
    monitor->setPrecise(true);
    const std::optional<Window> gapWindow = measureTicks(options.ticks);
    if (!cpuWindow || !gapWindow) {
        cleanUp(&config);
        return QStringLiteral("the ticks did not come");
    }
    f.tickWallMs = cpuWindow->wallMs / options.ticks;
    f.tickCpuMs = (cpuWindow->cpuMs - cpuWindow->wallMs * f.idleCpuPercent / 100.0) / options.ticks;
    f.tickGapMs = gapWindow->gapMs;
    f.rssMB = memoryMB().first;

    // Scrolling without pause while ticks keep coming.
    auto *list = qobject_cast<QQuickItem *>(findNamed(window->contentItem(), QStringLiteral("torrentList")));
    if (!list) {
        cleanUp(&config);
        return QStringLiteral("no torrent list view");
    }
    {
        const double top = list->property("contentY").toDouble();
        const double range =
            list->property("contentHeight").toDouble() - list->height() - (top - list->property("originY").toDouble());
        const double distance = std::min(range, flickPixelsPerSecond * 2.5);
        const int duration = int(distance / flickPixelsPerSecond * 1000.0);
        QSequentialAnimationGroup scroll;
        auto *down = new QPropertyAnimation(list, "contentY", &scroll);
        down->setStartValue(top);
        down->setEndValue(top + distance);
        down->setDuration(duration);
        auto *up = new QPropertyAnimation(list, "contentY", &scroll);
        up->setStartValue(top + distance);
        up->setEndValue(top);
        up->setDuration(duration);
        scroll.addAnimation(down);
        scroll.addAnimation(up);
        scroll.setLoopCount(-1);
        const int first = server->syncRequests();
        scroll.start();
        monitor->runFor(100);
        frames.watch();
        monitor->reset();
        const qint64 wall0 = nowNs();
        monitor->waitUntil([&] { return server->syncRequests() >= first + options.flickTicks + 1; });
        f.flickGapMs = monitor->maxMs();
        f.flickFrameMs = double(frames.maxGapNs) / 1e6;
        f.flickFps = frames.watchedFrames / (double(nowNs() - wall0) / 1e9);
        frames.watching = false;
        scroll.stop();
        if (distance <= 0)
            std::fprintf(stderr, "bench_app_path: the list of %d rows is too short to scroll\n", size);
    }

    // Typing in the search screen, a keystroke every 200 ms: narrowing, a new start, widening.
    tabs->setProperty("selectedTab", 2);
    QObject *searchView = nullptr;
    if (!monitor->waitUntil([&] { return (searchView = findNamed(tabs, QStringLiteral("searchTorrentView"))); }, 30000)) {
        cleanUp(&config);
        return QStringLiteral("the search screen did not show");
    }
    auto *searchModel = qobject_cast<TorrentListViewModel *>(searchView->property("viewModel").value<QObject *>());
    monitor->runFor(300);
    monitor->reset();
    for (const char *text : {"m", "mk", "mkv", "1", "12", "123", "12", "1", "deb"}) {
        searchModel->setSearchText(QString::fromLatin1(text));
        monitor->runFor(200);
    }
    f.typeGapMs = monitor->maxMs();
    searchModel->setSearchText({});
    tabs->setProperty("selectedTab", 0);

    // New sort orders in the list.
    monitor->runFor(300);
    monitor->reset();
    for (const auto sort : {TorrentSortOption::name, TorrentSortOption::size, TorrentSortOption::defaultOrder}) {
        listModel->setSortOption(sort);
        monitor->runFor(400);
    }
    f.sortGapMs = monitor->maxMs();
    monitor->runFor(300);

    // Back to the application: a full answer, then the quiet period of the shown list.
    monitor->waitUntil(quiet);
    monitor->reset();
    listModel->handleApplicationState(Qt::ApplicationInactive);
    listModel->handleApplicationState(Qt::ApplicationActive);
    monitor->runFor(50);
    monitor->waitUntil(quiet);
    monitor->runFor(500);
    f.activationGapMs = monitor->maxMs();
    f.peakMB = memoryMB().second;

    cleanUp(&config);
    return std::nullopt;
}

void BM_AppPath(benchmark::State &state)
{
    const int size = int(state.range(0));
    Figures &f = results[size];
    for (auto _ : state) {
        state.PauseTiming();
        const std::optional<QString> failure = runAppPath(size, f, state);
        state.ResumeTiming();
        if (failure) {
            state.SkipWithError(failure->toUtf8().constData());
            break;
        }
        state.SetIterationTime(f.firstListMs / 1000.0);
    }
    state.counters["first_list_ms"] = f.firstListMs;
    state.counters["ready_ms"] = f.readyMs;
    state.counters["arrived_ms"] = f.arrivedMs;
    state.counters["login_to_list_ms"] = f.loginToListMs;
    state.counters["connect_gap_ms"] = f.connectGapMs;
    state.counters["load_gap_ms"] = f.loadGapMs;
    state.counters["connect_cpu_ms"] = f.connectCpuMs;
    state.counters["idle_gap_ms"] = f.idleGapMs;
    state.counters["tick_cpu_ms"] = f.tickCpuMs;
    state.counters["tick_gap_ms"] = f.tickGapMs;
    state.counters["flick_frame_ms"] = f.flickFrameMs;
    state.counters["flick_fps"] = f.flickFps;
    state.counters["flick_gap_ms"] = f.flickGapMs;
    state.counters["type_gap_ms"] = f.typeGapMs;
    state.counters["sort_gap_ms"] = f.sortGapMs;
    state.counters["activation_gap_ms"] = f.activationGapMs;
    state.counters["rss_MB"] = f.rssMB;
    state.counters["peak_MB"] = f.peakMB;
    state.counters["server_MB"] = f.serverMB;
}

// The uncompressed full answer of the size whose baselines run now.
const QByteArray &fullAnswer(int size)
{
    static int cachedSize = -1;
    static QByteArray bytes;
    if (cachedSize != size) {
        bytes.clear();
        bytes.squeeze();
        bytes = synthetic::fullMainData(size);
        cachedSize = size;
    }
    return bytes;
}

void BM_Baseline_SimdjsonParse_Cold(benchmark::State &state)
{
    const int size = int(state.range(0));
    const QByteArray &bytes = fullAnswer(size);
    double total = 0;
    for (auto _ : state) {
        const qint64 start = nowNs();
        simdjson::dom::parser parser;
        auto document = parser.parse(bytes.constData(), size_t(bytes.size()));
        benchmark::DoNotOptimize(document);
        const double seconds = double(nowNs() - start) / 1e9;
        state.SetIterationTime(seconds);
        total += seconds;
    }
    results[size].parseColdMs = total / double(state.iterations()) * 1e3;
}

void BM_Baseline_SimdjsonParse_Warm(benchmark::State &state)
{
    const int size = int(state.range(0));
    const QByteArray &bytes = fullAnswer(size);
    simdjson::dom::parser parser;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 2; ++i)
            benchmark::DoNotOptimize(parser.parse(bytes.constData(), size_t(bytes.size())));
        state.ResumeTiming();
        const qint64 start = nowNs();
        auto document = parser.parse(bytes.constData(), size_t(bytes.size()));
        benchmark::DoNotOptimize(document);
        const double seconds = double(nowNs() - start) / 1e9;
        state.SetIterationTime(seconds);
        results[size].parseWarmMs = seconds * 1e3;
    }
}

// One pass through the GUI thread's event loop with nothing to do.
void BM_Baseline_IdleEventLoop(benchmark::State &state)
{
    const qint64 start = nowNs();
    for (auto _ : state)
        QCoreApplication::processEvents();
    idleIterationUs = double(nowNs() - start) / 1e3 / double(state.iterations());
}

void printTable()
{
    if (results.empty())
        return;
    std::printf("\napplication path (GUI thread; refresh every %d ms, 2 x %d ticks measured, %d while scrolling)\n",
                options.intervalMs, options.ticks, options.flickTicks);
    std::printf("%9s %10s %9s %10s %9s %9s %8s %8s %8s %8s %9s %8s %8s %8s %8s %8s %8s %8s %8s %8s %8s\n", "torrents",
                "first_ms", "ready_ms", "login_ms", "load_gap", "conn_gap", "idle_gap", "tick_cpu", "tick_gap", "tick_wall", "flick_fr", "fps",
                "type_gap", "sort_gap", "act_gap", "rss_MB", "peak_MB", "srv_MB", "parse_c", "parse_w", "idle_cpu");
    for (const auto &[size, f] : results)
        std::printf("%9d %10.1f %9.1f %10.1f %9.1f %9.1f %8.2f %8.1f %8.1f %8.0f %9.1f %8.1f %8.1f %8.1f %8.1f %8.0f %8.0f %8.1f "
                    "%8.1f %8.1f %7.1f%%\n",
                    size, f.firstListMs, f.readyMs, f.loginToListMs, f.loadGapMs, f.connectGapMs, f.idleGapMs, f.tickCpuMs, f.tickGapMs,
                    f.tickWallMs, f.flickFrameMs, f.flickFps, f.typeGapMs, f.sortGapMs, f.activationGapMs, f.rssMB, f.peakMB,
                    f.serverMB, f.parseColdMs, f.parseWarmMs, f.idleCpuPercent);
    std::printf("idle event-loop pass: %.2f us\n", idleIterationUs);
    for (const auto &[size, f] : results) {
        if (f.arrivedMs < 0 || f.parseColdMs <= 0)
            continue;
        const double after = f.firstListMs - f.arrivedMs;
        std::printf("%d: answer sent after %.1f ms; first list %.1f ms after it = %.2f x parse_c, "
                    "%.1f ms = %.2f x less the list's quiet period\n",
                    size, f.arrivedMs, after, after / f.parseColdMs, after - quietMs, (after - quietMs) / f.parseColdMs);
    }
    for (const auto &[size, f] : results) {
        if (!f.timerFromSettings)
            std::printf("note: at %d the application was inactive on this platform; it was made active by hand\n",
                        size);
    }
    std::fflush(stdout);
}

// Takes this program's own options out of argv.
bool takeOptions(int &argc, char **argv)
{
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        const auto value = [&](const char *name) -> std::optional<QByteArray> {
            const QByteArray prefix = QByteArray(name) + '=';
            return arg.startsWith(prefix) ? std::optional(arg.mid(prefix.size())) : std::nullopt;
        };
        if (const auto sizes = value("--sizes")) {
            options.sizes.clear();
            for (const QByteArray &part : sizes->split(',')) {
                bool ok = false;
                const int size = part.trimmed().toInt(&ok);
                if (!ok || size < 1)
                    return false;
                options.sizes.append(size);
            }
            std::sort(options.sizes.begin(), options.sizes.end());
        } else if (const auto interval = value("--interval-ms")) {
            options.intervalMs = interval->toInt();
        } else if (const auto ticks = value("--ticks")) {
            options.ticks = ticks->toInt();
        } else if (const auto flick = value("--flick-ticks")) {
            options.flickTicks = flick->toInt();
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    return options.intervalMs >= 100 && options.ticks >= 1 && options.flickTicks >= 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (!takeOptions(argc, argv)) {
        std::fprintf(stderr, "usage: bench_app_path [--sizes=N,N...] [--interval-ms=MS>=100] [--ticks=N] "
                             "[--flick-ticks=N] [benchmark options]\n");
        return 2;
    }
    tuneAllocatorForLargeAnswers(); // as the application does
    const BenchApplication app(argc, argv);
    if (!app.failure().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(app.failure()));
        return 1;
    }

    SyncServer localServer;
    if (!localServer.port()) {
        std::fprintf(stderr, "the local server did not start\n");
        return 1;
    }
    server = &localServer;
    GapMonitor gapMonitor;
    monitor = &gapMonitor;

    benchmark::RegisterBenchmark("BM_Baseline_IdleEventLoop", BM_Baseline_IdleEventLoop)
        ->Unit(benchmark::kMicrosecond);
    // Each size's application path before its parse baselines: those allocate more than the
    // answer's size, and VmHWM only goes up.
    for (const int size : options.sizes) {
        benchmark::RegisterBenchmark("BM_AppPath", BM_AppPath)
            ->Arg(size)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_Baseline_SimdjsonParse_Cold", BM_Baseline_SimdjsonParse_Cold)
            ->Arg(size)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_Baseline_SimdjsonParse_Warm", BM_Baseline_SimdjsonParse_Warm)
            ->Arg(size)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printTable();
    server = nullptr;
    monitor = nullptr;
    return 0;
}
