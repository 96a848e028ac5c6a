#include "cli/prom_output.h"

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/utf8.h"
#include "smbios/table_diff.h"
#include "platform/platform.h"
#include "platform/stdout.h"

namespace tarnlix {

namespace {

struct Label {
  const char* name;
  std::string value;
};

// Writes the exposition: every family with its HELP and TYPE lines, even
// one without samples, so that the same table always gives the same lines.
class Exposition {
 public:
  void Family(const char* name, const char* help) {
    out_ += "# HELP ";
    out_ += name;
    out_ += ' ';
    out_ += help;
    out_ += "\n# TYPE ";
    out_ += name;
    out_ += " gauge\n";
  }

  // A sample, left out when a series with the same labels was written
  // already: the exposition must not hold one series twice, and a table
  // that gives two structures the same handle can ask for that.
  void Sample(const char* name, const std::vector<Label>& labels, const std::string& value) {
    std::string series = name;
    if (!labels.empty()) {
      series += '{';
      for (size_t i = 0; i < labels.size(); ++i) {
        if (i != 0) series += ',';
        series += labels[i].name;
        series += "=\"";
        AppendLabelValue(series, labels[i].value);
        series += '"';
      }
      series += '}';
    }
    if (!written_.insert(series).second) return;
    out_ += series;
    out_ += ' ';
    out_ += value;
    out_ += '\n';
  }

  const std::string& text() const { return out_; }

 private:
  // Backslash, double quote and line end are escaped; bytes that are not
  // UTF-8 are read as Latin-1.
  static void AppendLabelValue(std::string& out, const std::string& value) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(value.data());
    ForEachUtf8Byte(bytes, bytes + value.size(), [&out](unsigned char c) {
      switch (c) {
        case '\\': out += "\\\\"; return;
        case '"': out += "\\\""; return;
        case '\n': out += "\\n"; return;
        default: out += static_cast<char>(c);
      }
    });
  }

