#include "cli/selectors.h"

#include "net/network_info.h"
#include "platform/stdout.h"

namespace tarnlix {

namespace {

using R = SmbiosReader;

SelectorRow Field(const char* text, FieldAccessor accessor,
                  FieldAccessor isoAccessor = nullptr) {
  return {text, SelectorKind::Field, accessor, isoAccessor, 0};
}

SelectorRow Group(const char* text, int type) {
  return {text, SelectorKind::Group, nullptr, nullptr, type};
}

const std::vector<SelectorRow> kRows = {
    {"/NAME", SelectorKind::HostName, nullptr, nullptr, 0},
    Group("/BIOS", 0),
    Field("/BIOSVENDOR", &R::GetFirmwareVendor),
    Field("/BIOSVER", &R::GetFirmwareVersion),
    Field("/BIOSDATE", &R::GetFirmwareDate, &R::GetFirmwareDateIso),
    Group("/PC", 1),
    Field("/PCMAKER", &R::GetSystemManufacturer),
    Field("/PCNAME", &R::GetSystemProductName),
    Field("/PCVER", &R::GetSystemVersion),
    Field("/PCSERIAL", &R::GetSystemSerial),
    Field("/PCSKU", &R::GetSystemSku),
    Field("/PCFAMILY", &R::GetSystemFamily),
    Field("/PCUUID", &R::GetSystemUuid),
    Group("/BOARD", 2),
    Field("/BOARDMAN", &R::GetBoardManufacturer),
    Field("/BOARDPRODUCT", &R::GetBoardProductName),
    Field("/BOARDVER", &R::GetBoardVersion),
    Field("/BOARDSERIAL", &R::GetBoardSerial),
    Field("/BOARDASSET", &R::GetBoardAssetTag),
    Field("/BOARDLOCATION", &R::GetBoardLocation),
    Group("/ENCLOSURE", 3),
    Field("/ENCLOSUREMAN", &R::GetEnclosureManufacturer),
    // The misspelt text is what scripts have always used; both work.
    Field("/ENCLOSEURETYPE", &R::GetEnclosureType),
    Field("/ENCLOSURETYPE", &R::GetEnclosureType),
    Field("/ENCLOSUREVER", &R::GetEnclosureVersion),
    Field("/ENCLOSURESERIAL", &R::GetEnclosureSerial),
    Group("/PROCESSOR", 4),
    Field("/PROCESSORSOCKET", &R::GetProcessorSocket),
    Field("/PROCESSORMAN", &R::GetProcessorManufacturer),
    Field("/PROCESSORVER", &R::GetProcessorVersion),
    Field("/PROCESSORSERIAL", &R::GetProcessorSerial),
    Field("/PROCESSORASSET", &R::GetProcessorAssetTag),
    Field("/PROCESSORPARTNUM", &R::GetProcessorPartNumber),
    Field("/PROCESSOREXTRA", &R::GetProcessorExtra),
    Field("/CACHESOCKET", &R::GetCacheSocket),
    Group("/PORT", 8),
    Field("/PORTINTERNALREF", &R::GetPortInternalRef),
    Field("/PORTEXTERNALREF", &R::GetPortExternalRef),
    Field("/PORTEXTRA", &R::GetPortExtra),
    Group("/SLOT", 9),
    Field("/SLOTDESIGNATION", &R::GetSlotDesignation),
    Field("/DEVICEDESC", &R::GetDeviceDescription),
    Group("/OEM", 11),
    Field("/OEM1", &R::GetOemString1),
    Field("/OEM2", &R::GetOemString2),
    Field("/OEM3", &R::GetOemString3),
    Field("/OEM4", &R::GetOemString4),
    Field("/OEM5", &R::GetOemString5),
    Field("/OEM6", &R::GetOemString6),
    Field("/OEM7", &R::GetOemString7),
    Group("/MEM", 17),
    Field("/MEMBANKLOC", &R::GetMemoryBankLocator),
    Field("/MEMMAN", &R::GetMemoryManufacturer),
    Field("/MEMSERIAL", &R::GetMemorySerial),
    Field("/MEMASSET", &R::GetMemoryAssetTag),
    Field("/MEMPARTNO", &R::GetMemoryPartNumber),
    Group("/BATTERY", 22),
    Field("/BATLOC", &R::GetBatteryLocation),
    Field("/BATMAN", &R::GetBatteryManufacturer),
    Field("/BATDATE", &R::GetBatteryDate),
    Field("/BATSERIAL", &R::GetBatterySerial),
    Field("/BATNAME", &R::GetBatteryDeviceName),
    Field("/BATVER", &R::GetBatterySbdsVersion),
    Field("/BATCHEM", &R::GetBatterySbdsChemistry),
};

}  // namespace

const std::vector<SelectorRow>& SelectorTable() { return kRows; }

const SelectorRow* FindSelector(const char* selector) {
  for (const SelectorRow& row : kRows) {
    if (EqualsIgnoringCase(selector, row.text)) return &row;
  }
  return nullptr;
}

SelectorOutcome PrintSelectors(const SmbiosReader& reader,
                               const OutputOptions& options,
                               const std::vector<const char*>& selectors,
                               int* runResult) {
  for (size_t i = 0; i < selectors.size(); ++i) {
    // The quote comes before the selector is known, so group switches and
    // unknown words get it too.
    if (options.csv) WriteOut("\"");
    const SelectorRow* row = FindSelector(selectors[i]);
    if (row != nullptr) {
      switch (row->kind) {
        case SelectorKind::Field: {
          FieldAccessor accessor =
              options.iso && row->isoAccessor ? row->isoAccessor : row->accessor;
          if (const char* value = (reader.*accessor)()) WriteOut(value);
          break;
        }
        case SelectorKind::Group:
          reader.PrintGroup(row->groupType);
          return SelectorOutcome::GroupEnded;
        case SelectorKind::HostName: {
          NetworkInfo info;
          int code = GetNetworkInfo(&info);
          *runResult = code;
          if (code != 0 && options.verbose) {
            // A failed lookup must not look like success to the script.
            ExitWithMessage("Error: Failed to retrieve network information\n",
                            code);
          }
          if (info.hostName != nullptr) WriteOut(info.hostName);
          FreeNetworkInfo(&info);
          break;
        }
      }
    }
    if (options.csv) {
      WriteOut(i + 1 < selectors.size() ? "\"," : "\"");
    } else if (options.tab) {
      WriteOut("\t");
    } else if (options.space) {
      WriteOut(" ");
    }
  }
  return SelectorOutcome::Completed;
}

}  // namespace tarnlix
