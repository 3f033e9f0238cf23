#pragma once
// Graphics cards: the display adapters Windows drives, one per card however
// many outputs it has.

#include <cstdint>
#include <string>
#include <vector>

namespace provider {

struct GraphicsCard {
    std::wstring name, vendor, driverName, driverVersion, locationId;
    std::uint32_t vramMegabytes = 0;
    std::vector<std::wstring> displays;  // the outputs' GDI names, \\.\DISPLAY1
};

std::vector<GraphicsCard> graphicsCards();

}  // namespace provider
