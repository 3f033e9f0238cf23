#pragma once
// Snapshots: a list taken at once, walked by index and released whole.
// Every kind of item is the same record of up to four texts and three
// numbers, so a getter handed an item of another kind reads an empty field
// rather than memory of the wrong shape.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace provider {

struct Item {
    std::array<std::string, 4> texts;  // ANSI
    std::array<std::int32_t, 3> numbers{};
};

using Items = std::vector<Item>;

// Field numbers of each kind.
namespace field {
inline constexpr int kName = 0;
inline constexpr int kProcessCommand = 1, kProcessId = 0;
inline constexpr int kUsbVendor = 0, kUsbProduct = 1, kUsbRelease = 2;
inline constexpr int kKextVersion = 1;
inline constexpr int kPrinterDriver = 1, kPrinterDriverVersion = 2, kPrinterDefault = 0;
inline constexpr int kWindowTitle = 0, kWindowProcess = 1, kWindowLocalizedName = 2, kWindowClass = 3;
inline constexpr int kWindowActive = 0;
}  // namespace field

Items processItems();
Items usbDeviceItems();
Items applicationItems();
Items kernelDriverItems();
Items printerItems();
Items windowItems();

// Whether a process of this executable name (any case) runs now.
bool isProcessRunning(const std::wstring& name);

}  // namespace provider
