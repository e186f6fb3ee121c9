// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BenchApplication.h"

#include "UiSetup.h"

#include "store/Persistence.h"

BenchApplication::BenchApplication(int &argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!m_state.isValid()) {
        m_failure = QStringLiteral("cannot create a temporary folder");
        return;
    }
    useStateFolder(m_state.path());

    m_app.emplace(argc, argv);
    setApplicationIdentity();
    if (const auto failure = PersistenceController::openShared()) {
        m_failure = *failure;
        return;
    }
    applyApplicationStyle();
}
