// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "NameOrder.h"

#include <algorithm>

namespace nameorder {

bool isTriviallyNormalized(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x300)
            return false;
    }
    return true;
}

QString normalizedKey(const QString &name)
{
    if (isTriviallyNormalized(name))
        return name;
    return name.normalized(QString::NormalizationForm_C);
}

namespace {

// Surrogates move above U+E000..U+FFFF, which move down into the gap: the result orders like
// the code points the units belong to.
inline unsigned codePointRank(char16_t unit)
{
    if (unit < 0xD800)
        return unit;
    return unit >= 0xE000 ? unsigned(unit) - 0x800 : unsigned(unit) + 0x2000;
}

} // namespace

int compareCodePoints(QStringView a, QStringView b)
{
    const char16_t *pa = a.utf16();
    const char16_t *pb = b.utf16();
    const qsizetype common = std::min(a.size(), b.size());
    const auto [da, db] = std::mismatch(pa, pa + common, pb);
    if (da != pa + common) {
        const unsigned ra = codePointRank(*da);
        const unsigned rb = codePointRank(*db);
        return ra < rb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

Prefix prefixOf(QStringView text)
{
    Prefix prefix;
    const qsizetype n = std::min<qsizetype>(text.size(), 8);
    for (qsizetype i = 0; i < 8; ++i) {
        const quint64 rank = i < n ? codePointRank(text.utf16()[i]) : 0;
        quint64 &word = i < 4 ? prefix.high : prefix.low;
        word = (word << 16) | rank;
    }
    return prefix;
}

bool nameLess(const QString &a, const QString &b)
{
    if (isTriviallyNormalized(a) && isTriviallyNormalized(b))
        return compareCodePoints(a, b) < 0;
    return compareCodePoints(normalizedKey(a), normalizedKey(b)) < 0;
}

} // namespace nameorder
