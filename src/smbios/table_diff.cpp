#include "smbios/table_diff.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace tarnlix {

namespace {

// A structure as /DIFF sees it: the values that identify it, and how many
// structures of its type before it have the same values.
struct Identity {
  const SmbiosRecord* record;
  std::string key;   // the identifying values, each ended by a unit separator
  std::string name;  // the same as a reader reads them
  size_t occurrence = 0;  // among those of its key, in table order
  size_t sharing = 0;  // structures of its type with its key, in the table that has more
};

// The structures of a group in one table, identified, in table order; and
// their indices in key order, those of one key in table order.
std::vector<Identity> IdentitiesOf(const SmbiosReader& reader, const StructureGroup& group,
                                   FieldValue& value, std::vector<size_t>* sorted) {
  std::vector<Identity> identities;
  size_t count = reader.InstanceCount(group.type);
  identities.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    Identity& identity = identities.emplace_back(Identity{reader.Instance(group.type, i), {}, {}});
    StructureView view = reader.View(*identity.record);
    for (size_t r = 0; r < group.rowCount; ++r) {
      const FieldRow& row = group.rows[r];
      if (!row.identifies) continue;
      DecodeField(row, view, false, value);
      std::string text = value.Joined();
      identity.key += text;
      identity.key += '\x1F';
      if (text.empty()) continue;
      // A bare number says nothing of what it counts: "Level 2".
      if (!identity.name.empty()) identity.name += ' ';
      if (value.kind() == FieldValue::Kind::Number) {
        identity.name += row.ReportLabel();
        identity.name += ' ';
      }
      identity.name += text;
    }
  }
  sorted->resize(count);
  for (size_t i = 0; i < count; ++i) (*sorted)[i] = i;
  std::stable_sort(sorted->begin(), sorted->end(), [&identities](size_t a, size_t b) {
    return identities[a].key < identities[b].key;
  });
  return identities;
}

// The name of a structure: its identifying values, and its place among
// those with the same ones where that alone tells it apart (every
// structure's, where its type has no identifying field).
std::string NameOf(const Identity& identity) {
  std::string name = identity.name;
  if (identity.sharing > 1) {
    if (!name.empty()) name += ' ';
    name += '#';
    name += std::to_string(identity.occurrence + 1);
  }
  return name;
}

// A structure as /DIFF compares it: a copy of its formatted area with its
// own handle (header bytes 2 and 3) blanked. A structure added early in a
// table renumbers the later ones, and a value that shows the header (an OEM
// structure's bytes) must not change by that alone.
class ComparedView {
 public:
  ComparedView(const SmbiosReader& reader, const SmbiosRecord& record) : view_(reader.View(record)) {
    std::memcpy(bytes_, view_.bytes, view_.length);
    if (view_.length >= 4) bytes_[2] = bytes_[3] = 0;
    view_.bytes = bytes_;
  }
  ComparedView(const ComparedView&) = delete;
  ComparedView& operator=(const ComparedView&) = delete;
  StructureView& view() { return view_; }

 private:
  uint8_t bytes_[256] = {};
  StructureView view_;
};

// Every value /DIFF compares of a structure, in row order.
std::vector<std::string> ComparedValues(const SmbiosReader& reader, const StructureGroup& group,
                                        const SmbiosRecord& record, FieldValue& value) {
  ComparedView compared(reader, record);
  const StructureView& view = compared.view();
  std::vector<std::string> values;
  for (size_t r = 0; r < group.rowCount; ++r) {
    const FieldRow& row = group.rows[r];
    if (!row.Compared()) continue;
    DecodeField(row, view, false, value);
    values.push_back(value.Joined());
  }
  return values;
}

// Past this many structures of one key, pairing by values (which weighs
// every pair) gives way to pairing by order.
constexpr size_t kMostPairedByValues = 128;

// Pairs the structures of one key (before[beforeOrder[b..bEnd)] with
// after[afterOrder[a..aEnd)]) the pairs that read most alike first, so that
// a device added among many unnamed ones, which renumbers their instances,
// is that one added rather than every later one changed.
void PairByValues(const SmbiosReader& saved, const SmbiosReader& now, const StructureGroup& group,
                  const std::vector<Identity>& before, const std::vector<size_t>& beforeOrder,
                  size_t b, size_t bEnd, const std::vector<Identity>& after,
                  const std::vector<size_t>& afterOrder, size_t a, size_t aEnd,
                  std::vector<size_t>& match, std::vector<bool>& matched) {
  FieldValue value;
  std::vector<std::vector<std::string>> was;
  std::vector<std::vector<std::string>> is;
  for (size_t k = b; k < bEnd; ++k) {
    was.push_back(ComparedValues(saved, group, *before[beforeOrder[k]].record, value));
  }
  for (size_t k = a; k < aEnd; ++k) {
    is.push_back(ComparedValues(now, group, *after[afterOrder[k]].record, value));
  }
  struct Pair {
    size_t alike;
    size_t j;  // in after's run
    size_t k;  // in before's run
  };
  std::vector<Pair> pairs;
  pairs.reserve(was.size() * is.size());
  for (size_t j = 0; j < is.size(); ++j) {
    for (size_t k = 0; k < was.size(); ++k) {
      size_t alike = 0;
      for (size_t v = 0; v < is[j].size(); ++v) alike += is[j][v] == was[k][v];
      pairs.push_back({alike, j, k});
    }
  }
  // Most alike first; among as alike, in table order.
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const Pair& x, const Pair& y) { return x.alike > y.alike; });
  for (const Pair& pair : pairs) {
    size_t current = afterOrder[a + pair.j];
    size_t previous = beforeOrder[b + pair.k];
    if (match[current] != before.size() || matched[previous]) continue;
    match[current] = previous;
    matched[previous] = true;
  }
}

