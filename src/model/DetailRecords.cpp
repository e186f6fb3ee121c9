// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DetailRecords.h"
#include "JsonRecords.h"

#include <QCoreApplication>

using json::field;

namespace {

// Tracker fields other than "url" never fail: servers differ in what they put there (a tier
// of "" for the DHT, PeX and LSD pseudo-trackers, for instance).
struct StatusOrNotContacted : json::Strict
{
    static void read(qint64 &out, const json::Element *value, const json::Path &)
    {
        out = value ? json::integerIfAny(*value).value_or(1) : 1;
    }
};

struct IntegerOrAbsent : json::Strict
{
    static void read(std::optional<qint64> &out, const json::Element *value, const json::Path &)
    {
        out = value ? json::integerIfAny(*value) : std::nullopt;
    }
};

struct TextOrEmpty : json::Strict
{
    static void read(QString &out, const json::Element *value, const json::Path &)
    {
        out = value ? json::stringIfAny(*value).value_or(QString()) : QString();
    }
};

} // namespace

const json::Fields<TorrentFileResponse> &jsonFields(const TorrentFileResponse *)
{
    static const json::Fields<TorrentFileResponse> fields(
        "TorrentFileResponse", {
                                   field<&TorrentFileResponse::name>("name"),
                                   field<&TorrentFileResponse::size>("size"),
                                   field<&TorrentFileResponse::progress>("progress"),
                                   field<&TorrentFileResponse::priority>("priority"),
                                   field<&TorrentFileResponse::availability>("availability"),
                                   field<&TorrentFileResponse::index>("index"),
                               });
    return fields;
}

const json::Fields<TorrentFile> &jsonFields(const TorrentFile *)
{
    static const json::Fields<TorrentFile> fields("TorrentFile",
                                                  {
                                                      field<&TorrentFile::index>("index"),
                                                      field<&TorrentFile::name>("name"),
                                                      field<&TorrentFile::size>("size"),
                                                      field<&TorrentFile::progress>("progress"),
                                                      field<&TorrentFile::priority>("priority"),
                                                      field<&TorrentFile::availability>("availability"),
                                                  });
    return fields;
}

const json::Fields<TorrentTracker> &jsonFields(const TorrentTracker *)
{
    static const json::Fields<TorrentTracker> fields(
        "TorrentTracker",
        {
            field<&TorrentTracker::url>("url"),
            field<&TorrentTracker::status, StatusOrNotContacted>("status"),
            field<&TorrentTracker::tier, IntegerOrAbsent>("tier"),
            field<&TorrentTracker::numPeers, IntegerOrAbsent>("num_peers"),
            field<&TorrentTracker::numSeeds, IntegerOrAbsent>("num_seeds"),
            field<&TorrentTracker::numLeeches, IntegerOrAbsent>("num_leeches"),
            field<&TorrentTracker::numDownloaded, IntegerOrAbsent>("num_downloaded"),
            field<&TorrentTracker::msg, TextOrEmpty>("msg"),
        },
        [](TorrentTracker &tracker) { tracker.id = QUuid::createUuid(); });
    return fields;
}

const json::Fields<TorrentPeer> &jsonFields(const TorrentPeer *)
{
    static const json::Fields<TorrentPeer> fields("TorrentPeer",
                                                  {
                                                      field<&TorrentPeer::ip>("ip"),
                                                      field<&TorrentPeer::port>("port"),
                                                      field<&TorrentPeer::client>("client"),
                                                      field<&TorrentPeer::progress>("progress"),
                                                      field<&TorrentPeer::dlSpeed>("dl_speed"),
                                                      field<&TorrentPeer::upSpeed>("up_speed"),
                                                      field<&TorrentPeer::downloaded>("downloaded"),
                                                      field<&TorrentPeer::uploaded>("uploaded"),
                                                      field<&TorrentPeer::connection>("connection"),
                                                      field<&TorrentPeer::flags>("flags"),
                                                      field<&TorrentPeer::country>("country"),
                                                  });
    return fields;
}

const json::Fields<PeersResponse> &jsonFields(const PeersResponse *)
{
    static const json::Fields<PeersResponse> fields("PeersResponse", {field<&PeersResponse::peers>("peers")});
    return fields;
}

const json::Fields<CategoryResponse> &jsonFields(const CategoryResponse *)
{
    static const json::Fields<CategoryResponse> fields("CategoryResponse",
                                                       {field<&CategoryResponse::savePath>("savePath")});
    return fields;
}

QString TorrentTracker::statusText() const
{
    switch (status) {
    case 0:
        return QCoreApplication::translate("TorrentTracker", "已禁用");
    case 1:
        return QCoreApplication::translate("TorrentTracker", "未联系");
    case 2:
        return QCoreApplication::translate("TorrentTracker", "工作中");
    case 3:
        return QCoreApplication::translate("TorrentTracker", "更新中");
    case 4:
        return QCoreApplication::translate("TorrentTracker", "未工作");
    default:
        return QCoreApplication::translate("TorrentTracker", "未知");
    }
}

TorrentFile TorrentFile::fromJson(QByteArrayView json)
{
    return json::decodeDocument<TorrentFile>(json);
}

QByteArray TorrentFile::toJson() const
{
    return json::encodeDocument(*this);
}

PeersResponse PeersResponse::fromJson(QByteArrayView json)
{
    return json::decodeDocument<PeersResponse>(json);
}

QList<TorrentFile> decodeTorrentFiles(QByteArrayView json)
{
    const auto responses = json::decodeDocument<QList<TorrentFileResponse>>(json);
    QList<TorrentFile> files;
    files.reserve(responses.size());
    for (qsizetype i = 0; i < responses.size(); ++i) {
        const TorrentFileResponse &r = responses[i];
        files.append(TorrentFile{r.index.value_or(i), r.name, r.size, r.progress, r.priority, r.availability});
    }
    return files;
}

QList<TorrentTracker> decodeTorrentTrackers(QByteArrayView json)
{
    return json::decodeDocument<QList<TorrentTracker>>(json);
}

QList<TorrentPeer> decodeTorrentPeers(QByteArrayView json)
{
    const PeersResponse response = PeersResponse::fromJson(json);
    QList<TorrentPeer> peers;
    peers.reserve(response.peers.size());
    for (const auto &entry : response.peers)
        peers.append(entry.second);
    return peers;
}

QList<Category> decodeCategories(QByteArrayView json)
{
    // The map key names the category; a "name" inside the value is not read.
    const auto entries = json::decodeDocument<QList<std::pair<QString, CategoryResponse>>>(json);
    QList<Category> categories;
    categories.reserve(entries.size());
    for (const auto &[name, response] : entries)
        categories.append(Category{name, response.savePath});
    return categories;
}

QStringList decodeTags(QByteArrayView json)
{
    return json::decodeDocument<QStringList>(json);
}
