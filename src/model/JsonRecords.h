// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The field table of every record with a JSON form. Each is defined beside the record's
// fromJson/toJson; declaring them together lets one record nest another.

#include "DetailRecords.h"
#include "JsonCodec.h"
#include "ServerConfig.h"
#include "SyncRecords.h"
#include "Torrent.h"
#include "TransferRecords.h"

const json::Fields<ServerConfig> &jsonFields(const ServerConfig *);

const json::Fields<TransferInfo> &jsonFields(const TransferInfo *);
const json::Fields<ServerState> &jsonFields(const ServerState *);
const json::Fields<MainDataResponse> &jsonFields(const MainDataResponse *);
const json::Fields<Category> &jsonFields(const Category *);

const json::Fields<TorrentData> &jsonFields(const TorrentData *);
const json::Fields<CategoryData> &jsonFields(const CategoryData *);
const json::Fields<SyncData> &jsonFields(const SyncData *);

const json::Fields<TorrentFileResponse> &jsonFields(const TorrentFileResponse *);
const json::Fields<TorrentFile> &jsonFields(const TorrentFile *);
const json::Fields<TorrentTracker> &jsonFields(const TorrentTracker *);
const json::Fields<TorrentPeer> &jsonFields(const TorrentPeer *);
const json::Fields<PeersResponse> &jsonFields(const PeersResponse *);
const json::Fields<CategoryResponse> &jsonFields(const CategoryResponse *);

const json::Fields<Torrent> &jsonFields(const Torrent *);
