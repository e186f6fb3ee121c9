// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The application's version and build number from the build; "Unknown" when absent.
QString appVersion();
QString buildNumber();
