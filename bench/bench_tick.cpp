// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One refresh tick at seedbox scale: 100,000 known torrents, 1% of them changed. The tick is
// decode + merge into the repository + the shown-list pipeline + the list model's difference;
// the baseline is simdjson's bare parse of the same bytes, so the ratio says how much the
// whole tick costs on top of reading the answer at all.

#include "SyntheticPayload.h"

#include "api/QBittorrentAPIClient.h"
#include "model/Allocator.h"
#include "model/SyncRecords.h"
#include "store/AppSettings.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <memory>

namespace {

constexpr int torrentCount = 100'000;

struct Scene
{
    QTemporaryDir dir;
    AppSettings settings{dir.filePath(QStringLiteral("settings.ini"))};
    QBittorrentAPIClient client;
    TorrentListViewModel *model = nullptr;
    TorrentRepository *repository = nullptr;

    Scene()
    {
        settings.setAutoRefreshEnabled(false);
        auto owned = std::make_unique<TorrentRepository>(client, settings);
        repository = owned.get();
        model = new TorrentListViewModel(std::move(owned), settings);
        repository->apply(SyncData::fromJson(synthetic::fullMainData(torrentCount)));
        model->applyFilters();
    }
    ~Scene() { delete model; }
};

// Two alternating answers, so that every tick really changes the same 1% back and forth.
const QByteArray &tickPayload(int which)
{
    static const QByteArray payloads[2] = {synthetic::incrementalMainData(torrentCount, 0.01, 2),
                                           synthetic::incrementalMainData(torrentCount, 0.01, 3)};
    return payloads[which & 1];
}

void BM_Baseline_SimdjsonParse(benchmark::State &state)
{
    simdjson::dom::parser parser;
    int which = 0;
    for (auto _ : state) {
        const QByteArray &bytes = tickPayload(which++);
        auto document = parser.parse(bytes.constData(), size_t(bytes.size()));
        benchmark::DoNotOptimize(document);
    }
}

void BM_Tick_DecodeMergePipelineDiff(benchmark::State &state)
{
    Scene scene;
    scene.model->setSortOption(TorrentSortOption(state.range(0)));
    int which = 0;
    for (auto _ : state) {
        const QByteArray &bytes = tickPayload(which++);
        scene.repository->apply(SyncData::fromJson(bytes));
        scene.model->applyFilters();
        benchmark::DoNotOptimize(scene.model->filteredTorrents().size());
    }
    state.counters["rows"] = double(scene.model->filteredTorrents().size());
}

// The same tick without the shown list: decode and merge only, to see where the time goes.
void BM_Tick_DecodeMerge(benchmark::State &state)
{
    Scene scene;
    int which = 0;
    for (auto _ : state) {
        const QByteArray &bytes = tickPayload(which++);
        scene.repository->apply(SyncData::fromJson(bytes));
        benchmark::DoNotOptimize(scene.repository->torrents().size());
    }
}

} // namespace

BENCHMARK(BM_Baseline_SimdjsonParse)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Tick_DecodeMerge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tick_DecodeMergePipelineDiff)
    ->Arg(int(TorrentSortOption::defaultOrder))
    ->Arg(int(TorrentSortOption::name))
    ->Arg(int(TorrentSortOption::downloadSpeed))
    ->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    tuneAllocatorForLargeAnswers(); // as the application does
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
