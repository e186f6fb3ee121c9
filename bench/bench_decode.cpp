// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Decoding of sync answers, next to two baselines over the same bytes: simdjson's own parse
// (the floor for anything built on it) and QJsonDocument (what the decoding would cost on Qt's
// JSON classes). The "First" runs parse on a new thread, hence with a parser that has never
// seen a document: the cost of the first refresh after start-up. The "faults" counter gives
// page faults per iteration; on a virtual machine each one is expensive.

#include "SyntheticPayload.h"

#include "model/Allocator.h"
#include "model/SyncRecords.h"
#include "model/Torrent.h"

#include <QJsonDocument>

#include <benchmark/benchmark.h>
#include <simdjson.h>
#include <sys/resource.h>

#include <chrono>
#include <map>
#include <thread>

namespace {

const QByteArray &fullPayload(int count)
{
    static std::map<int, QByteArray> cache;
    auto found = cache.find(count);
    if (found == cache.end())
        found = cache.emplace(count, synthetic::fullMainData(count)).first;
    return found->second;
}

const QByteArray &incrementalPayload(int count)
{
    static std::map<int, QByteArray> cache;
    auto found = cache.find(count);
    if (found == cache.end())
        found = cache.emplace(count, synthetic::incrementalMainData(count, 0.1)).first;
    return found->second;
}

long minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

void setCounters(benchmark::State &state, const QByteArray &bytes, double faults)
{
    state.SetBytesProcessed(qint64(state.iterations()) * bytes.size());
    state.counters["torrents"] = double(state.range(0));
    state.counters["MB"] = double(bytes.size()) / 1e6;
    state.counters["faults"] = benchmark::Counter(faults, benchmark::Counter::kAvgIterations);
}

// Runs each iteration of `work` on the benchmark's thread; the thread's parser is warmed first.
template <typename Work> void warm(benchmark::State &state, const QByteArray &bytes, Work work)
{
    work();
    const long before = minorFaults();
    for (auto _ : state)
        work();
    setCounters(state, bytes, double(minorFaults() - before));
}

// Runs each iteration of `work` on a thread of its own and reports the wall time of `work` only.
template <typename Work> void first(benchmark::State &state, const QByteArray &bytes, Work work)
{
    double faults = 0;
    for (auto _ : state) {
        double seconds = 0;
        std::thread thread([&] {
            const long before = minorFaults();
            const auto start = std::chrono::steady_clock::now();
            work();
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            faults += double(minorFaults() - before);
        });
        thread.join();
        state.SetIterationTime(seconds);
    }
    setCounters(state, bytes, faults);
}

void decodeSyncData(const QByteArray &bytes)
{
    SyncData data = SyncData::fromJson(bytes);
    benchmark::DoNotOptimize(data);
}

void parseOnly(simdjson::dom::parser &parser, const QByteArray &bytes)
{
    simdjson::dom::element root;
    const auto error = parser.parse(bytes.constData(), size_t(bytes.size())).get(root);
    benchmark::DoNotOptimize(error);
    benchmark::DoNotOptimize(root);
}

void BM_SyncData_First(benchmark::State &state)
{
    const QByteArray &bytes = fullPayload(int(state.range(0)));
    first(state, bytes, [&] { decodeSyncData(bytes); });
}

void BM_Baseline_SimdjsonParse_First(benchmark::State &state)
{
    const QByteArray &bytes = fullPayload(int(state.range(0)));
    first(state, bytes, [&] {
        simdjson::dom::parser parser;
        parseOnly(parser, bytes);
    });
}

void BM_SyncData_Warm(benchmark::State &state)
{
    const QByteArray &bytes = fullPayload(int(state.range(0)));
    warm(state, bytes, [&] { decodeSyncData(bytes); });
}

void BM_Baseline_SimdjsonParse_Warm(benchmark::State &state)
{
    const QByteArray &bytes = fullPayload(int(state.range(0)));
    simdjson::dom::parser parser;
    warm(state, bytes, [&] { parseOnly(parser, bytes); });
}

// What a full refresh costs before the merge: the decode and a Torrent for every entry.
void BM_SyncData_WithTorrents_Warm(benchmark::State &state)
{
    const QByteArray &bytes = fullPayload(int(state.range(0)));
    warm(state, bytes, [&] {
        const SyncData data = SyncData::fromJson(bytes);
        QList<Torrent> torrents;
        torrents.reserve(data.torrents->size());
        for (const auto &[hash, record] : *data.torrents) {
            if (std::optional<Torrent> torrent = Torrent::fromTorrentData(hash, record))
                torrents.append(std::move(*torrent));
        }
        benchmark::DoNotOptimize(torrents.data());
    });
}

void BM_Baseline_QJsonDocument(benchmark::State &state)
{
    const QByteArray &bytes = fullPayload(int(state.range(0)));
    warm(state, bytes, [&] {
        QJsonDocument document = QJsonDocument::fromJson(bytes);
        benchmark::DoNotOptimize(document);
    });
}

// The steady state: one answer changing a tenth of the torrents, after a full one.
void BM_SyncData_Incremental(benchmark::State &state)
{
    decodeSyncData(fullPayload(int(state.range(0))));
    const QByteArray &bytes = incrementalPayload(int(state.range(0)));
    warm(state, bytes, [&] { decodeSyncData(bytes); });
}

void BM_SyncData_Encode(benchmark::State &state)
{
    const QByteArray &bytes = fullPayload(int(state.range(0)));
    const SyncData data = SyncData::fromJson(bytes);
    warm(state, bytes, [&] {
        QByteArray encoded = data.toJson();
        benchmark::DoNotOptimize(encoded);
    });
}

void sizes(benchmark::internal::Benchmark *b)
{
    b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_Baseline_SimdjsonParse_First)->Apply(sizes)->UseManualTime()->Iterations(3);
BENCHMARK(BM_SyncData_First)->Apply(sizes)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Baseline_SimdjsonParse_Warm)->Apply(sizes);
BENCHMARK(BM_SyncData_Warm)->Apply(sizes);
BENCHMARK(BM_SyncData_WithTorrents_Warm)->Apply(sizes);
BENCHMARK(BM_Baseline_QJsonDocument)->Apply(sizes);
BENCHMARK(BM_SyncData_Incremental)->Apply(sizes);
BENCHMARK(BM_SyncData_Encode)->Apply(sizes);

// The allocator is tuned as the application tunes it at start-up.
int main(int argc, char **argv)
{
    tuneAllocatorForLargeAnswers();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
