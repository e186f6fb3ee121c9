// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Torrent.h"

#include "TagText.h"

namespace {

Timestamp instantOf(qint64 secondsSince1970)
{
    return Timestamp(std::chrono::seconds(secondsSince1970));
}

// The server reports "not completed" as 0 (and older servers as -1).
std::optional<Timestamp> completionInstantOf(qint64 secondsSince1970)
{
    if (secondsSince1970 < 1)
        return std::nullopt;
    return instantOf(secondsSince1970);
}

// Equal values leave the target alone: a text that did not change stays the one the record
// already shares with the lists that show it.
template <typename T> bool assignIfPresent(T &target, const std::optional<T> &value)
{
    if (!value || target == *value)
        return false;
    target = *value;
    return true;
}

template <typename T> bool assignIfDifferent(T &target, const T &value)
{
    if (target == value)
        return false;
    target = value;
    return true;
}

} // namespace

std::optional<Torrent> Torrent::fromTorrentData(const QString &hash, const TorrentData &data)
{
    const TorrentData &d = data;
    if (!d.name || !d.size || !d.progress || !d.dlspeed || !d.upspeed || !d.downloaded || !d.uploaded ||
        !d.eta || !d.state || !d.ratio || !d.category || !d.tags || !d.addedOn || !d.completionOn ||
        !d.savePath || !d.numSeeds || !d.numLeechs || !d.numComplete || !d.numIncomplete || !d.priority)
        return std::nullopt;

    Torrent t;
    t.id = hash;
    t.name = *d.name;
    t.size = *d.size;
    t.progress = *d.progress;
    t.dlspeed = *d.dlspeed;
    t.upspeed = *d.upspeed;
    t.downloaded = *d.downloaded;
    t.uploaded = *d.uploaded;
    t.eta = *d.eta;
    t.state = TorrentStates::fromRawValue(*d.state).value_or(TorrentState::unknown);
    t.ratio = *d.ratio;
    t.category = *d.category;
    t.tags = *d.tags;
    t.addedOn = instantOf(*d.addedOn);
    t.completionOn = completionInstantOf(*d.completionOn);
    t.savePath = *d.savePath;
    t.numSeeds = *d.numSeeds;
    t.numLeechs = *d.numLeechs;
    t.numComplete = *d.numComplete;
    t.numIncomplete = *d.numIncomplete;
    t.priority = *d.priority;
    t.dlLimit = d.dlLimit.value_or(0);
    t.upLimit = d.upLimit.value_or(0);
    t.forceStart = d.forceStart.value_or(false);
    t.sequentialDownload = d.seqDl.value_or(false);
    t.firstLastPiecePriority = d.flPiecePrio.value_or(false);
    return t;
}

Torrent Torrent::updatedWith(const TorrentData &data) const
{
    Torrent t = *this;
    t.update(data);
    return t;
}

bool Torrent::update(const TorrentData &data)
{
    bool changed = false;
    changed |= assignIfPresent(name, data.name);
    changed |= assignIfPresent(size, data.size);
    changed |= assignIfPresent(progress, data.progress);
    changed |= assignIfPresent(dlspeed, data.dlspeed);
    changed |= assignIfPresent(upspeed, data.upspeed);
    changed |= assignIfPresent(downloaded, data.downloaded);
    changed |= assignIfPresent(uploaded, data.uploaded);
    changed |= assignIfPresent(eta, data.eta);
    changed |= assignIfPresent(ratio, data.ratio);
    changed |= assignIfPresent(category, data.category);
    changed |= assignIfPresent(tags, data.tags);
    changed |= assignIfPresent(savePath, data.savePath);
    changed |= assignIfPresent(numSeeds, data.numSeeds);
    changed |= assignIfPresent(numLeechs, data.numLeechs);
    changed |= assignIfPresent(numComplete, data.numComplete);
    changed |= assignIfPresent(numIncomplete, data.numIncomplete);
    changed |= assignIfPresent(priority, data.priority);
    changed |= assignIfPresent(dlLimit, data.dlLimit);
    changed |= assignIfPresent(upLimit, data.upLimit);
    changed |= assignIfPresent(forceStart, data.forceStart);
    changed |= assignIfPresent(sequentialDownload, data.seqDl);
    changed |= assignIfPresent(firstLastPiecePriority, data.flPiecePrio);

    // A state this client does not know yet (a newer server) must not wipe the one it knows.
    if (data.state) {
        if (const auto known = TorrentStates::fromRawValue(*data.state))
            changed |= assignIfDifferent(state, *known);
    }
    if (data.addedOn)
        changed |= assignIfDifferent(addedOn, instantOf(*data.addedOn));
    if (data.completionOn)
        changed |= assignIfDifferent(completionOn, completionInstantOf(*data.completionOn));
    return changed;
}

void Torrent::shareTextsWith(const Torrent &other)
{
    for (auto text : {&Torrent::id, &Torrent::name, &Torrent::category, &Torrent::tags, &Torrent::savePath}) {
        if (this->*text == other.*text)
            this->*text = other.*text;
    }
}

bool Torrent::isPaused() const
{
    switch (state) {
    case TorrentState::pausedDL:
    case TorrentState::pausedUP:
    case TorrentState::stoppedDL:
    case TorrentState::stoppedUP:
        return true;
    default:
        return false;
    }
}

QString Torrent::formattedETA() const
{
    // 8640000 s (100 days) is the server's "no estimate".
    if (eta < 0 || eta == 8640000)
        return QStringLiteral("∞");
    if (eta >= 3600)
        return QStringLiteral("%1h %2m").arg(eta / 3600).arg((eta % 3600) / 60);
    if (eta >= 60)
        return QStringLiteral("%1m %2s").arg(eta / 60).arg(eta % 60);
    return QStringLiteral("%1s").arg(eta);
}

QStringList Torrent::tagList() const
{
    QStringList list;
    tagtext::forEachTag(tags, [&list](QStringView tag) {
        list.append(tag.toString());
        return false;
    });
    return list;
}
