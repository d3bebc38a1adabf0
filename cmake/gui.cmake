# The windows, the dialogs and the executable (Qt 6 Widgets).
find_package(Qt6 6.2 REQUIRED COMPONENTS Widgets)
set(CMAKE_AUTOMOC ON)

file(GLOB KEMLESS_UI_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/*.cpp
  ${CMAKE_SOURCE_DIR}/windows/*.cpp
  ${CMAKE_SOURCE_DIR}/dialogs/*.cpp
  ${CMAKE_SOURCE_DIR}/app/*.h
  ${CMAKE_SOURCE_DIR}/windows/*.h
  ${CMAKE_SOURCE_DIR}/dialogs/*.h)
list(REMOVE_ITEM KEMLESS_UI_SOURCES ${CMAKE_SOURCE_DIR}/app/main.cpp)

add_library(kemless_ui STATIC ${KEMLESS_UI_SOURCES})
target_link_libraries(kemless_ui PUBLIC kemless_core Qt6::Widgets)
# The guide and the notice text. Added through the target so Qt links their
# registration into every program that uses the library (a plain .qrc in a
# static library is dropped by the linker and the windows come up empty).
qt_add_resources(kemless_ui kemless_texts
  PREFIX /kemless
  BASE ${CMAKE_SOURCE_DIR}/resources
  FILES ${CMAKE_SOURCE_DIR}/resources/help.txt ${CMAKE_SOURCE_DIR}/resources/notice.txt)

add_executable(kemless ${CMAKE_SOURCE_DIR}/app/main.cpp)
target_link_libraries(kemless PRIVATE kemless_ui)
install(TARGETS kemless RUNTIME DESTINATION bin)

# Renders the README's window pictures (see tools/screenshots.cpp).
add_executable(kemless_screenshots ${CMAKE_SOURCE_DIR}/tools/screenshots.cpp)
target_link_libraries(kemless_screenshots PRIVATE kemless_ui)

# The yardstick of scripts/benchmark.sh.
add_executable(kemless_minimal_window ${CMAKE_SOURCE_DIR}/tools/minimal_window.cpp)
target_link_libraries(kemless_minimal_window PRIVATE Qt6::Widgets)
