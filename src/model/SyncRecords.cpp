// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SyncRecords.h"

#include "JsonRecords.h"

using json::field;

const json::Fields<TorrentData> &jsonFields(const TorrentData *)
{
    static const json::Fields<TorrentData> fields(
        "TorrentData", {
                           field<&TorrentData::name>("name"),
                           field<&TorrentData::size>("size"),
                           field<&TorrentData::progress>("progress"),
                           field<&TorrentData::dlspeed>("dlspeed"),
                           field<&TorrentData::upspeed>("upspeed"),
                           field<&TorrentData::downloaded>("downloaded"),
                           field<&TorrentData::uploaded>("uploaded"),
                           field<&TorrentData::eta>("eta"),
                           field<&TorrentData::state, json::Shared>("state"),
                           field<&TorrentData::ratio>("ratio"),
                           field<&TorrentData::category, json::Shared>("category"),
                           field<&TorrentData::tags, json::Shared>("tags"),
                           field<&TorrentData::addedOn>("added_on"),
                           field<&TorrentData::completionOn>("completion_on"),
                           field<&TorrentData::savePath, json::Shared>("save_path"),
                           field<&TorrentData::numSeeds>("num_seeds"),
                           field<&TorrentData::numLeechs>("num_leechs"),
                           field<&TorrentData::numComplete>("num_complete"),
                           field<&TorrentData::numIncomplete>("num_incomplete"),
                           field<&TorrentData::priority>("priority"),
                           field<&TorrentData::reannounce>("reannounce"),
                           field<&TorrentData::seedingTime>("seeding_time"),
                           field<&TorrentData::timeActive>("time_active"),
                           field<&TorrentData::popularity>("popularity"),
                           field<&TorrentData::tracker, json::Shared>("tracker"),
                           field<&TorrentData::dlLimit>("dl_limit"),
                           field<&TorrentData::upLimit>("up_limit"),
                           field<&TorrentData::forceStart>("force_start"),
                           field<&TorrentData::seqDl>("seq_dl"),
                           field<&TorrentData::flPiecePrio>("f_l_piece_prio"),
                       });
    return fields;
}

const json::Fields<CategoryData> &jsonFields(const CategoryData *)
{
    static const json::Fields<CategoryData> fields("CategoryData",
                                                   {
                                                       field<&CategoryData::name>("name"),
                                                       field<&CategoryData::savePath>("savePath"),
                                                   });
    return fields;
}

const json::Fields<SyncData> &jsonFields(const SyncData *)
{
    static const json::Fields<SyncData> fields("SyncData",
                                               {
                                                   field<&SyncData::rid>("rid"),
                                                   field<&SyncData::fullUpdate>("full_update"),
                                                   field<&SyncData::torrents>("torrents"),
                                                   field<&SyncData::torrentsRemoved>("torrents_removed"),
                                                   field<&SyncData::categories>("categories"),
                                                   field<&SyncData::categoriesRemoved>("categories_removed"),
                                                   field<&SyncData::tags>("tags"),
                                                   field<&SyncData::tagsRemoved>("tags_removed"),
                                                   field<&SyncData::serverState>("server_state"),
                                               });
    return fields;
}

TorrentData TorrentData::fromJson(QByteArrayView json)
{
    return json::decodeDocument<TorrentData>(json);
}

QByteArray TorrentData::toJson() const
{
    return json::encodeDocument(*this);
}

SyncData SyncData::fromJson(QByteArrayView json)
{
    return json::decodeDocument<SyncData>(json);
}

SyncData SyncData::fromJsonInPlace(QByteArray &json)
{
    return json::decodeDocumentTaking<SyncData>(json);
}

QByteArray SyncData::toJson() const
{
    return json::encodeDocument(*this);
}