bool SameValue(const FieldValue& a, const FieldValue& b) {
  return a.kind() == b.kind() && a.text() == b.text();
}

// Structures of the same bytes (but for their handles, blanked), decoded as
// the same version, have the same values: nothing needs decoding.
bool SameBytes(const StructureView& a, const StructureView& b) {
  return a.length == b.length && a.stringsLength == b.stringsLength &&
         a.versionMajor == b.versionMajor && a.versionMinor == b.versionMinor &&
         std::equal(a.bytes, a.bytes + a.length, b.bytes) &&
         std::equal(a.strings, a.strings + a.stringsLength, b.strings);
}

}  // namespace

bool CompareTables(const SmbiosReader& saved, const SmbiosReader& now, DiffVisitor& visitor) {
  bool differs = false;
  FieldValue was;
  FieldValue is;
  std::vector<size_t> beforeOrder;
  std::vector<size_t> afterOrder;
  for (size_t g = 0; g < StructureGroupCount(); ++g) {
    const StructureGroup& group = StructureGroups()[g];
    if (saved.InstanceCount(group.type) == 0 && now.InstanceCount(group.type) == 0) continue;
    std::vector<Identity> before = IdentitiesOf(saved, group, was, &beforeOrder);
    std::vector<Identity> after = IdentitiesOf(now, group, is, &afterOrder);

    // Both lists in key order, walked side by side one key at a time.
    std::vector<size_t> match(after.size(), before.size());  // none
    std::vector<bool> matched(before.size(), false);
    for (size_t b = 0, a = 0; b < before.size() || a < after.size();) {
      bool fromBefore = b < before.size() &&
                        (a == after.size() || before[beforeOrder[b]].key <= after[afterOrder[a]].key);
      const std::string key = fromBefore ? before[beforeOrder[b]].key : after[afterOrder[a]].key;
      size_t bEnd = b;
      while (bEnd < before.size() && before[beforeOrder[bEnd]].key == key) ++bEnd;
      size_t aEnd = a;
      while (aEnd < after.size() && after[afterOrder[aEnd]].key == key) ++aEnd;
      size_t sharing = std::max(bEnd - b, aEnd - a);
      for (size_t k = b; k < bEnd; ++k) before[beforeOrder[k]].occurrence = k - b;
      for (size_t k = a; k < aEnd; ++k) after[afterOrder[k]].occurrence = k - a;
      for (size_t k = b; k < bEnd; ++k) before[beforeOrder[k]].sharing = sharing;
      for (size_t k = a; k < aEnd; ++k) after[afterOrder[k]].sharing = sharing;
      if (sharing > 1 && bEnd > b && aEnd > a && sharing <= kMostPairedByValues) {
        PairByValues(saved, now, group, before, beforeOrder, b, bEnd, after, afterOrder, a, aEnd,
                     match, matched);
      }
      // The rest in order: the k-th left of a key in one table matches the
      // k-th left in the other.
      for (size_t k = b, j = a;; ++k, ++j) {
        while (k < bEnd && matched[beforeOrder[k]]) ++k;
        while (j < aEnd && match[afterOrder[j]] != before.size()) ++j;
        if (k == bEnd || j == aEnd) break;
        match[afterOrder[j]] = beforeOrder[k];
        matched[beforeOrder[k]] = true;
      }
      b = bEnd;
      a = aEnd;
    }

    for (size_t i = 0; i < before.size(); ++i) {
      if (matched[i]) continue;
      visitor.Removed(group, *before[i].record, NameOf(before[i]));
      differs = true;
    }
    for (size_t i = 0; i < after.size(); ++i) {
      if (match[i] != before.size()) continue;
      visitor.Added(group, *after[i].record, NameOf(after[i]));
      differs = true;
    }
    for (size_t i = 0; i < after.size(); ++i) {
      if (match[i] == before.size()) continue;
      ComparedView oldCopy(saved, *before[match[i]].record);
      ComparedView currentCopy(now, *after[i].record);
      StructureView& old = oldCopy.view();
      StructureView& current = currentCopy.view();
      if (SameBytes(old, current)) continue;
      StringIndex oldStrings;
      StringIndex currentStrings;
      old.IndexStrings(oldStrings);
      current.IndexStrings(currentStrings);
      std::string label;
      bool named = false;
      for (size_t r = 0; r < group.rowCount; ++r) {
        const FieldRow& row = group.rows[r];
        if (!row.Compared()) continue;
        DecodeField(row, old, false, was);
        DecodeField(row, current, false, is);
        if (SameValue(was, is)) continue;
        if (!named) label = NameOf(after[i]);
        named = true;
        visitor.Changed(group, *after[i].record, label, row, was, is);
        differs = true;
      }
    }
  }
  return differs;
}

bool CompareMachines(const SmbiosReader& saved, const SmbiosReader& now, DiffVisitor& visitor) {
  bool different = false;
  FieldValue was;
  FieldValue is;
  for (const char* selector : {"/MACHINESERIAL", "/MACHINEUUID"}) {
    const FieldRow* row = FindField(selector);
    saved.Decode(*row, 0, false, was);
    now.Decode(*row, 0, false, is);
    if (!was.present() || !is.present() || SameValue(was, is)) continue;
    visitor.DifferentMachine(*row, was, is);
    different = true;
  }
  return different;
}

}  // namespace tarnlix
