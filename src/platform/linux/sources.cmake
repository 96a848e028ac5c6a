file(GLOB PLATFORM_SOURCES CONFIGURE_DEPENDS src/platform/linux/*.cpp)
add_library(tarnlix_platform STATIC ${PLATFORM_SOURCES})
target_link_libraries(tarnlix_platform PUBLIC tarnlix_core)