  std::string out_;
  std::set<std::string> written_;
};

// What the exposition carries, declared once: which fields become labels
// and gauges. Every selector named here must be a field's (a test checks),
// so that a misspelt one cannot leave a label empty without a word.

// A label: its name in the exposition and the field whose text it carries.
struct PromLabel {
  const char* name;
  const char* selector;
};

// The value a gauge takes from a structure where it is not a field's whole
// number: false when the structure gives none.
using GaugeValue = bool (*)(const FieldRow& row, const StructureView& structure, uint64_t* value);

// A gauge of a component: a whole-number field scaled to its base unit, or
// what `derive` makes of the field.
struct PromGauge {
  const char* name;
  const char* help;
  const char* selector;
  uint64_t scale = 1;
  GaugeValue derive = nullptr;
  // Sampled for every structure of the type, not only the present ones.
  bool everyStructure = false;
};

// Which structures of a type are components that are there.
enum class Presence : uint8_t {
  Every,
  Valued,     // the field `present` has a value (a slot's module size)
  Populated,  // the socket's status byte (the field `present`) says so
};

// How the series of one component are told from those of the others with
// the same key texts.
enum class Distinction : uint8_t {
  Handle,  // "handle": its structure's handle
  Place,   // "index": its place among those with the same key texts, from 1,
           // which a table renumbered by a structure added before it keeps
};

// A kind of component: the structures of a type, each with an info series
// (its keys and details) and a series per gauge (its keys only, which join
// them to the info series).
struct PromComponent {
  uint16_t type;
  const char* info;
  const char* help;
  Presence presence;
  const char* present;  // the field presence reads, or null
  Distinction distinction;
  std::initializer_list<PromLabel> keys;
  std::initializer_list<PromLabel> details;
  std::initializer_list<PromGauge> gauges;
};

constexpr uint64_t kMega = 1000000;

// The status byte of a processor socket: bit 6 set when the socket holds a
// processor, bits 0 to 2 the processor's state, 1 when it is enabled.
constexpr uint8_t kSocketPopulated = 0x40;
constexpr uint8_t kCpuStateMask = 0x07;
constexpr uint8_t kCpuEnabled = 1;

bool StatusByte(const FieldRow& row, const StructureView& structure, uint8_t* status) {
  if (!structure.Has(row.at, 1)) return false;
  *status = structure.bytes[row.at];
  return true;
}

bool ProcessorEnabled(const FieldRow& row, const StructureView& structure, uint64_t* value) {
  uint8_t status = 0;
  if (!StatusByte(row, structure, &status)) return false;
  *value = (status & kSocketPopulated) != 0 && (status & kCpuStateMask) == kCpuEnabled;
  return true;
}

// Identity of the machine, from the first structure of each type (or the
// whole table, for a value of the table).
const PromLabel kSystemLabels[] = {
    {"bios_vendor", "/BIOSVENDOR"},
    {"bios_version", "/BIOSVER"},
    {"bios_date", "/BIOSDATE"},
    {"system_manufacturer", "/PCMAKER"},
    {"system_product", "/PCNAME"},
    {"system_version", "/PCVER"},
    {"system_serial", "/PCSERIAL"},
    {"system_uuid", "/PCUUID"},
    {"system_sku", "/PCSKU"},
    {"system_family", "/PCFAMILY"},
    {"board_manufacturer", "/BOARDMAN"},
    {"board_product", "/BOARDPRODUCT"},
    {"board_serial", "/BOARDSERIAL"},
    {"chassis_type", "/ENCLOSURETYPE"},
    {"chassis_serial", "/ENCLOSURESERIAL"},
    {"chassis_asset_tag", "/ENCLOSUREASSET"},
    {"machine_maker", "/MACHINEMAKER"},
    {"machine_model", "/MACHINEMODEL"},
    {"machine_serial", "/MACHINESERIAL"},
    {"machine_uuid", "/MACHINEUUID"},
    {"machine_virtual", "/MACHINEVIRTUAL"},
};

const PromComponent kComponents[] = {
    {4, "tarnlix_processor_info", "A populated processor socket and its processor.",
     Presence::Populated, "/PROCESSORSTATUS", Distinction::Handle,
     {{"socket", "/PROCESSORSOCKET"}},
     {{"manufacturer", "/PROCESSORMAN"}, {"version", "/PROCESSORVER"},
      {"family", "/PROCESSORFAMILY"}},
     {{"tarnlix_processor_cores", "Cores of the processor.", "/PROCESSORCORES"},
      {"tarnlix_processor_threads", "Threads of the processor.", "/PROCESSORTHREADS"},
      {"tarnlix_processor_speed_hertz", "Current speed of the processor.", "/PROCESSORSPEED",
       kMega},
      {"tarnlix_processor_enabled",
       "1 when the socket holds a processor and the processor is enabled, 0 otherwise (an "
       "empty socket, a processor the BIOS disabled).",
       "/PROCESSORSTATUS", 1, ProcessorEnabled, true}}},
    {17, "tarnlix_memory_module_info", "A memory module and the slot that holds it.",
     Presence::Valued, "/MEMSIZE", Distinction::Handle,
     {{"locator", "/MEMDEVLOC"}, {"bank", "/MEMBANKLOC"}},
     {{"manufacturer", "/MEMMAN"}, {"part_number", "/MEMPARTNO"}, {"serial", "/MEMSERIAL"},
      {"type", "/MEMTYPE"}, {"form_factor", "/MEMFORMFACTOR"}},
     {{"tarnlix_memory_module_size_bytes", "Size of the memory module.", "/MEMSIZE", 1 << 20},
      {"tarnlix_memory_module_configured_speed_transfers_per_second",
       "Speed the memory module is configured to run at.", "/MEMCONFSPEED", kMega}}},
    // Present or not: a failed supply shows in its status.
    {39, "tarnlix_power_supply_info", "A power supply and its status.", Presence::Every,
     nullptr, Distinction::Place,
     {{"location", "/PSULOCATION"}, {"name", "/PSUNAME"}, {"serial", "/PSUSERIAL"}},
     {{"manufacturer", "/PSUMAN"}, {"part_number", "/PSUPARTNO"}, {"revision", "/PSUREV"},
      {"status", "/PSUSTATUS"}},
     {{"tarnlix_power_supply_max_power_watts", "Maximum power the power supply gives.",
       "/PSUMAXPOWER"}}},
};

// The memory slots' gauges: the slots, those that hold a module (whose size
// has a value), and the modules' total.
constexpr const char* kModuleSize = "/MEMSIZE";
constexpr const char* kMemoryTotal = "/MEMTOTAL";

// The fields the metrics carry, decoded from one structure.
class Fields {
 public:
  explicit Fields(const SmbiosReader& reader) : reader_(reader) {}

  // A field's text (a list's items separated by ", "), or "" when absent.
  std::string Text(const SmbiosRecord* record, const char* selector) {
    return Decode(record, selector) ? value_.Joined() : "";
  }

