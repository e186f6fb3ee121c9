// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "APIVersionAdapter.h"

#include <QString>

#include <memory>
#include <optional>

// Holds the adapter for the server the client is logged into and picks it from the version
// text the server reports. Main thread only.
class APIVersionManager
{
public:
    APIVersionManager();
    static APIVersionManager &shared();

    const APIVersionAdapter &currentAdapter() const { return *m_currentAdapter; }
    void setAdapter(std::shared_ptr<const APIVersionAdapter> adapter);

    // Chooses the 4.x or 5.x adapter by the major version and logs the choice; a text whose
    // major version does not read as a whole number leaves the adapter as it was, silently.
    void updateVersion(const QString &versionText);

    // The major version as updateVersion reads it: lower-case "v" removed anywhere, split at
    // ".", empty parts dropped, the first part a whole decimal number with an optional sign.
    static std::optional<qint64> majorVersion(const QString &versionText);

private:
    std::shared_ptr<const APIVersionAdapter> m_currentAdapter;
};
