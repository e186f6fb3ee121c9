// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <optional>

// The system symbol names that the screens and the model use ("arrow.down.circle.fill", ...)
// turned into glyphs of the bundled Material Icons font. One table for the whole application,
// so a screen never picks a glyph of its own.
namespace IconTable {
// The code point of the glyph drawn for a symbol name; nothing when the name is not mapped.
std::optional<char32_t> codePoint(const QString &symbolName);
QStringList symbolNames();
// Resource path of the bundled font, for FontLoader and QRawFont.
QString fontResourcePath();
} // namespace IconTable

// `Icons` in QML: glyph("gear") gives the one-character text to draw with the icon font. A name
// without a mapping draws a visible replacement glyph and is remembered in `unmappedNames`, so
// that tests catch it instead of a blank square slipping through.
class Icons : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString fontSource READ fontSource CONSTANT)
    Q_PROPERTY(QStringList unmappedNames READ unmappedNames NOTIFY unmappedNamesChanged)

public:
    explicit Icons(QObject *parent = nullptr);

    QString fontSource() const;
    QStringList unmappedNames() const;

    Q_INVOKABLE QString glyph(const QString &symbolName);
    Q_INVOKABLE bool has(const QString &symbolName) const;
    Q_INVOKABLE QStringList names() const { return IconTable::symbolNames(); }
    Q_INVOKABLE void clearUnmappedNames();

Q_SIGNALS:
    void unmappedNamesChanged();

private:
    QSet<QString> m_unmapped;
};
