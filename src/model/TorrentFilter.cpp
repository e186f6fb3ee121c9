// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TorrentFilter.h"

#include "NameOrder.h"
#include "SortKeys.h"

#include <QCoreApplication>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

struct Choice
{
    QStringView raw;
    const char *displayName; // the source text, translated where it is shown
};

// Indexed by enumerator value; the order is the one every picker shows.
constexpr std::array<Choice, 7> kFilters{{
    {u"all", QT_TRANSLATE_NOOP("TorrentFilter", "全部")},
    {u"downloading", QT_TRANSLATE_NOOP("TorrentFilter", "下载中")},
    {u"seeding", QT_TRANSLATE_NOOP("TorrentFilter", "做种中")},
    {u"completed", QT_TRANSLATE_NOOP("TorrentFilter", "已完成")},
    {u"paused", QT_TRANSLATE_NOOP("TorrentFilter", "已暂停")},
    {u"active", QT_TRANSLATE_NOOP("TorrentFilter", "活动")},
    {u"inactive", QT_TRANSLATE_NOOP("TorrentFilter", "非活动")},
}};
static_assert(int(TorrentFilter::inactive) == int(kFilters.size()) - 1);

constexpr std::array<Choice, 8> kSortOptions{{
    {u"default", QT_TRANSLATE_NOOP("TorrentSortOption", "默认")},
    {u"name", QT_TRANSLATE_NOOP("TorrentSortOption", "名称")},
    {u"size", QT_TRANSLATE_NOOP("TorrentSortOption", "大小")},
    {u"progress", QT_TRANSLATE_NOOP("TorrentSortOption", "进度")},
    // The server's field names, so the stored choice reads like the server's sort keys.
    {u"added_on", QT_TRANSLATE_NOOP("TorrentSortOption", "添加时间")},
    {u"dlspeed", QT_TRANSLATE_NOOP("TorrentSortOption", "下载速度")},
    {u"upspeed", QT_TRANSLATE_NOOP("TorrentSortOption", "上传速度")},
    {u"ratio", QT_TRANSLATE_NOOP("TorrentSortOption", "分享率")},
}};
static_assert(int(TorrentSortOption::ratio) == int(kSortOptions.size()) - 1);

template <typename Enum, std::size_t N> const Choice &choice(const std::array<Choice, N> &table, Enum value)
{
    const auto index = std::size_t(value);
    return index < N ? table[index] : table.front();
}

template <typename Enum, std::size_t N>
std::optional<Enum> fromRaw(const std::array<Choice, N> &table, QStringView raw)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (table[i].raw == raw)
            return Enum(i);
    }
    return std::nullopt;
}

template <typename Enum, std::size_t N> QList<Enum> casesOf(const std::array<Choice, N> &)
{
    QList<Enum> list;
    for (std::size_t i = 0; i < N; ++i)
        list.append(Enum(i));
    return list;
}

QString toQString(QStringView view)
{
    return QString::fromRawData(view.data(), view.size());
}

bool isActive(TorrentState state)
{
    switch (state) {
    case TorrentState::downloading:
    case TorrentState::uploading:
    case TorrentState::forcedDL:
    case TorrentState::forcedUP:
    case TorrentState::metaDL:
    case TorrentState::forcedMetaDL:
        return true;
    default:
        return false;
    }
}

} // namespace

