file(GLOB PLATFORM_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp)
add_library(tarnlix_platform STATIC ${PLATFORM_SOURCES})
target_compile_definitions(tarnlix_platform PRIVATE NOMINMAX WIN32_LEAN_AND_MEAN)
target_link_libraries(tarnlix_platform PUBLIC tarnlix_core oleaut32 advapi32)
