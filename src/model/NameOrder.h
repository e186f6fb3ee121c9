// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringView>

// Names are ordered by the code points of their canonical (NFC) form: not locale-aware, case
// sensitive, and the same on every machine.
namespace nameorder {

// True when `text` is in NFC without looking anything up: nothing below U+0300 decomposes or
// combines with a neighbour.
bool isTriviallyNormalized(QStringView text);

// The NFC form of `name`; a shared copy when it is already normalised.
QString normalizedKey(const QString &name);

// Compares two texts by code point (<0, 0, >0). UTF-16 order differs from code-point order once
// a surrogate pair meets a character in U+E000..U+FFFF, so units from U+D800 up are remapped
// before comparing.
int compareCodePoints(QStringView a, QStringView b);

// a < b by code point, without normalising: the order of category and tag names.
inline bool codePointLess(QStringView a, QStringView b)
{
    return compareCodePoints(a, b) < 0;
}

// The first eight UTF-16 units of `text` as two numbers that order like compareCodePoints
// does, padded with zero: when two prefixes differ they decide the order on their own, so a
// sort compares most pairs without touching the strings. Equal prefixes decide nothing.
struct Prefix
{
    quint64 high = 0;
    quint64 low = 0;
    friend bool operator==(const Prefix &, const Prefix &) = default;
    friend bool operator<(const Prefix &a, const Prefix &b)
    {
        return a.high != b.high ? a.high < b.high : a.low < b.low;
    }
};
Prefix prefixOf(QStringView text);

// a < b for names: compareCodePoints of the NFC forms.
bool nameLess(const QString &a, const QString &b);

} // namespace nameorder
