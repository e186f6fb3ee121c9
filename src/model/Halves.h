// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <functional>

// Runs work(0, count) on this thread, or, from `worthAThread` items on and with a second core,
// work(0, count / 2) here and work(count / 2, count) on a thread of its own at the same time.
// A failure of the first half is thrown before one of the second, so a loop that stops at its
// first bad item reports the same item either way.
void inHalves(std::size_t count, std::size_t worthAThread, const std::function<void(std::size_t, std::size_t)> &work);
