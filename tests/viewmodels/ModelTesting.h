// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Shared by the presentation-model tests: what a model shows, as text compared with snapshots
// stored under snapshots/ beside this file (a list model's rows, a whole run of steps of a view
// model, a table of cases); a view that knows a model only from its signals; answers that
// arrive late. With SEEDWHIRL_UPDATE_SNAPSHOTS=1 in the environment the snapshots are written
// instead; review the diff before committing them.

#include "api/ApiHarness.h"

#include "model/Torrent.h"
#include "store/AppSettings.h"

#include <QAbstractItemModelTester>
#include <QFileInfo>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

namespace ModelSnapshot {

inline QString valueText(const QVariant &value)
{
    const QMetaType type = value.metaType();
    if (!value.isValid() || type == QMetaType::fromType<std::nullptr_t>())
        return QStringLiteral("<none>");
    if (type == QMetaType::fromType<QStringList>())
        return u'[' + value.toStringList().join(QStringLiteral(", ")) + u']';
    if (type == QMetaType::fromType<double>())
        return QString::number(value.toDouble(), 'g', 10);
    if (type == QMetaType::fromType<QString>() && value.toString().isEmpty())
        return QStringLiteral("\"\"");
    if (type.flags().testFlag(QMetaType::IsGadget)) { // field by field
        QStringList fields;
        const QMetaObject *meta = type.metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i)
            fields.append(QString::fromLatin1(meta->property(i).name()) + QStringLiteral(": ") +
                          valueText(meta->property(i).readOnGadget(value.constData())));
        return u'{' + fields.join(QStringLiteral(", ")) + u'}';
    }
    if (const QObject *object = value.value<QObject *>(); type.flags().testFlag(QMetaType::PointerToQObject))
        return object ? QString::fromLatin1(object->metaObject()->className()) : QStringLiteral("<none>");
    return value.toString();
}

// One line per row, its roles by name in name order (only `shown` when given).
inline QStringList dump(const QAbstractItemModel &model, const QList<QByteArray> &shown = {})
{
    QMap<QByteArray, int> roles;
    for (const auto &[role, name] : model.roleNames().asKeyValueRange())
        if (role >= Qt::UserRole && (shown.isEmpty() || shown.contains(name)))
            roles.insert(name, role);
    QStringList lines;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList fields;
        for (const auto &[name, role] : roles.asKeyValueRange())
            fields.append(QString::fromLatin1(name + ": ") + valueText(model.index(row, 0).data(role)));
        lines.append(QStringLiteral("[%1] ").arg(row) + fields.join(QStringLiteral(" | ")));
    }
    return lines;
}

