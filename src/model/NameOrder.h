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

// a < b for names: compareCodePoints of the NFC forms.
bool nameLess(const QString &a, const QString &b);

} // namespace nameorder
