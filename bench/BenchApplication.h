// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QGuiApplication>
#include <QString>
#include <QTemporaryDir>

#include <optional>

// The application as the screen benchmarks run it: on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise, with profiles and settings of this run only (an empty store,
// so the first screen is the welcome screen), the application's identity and style, and the
// profile store open. Keep it alive for the whole run.
class BenchApplication
{
public:
    BenchApplication(int &argc, char **argv);

    // Why the application could not be made ready; empty when it is.
    const QString &failure() const { return m_failure; }

private:
    QTemporaryDir m_state; // before the application object: every standard location is in it
    std::optional<QGuiApplication> m_app;
    QString m_failure;
};
