add_library(tarnlix_platform STATIC
  src/platform/win32/win32_system.cpp
  src/platform/win32/win32_firmware.cpp
  src/platform/win32/win32_registry.cpp
  src/platform/win32/win32_sections.cpp
  src/platform/win32/win32_network.cpp
  src/platform/win32/win32_console.cpp
)
target_compile_definitions(tarnlix_platform PRIVATE NOMINMAX WIN32_LEAN_AND_MEAN)
target_link_libraries(tarnlix_platform PUBLIC tarnlix_core oleaut32 advapi32)
