// Field accessors: each answers one string of the first stored structure of
// its type, or null.
#include "smbios/iso_date.h"
#include "smbios/reader.h"

namespace tarnlix {

#define TARNLIX_FIELD(name, type, slot) \
  const char* SmbiosReader::name() const { return FieldOfType(type, slot); }

TARNLIX_FIELD(GetFirmwareVendor, 0, 0)
TARNLIX_FIELD(GetFirmwareVersion, 0, 1)
TARNLIX_FIELD(GetFirmwareDate, 0, 2)
TARNLIX_FIELD(GetSystemManufacturer, 1, 0)
TARNLIX_FIELD(GetSystemProductName, 1, 1)
TARNLIX_FIELD(GetSystemVersion, 1, 2)
TARNLIX_FIELD(GetSystemSerial, 1, 3)
TARNLIX_FIELD(GetSystemSku, 1, 4)
TARNLIX_FIELD(GetSystemFamily, 1, 5)
TARNLIX_FIELD(GetBoardManufacturer, 2, 0)
TARNLIX_FIELD(GetBoardProductName, 2, 1)
TARNLIX_FIELD(GetBoardVersion, 2, 2)
TARNLIX_FIELD(GetBoardSerial, 2, 3)
TARNLIX_FIELD(GetBoardAssetTag, 2, 4)
TARNLIX_FIELD(GetBoardLocation, 2, 5)
TARNLIX_FIELD(GetEnclosureManufacturer, 3, 0)
TARNLIX_FIELD(GetEnclosureType, 3, 1)
TARNLIX_FIELD(GetEnclosureVersion, 3, 2)
TARNLIX_FIELD(GetEnclosureSerial, 3, 3)
TARNLIX_FIELD(GetProcessorSocket, 4, 0)
TARNLIX_FIELD(GetProcessorManufacturer, 4, 1)
TARNLIX_FIELD(GetProcessorVersion, 4, 2)
TARNLIX_FIELD(GetProcessorSerial, 4, 3)
TARNLIX_FIELD(GetProcessorAssetTag, 4, 4)
TARNLIX_FIELD(GetProcessorPartNumber, 4, 5)
TARNLIX_FIELD(GetProcessorExtra, 4, 6)
TARNLIX_FIELD(GetCacheSocket, 7, 0)
TARNLIX_FIELD(GetPortInternalRef, 8, 0)
TARNLIX_FIELD(GetPortExternalRef, 8, 1)
TARNLIX_FIELD(GetPortExtra, 8, 2)
TARNLIX_FIELD(GetSlotDesignation, 9, 0)
TARNLIX_FIELD(GetDeviceDescription, 10, 0)
TARNLIX_FIELD(GetOemString1, 11, 0)
TARNLIX_FIELD(GetOemString2, 11, 1)
TARNLIX_FIELD(GetOemString3, 11, 2)
TARNLIX_FIELD(GetOemString4, 11, 3)
TARNLIX_FIELD(GetOemString5, 11, 4)
TARNLIX_FIELD(GetOemString6, 11, 5)
TARNLIX_FIELD(GetOemString7, 11, 6)
TARNLIX_FIELD(GetMemoryDeviceLocator, 17, 0)
TARNLIX_FIELD(GetMemoryBankLocator, 17, 1)
TARNLIX_FIELD(GetMemoryManufacturer, 17, 2)
TARNLIX_FIELD(GetMemorySerial, 17, 3)
TARNLIX_FIELD(GetMemoryAssetTag, 17, 4)
TARNLIX_FIELD(GetMemoryPartNumber, 17, 5)
TARNLIX_FIELD(GetBatteryLocation, 22, 0)
TARNLIX_FIELD(GetBatteryManufacturer, 22, 1)
TARNLIX_FIELD(GetBatteryDate, 22, 2)
TARNLIX_FIELD(GetBatterySerial, 22, 3)
TARNLIX_FIELD(GetBatteryDeviceName, 22, 4)
TARNLIX_FIELD(GetBatterySbdsVersion, 22, 5)
TARNLIX_FIELD(GetBatterySbdsChemistry, 22, 6)

#undef TARNLIX_FIELD

const char* SmbiosReader::GetSystemUuid() const {
  const SmbiosRecord* system = FirstOfType(1);
  return system != nullptr ? system->uuid : nullptr;
}

const char* SmbiosReader::GetFirmwareDateIso() const {
  return FormatIsoDate(GetFirmwareDate());
}

}  // namespace tarnlix
