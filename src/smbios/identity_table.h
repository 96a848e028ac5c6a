// A table made of what the system shows apart from the firmware's table:
// its record of the machine's identity, and the memory devices udev
// decoded at boot.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "acquire/raw_table.h"
#include "platform/platform.h"

namespace tarnlix {

// udev's properties of the memory devices past what the platform reads of
// them are refused whole: a real machine's take a few kB per device.
constexpr size_t kMaxMemoryPropertiesSize = kUdevMemoryDataLimit;
// Device numbers from this one on are left out.
constexpr size_t kMaxPublishedDevices = 10000;

// One structure for each type the record's fields belong to, in type order,
// each as long as its fields need and each field where its row says; then
// the memory array and devices of udev's properties (the E:KEY=value lines
// of /run/udev/data/+dmi:id, or the helper's KEY=value lines), each field
// encoded where its row reads it, with handles made of the device numbers;
// then the end of the table. A header-form table of no version whose source
// says it is partial. Null when a block cannot be had.
RawTablePtr BuildPublishedTable(const std::vector<IdentityText>& identity,
                                std::string_view memoryProperties);

// The structures udev's properties describe, as table bytes (each
// structure's formatted area and string-set), appended to table.
void AppendMemoryStructures(std::string_view memoryProperties, std::vector<uint8_t>& table);

}  // namespace tarnlix
