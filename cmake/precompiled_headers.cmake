# Precompiled Qt headers. Parsing the Qt Widgets headers is most of the
# compile time of every window source and window test; one precompiled copy
# per set of compile flags saves it:
#  - the windows and the rooms of the application built on them share one
#    (all static libraries, the same flags and the same Qt modules: Qt
#    defines a macro for each, QT_DBUS_LIB say, and a room without the
#    windows, the instance, has fewer; its few sources compile without one);
#  - the QTest executables of one folder share another, made with the first
#    of them: executables are compiled position-independent the way
#    executables are, libraries the way libraries are, and QTest defines the
#    test's folders, and GCC refuses a header precompiled with other flags or
#    other macro values. A macro one test needs alone therefore goes on its
#    source file, never on its target (see the version box tests in tests/).
# A source that forgets an include still compiles with them: configure with
# -DKEMLESS_PCH=OFF to check the includes.
set(KEMLESS_PCH_DIR ${CMAKE_CURRENT_LIST_DIR}/pch)

# kemless_qtest_pch(TARGET): tests/ calls it for every QTest executable.
function(kemless_qtest_pch target)
  if(NOT KEMLESS_PCH)
    return()
  endif()
  get_property(first DIRECTORY PROPERTY KEMLESS_QTEST_PCH_TARGET)
  if(first)
    target_precompile_headers(${target} REUSE_FROM ${first})
  else()
    target_precompile_headers(${target} PRIVATE ${KEMLESS_PCH_DIR}/qt_test.h)
    set_property(DIRECTORY PROPERTY KEMLESS_QTEST_PCH_TARGET ${target})
  endif()
endfunction()

# kemless_links_to(TARGET LIBRARY RESULT): whether TARGET links LIBRARY,
# directly or through the libraries it links.
function(kemless_links_to target library result)
  set(found FALSE)
  set(seen "")
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    if(current STREQUAL library)
      set(found TRUE)
      break()
    endif()
    get_target_property(type ${current} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(links ${current} LINK_LIBRARIES)
      if(links)
        list(APPEND queue ${links})
      endif()
    endif()
    get_target_property(links ${current} INTERFACE_LINK_LIBRARIES)
    if(links)
      list(APPEND queue ${links})
    endif()
  endwhile()
  set(${result} ${found} PARENT_SCOPE)
endfunction()

if(KEMLESS_PCH)
  target_precompile_headers(kemless_ui PRIVATE ${KEMLESS_PCH_DIR}/qt_widgets.h)
  # Every room of app/, a new one too: a static library built on the windows.
  get_property(rooms DIRECTORY ${CMAKE_SOURCE_DIR}/app PROPERTY BUILDSYSTEM_TARGETS)
  foreach(room ${rooms})
    get_target_property(type ${room} TYPE)
    kemless_links_to(${room} kemless_ui on_windows)
    if(type STREQUAL "STATIC_LIBRARY" AND on_windows)
      target_precompile_headers(${room} REUSE_FROM kemless_ui)
    endif()
  endforeach()
endif()
