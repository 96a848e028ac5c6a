// Port connectors (type 8), system slots (type 9), on-board devices
// (type 10), OEM strings (type 11) and the portable battery (type 22).
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr FieldRow kPortRows[] = {
    Slot("/PORTINTERNALREF", 8, 0, "Internal Reference Designator"),
    Slot("/PORTEXTERNALREF", 8, 1, "External Reference Designator"),
    Slot("/PORTEXTRA", 8, 2, ""),
};

constexpr FieldRow kSlotRows[] = {
    Slot("/SLOTDESIGNATION", 9, 0, "Designation"),
};

constexpr FieldRow kDeviceRows[] = {
    Slot("/DEVICEDESC", 10, 0, ""),
};

constexpr FieldRow kOemRows[] = {
    Slot("/OEM1", 11, 0, ""), Slot("/OEM2", 11, 1, ""), Slot("/OEM3", 11, 2, ""),
    Slot("/OEM4", 11, 3, ""), Slot("/OEM5", 11, 4, ""), Slot("/OEM6", 11, 5, ""),
    Slot("/OEM7", 11, 6, ""),
};

constexpr FieldRow kBatteryRows[] = {
    Slot("/BATLOC", 22, 0, "Location"),
    Slot("/BATMAN", 22, 1, "Manufacturer"),
    Slot("/BATDATE", 22, 2, "Manufacture Date"),
    Slot("/BATSERIAL", 22, 3, "Serial Number"),
    Slot("/BATNAME", 22, 4, "Name"),
    Slot("/BATVER", 22, 5, "SBDS Version"),
    Slot("/BATCHEM", 22, 6, "SBDS Chemistry"),
};

}  // namespace

constexpr auto kPortKeys = MakeJsonKeys(kPortRows);
extern const FieldSpan kPortFields{kPortRows, std::size(kPortRows),
                                   kPortKeys.keys};
constexpr auto kSlotKeys = MakeJsonKeys(kSlotRows);
extern const FieldSpan kSlotFields{kSlotRows, std::size(kSlotRows),
                                   kSlotKeys.keys};
constexpr auto kDeviceKeys = MakeJsonKeys(kDeviceRows);
extern const FieldSpan kDeviceFields{kDeviceRows, std::size(kDeviceRows),
                                     kDeviceKeys.keys};
constexpr auto kOemKeys = MakeJsonKeys(kOemRows);
extern const FieldSpan kOemFields{kOemRows, std::size(kOemRows),
                                  kOemKeys.keys};
constexpr auto kBatteryKeys = MakeJsonKeys(kBatteryRows);
extern const FieldSpan kBatteryFields{kBatteryRows, std::size(kBatteryRows),
                                      kBatteryKeys.keys};

}  // namespace tarnlix
