// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TorrentState.h"

#include <QCoreApplication>

#include <array>

namespace {

struct StateInfo
{
    QStringView raw;
    const char *displayName; // the source text, translated where it is shown
    QStringView iconName;
};

// Indexed by the enumerator's value, so the table and the enumeration must list the states in
// the same order.
constexpr std::array<StateInfo, 22> kStates{{
    {u"downloading", QT_TRANSLATE_NOOP("TorrentState", "下载中"), u"arrow.down.circle.fill"},
    {u"uploading", QT_TRANSLATE_NOOP("TorrentState", "做种中"), u"arrow.up.circle.fill"},
    {u"pausedDL", QT_TRANSLATE_NOOP("TorrentState", "已暂停"), u"pause.circle.fill"},
    {u"pausedUP", QT_TRANSLATE_NOOP("TorrentState", "已暂停"), u"pause.circle.fill"},
    {u"stoppedDL", QT_TRANSLATE_NOOP("TorrentState", "已暂停"), u"pause.circle.fill"},
    {u"stoppedUP", QT_TRANSLATE_NOOP("TorrentState", "已暂停"), u"pause.circle.fill"},
    {u"stalledDL", QT_TRANSLATE_NOOP("TorrentState", "停滞"), u"exclamationmark.triangle.fill"},
    {u"stalledUP", QT_TRANSLATE_NOOP("TorrentState", "停滞"), u"exclamationmark.triangle.fill"},
    {u"checkingDL", QT_TRANSLATE_NOOP("TorrentState", "检查中"), u"checkmark.circle.fill"},
    {u"checkingUP", QT_TRANSLATE_NOOP("TorrentState", "检查中"), u"checkmark.circle.fill"},
    {u"checkingResumeData", QT_TRANSLATE_NOOP("TorrentState", "检查中"), u"checkmark.circle.fill"},
    {u"queuedDL", QT_TRANSLATE_NOOP("TorrentState", "排队中"), u"clock.fill"},
    {u"queuedUP", QT_TRANSLATE_NOOP("TorrentState", "排队中"), u"clock.fill"},
    {u"allocating", QT_TRANSLATE_NOOP("TorrentState", "分配空间"), u"opticaldiscdrive.fill"},
    {u"metaDL", QT_TRANSLATE_NOOP("TorrentState", "获取信息"), u"info.circle.fill"},
    {u"forcedDL", QT_TRANSLATE_NOOP("TorrentState", "强制下载"), u"arrow.down.circle.fill"},
    {u"forcedUP", QT_TRANSLATE_NOOP("TorrentState", "强制上传"), u"arrow.up.circle.fill"},
    {u"forcedMetaDL", QT_TRANSLATE_NOOP("TorrentState", "获取信息"), u"info.circle.fill"},
    {u"moving", QT_TRANSLATE_NOOP("TorrentState", "移动中"), u"folder.fill"},
    {u"missingFiles", QT_TRANSLATE_NOOP("TorrentState", "文件丢失"), u"xmark.circle.fill"},
    {u"error", QT_TRANSLATE_NOOP("TorrentState", "错误"), u"xmark.circle.fill"},
    {u"unknown", QT_TRANSLATE_NOOP("TorrentState", "未知"), u"questionmark.circle.fill"},
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
    return QCoreApplication::translate("TorrentState", info(state).displayName);
}

QString iconName(TorrentState state)
{
    return toQString(info(state).iconName);
}

} // namespace TorrentStates
