// Field accessors: each answers one field of the first structure of its
// type, or null; the field table says where each one lives.
#include "smbios/reader.h"

namespace tarnlix {

const char* SmbiosReader::FirstValue(const char* selector) const {
  const FieldRow* field = FindField(selector);
  return field != nullptr ? Value(*field) : nullptr;
}

#define TARNLIX_FIELD(name, selector) \
  const char* SmbiosReader::name() const { return FirstValue(selector); }

TARNLIX_FIELD(GetFirmwareVendor, "/BIOSVENDOR")
TARNLIX_FIELD(GetFirmwareVersion, "/BIOSVER")
TARNLIX_FIELD(GetFirmwareDate, "/BIOSDATE")
TARNLIX_FIELD(GetSystemManufacturer, "/PCMAKER")
TARNLIX_FIELD(GetSystemProductName, "/PCNAME")
TARNLIX_FIELD(GetSystemVersion, "/PCVER")
TARNLIX_FIELD(GetSystemSerial, "/PCSERIAL")
TARNLIX_FIELD(GetSystemSku, "/PCSKU")
TARNLIX_FIELD(GetSystemFamily, "/PCFAMILY")
TARNLIX_FIELD(GetSystemUuid, "/PCUUID")
TARNLIX_FIELD(GetBoardManufacturer, "/BOARDMAN")
TARNLIX_FIELD(GetBoardProductName, "/BOARDPRODUCT")
TARNLIX_FIELD(GetBoardVersion, "/BOARDVER")
TARNLIX_FIELD(GetBoardSerial, "/BOARDSERIAL")
TARNLIX_FIELD(GetBoardAssetTag, "/BOARDASSET")
TARNLIX_FIELD(GetBoardLocation, "/BOARDLOCATION")
TARNLIX_FIELD(GetEnclosureManufacturer, "/ENCLOSUREMAN")
TARNLIX_FIELD(GetEnclosureType, "/ENCLOSURETYPE")
TARNLIX_FIELD(GetEnclosureVersion, "/ENCLOSUREVER")
TARNLIX_FIELD(GetEnclosureSerial, "/ENCLOSURESERIAL")
TARNLIX_FIELD(GetProcessorSocket, "/PROCESSORSOCKET")
TARNLIX_FIELD(GetProcessorManufacturer, "/PROCESSORMAN")
TARNLIX_FIELD(GetProcessorVersion, "/PROCESSORVER")
TARNLIX_FIELD(GetProcessorSerial, "/PROCESSORSERIAL")
TARNLIX_FIELD(GetProcessorAssetTag, "/PROCESSORASSET")
TARNLIX_FIELD(GetProcessorPartNumber, "/PROCESSORPARTNUM")
TARNLIX_FIELD(GetProcessorExtra, "/PROCESSOREXTRA")
TARNLIX_FIELD(GetCacheSocket, "/CACHESOCKET")
TARNLIX_FIELD(GetPortInternalRef, "/PORTINTERNALREF")
TARNLIX_FIELD(GetPortExternalRef, "/PORTEXTERNALREF")
TARNLIX_FIELD(GetPortExtra, "/PORTEXTRA")
TARNLIX_FIELD(GetSlotDesignation, "/SLOTDESIGNATION")
TARNLIX_FIELD(GetDeviceDescription, "/DEVICEDESC")
TARNLIX_FIELD(GetOemString1, "/OEM1")
TARNLIX_FIELD(GetOemString2, "/OEM2")
TARNLIX_FIELD(GetOemString3, "/OEM3")
TARNLIX_FIELD(GetOemString4, "/OEM4")
TARNLIX_FIELD(GetOemString5, "/OEM5")
TARNLIX_FIELD(GetOemString6, "/OEM6")
TARNLIX_FIELD(GetOemString7, "/OEM7")
TARNLIX_FIELD(GetMemoryDeviceLocator, "/MEMDEVLOC")
TARNLIX_FIELD(GetMemoryBankLocator, "/MEMBANKLOC")
TARNLIX_FIELD(GetMemoryManufacturer, "/MEMMAN")
TARNLIX_FIELD(GetMemorySerial, "/MEMSERIAL")
TARNLIX_FIELD(GetMemoryAssetTag, "/MEMASSET")
TARNLIX_FIELD(GetMemoryPartNumber, "/MEMPARTNO")
TARNLIX_FIELD(GetBatteryLocation, "/BATLOC")
TARNLIX_FIELD(GetBatteryManufacturer, "/BATMAN")
TARNLIX_FIELD(GetBatteryDate, "/BATDATE")
TARNLIX_FIELD(GetBatterySerial, "/BATSERIAL")
TARNLIX_FIELD(GetBatteryDeviceName, "/BATNAME")
TARNLIX_FIELD(GetBatterySbdsVersion, "/BATVER")
TARNLIX_FIELD(GetBatterySbdsChemistry, "/BATCHEM")

#undef TARNLIX_FIELD

const char* SmbiosReader::GetFirmwareDateIso() const {
  const FieldRow* field = FindField("/BIOSDATE");
  return Value(*field, 0, true);
}

}  // namespace tarnlix