// The lines of a stored file under snapshots/, without the final empty one; with `actual` while
// snapshots are being updated, `actual` itself after writing it there.
inline QStringList read(const QString &file, const QStringList *actual = nullptr)
{
    QFile in(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/snapshots/") + file);
    if (actual && qEnvironmentVariableIntValue("SEEDWHIRL_UPDATE_SNAPSHOTS") == 1) {
        if (in.open(QIODevice::WriteOnly | QIODevice::Truncate))
            in.write((actual->join(u'\n') + u'\n').toUtf8());
        return *actual;
    }
    if (!in.open(QIODevice::ReadOnly))
        return {QStringLiteral("<no snapshot at %1>").arg(in.fileName())};
    QStringList lines = QString::fromUtf8(in.readAll()).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// A stored JSON file under snapshots/.
inline QByteArray storedJson(const QString &file)
{
    return read(file).join(u'\n').toUtf8();
}

// <binary>-<function>[-<data row>].steps, each run of other than letters and digits in the row's
// name as one '-'.
inline QString stepsFile()
{
    QString file =
        QFileInfo(QCoreApplication::applicationFilePath()).baseName().remove(QStringLiteral("test_")) + u'-' +
        QLatin1String(QTest::currentTestFunction());
    if (qstrlen(QTest::currentDataTag()) > 0)
        file += u'-' + QString::fromLatin1(QTest::currentDataTag())
                           .replace(QRegularExpression(QStringLiteral("\\W+")), QStringLiteral("-"));
    return file + QStringLiteral(".steps");
}

// Each line of a stored table of cases reads "input = result" ('#' starts a comment line):
// `run` maps each input to its result, and the table must come out unchanged.
template <typename Run> QStringList cases(const QString &file, Run run)
{
    QStringList lines;
    for (const QString &line : read(file)) {
        const qsizetype at = line.startsWith(u'#') ? -1 : line.indexOf(QLatin1String(" ="));
        QString result = at < 0 ? line : line.left(at) + QStringLiteral(" = ") + run(line.left(at));
        lines.append(result.remove(QRegularExpression(QStringLiteral(" +$"))));
    }
    return lines;
}

// A view's picture of a list model kept only from its signals: each row's `role` value, and what
// it was told ("inserted 0-1", "removed 2-3", "moved 1-1", "reset", "changed 1-2") with the roles
// of each change.
struct Follower
{
    QAbstractItemModel &model;
    int role;
    QStringList rows = all(), told;
    QList<QList<int>> changedRoles;
    QObject guard; // ends the connections with the follower

    Follower(QAbstractItemModel &followed, int shownRole) : model(followed), role(shownRole)
    {
        using M = QAbstractItemModel;
        const auto on = [this](auto signal, auto slot) { QObject::connect(&model, signal, &guard, slot); };
        on(&M::rowsInserted, [this](const QModelIndex &, int first, int last) {
            for (int row = first; row <= last; ++row)
                rows.insert(row, at(row));
            told.append(QStringLiteral("inserted %1-%2").arg(first).arg(last));
        });
        on(&M::rowsRemoved, [this](const QModelIndex &, int first, int last) {
            rows.remove(first, last - first + 1);
            told.append(QStringLiteral("removed %1-%2").arg(first).arg(last));
        });
        on(&M::rowsMoved, [this](const QModelIndex &, int first, int last, const QModelIndex &, int to) {
            for (int i = 0; i <= last - first; ++i) // one row at a time, keeping their order
                to > first ? rows.move(first, to - 1) : rows.move(first + i, to + i);
            told.append(QStringLiteral("moved %1-%2").arg(first).arg(last));
        });
        on(&M::modelReset, [this] { rows = all(), told.append(QStringLiteral("reset")); });
        on(&M::dataChanged,
           [this](const QModelIndex &first, const QModelIndex &last, const QList<int> &roles) {
               for (int row = first.row(); row <= last.row(); ++row)
                   rows[row] = at(row);
               told.append(QStringLiteral("changed %1-%2").arg(first.row()).arg(last.row()));
               changedRoles.append(roles);
           });
    }

    QString at(int row) const { return model.index(row, 0).data(role).toString(); }
    QStringList all() const
    {
        QStringList values;
        for (int row = 0; row < model.rowCount(); ++row)
            values.append(at(row));
        return values;
    }
};

// A run of steps of one view model, compared at the end with
// snapshots/<binary>-<function>[-<data row>].steps. Each step records the properties whose
// text changed since the step before (all of them at the first; a list model as its rows, only
// `roles` of them when given; a value type field by field), how often each change signal fired,
// what the list models told a view, and the log lines written since. UUIDs become <id1>, <id2>…
class Steps
{
public:
    // `hidden`: patterns of what differs from run to run (a port) and their placeholders.
    explicit Steps(QObject &model, QMap<QString, QString> hidden = {}, QList<QByteArray> roles = {})
        : m_model(model), m_roles(std::move(roles)), m_hidden(std::move(hidden))
    {
        for (const QMetaProperty &property : properties()) {
            if (property.hasNotifySignal() && !m_spies.contains(property.notifySignal().name()))
                m_spies.insert(property.notifySignal().name(),
                               std::make_shared<QSignalSpy>(&model, property.notifySignal()));
            if (auto *list = qobject_cast<QAbstractItemModel *>(property.read(&model).value<QObject *>()))
                m_lists.insert(property.name(), std::make_shared<Follower>(*list, Qt::UserRole + 1));
        }
        step(QStringLiteral("start"));
    }

    LogCapture log;
    bool sortLog = false; // for loads that run side by side and log in any order
    QStringList lines;

    // Leaves the starting state out where another test's record shows it; the steps that
    // follow still show what changed since.
    void forgetStart() { lines.clear(); }

    void step(const QString &title)
    {
        lines.append(QStringLiteral("## ") + title);
        for (const QMetaProperty &property : properties()) {
            const QVariant value = property.read(&m_model);
            QStringList text{valueText(value)};
            if (auto *list = qobject_cast<QAbstractItemModel *>(value.value<QObject *>()))
                text = QStringList{QStringLiteral("%1 rows").arg(list->rowCount())} + dump(*list, m_roles);
            if (std::exchange(m_shown[property.name()], text) == text)
                continue;
            lines.append(QStringLiteral("  %1: %2").arg(QLatin1String(property.name()), text.first()));
            for (const QString &row : text.mid(1))
                lines.append(QStringLiteral("    ") + row);
        }
        for (const auto &[name, spy] : m_spies.asKeyValueRange()) {
            if (!spy->isEmpty())
                lines.append(QStringLiteral("  signal %1 ×%2").arg(QLatin1String(name)).arg(spy->size()));
            spy->clear();
        }
        for (const auto &[name, list] : m_lists.asKeyValueRange()) {
            if (!list->told.isEmpty())
                lines.append(QStringLiteral("  told %1: ").arg(QLatin1String(name)) +
                             list->told.join(QStringLiteral(", ")));
            list->told.clear();
        }
        QStringList logged = log.lines();
        if (sortLog)
            logged.sort();
        for (const QString &line : std::as_const(logged))
            lines.append(QStringLiteral("  log ") + line);
        log.clear();
    }

    // The steps with what varies replaced.
    QStringList actual() const
    {
        static const QRegularExpression uuid(QStringLiteral("[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}"),
                                             QRegularExpression::CaseInsensitiveOption);
        QStringList ids;
        QStringList result;
        for (QString line : lines) {
            line.replace(u'\n', QStringLiteral("\\n"));
            for (auto it = m_hidden.cbegin(); it != m_hidden.cend(); ++it)
                line.replace(QRegularExpression(it.key()), it.value());
            for (auto match = uuid.match(line); match.hasMatch(); match = uuid.match(line)) {
                const QString id = match.captured().toUpper();
                if (!ids.contains(id))
                    ids.append(id);
                line.replace(match.captured(), QStringLiteral("<id%1>").arg(ids.indexOf(id) + 1));
            }
            result.append(line);
        }
        return result;
    }

private:
    QList<QMetaProperty> properties() const
    {
        QList<QMetaProperty> all;
        for (int i = 1; i < m_model.metaObject()->propertyCount(); ++i) // past QObject's objectName
            all.append(m_model.metaObject()->property(i));
        return all;
    }

    QObject &m_model;
    QList<QByteArray> m_roles;
    QMap<QString, QString> m_hidden;
    QMap<QByteArray, std::shared_ptr<QSignalSpy>> m_spies;
    QMap<QByteArray, std::shared_ptr<Follower>> m_lists;
    QHash<QByteArray, QStringList> m_shown;
};

} // namespace ModelSnapshot

using ModelSnapshot::Follower;
using ModelSnapshot::Steps;

#define COMPARE_LINES(lines, file)                                                                           \
    do {                                                                                                     \
        const QStringList actualLines_ = (lines);                                                            \
        QCOMPARE(actualLines_, ModelSnapshot::read(file, &actualLines_));                                    \
    } while (false)

#define COMPARE_SNAPSHOT(model, name) COMPARE_LINES(ModelSnapshot::dump(model), QStringLiteral(name ".model"))

#define COMPARE_CASES(file, ...) COMPARE_LINES(ModelSnapshot::cases(file, __VA_ARGS__), file)

#define COMPARE_STEPS(steps) COMPARE_LINES((steps).actual(), ModelSnapshot::stepsFile())

inline QStringList idsOf(const QList<Torrent> &torrents)
{
    QStringList ids;
    for (const Torrent &torrent : torrents)
        ids.append(torrent.id);
    return ids;
}

// A client for a local server and settings of their own, auto refresh off.
struct SettingsHarness
{
    QTemporaryDir dir;
    ApiHarness api;
    AppSettings settings{dir.filePath(QStringLiteral("settings.ini"))};
    SettingsHarness()
    {
        QStandardPaths::setTestModeEnabled(true);
        settings.setAutoRefreshEnabled(false);
    }
};

// `response`, sent after `ms` milliseconds.
inline TestResponse late(TestResponse response, int ms = 50)
{
    response.delayMs = ms;
    return response;
}
