// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringView>

// The pieces of a torrent's comma-separated tags text, shared by the tag list and the tag filter
// so that both agree on what a tag is.
namespace tagtext {

// Space separators (Unicode category Zs) and the tab; line breaks are part of a tag.
inline bool isTrimmed(QChar c)
{
    return c == u'\t' || c == u' ' || (c.unicode() >= 0x80 && c.category() == QChar::Separator_Space);
}

inline QStringView trimmed(QStringView piece)
{
    qsizetype begin = 0;
    qsizetype end = piece.size();
    while (begin < end && isTrimmed(piece[begin]))
        ++begin;
    while (end > begin && isTrimmed(piece[end - 1]))
        --end;
    return piece.sliced(begin, end - begin);
}

// Calls `visit` with each non-empty trimmed tag in order, duplicates included, until it returns
// true; returns whether it did. Allocates nothing.
template <typename Visit> bool forEachTag(QStringView tags, Visit &&visit)
{
    qsizetype start = 0;
    while (start <= tags.size()) {
        qsizetype comma = tags.indexOf(u',', start);
        if (comma < 0)
            comma = tags.size();
        const QStringView tag = trimmed(tags.sliced(start, comma - start));
        if (!tag.isEmpty() && visit(tag))
            return true;
        start = comma + 1;
    }
    return false;
}

inline bool hasTag(QStringView tags, QStringView tag)
{
    return forEachTag(tags, [tag](QStringView piece) { return piece == tag; });
}

} // namespace tagtext