namespace TorrentFilters {

const QList<TorrentFilter> &allCases()
{
    static const QList<TorrentFilter> cases = casesOf<TorrentFilter>(kFilters);
    return cases;
}

std::optional<TorrentFilter> fromRawValue(QStringView raw)
{
    return fromRaw<TorrentFilter>(kFilters, raw);
}

QString rawValue(TorrentFilter filter)
{
    return toQString(choice(kFilters, filter).raw);
}

QString displayName(TorrentFilter filter)
{
    return QCoreApplication::translate("TorrentFilter", choice(kFilters, filter).displayName);
}

bool matches(TorrentFilter filter, const Torrent &torrent)
{
    // Only the state (and the progress for `completed`) counts; the rates never do, so a
    // stalled download is not "downloading" however fast it was a moment ago.
    switch (filter) {
    case TorrentFilter::all:
        return true;
    case TorrentFilter::downloading:
        return torrent.state == TorrentState::downloading || torrent.state == TorrentState::metaDL;
    case TorrentFilter::seeding:
        return torrent.state == TorrentState::uploading;
    case TorrentFilter::completed:
        return torrent.progress >= 1.0;
    case TorrentFilter::paused:
        return torrent.isPaused();
    case TorrentFilter::active:
        return isActive(torrent.state);
    case TorrentFilter::inactive:
        return !isActive(torrent.state);
    }
    return false;
}

} // namespace TorrentFilters

namespace TorrentSortOptions {

const QList<TorrentSortOption> &allCases()
{
    static const QList<TorrentSortOption> cases = casesOf<TorrentSortOption>(kSortOptions);
    return cases;
}

std::optional<TorrentSortOption> fromRawValue(QStringView raw)
{
    return fromRaw<TorrentSortOption>(kSortOptions, raw);
}

QString rawValue(TorrentSortOption option)
{
    return toQString(choice(kSortOptions, option).raw);
}

QString displayName(TorrentSortOption option)
{
    return QCoreApplication::translate("TorrentSortOption", choice(kSortOptions, option).displayName);
}

bool areInIncreasingOrder(TorrentSortOption option, const Torrent &a, const Torrent &b)
{
    switch (option) {
    case TorrentSortOption::defaultOrder:
    case TorrentSortOption::addedDate:
        return a.addedOn > b.addedOn;
    case TorrentSortOption::name:
        return nameorder::nameLess(a.name, b.name);
    case TorrentSortOption::size:
        return a.size > b.size;
    case TorrentSortOption::progress:
        return sortkeys::higherFirst(a.progress, b.progress);
    case TorrentSortOption::downloadSpeed:
        return a.dlspeed > b.dlspeed;
    case TorrentSortOption::uploadSpeed:
        return a.upspeed > b.upspeed;
    case TorrentSortOption::ratio:
        return sortkeys::higherFirst(a.ratio, b.ratio);
    }
    return false;
}

namespace {

// Higher first, NaN last, like sortkeys::higherFirst; both zeros alike.
qint64 higherFirstKey(double value)
{
    if (std::isnan(value))
        return std::numeric_limits<qint64>::max();
    if (value == 0)
        value = 0; // -0.0 as +0.0
    qint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    if (bits < 0) // negative numbers: larger magnitude, smaller number
        bits ^= std::numeric_limits<qint64>::max();
    return ~bits;
}

} // namespace

qint64 leadingKey(TorrentSortOption option, const Torrent &t)
{
    switch (option) {
    case TorrentSortOption::defaultOrder:
    case TorrentSortOption::addedDate:
        return ~qint64(t.addedOn.time_since_epoch().count());
    case TorrentSortOption::name: {
        const nameorder::Prefix prefix = nameorder::prefixOf(nameorder::normalizedKey(t.name));
        return qint64(prefix.high ^ (quint64(1) << 63));
    }
    case TorrentSortOption::size:
        return ~t.size;
    case TorrentSortOption::progress:
        return higherFirstKey(t.progress);
    case TorrentSortOption::downloadSpeed:
        return ~t.dlspeed;
    case TorrentSortOption::uploadSpeed:
        return ~t.upspeed;
    case TorrentSortOption::ratio:
        return higherFirstKey(t.ratio);
    }
    return 0;
}

bool isShownBefore(TorrentSortOption option, const Torrent &a, const Torrent &b)
{
    if (areInIncreasingOrder(option, a, b))
        return true;
    if (areInIncreasingOrder(option, b, a))
        return false;
    return a.id < b.id;
}

} // namespace TorrentSortOptions
