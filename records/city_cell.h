#pragma once

#include <cstdint>

namespace codeburg {

// One cell of a city grid, 12 bytes as stored in the statistics file.
struct CityCell {
    static constexpr uint16_t kEmpty = 0;
    static constexpr uint16_t kPavement = 0xFFFF;
    static constexpr uint16_t kLake = 0xFFFE;

    uint16_t height = kEmpty;  // a building's eloc + 1, or one of the constants above
    uint8_t footprint = 0;     // parameter count + 1 in a building's anchor cell, else 0
    uint8_t side = 0;          // footprint + 2 x border
    uint32_t fileIndex = 0;    // index into the project's sorted file list
    uint32_t methodIndex = 0;  // index into that file's method list

    bool isEmpty() const { return height == kEmpty; }
    bool isBuilding() const { return height != kEmpty && height != kPavement && height != kLake; }
    bool isAnchor() const { return isBuilding() && footprint != 0; }

    bool operator==(const CityCell&) const = default;
};
static_assert(sizeof(CityCell) == 12, "cells are serialised as 12 raw bytes");

}  // namespace codeburg
