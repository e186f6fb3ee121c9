#pragma once

#include "model/DecodingError.h"

#include <optional>

// The DecodingError that `decode` throws, or nothing when it returns normally. Any other
// exception escapes and fails the test.
template <typename Decode> std::optional<DecodingError> decodingFailure(Decode &&decode)
{
    try {
        (void)decode();
    } catch (const DecodingError &error) {
        return error;
    }
    return std::nullopt;
}