  // A field of the first structure of its type, or of the whole table.
  std::string FirstText(const char* selector) {
    value_.Clear();
    if (const FieldRow* row = Row(selector)) reader_.Decode(*row, 0, false, value_);
    return value_.present() ? value_.Joined() : "";
  }

  // A gauge's value, or "" when the structure gives none.
  std::string Gauge(const SmbiosRecord* record, const PromGauge& gauge) {
    if (gauge.derive != nullptr) {
      const FieldRow* row = Row(gauge.selector);
      uint64_t number = 0;
      if (row == nullptr || !gauge.derive(*row, reader_.View(*record), &number)) return "";
      return std::to_string(number * gauge.scale);
    }
    return Number(record, gauge.selector, gauge.scale);
  }

  // A whole number field scaled to its base unit, or "" when absent.
  std::string Number(const SmbiosRecord* record, const char* selector, uint64_t scale = 1) {
    if (!Decode(record, selector) || value_.kind() != FieldValue::Kind::Number) return "";
    uint64_t number = 0;
    for (char c : value_.text()) {
      if (c < '0' || c > '9') return "";  // not a whole number
      number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    return std::to_string(number * scale);
  }

  // Whether a structure is a component that is there.
  bool Present(const SmbiosRecord* record, const PromComponent& component) {
    switch (component.presence) {
      case Presence::Every: return true;
      case Presence::Valued: return !Number(record, component.present).empty();
      case Presence::Populated: {
        // A socket whose structure is too old to say counts as populated.
        const FieldRow* row = Row(component.present);
        uint8_t status = 0;
        return row == nullptr || !StatusByte(*row, reader_.View(*record), &status) ||
               (status & kSocketPopulated) != 0;
      }
    }
    return false;
  }

 private:
  bool Decode(const SmbiosRecord* record, const char* selector) {
    value_.Clear();
    const FieldRow* row = Row(selector);
    if (record == nullptr || row == nullptr) return false;
    reader_.Decode(*row, *record, false, value_);
    return value_.present();
  }

  // A selector's row, looked up once per run rather than per structure.
  const FieldRow* Row(const char* selector) {
    auto [found, added] = rows_.try_emplace(selector, nullptr);
    if (added) found->second = FindField(selector);
    return found->second;
  }

  const SmbiosReader& reader_;
  FieldValue value_;
  std::map<const char*, const FieldRow*> rows_;  // by the declared texts' addresses
};

// The label that tells one structure from every other of the table, so that
// components with the same slot texts each keep their series and a
// component's gauges join its info series.
Label HandleLabel(const SmbiosRecord* record) {
  FieldValue handle;
  handle.BeginText();
  handle.AppendHex(record->handle, 4);
  return {"handle", std::string(handle.text())};
}

// The series of one kind of component.
void AddComponent(Exposition& out, Fields& fields, const SmbiosReader& reader,
                  const PromComponent& component) {
  struct Found {
    const SmbiosRecord* record;
    bool present;
    std::vector<Label> keys;
  };
  std::vector<Found> found;
  std::map<std::vector<std::string>, size_t> places;
  for (size_t i = 0; i < reader.InstanceCount(component.type); ++i) {
    const SmbiosRecord* record = reader.Instance(component.type, i);
    Found& item = found.emplace_back(Found{record, fields.Present(record, component), {}});
    if (component.distinction == Distinction::Handle) item.keys.push_back(HandleLabel(record));
    std::vector<std::string> texts;
    for (const PromLabel& key : component.keys) {
      item.keys.push_back({key.name, fields.Text(record, key.selector)});
      texts.push_back(item.keys.back().value);
    }
    if (component.distinction == Distinction::Place) {
      item.keys.push_back({"index", std::to_string(++places[texts])});
    }
  }
  out.Family(component.info, component.help);
  for (const Found& item : found) {
    if (!item.present) continue;
    std::vector<Label> labels = item.keys;
    for (const PromLabel& detail : component.details) {
      labels.push_back({detail.name, fields.Text(item.record, detail.selector)});
    }
    out.Sample(component.info, labels, "1");
  }
  for (const PromGauge& gauge : component.gauges) {
    out.Family(gauge.name, gauge.help);
    for (const Found& item : found) {
      if (!item.present && !gauge.everyStructure) continue;
      std::string value = fields.Gauge(item.record, gauge);
      if (!value.empty()) out.Sample(gauge.name, item.keys, value);
    }
  }
}

// How many structures of each group differ from the baseline.
class ChangeCounter : public DiffVisitor {
 public:
  void Removed(const StructureGroup& group, const SmbiosRecord&, std::string_view) override {
    ++counts_[group.selector + 1];
  }
  void Added(const StructureGroup& group, const SmbiosRecord&, std::string_view) override {
    ++counts_[group.selector + 1];
  }
  // A structure counts once, however many of its fields changed.
  void Changed(const StructureGroup& group, const SmbiosRecord& record, std::string_view,
               const FieldRow&, const FieldValue&, const FieldValue&) override {
    if (changed_.insert(&record).second) ++counts_[group.selector + 1];
  }
  std::map<std::string, uint64_t>& counts() { return counts_; }

