# Writes the name tables of the SMBIOS enumerations and bit lists as C++,
# from one TSV file each (a header line, then "0x1A<TAB>name" rows in code
# order): names/cache-associativity.tsv becomes names::kCacheAssociativity.
# Run as a script: cmake -DNAMES_DIR=... -DOUTPUT_DIR=... -P name-tables.cmake
cmake_minimum_required(VERSION 3.25)
file(GLOB tables "${NAMES_DIR}/*.tsv")
# The lists of machine-lists.cmake hold texts, not codes.
list(FILTER tables EXCLUDE REGEX "/machine-[^/]*\\.tsv$")
list(SORT tables)

set(header "// Generated from src/smbios/names/*.tsv by cmake/name-tables.cmake.\n")
string(APPEND header "#pragma once\n\n#include \"smbios/name_table.h\"\n\nnamespace tarnlix::names {\n\n")
set(source "// Generated from src/smbios/names/*.tsv by cmake/name-tables.cmake.\n")
string(APPEND source "#include \"smbios/name_tables.h\"\n\nnamespace tarnlix::names {\n")
set(registry "")
set(tableCount 0)

foreach(table IN LISTS tables)
  get_filename_component(base "${table}" NAME_WE)
  string(REPLACE "-" ";" words "${base}")
  set(symbol "k")
  foreach(word IN LISTS words)
    string(SUBSTRING "${word}" 0 1 first)
    string(TOUPPER "${first}" first)
    string(SUBSTRING "${word}" 1 -1 rest)
    string(APPEND symbol "${first}${rest}")
  endforeach()

  file(STRINGS "${table}" lines)
  list(POP_FRONT lines)  # the header line
  set(entries "")
  set(count 0)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^(0x[0-9A-Fa-f]+)\t(.*)$")
      message(FATAL_ERROR "${table}: not a code and a name: '${line}'")
    endif()
    set(code "${CMAKE_MATCH_1}")
    set(name "${CMAKE_MATCH_2}")
    string(REPLACE "\\" "\\\\" name "${name}")
    string(REPLACE "\"" "\\\"" name "${name}")
    string(APPEND entries "    {${code}, \"${name}\"},\n")
    math(EXPR count "${count} + 1")
  endforeach()

  string(APPEND header "extern const NameTable ${symbol};  // ${base}.tsv\n")
  string(APPEND source "\nnamespace {\nconstexpr CodeName ${symbol}Entries[] = {\n${entries}};\n")
  string(APPEND source "static_assert(InCodeOrder(${symbol}Entries), \"${base}.tsv is not in code order\");\n}  // namespace\n")
  string(APPEND source "const NameTable ${symbol}{${symbol}Entries, ${count}};\n")
  string(APPEND registry "    {\"${base}\", &${symbol}},\n")
  math(EXPR tableCount "${tableCount} + 1")
endforeach()

string(APPEND header "\n// Every table with the name of its file, for the tests.\n")
string(APPEND header "struct NamedTable {\n  const char* file;\n  const NameTable* table;\n};\n")
string(APPEND header "extern const NamedTable kAll[${tableCount}];\n")
string(APPEND source "\nconst NamedTable kAll[${tableCount}] = {\n${registry}};\n")

string(APPEND header "\n}  // namespace tarnlix::names\n")
string(APPEND source "\n}  // namespace tarnlix::names\n")

include(${CMAKE_CURRENT_LIST_DIR}/write-if-changed.cmake)
foreach(output IN ITEMS "h;${header}" "cpp;${source}")
  list(POP_FRONT output extension)
  write_if_changed("${OUTPUT_DIR}/smbios/name_tables.${extension}" "${output}")
endforeach()
