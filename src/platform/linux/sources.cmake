add_library(tarnlix_platform STATIC
  src/platform/linux/linux_system.cpp
  src/platform/linux/linux_modules.cpp
  src/platform/linux/linux_firmware.cpp
  src/platform/linux/linux_registry.cpp
  src/platform/linux/linux_sections.cpp
  src/platform/linux/linux_network.cpp
  src/platform/linux/linux_console.cpp
)
target_link_libraries(tarnlix_platform PUBLIC tarnlix_core)
