// What every reader must guarantee on any input: an error, or a cloud of whole records with
// finite coordinates and colours that are 0x00RRGGBB words. Anything else traps.
#pragma once

#include "point_cloud.hpp"

#include <cmath>

inline void check_cloud(const cloud_result &result) {
    const auto &records = result.cloud.records;
    if (records.size() % 4 != 0) {
        __builtin_trap();
    }
    if (!result.error.empty()) {
        if (result.error.find('\n') != std::string::npos) {
            __builtin_trap(); // errors are one line
        }
        return;
    }
    for (std::size_t i = 0; i < records.size(); i += 4) {
        const float colour = records[i + 3];
        if (!std::isfinite(records[i]) || !std::isfinite(records[i + 1]) ||
            !std::isfinite(records[i + 2]) || !(colour >= 0.0f && colour <= 16777215.0f) ||
            colour != std::floor(colour)) {
            __builtin_trap();
        }
    }
}
