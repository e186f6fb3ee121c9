// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SyntheticPayload.h"

#include <QByteArrayList>

#include <random>

namespace synthetic {

namespace {

const char *const kStates[] = {"downloading", "uploading", "stalledUP",  "stalledDL", "pausedDL",
                               "pausedUP",    "queuedDL",  "checkingUP", "metaDL",    "forcedUP"};
const char *const kCategories[] = {"", "linux", "movies", "music", "books", "games"};
const char *const kTags[] = {"", "iso", "a, b", "keep", "hd, remux", "new"};
const char *const kWords[] = {"ubuntu",  "debian",     "fedora", "archive", "collection", "season",
                              "episode", "remastered", "数据",   "合集",    "1080p",      "flac"};

class Builder
{
public:
    void key(const char *name)
    {
        if (!m_first)
            m_out += ',';
        m_first = false;
        m_out += '"';
        m_out += name;
        m_out += "\":";
    }
    void number(const char *name, qint64 value)
    {
        key(name);
        m_out += QByteArray::number(value);
    }
    void real(const char *name, double value)
    {
        key(name);
        m_out += QByteArray::number(value, 'g', 6);
    }
    void text(const char *name, const QByteArray &value)
    {
        key(name);
        m_out += '"';
        m_out += value;
        m_out += '"';
    }
    void boolean(const char *name, bool value)
    {
        key(name);
        m_out += value ? "true" : "false";
    }
    void open(const char *name)
    {
        key(name);
        m_out += '{';
        m_first = true;
    }
    void open(const QByteArray &name) { open(name.constData()); }
    void close()
    {
        m_out += '}';
        m_first = false;
    }
    void raw(const char *name, const char *json)
    {
        key(name);
        m_out += json;
    }
    QByteArray &out() { return m_out; }

private:
    QByteArray m_out;
    bool m_first = true;
};

void serverState(Builder &b, std::mt19937 &random)
{
    b.open("server_state");
    b.number("alltime_dl", 987654321012LL);
    b.number("alltime_ul", 123456789012LL);
    b.number("average_time_queue", 0);
    b.text("connection_status", "connected");
    b.number("dht_nodes", 300 + random() % 100);
    b.number("dl_info_data", 5000000000LL + random() % 1000000);
    b.number("dl_info_speed", random() % 50000000);
    b.number("dl_rate_limit", 0);
    b.number("free_space_on_disk", 85026189312LL);
    b.text("global_ratio", "1.23");
    b.number("queued_io_jobs", 0);
    b.boolean("queueing", true);
    b.text("read_cache_hits", "0");
    b.text("read_cache_overload", "0");
    b.number("refresh_interval", 1500);
    b.number("total_buffers_size", 0);
    b.number("total_peer_connections", random() % 500);
    b.number("total_queued_size", 0);
    b.number("total_wasted_session", 0);
    b.number("up_info_data", 900000000LL + random() % 1000000);
    b.number("up_info_speed", random() % 10000000);
    b.number("up_rate_limit", 0);
    b.boolean("use_alt_speed_limits", false);
    b.text("write_cache_overload", "0");
    b.close();
}

void torrent(Builder &b, int index, std::mt19937 &random)
{
    const QByteArray hash = torrentHash(index).toLatin1();
    const qint64 size = qint64(random() % 50000) * 1048576 + 1;
    const double progress = (random() % 3 == 0) ? 1.0 : double(random() % 1000) / 1000.0;
    const qint64 added = 1700000000 + qint64(random() % 90000000);
    QByteArray name = kWords[random() % 12];
    name += '.';
    name += kWords[random() % 12];
    name += '.';
    name += QByteArray::number(index);
    name += ".mkv";

    b.open(hash);
    b.number("added_on", added);
    b.number("amount_left", qint64(double(size) * (1 - progress)));
    b.boolean("auto_tmm", false);
    b.real("availability", progress >= 1 ? -1 : double(random() % 300) / 100.0);
    b.text("category", kCategories[random() % 6]);
    b.number("completed", qint64(double(size) * progress));
    b.number("completion_on", progress >= 1 ? added + 3600 : 0);
    b.text("content_path", "/downloads/" + name);
    b.number("dl_limit", 0);
    b.number("dlspeed", random() % 3 == 0 ? random() % 5000000 : 0);
    b.text("download_path", "");
    b.number("downloaded", qint64(double(size) * progress));
    b.number("downloaded_session", 0);
    b.number("eta", progress >= 1 ? 8640000 : random() % 100000);
    b.boolean("f_l_piece_prio", false);
    b.boolean("force_start", false);
    b.text("infohash_v1", hash);
    b.text("infohash_v2", "");
    b.number("last_activity", added + 100);
    b.text("magnet_uri", "magnet:?xt=urn:btih:" + hash + "&dn=" + name);
    b.number("max_ratio", -1);
    b.number("max_seeding_time", -1);
    b.text("name", name);
    b.number("num_complete", random() % 200);
    b.number("num_incomplete", random() % 50);
    b.number("num_leechs", random() % 10);
    b.number("num_seeds", random() % 20);
    b.number("priority", progress >= 1 ? 0 : index % 100 + 1);
    b.real("progress", progress);
    b.real("ratio", double(random() % 5000) / 1000.0);
    b.number("ratio_limit", -2);
    b.text("save_path", "/downloads");
    b.number("seeding_time", random() % 1000000);
    b.number("seeding_time_limit", -2);
    b.number("seen_complete", added + 50);
    b.boolean("seq_dl", false);
    b.number("size", size);
    b.text("state", kStates[random() % 10]);
    b.boolean("super_seeding", false);
    b.text("tags", kTags[random() % 6]);
    b.number("time_active", random() % 2000000);
    b.number("total_size", size);
    b.text("tracker", index % 4 == 0 ? "" : "udp://tracker.example.org:1337/announce");
    b.number("trackers_count", 1 + index % 3);
    b.number("up_limit", 0);
    b.number("uploaded", random() % 100000000000LL);
    b.number("uploaded_session", 0);
    b.number("upspeed", random() % 4 == 0 ? random() % 1000000 : 0);
    b.close();
}

} // namespace

QString torrentHash(int index)
{
    // A fixed mixing of the index, so hashes look random but never collide.
    quint64 x = quint64(index) * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL;
    QString hash;
    for (int i = 0; i < 3; ++i) {
        x ^= x >> 29;
        x *= 0xBF58476D1CE4E5B9ULL;
        hash += QStringLiteral("%1").arg(x, 16, 16, QLatin1Char('0'));
    }
    hash.truncate(40 - 8);
    hash += QStringLiteral("%1").arg(quint32(index), 8, 16, QLatin1Char('0'));
    return hash;
}

QByteArray fullMainData(int count, unsigned seed)
{
    std::mt19937 random(seed);
    Builder b;
    b.out().reserve(qsizetype(count) * 1600 + 4096);
    b.out() += '{';
    b.open("categories");
    for (const char *name : kCategories) {
        if (!*name)
            continue;
        b.open(name);
        b.text("name", name);
        b.text("savePath", QByteArray("/downloads/") + name);
        b.close();
    }
    b.close();
    b.boolean("full_update", true);
    b.number("rid", 1);
    serverState(b, random);
    b.raw("tags", R"(["iso","a","b","keep","hd","remux","new"])");
    b.open("torrents");
    for (int i = 0; i < count; ++i)
        torrent(b, i, random);
    b.close();
    b.raw("trackers", "{}");
    b.out() += '}';
    return b.out();
}

QByteArray incrementalMainData(int count, double fraction, unsigned seed)
{
    std::mt19937 random(seed);
    Builder b;
    b.out() += '{';
    b.number("rid", 2);
    serverState(b, random);
    b.open("torrents");
    const int changed = int(count * fraction);
    const int step = changed > 0 ? count / changed : count + 1;
    for (int i = 0; i < count && changed > 0; i += step) {
        b.open(torrentHash(i).toLatin1());
        b.number("dlspeed", random() % 5000000);
        b.number("eta", random() % 100000);
        b.real("progress", double(random() % 1000) / 1000.0);
        b.number("upspeed", random() % 1000000);
        b.close();
    }
    b.close();
    b.out() += '}';
    return b.out();
}

} // namespace synthetic
