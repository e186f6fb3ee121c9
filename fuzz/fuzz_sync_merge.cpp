// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "api/QBittorrentAPIClient.h"
#include "model/DecodingError.h"
#include "model/SyncRecords.h"
#include "store/AppSettings.h"
#include "sync/TorrentRepository.h"

#include <QCoreApplication>
#include <QSet>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

// A full answer of a real server, so that every input merges into a repository that already
// holds torrents, categories and tags.
const char kBaseline[] = R"({"rid":1,"full_update":true,
 "categories":{"linux":{"name":"linux","savePath":""},"test":{"name":"test","savePath":"/t"}},
 "tags":["iso","b","a"],
 "torrents":{
  "aaaa":{"added_on":1796561958,"category":"linux","completion_on":0,"dlspeed":0,"downloaded":0,
   "eta":8640000,"name":"ubuntu.iso","num_complete":0,"num_incomplete":0,"num_leechs":0,
   "num_seeds":0,"priority":1,"progress":0,"ratio":0,"save_path":"/downloads","size":0,
   "state":"metaDL","tags":"iso","upspeed":0,"uploaded":0},
  "bbbb":{"added_on":1796561959,"category":"","completion_on":1796561960,"dlspeed":0,
   "downloaded":100000,"eta":8640000,"name":"sample.bin","num_complete":0,"num_incomplete":0,
   "num_leechs":0,"num_seeds":0,"priority":0,"progress":1,"ratio":0,"save_path":"/downloads",
   "size":100000,"state":"stalledUP","tags":"a, b","upspeed":0,"uploaded":0}}})";

struct Environment
{
    Environment()
    {
        static int argc = 1;
        static char name[] = "fuzz_sync_merge";
        static char *argv[] = {name, nullptr};
        app = std::make_unique<QCoreApplication>(argc, argv);
        settings = std::make_unique<AppSettings>(dir.filePath(QStringLiteral("settings.ini")));
        client = std::make_unique<QBittorrentAPIClient>();
    }
    std::unique_ptr<QCoreApplication> app;
    QTemporaryDir dir;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<QBittorrentAPIClient> client;
};

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

// Merges the input, decoded as a sync answer, into a repository that holds the baseline, then
// checks what the list must always satisfy: one entry per hash, categories and tags sorted.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Environment env;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    SyncData payload;
    try {
        payload = SyncData::fromJson(bytes);
    } catch (const DecodingError &) {
        return 0;
    }

    TorrentRepository repository(*env.client, *env.settings);
    repository.apply(SyncData::fromJson(QByteArrayView(kBaseline)));
    repository.apply(payload);
    repository.apply(payload); // applying the same answer twice must be harmless

    QSet<QString> ids;
    for (const Torrent &torrent : repository.torrents()) {
        check(!ids.contains(torrent.id));
        ids.insert(torrent.id);
    }
    const auto &categories = repository.categories();
    for (qsizetype i = 1; i < categories.size(); ++i)
        check(!(categories[i].name < categories[i - 1].name));
    const auto &tags = repository.tags();
    for (qsizetype i = 1; i < tags.size(); ++i)
        check(!(tags[i] < tags[i - 1]));
    return 0;
}
