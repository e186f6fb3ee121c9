// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cmath>

namespace sortkeys {

// Descending order that stays a strict weak order when a value is NaN: NaN goes after every
// number (a plain `>` would make NaN "equal" to everything and leave a sort undefined).
inline bool higherFirst(double a, double b)
{
    return a > b || (std::isnan(b) && !std::isnan(a));
}

} // namespace sortkeys
