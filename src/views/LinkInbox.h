// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QJSEngine>
#include <QObject>
#include <QQmlEngine>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

// `Links` in QML: the torrent links and files handed to the application, from its command line
// or from a later start that found it running. One instance runs per user session: the first
// owns the application's name on the session bus, and a later start hands its links to it
// (Open) and ends. The screens take the links once a server is connected.
class LinkInbox : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(Links)
    QML_SINGLETON
    Q_CLASSINFO("D-Bus Interface", "app.seedwhirl.Seedwhirl")
    Q_PROPERTY(QStringList pending READ pending NOTIFY pendingChanged)

public:
    static LinkInbox &shared();
    static LinkInbox *create(QQmlEngine *, QJSEngine *)
    {
        QJSEngine::setObjectOwnership(&shared(), QJSEngine::CppOwnership);
        return &shared();
    }

    // A command-line argument as a link the add sheet takes: a magnet link or an http(s) URL as
    // it is, a file (a path or a file: URL) as a file: URL; empty for anything else.
    static QString linkOf(const QString &argument, const QString &workingDirectory);

    // Takes the application's name on the session bus, or, when another instance holds it,
    // hands `links` to that one and returns true: then this start has nothing more to do.
    // Without a session bus every start runs on its own.
    bool handOverOrClaim(const QStringList &links);
    bool isClaimed() const { return m_claimed; }

    QStringList pending() const { return m_pending; }
    void deliver(const QStringList &links);
    // The oldest pending link, removed; empty when none waits.
    Q_INVOKABLE QString take();

public Q_SLOTS:
    // Over the session bus, from a later start: its links (already made links), and a request
    // to show the window.
    Q_SCRIPTABLE void Open(const QStringList &links);

Q_SIGNALS:
    void pendingChanged();
    // The window should come to the front (a later start asked for it).
    void raiseRequested();

private:
    LinkInbox() = default;

    QStringList m_pending;
    bool m_claimed = false;
};
