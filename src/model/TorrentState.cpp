#include "TorrentState.h"

#include <array>

namespace {

struct StateInfo
{
    QStringView raw;
    QStringView displayName;
    QStringView iconName;
};

// Indexed by the enumerator's value, so the table and the enumeration must list the states in
// the same order.
constexpr std::array<StateInfo, 22> kStates{{
    {u"downloading", u"下载中", u"arrow.down.circle.fill"},
    {u"uploading", u"做种中", u"arrow.up.circle.fill"},
    {u"pausedDL", u"已暂停", u"pause.circle.fill"},
    {u"pausedUP", u"已暂停", u"pause.circle.fill"},
    {u"stoppedDL", u"已暂停", u"pause.circle.fill"},
    {u"stoppedUP", u"已暂停", u"pause.circle.fill"},
    {u"stalledDL", u"停滞", u"exclamationmark.triangle.fill"},
    {u"stalledUP", u"停滞", u"exclamationmark.triangle.fill"},
    {u"checkingDL", u"检查中", u"checkmark.circle.fill"},
    {u"checkingUP", u"检查中", u"checkmark.circle.fill"},
    {u"checkingResumeData", u"检查中", u"checkmark.circle.fill"},
    {u"queuedDL", u"排队中", u"clock.fill"},
    {u"queuedUP", u"排队中", u"clock.fill"},
    {u"allocating", u"分配空间", u"opticaldiscdrive.fill"},
    {u"metaDL", u"获取信息", u"info.circle.fill"},
    {u"forcedDL", u"强制下载", u"arrow.down.circle.fill"},
    {u"forcedUP", u"强制上传", u"arrow.up.circle.fill"},
    {u"forcedMetaDL", u"获取信息", u"info.circle.fill"},
    {u"moving", u"移动中", u"folder.fill"},
    {u"missingFiles", u"文件丢失", u"xmark.circle.fill"},
    {u"error", u"错误", u"xmark.circle.fill"},
    {u"unknown", u"未知", u"questionmark.circle.fill"},
}};

static_assert(int(TorrentState::unknown) == int(kStates.size()) - 1);

const StateInfo &info(TorrentState state)
{
    const auto index = std::size_t(state);
    return index < kStates.size() ? kStates[index] : kStates.back();
}

QString toQString(QStringView view)
{
    // The table lives in static storage, so the text can be referenced instead of copied.
    return QString::fromRawData(view.data(), view.size());
}

} // namespace

namespace TorrentStates {

const QList<TorrentState> &allCases()
{
    static const QList<TorrentState> cases = [] {
        QList<TorrentState> list;
        for (std::size_t i = 0; i < kStates.size(); ++i)
            list.append(TorrentState(i));
        return list;
    }();
    return cases;
}

std::optional<TorrentState> fromRawValue(QStringView raw)
{
    // Runs once per torrent of every sync answer. The length check rejects most candidates
    // before any character is compared, and no string is allocated.
    const qsizetype length = raw.size();
    if (length < 5 || length > 18)
        return std::nullopt;
    for (std::size_t i = 0; i < kStates.size(); ++i) {
        const QStringView candidate = kStates[i].raw;
        if (candidate.size() == length && candidate.front() == raw.front() && candidate == raw)
            return TorrentState(i);
    }
    return std::nullopt;
}

QString rawValue(TorrentState state)
{
    return toQString(info(state).raw);
}

QString displayName(TorrentState state)
{
    return toQString(info(state).displayName);
}

QString iconName(TorrentState state)
{
    return toQString(info(state).iconName);
}

} // namespace TorrentStates
