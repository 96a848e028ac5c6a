#include "cli/prom_output.h"

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

// The fields the metrics carry, decoded from one structure.
class Fields {
 public:
  explicit Fields(const SmbiosReader& reader) : reader_(reader) {}

  // A field's text (a list's items separated by ", "), or "" when absent.
  std::string Text(const SmbiosRecord* record, const char* selector) {
    return Decode(record, selector) ? value_.Joined() : "";
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

 private:
  bool Decode(const SmbiosRecord* record, const char* selector) {
    value_.Clear();
    const FieldRow* row = FindField(selector);
    if (record == nullptr || row == nullptr) return false;
    reader_.Decode(*row, *record, false, value_);
    return value_.present();
  }

  const SmbiosReader& reader_;
  FieldValue value_;
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

constexpr uint64_t kMega = 1000000;

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
  const SmbiosRecord* bios = reader.Instance(0, 0);
  const SmbiosRecord* system = reader.Instance(1, 0);
  const SmbiosRecord* board = reader.Instance(2, 0);
  const SmbiosRecord* chassis = reader.Instance(3, 0);
  out.Sample("tarnlix_system_info",
             {{"bios_vendor", fields.Text(bios, "/BIOSVENDOR")},
              {"bios_version", fields.Text(bios, "/BIOSVER")},
              {"bios_date", fields.Text(bios, "/BIOSDATE")},
              {"system_manufacturer", fields.Text(system, "/PCMAKER")},
              {"system_product", fields.Text(system, "/PCNAME")},
              {"system_version", fields.Text(system, "/PCVER")},
              {"system_serial", fields.Text(system, "/PCSERIAL")},
              {"system_uuid", fields.Text(system, "/PCUUID")},
              {"system_sku", fields.Text(system, "/PCSKU")},
              {"system_family", fields.Text(system, "/PCFAMILY")},
              {"board_manufacturer", fields.Text(board, "/BOARDMAN")},
              {"board_product", fields.Text(board, "/BOARDPRODUCT")},
              {"board_serial", fields.Text(board, "/BOARDSERIAL")},
              {"chassis_type", fields.Text(chassis, "/ENCLOSURETYPE")},
              {"chassis_serial", fields.Text(chassis, "/ENCLOSURESERIAL")},
              {"chassis_asset_tag", fields.Text(chassis, "/ENCLOSUREASSET")}},
             "1");

  // Processors: the populated sockets.
  std::vector<const SmbiosRecord*> processors;
  for (size_t i = 0; i < reader.InstanceCount(4); ++i) {
    const SmbiosRecord* record = reader.Instance(4, i);
    if (fields.Text(record, "/PROCESSORSTATUS") != "Unpopulated") processors.push_back(record);
  }
  out.Family("tarnlix_processor_info", "A populated processor socket and its processor.");
  for (const SmbiosRecord* record : processors) {
    out.Sample("tarnlix_processor_info",
               {HandleLabel(record),
                {"socket", fields.Text(record, "/PROCESSORSOCKET")},
                {"manufacturer", fields.Text(record, "/PROCESSORMAN")},
                {"version", fields.Text(record, "/PROCESSORVER")},
                {"family", fields.Text(record, "/PROCESSORFAMILY")}},
               "1");
  }
  struct Gauge {
    const char* name;
    const char* help;
    const char* selector;
    uint64_t scale;
  };
  const Gauge processorGauges[] = {
      {"tarnlix_processor_cores", "Cores of the processor.", "/PROCESSORCORES", 1},
      {"tarnlix_processor_threads", "Threads of the processor.", "/PROCESSORTHREADS", 1},
      {"tarnlix_processor_speed_hertz", "Current speed of the processor.", "/PROCESSORSPEED", kMega},
  };
  for (const Gauge& gauge : processorGauges) {
    out.Family(gauge.name, gauge.help);
    for (const SmbiosRecord* record : processors) {
      std::string value = fields.Number(record, gauge.selector, gauge.scale);
      if (!value.empty()) {
        out.Sample(gauge.name,
                   {HandleLabel(record), {"socket", fields.Text(record, "/PROCESSORSOCKET")}},
                   value);
      }
    }
  }

  // Memory modules: the slots that hold one.
  std::vector<const SmbiosRecord*> modules;
  size_t slots = reader.InstanceCount(17);
  for (size_t i = 0; i < slots; ++i) {
    const SmbiosRecord* record = reader.Instance(17, i);
    if (!fields.Number(record, "/MEMSIZE").empty()) modules.push_back(record);
  }
  out.Family("tarnlix_memory_module_info", "A memory module and the slot that holds it.");
  for (const SmbiosRecord* record : modules) {
    out.Sample("tarnlix_memory_module_info",
               {HandleLabel(record),
                {"locator", fields.Text(record, "/MEMDEVLOC")},
                {"bank", fields.Text(record, "/MEMBANKLOC")},
                {"manufacturer", fields.Text(record, "/MEMMAN")},
                {"part_number", fields.Text(record, "/MEMPARTNO")},
                {"serial", fields.Text(record, "/MEMSERIAL")},
                {"type", fields.Text(record, "/MEMTYPE")},
                {"form_factor", fields.Text(record, "/MEMFORMFACTOR")}},
               "1");
  }
  const Gauge moduleGauges[] = {
      {"tarnlix_memory_module_size_bytes", "Size of the memory module.", "/MEMSIZE", 1 << 20},
      {"tarnlix_memory_module_configured_speed_transfers_per_second",
       "Speed the memory module is configured to run at.", "/MEMCONFSPEED", kMega},
  };
  for (const Gauge& gauge : moduleGauges) {
    out.Family(gauge.name, gauge.help);
    for (const SmbiosRecord* record : modules) {
      std::string value = fields.Number(record, gauge.selector, gauge.scale);
      if (!value.empty()) {
        out.Sample(gauge.name,
                   {HandleLabel(record),
                    {"locator", fields.Text(record, "/MEMDEVLOC")},
                    {"bank", fields.Text(record, "/MEMBANKLOC")}},
                   value);
      }
    }
  }
  out.Family("tarnlix_memory_slots", "Memory device slots the table describes.");
  out.Sample("tarnlix_memory_slots", {}, std::to_string(slots));
  out.Family("tarnlix_memory_populated_slots", "Memory device slots that hold a module.");
  out.Sample("tarnlix_memory_populated_slots", {}, std::to_string(modules.size()));
  out.Family("tarnlix_memory_total_bytes", "Total size of the memory modules.");
  std::string total = fields.Number(reader.Instance(17, 0), "/MEMTOTAL", 1 << 20);
  if (!total.empty()) out.Sample("tarnlix_memory_total_bytes", {}, total);

  // Power supplies, present or not: a failed one shows in its status.
  auto identity = [&fields](const SmbiosRecord* record) {
    return std::vector<Label>{HandleLabel(record),
                              {"location", fields.Text(record, "/PSULOCATION")},
                              {"name", fields.Text(record, "/PSUNAME")},
                              {"serial", fields.Text(record, "/PSUSERIAL")}};
  };
  out.Family("tarnlix_power_supply_info", "A power supply and its status.");
  for (size_t i = 0; i < reader.InstanceCount(39); ++i) {
    const SmbiosRecord* record = reader.Instance(39, i);
    std::vector<Label> labels = identity(record);
    labels.push_back({"manufacturer", fields.Text(record, "/PSUMAN")});
    labels.push_back({"part_number", fields.Text(record, "/PSUPARTNO")});
    labels.push_back({"revision", fields.Text(record, "/PSUREV")});
    labels.push_back({"status", fields.Text(record, "/PSUSTATUS")});
    out.Sample("tarnlix_power_supply_info", labels, "1");
  }
  out.Family("tarnlix_power_supply_max_power_watts", "Maximum power the power supply gives.");
  for (size_t i = 0; i < reader.InstanceCount(39); ++i) {
    const SmbiosRecord* record = reader.Instance(39, i);
    std::string watts = fields.Number(record, "/PSUMAXPOWER");
    if (!watts.empty()) out.Sample("tarnlix_power_supply_max_power_watts", identity(record), watts);
  }

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

int PrintProm(const SmbiosReader& reader, const SmbiosReader* baseline) {
  // The exposition format has LF line ends on every system.
  platform().system->WriteStdoutAsBytes();
  bool changed = false;
  WriteOut(PromExposition(reader, baseline, &changed));
  return changed ? kExitChanged : kExitSuccess;
}

}  // namespace tarnlix
