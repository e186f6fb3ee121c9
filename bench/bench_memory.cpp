// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Memory held for 100,000 torrents by the repository and the list model together, as the
// growth of the resident set (and of the heap in use) from before the first sync to after the
// shown list is built, with the answer's bytes already released. The baseline is the same
// torrents held once in a plain list: the floor for any design that keeps them at all. The
// decoded answer (the map of partial records) is measured on its own, with its bytes alive.

#include "SyntheticPayload.h"

#include "api/QBittorrentAPIClient.h"
#include "model/Allocator.h"
#include "model/SyncRecords.h"
#include "store/AppSettings.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>

namespace {

constexpr int torrentCount = 100'000;

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void report(benchmark::State &state, size_t before, size_t after)
{
    state.counters["bytes_per_torrent"] = double(after - before) / torrentCount;
    state.counters["MB"] = double(after - before) / 1e6;
}

void BM_Baseline_PlainList(benchmark::State &state)
{
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = heapInUse();
        QList<Torrent> list;
        {
            const SyncData data = SyncData::fromJson(synthetic::fullMainData(torrentCount));
            list.reserve(torrentCount);
            for (const auto &[hash, record] : *data.torrents)
                list.append(*Torrent::fromTorrentData(hash, record));
        }
        malloc_trim(0);
        report(state, before, heapInUse());
        benchmark::DoNotOptimize(list.data());
    }
}

// The decoded answer itself: the map of partial records a full sync hands to the merge.
void BM_DecodedMap(benchmark::State &state)
{
    for (auto _ : state) {
        const QByteArray bytes = synthetic::fullMainData(torrentCount);
        malloc_trim(0);
        const size_t before = heapInUse();
        const SyncData data = SyncData::fromJson(bytes);
        malloc_trim(0);
        report(state, before, heapInUse());
        benchmark::DoNotOptimize(data.torrents->data());
    }
}

void BM_RepositoryAndListModel(benchmark::State &state)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        AppSettings settings(dir.filePath(QStringLiteral("settings.ini")));
        settings.setAutoRefreshEnabled(false);
        QBittorrentAPIClient client;
        malloc_trim(0);
        const size_t before = heapInUse();
        auto owned = std::make_unique<TorrentRepository>(client, settings);
        TorrentRepository *repository = owned.get();
        auto model = std::make_unique<TorrentListViewModel>(std::move(owned), settings);
        {
            const SyncData data = SyncData::fromJson(synthetic::fullMainData(torrentCount));
            repository->apply(data);
        }
        model->applyFilters();
        QCoreApplication::processEvents();
        malloc_trim(0);
        const size_t after = heapInUse();
        report(state, before, after);
        state.counters["rows"] = double(model->filteredTorrents().size());
    }
}

} // namespace

BENCHMARK(BM_Baseline_PlainList)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodedMap)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepositoryAndListModel)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    tuneAllocatorForLargeAnswers(); // as the application does
    QCoreApplication app(argc, argv);
    // The decoder keeps its parser's buffers for the next answer; size them before measuring,
    // so that neither variant is charged for them.
    SyncData::fromJson(synthetic::fullMainData(torrentCount));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
