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

template <typename T> void assignIfPresent(T &target, const std::optional<T> &value)
{
    if (value)
        target = *value;
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
    return t;
}

Torrent Torrent::updatedWith(const TorrentData &data) const
{
    Torrent t = *this;
    assignIfPresent(t.name, data.name);
    assignIfPresent(t.size, data.size);
    assignIfPresent(t.progress, data.progress);
    assignIfPresent(t.dlspeed, data.dlspeed);
    assignIfPresent(t.upspeed, data.upspeed);
    assignIfPresent(t.downloaded, data.downloaded);
    assignIfPresent(t.uploaded, data.uploaded);
    assignIfPresent(t.eta, data.eta);
    assignIfPresent(t.ratio, data.ratio);
    assignIfPresent(t.category, data.category);
    assignIfPresent(t.tags, data.tags);
    assignIfPresent(t.savePath, data.savePath);
    assignIfPresent(t.numSeeds, data.numSeeds);
    assignIfPresent(t.numLeechs, data.numLeechs);
    assignIfPresent(t.numComplete, data.numComplete);
    assignIfPresent(t.numIncomplete, data.numIncomplete);
    assignIfPresent(t.priority, data.priority);

    // A state this client does not know yet (a newer server) must not wipe the one it knows.
    if (data.state) {
        if (const auto state = TorrentStates::fromRawValue(*data.state))
            t.state = *state;
    }
    if (data.addedOn)
        t.addedOn = instantOf(*data.addedOn);
    if (data.completionOn)
        t.completionOn = completionInstantOf(*data.completionOn);
    return t;
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