 private:
  std::map<std::string, uint64_t> counts_;
  std::set<const SmbiosRecord*> changed_;
};


}  // namespace

std::string PromExposition(const SmbiosReader& reader, const SmbiosReader* baseline,
                           bool* changed) {
  Exposition out;
  Fields fields(reader);

  out.Family("tarnlix_smbios_info",
             "The SMBIOS table read: its version and the source it came from.");
  std::string version;
  if (reader.versionMajor > 0) {
    version = std::to_string(reader.versionMajor) + "." + std::to_string(reader.versionMinor);
  }
  out.Sample("tarnlix_smbios_info",
             {{"version", version}, {"source", reader.SourceName()}},
             "1");

  out.Family("tarnlix_system_info",
             "Identity of the machine: BIOS, system, baseboard and chassis.");
  std::vector<Label> identity;
  for (const PromLabel& label : kSystemLabels) {
    identity.push_back({label.name, fields.FirstText(label.selector)});
  }
  out.Sample("tarnlix_system_info", identity, "1");

  for (const PromComponent& component : kComponents) AddComponent(out, fields, reader, component);

  // The memory slots, and the modules' total.
  size_t slots = reader.InstanceCount(17);
  size_t modules = 0;
  for (size_t i = 0; i < slots; ++i) {
    modules += !fields.Number(reader.Instance(17, i), kModuleSize).empty();
  }
  out.Family("tarnlix_memory_slots", "Memory device slots the table describes.");
  out.Sample("tarnlix_memory_slots", {}, std::to_string(slots));
  out.Family("tarnlix_memory_populated_slots", "Memory device slots that hold a module.");
  out.Sample("tarnlix_memory_populated_slots", {}, std::to_string(modules));
  out.Family("tarnlix_memory_total_bytes", "Total size of the memory modules.");
  std::string total = fields.Number(reader.Instance(17, 0), kMemoryTotal, 1 << 20);
  if (!total.empty()) out.Sample("tarnlix_memory_total_bytes", {}, total);

  // Every group either table has, so that a change back to the baseline
  // reads 0 rather than nothing.
  if (baseline != nullptr) {
    ChangeCounter changes;
    bool differs = CompareTables(*baseline, reader, changes);
    if (changed != nullptr) *changed = differs;
    out.Family("tarnlix_inventory_changes",
               "Structures added, removed or changed since the baseline table.");
    for (size_t g = 0; g < StructureGroupCount(); ++g) {
      const StructureGroup& group = StructureGroups()[g];
      if (reader.InstanceCount(group.type) == 0 && baseline->InstanceCount(group.type) == 0) {
        continue;
      }
      uint64_t count = changes.counts()[group.selector + 1];
      out.Sample("tarnlix_inventory_changes", {{"group", group.selector + 1}},
                 std::to_string(count));
    }
  }
  return out.text();
}

std::vector<PromField> PromFields() {
  std::vector<PromField> fields = {{kModuleSize, true, 17}, {kMemoryTotal, true, -1}};
  for (const PromLabel& label : kSystemLabels) fields.push_back({label.selector, false, -1});
  for (const PromComponent& component : kComponents) {
    int type = component.type;
    if (component.present != nullptr) fields.push_back({component.present, false, type});
    for (const auto* labels : {&component.keys, &component.details}) {
      for (const PromLabel& label : *labels) fields.push_back({label.selector, false, type});
    }
    for (const PromGauge& gauge : component.gauges) {
      fields.push_back({gauge.selector, gauge.derive == nullptr, type});
    }
  }
  return fields;
}

int PrintProm(const SmbiosReader& reader, const SmbiosReader* baseline) {
  // The exposition format has LF line ends on every system.
  platform().system->WriteStdoutAsBytes();
  bool changed = false;
  WriteOut(PromExposition(reader, baseline, &changed));
  return changed ? kExitChanged : kExitSuccess;
}

}  // namespace tarnlix
