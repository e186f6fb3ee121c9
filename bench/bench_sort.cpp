// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Filter + stable sort of 100,000 torrents for each sort option, against a baseline that only
// copies the list (the floor of any pipeline that produces a new list).

#include "SyntheticPayload.h"

#include "model/SyncRecords.h"
#include "model/Torrent.h"
#include "model/TorrentFilter.h"

#include <benchmark/benchmark.h>

namespace {

const QList<Torrent> &torrents()
{
    static const QList<Torrent> list = [] {
        const SyncData data = SyncData::fromJson(synthetic::fullMainData(100'000));
        QList<Torrent> out;
        for (const auto &[hash, record] : *data.torrents) {
            if (auto torrent = Torrent::fromTorrentData(hash, record))
                out.append(*torrent);
        }
        return out;
    }();
    return list;
}

void BM_Baseline_Copy(benchmark::State &state)
{
    torrents(); // built once, outside the timing
    for (auto _ : state) {
        QList<Torrent> copy = torrents();
        copy.detach();
        benchmark::DoNotOptimize(copy.data());
    }
}

void BM_FilterAndSort(benchmark::State &state)
{
    const auto option = TorrentSortOption(state.range(0));
    const auto filter = TorrentFilter(state.range(1));
    torrents();
    for (auto _ : state) {
        QList<Torrent> shown = filterAndSort(torrents(), filter, std::nullopt, std::nullopt, option);
        benchmark::DoNotOptimize(shown.data());
    }
    state.SetLabel(
        (TorrentSortOptions::rawValue(option) + QLatin1Char('/') + TorrentFilters::rawValue(filter))
            .toStdString());
}

void options(benchmark::internal::Benchmark *bench)
{
    for (TorrentSortOption option : TorrentSortOptions::allCases()) {
        bench->Args({int(option), int(TorrentFilter::all)});
        bench->Args({int(option), int(TorrentFilter::downloading)});
    }
}

} // namespace

BENCHMARK(BM_Baseline_Copy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterAndSort)->Apply(options)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
