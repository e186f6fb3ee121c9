// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class QObject;
class QQuickItem;
class QQuickWindow;

// Drives the application's own window from outside: finds screens and controls by object
// name, sets their properties, waits (with a bound) for what a screen shows, and writes the
// window's current frame to a PNG file. Every failure is kept as a message naming the shot and
// the condition that was not met.
class ScreenDriver
{
public:
    ScreenDriver(QQuickWindow &window, QString outputDirectory);

    // The first object with this name under scope (the whole window when scope is null),
    // looking through child objects, child items and the pages of open popups.
    QObject *find(const QString &name, QObject *scope = nullptr) const;
    // Like find(), but waits for the object to appear; null (and a failure) after the bound.
    QObject *waitFor(const QString &name, QObject *scope = nullptr, int timeoutMs = defaultTimeoutMs);

    // Runs the event loop until condition() holds; false (and a failure naming what) after
    // the bound.
    bool waitUntil(const QString &what, const std::function<bool()> &condition,
                   int timeoutMs = defaultTimeoutMs);

    // A popup (Sheet, Dialog) fully shown: its enter transition over.
    bool waitOpened(QObject *popup, const QString &what);
    // No popup shown on the window's overlay any more (exit transitions over).
    bool waitOverlayClear(const QString &what);
    // The navigation stack that holds page has finished its push or pop.
    bool waitStackIdle(QObject *page, const QString &what);

    bool set(QObject *object, const char *property, const QVariant &value);
    QVariant get(QObject *object, const char *property) const;
    // Calls a QML function or invokable of object with up to two arguments.
    bool call(QObject *object, const char *method, const QVariant &a = {}, const QVariant &b = {});

    // Writes the window's frame as NAME.png; false (and a failure) when nothing was drawn or
    // the file cannot be written.
    bool shoot(const QString &name);

    // Records a failure of the current shot (the first one is kept); always false.
    bool fail(const QString &message);

    void setShot(const QString &name) { m_shot = name; }
    bool failed() const { return !m_failure.isEmpty(); }
    const QString &failure() const { return m_failure; }
    const QStringList &written() const { return m_written; }

    static constexpr int defaultTimeoutMs = 20000;

private:
    QQuickWindow &m_window;
    QString m_outputDirectory;
    QString m_shot;
    QString m_failure;
    QStringList m_written;
};
