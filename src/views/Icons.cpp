// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Icons.h"

#include "Logging.h"

#include <QDebug>
#include <QHash>

namespace {

struct Entry
{
    const char *symbol;
    char32_t codePoint;
};

// Material Icons code points (Regular set). Filled and outlined variants of the same symbol map
// to the closest pair the font offers.
constexpr Entry entries[] = {
    // Torrent states
    {"arrow.down.circle.fill", 0xf181},        // arrow_circle_down
    {"arrow.up.circle.fill", 0xf182},          // arrow_circle_up
    {"pause.circle.fill", 0xe1a2},             // pause_circle
    {"exclamationmark.triangle.fill", 0xe002}, // warning
    {"checkmark.circle.fill", 0xe86c},         // check_circle
    {"clock.fill", 0xe8b5},                    // schedule
    {"opticaldiscdrive.fill", 0xe019},         // album
    {"info.circle.fill", 0xe88e},              // info
    {"folder.fill", 0xe2c7},                   // folder
    {"xmark.circle.fill", 0xe5c9},             // cancel
    {"questionmark.circle.fill", 0xe887},      // help
    // Shell, tabs and welcome guide
    {"plus.app.fill", 0xe146},       // add_box
    {"link.circle.fill", 0xe157},    // link
    {"arrow.down.doc.fill", 0xe2c4}, // file_download
    {"arrow.down.circle", 0xf090},   // download
    {"arrow.up.circle", 0xf09b},     // upload
    {"chart.bar", 0xe26b},           // bar_chart
    {"magnifyingglass", 0xe8b6},     // search
    {"gear", 0xe8b8},                // settings
    {"plus.circle.fill", 0xe147},    // add_circle
    {"server.rack", 0xe875},         // dns
    {"chevron.right", 0xe5cc},       // chevron_right
    {"chevron.left", 0xe5cb},        // chevron_left
    // Server screens
    {"plus", 0xe145},       // add
    {"circle", 0xe836},     // radio_button_unchecked
    {"lock.fill", 0xe897},  // lock
    {"trash", 0xe92e},      // delete_outline
    {"trash.fill", 0xe872}, // delete
    {"pencil", 0xe3c9},     // edit
    {"link", 0xe157},       // link
    // Settings and About
    {"info.circle", 0xe88f},                  // info_outline
    {"person.fill", 0xe7fd},                  // person
    {"chevron.up.chevron.down", 0xe5d7},      // unfold_more
    {"bubble.left.and.bubble.right", 0xe0bf}, // forum
    {"paperplane", 0xe163},                   // send
    {"heart.fill", 0xe87d},                   // favorite
    {"xmark", 0xe5cd},                        // close
    // Alternative speed limits: the font has no tortoise; slow motion reads as "slower"
    {"tortoise", 0xe068}, // slow_motion_video
    // Torrent list, rows and filter sheet
    {"line.3.horizontal.decrease.circle", 0xe152}, // filter_list
    {"tray", 0xe156},                              // inbox
    {"play.fill", 0xe037},                         // play_arrow
    {"pause.fill", 0xe034},                        // pause
    {"bolt.fill", 0xea0b},                         // bolt
    {"checkmark.circle", 0xe92d},                  // check_circle_outline
    {"antenna.radiowaves.left.and.right", 0xebba}, // cell_tower
    {"chart.line.uptrend.xyaxis", 0xe8e5},         // trending_up
    {"checkmark", 0xe5ca},                         // check
    {"exclamationmark.magnifyingglass", 0xea76},   // search_off
    {"arrow.clockwise", 0xe5d5},                   // refresh
    // Add-torrent sheet
    {"doc.badge.plus", 0xe89c}, // note_add
    // Detail screen
    {"arrow.down", 0xe5db}, // arrow_downward
    {"arrow.up", 0xe5d8},   // arrow_upward
    // Statistics
    {"tray.and.arrow.down.fill", 0xe168}, // move_to_inbox
    {"tray.and.arrow.up.fill", 0xef5f},   // outbox
    {"network", 0xe9f4},                  // hub
    {"wifi", 0xe63e},                     // wifi
    {"externaldrive", 0xe1c2},            // sd_storage
    {"tray.full", 0xe97f},                // all_inbox
    // Editing torrents, selection and the file tree
    {"folder", 0xe2c7},                    // folder
    {"tag", 0xe892},                       // label
    {"doc", 0xe24d},                       // insert_drive_file
    {"chevron.down", 0xe5cf},              // expand_more
    {"arrow.up.to.line", 0xe25a},          // vertical_align_top
    {"arrow.down.to.line", 0xe258},        // vertical_align_bottom
    {"list.number", 0xe242},               // format_list_numbered
    {"flag", 0xe153},                      // flag
    {"speedometer", 0xe9e4},               // speed
    {"checklist", 0xe6b1},                 // checklist
    {"folder.badge.gearshape", 0xe675},    // drive_file_move
    {"ellipsis", 0xe5d3},                  // more_horiz
};

// Drawn for a name without a mapping: the font's "help_outline", visible rather than blank.
constexpr char32_t unmappedGlyph = 0xe8fd;

const QHash<QString, char32_t> &table()
{
    static const QHash<QString, char32_t> map = [] {
        QHash<QString, char32_t> m;
        for (const Entry &e : entries) {
            m.insert(QString::fromLatin1(e.symbol), e.codePoint);
        }
        return m;
    }();
    return map;
}

QString textOf(char32_t codePoint)
{
    return QString::fromUcs4(&codePoint, 1);
}

} // namespace

namespace IconTable {

std::optional<char32_t> codePoint(const QString &symbolName)
{
    const auto it = table().constFind(symbolName);
    if (it == table().constEnd()) {
        return std::nullopt;
    }
    return *it;
}

QStringList symbolNames()
{
    QStringList names = table().keys();
    names.sort();
    return names;
}

QString fontResourcePath()
{
    return QStringLiteral(":/fonts/MaterialIcons-Regular.ttf");
}

} // namespace IconTable

Icons::Icons(QObject *parent) : QObject(parent) {}

QString Icons::fontSource() const
{
    return QStringLiteral("qrc") + IconTable::fontResourcePath();
}

QStringList Icons::unmappedNames() const
{
    QStringList names(m_unmapped.begin(), m_unmapped.end());
    names.sort();
    return names;
}

QString Icons::glyph(const QString &symbolName)
{
    if (const auto cp = IconTable::codePoint(symbolName)) {
        return textOf(*cp);
    }
    if (!symbolName.isEmpty() && !m_unmapped.contains(symbolName)) {
        m_unmapped.insert(symbolName);
        qCWarning(lcUi).noquote() << "no glyph mapped for the symbol" << symbolName;
        Q_EMIT unmappedNamesChanged();
    }
    return symbolName.isEmpty() ? QString() : textOf(unmappedGlyph);
}

bool Icons::has(const QString &symbolName) const
{
    return IconTable::codePoint(symbolName).has_value();
}

void Icons::clearUnmappedNames()
{
    if (!m_unmapped.isEmpty()) {
        m_unmapped.clear();
        Q_EMIT unmappedNamesChanged();
    }
}
