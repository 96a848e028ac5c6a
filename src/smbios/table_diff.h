// What differs between two tables of one machine: the structures added and
// removed, and the fields that changed, with structures matched by what
// they are rather than by their handles.
#pragma once

#include <string_view>

#include "smbios/reader.h"

namespace tarnlix {

// Told each difference, in structure type order; within a type the
// structures removed, then those added, then the fields that changed.
// `name` says which structure it is: the texts of its identifying fields
// (a memory device's locator and bank), and "#N" when several structures
// of its type share them (or none have any); empty when it is its type's
// only one.
class DiffVisitor {
 public:
  virtual ~DiffVisitor() = default;
  virtual void Removed(const StructureGroup& group, const SmbiosRecord& record,
                       std::string_view name) = 0;
  virtual void Added(const StructureGroup& group, const SmbiosRecord& record,
                     std::string_view name) = 0;
  // record is the structure in the table read now.
  virtual void Changed(const StructureGroup& group, const SmbiosRecord& record,
                       std::string_view name, const FieldRow& field, const FieldValue& was,
                       const FieldValue& now) = 0;  // A value that tells which machine a table is of, known in both tables
  // and different: the tables are of different machines.
  virtual void DifferentMachine(const FieldRow& /*field*/, const FieldValue& /*was*/,
                                const FieldValue& /*now*/) {}
};

// Compares the table read now with a saved one. Structures of a type are
// matched by the values of the fields that identify them, then by their
// order among those with the same values; every field that does not vary
// by itself and does not refer to other structures is compared. Returns
// whether anything differs.
bool CompareTables(const SmbiosReader& saved, const SmbiosReader& now, DiffVisitor& visitor);

// Tells the visitor each value that says the two tables are of different
// machines: the serial number or the UUID (/MACHINESERIAL, /MACHINEUUID),
// known in both and different. Returns whether there is any.
bool CompareMachines(const SmbiosReader& saved, const SmbiosReader& now, DiffVisitor& visitor);

}  // namespace tarnlix
