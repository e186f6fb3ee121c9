// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Torrent record's own JSON form (field names as keys); it is never sent to a server.

#include "Torrent.h"

#include "JsonRecords.h"

namespace json {

template <> struct Codec<TorrentState>
{
    static QString name() { return QStringLiteral("TorrentState"); }
    static TorrentState decode(Element value, const Path &path)
    {
        const QString raw = toString(value, path);
        const auto state = TorrentStates::fromRawValue(raw);
        if (!state)
            throwDataCorrupted(path, QStringLiteral("无法从 String 值 %1 得到 TorrentState").arg(raw));
        return *state;
    }
    static QJsonValue encode(TorrentState state) { return TorrentStates::rawValue(state); }
};

// Whole seconds since 1970, as the server counts them.
template <> struct Codec<Timestamp>
{
    static QString name() { return QStringLiteral("Date"); }
    static Timestamp decode(Element value, const Path &path)
    {
        return Timestamp(std::chrono::seconds(toInt64(value, path)));
    }
    static QJsonValue encode(Timestamp time) { return qint64(time.time_since_epoch().count()); }
};

} // namespace json

using json::field;

const json::Fields<Torrent> &jsonFields(const Torrent *)
{
    static const json::Fields<Torrent> fields("Torrent", {
                                                             field<&Torrent::id>("id"),
                                                             field<&Torrent::name>("name"),
                                                             field<&Torrent::size>("size"),
                                                             field<&Torrent::progress>("progress"),
                                                             field<&Torrent::dlspeed>("dlspeed"),
                                                             field<&Torrent::upspeed>("upspeed"),
                                                             field<&Torrent::downloaded>("downloaded"),
                                                             field<&Torrent::uploaded>("uploaded"),
                                                             field<&Torrent::eta>("eta"),
                                                             field<&Torrent::state>("state"),
                                                             field<&Torrent::ratio>("ratio"),
                                                             field<&Torrent::category>("category"),
                                                             field<&Torrent::tags>("tags"),
                                                             field<&Torrent::addedOn>("addedOn"),
                                                             field<&Torrent::completionOn>("completionOn"),
                                                             field<&Torrent::savePath>("savePath"),
                                                             field<&Torrent::numSeeds>("numSeeds"),
                                                             field<&Torrent::numLeechs>("numLeechs"),
                                                             field<&Torrent::numComplete>("numComplete"),
                                                             field<&Torrent::numIncomplete>("numIncomplete"),
                                                             field<&Torrent::priority>("priority"),
                                                             field<&Torrent::dlLimit>("dlLimit"),
                                                             field<&Torrent::upLimit>("upLimit"),
                                                             field<&Torrent::forceStart>("forceStart"),
                                                             field<&Torrent::sequentialDownload>("sequentialDownload"),
                                                             field<&Torrent::firstLastPiecePriority>("firstLastPiecePriority"),
                                                         });
    return fields;
}

QByteArray Torrent::toJson() const
{
    return json::encodeDocument(*this);
}

Torrent Torrent::fromJson(QByteArrayView json)
{
    return json::decodeDocument<Torrent>(json);
}
