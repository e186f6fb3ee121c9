// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Halves.h"

#include <exception>
#include <thread>

void inHalves(std::size_t count, std::size_t worthAThread, const std::function<void(std::size_t, std::size_t)> &work)
{
    if (count < worthAThread || count < 2 || std::thread::hardware_concurrency() < 2) {
        work(0, count);
        return;
    }
    const std::size_t half = count / 2;
    std::exception_ptr secondFailure;
    std::thread second([&] {
        try {
            work(half, count);
        } catch (...) {
            secondFailure = std::current_exception();
        }
    });
    std::exception_ptr firstFailure;
    try {
        work(0, half);
    } catch (...) {
        firstFailure = std::current_exception();
    }
    second.join();
    if (firstFailure)
        std::rethrow_exception(firstFailure);
    if (secondFailure)
        std::rethrow_exception(secondFailure);
}
