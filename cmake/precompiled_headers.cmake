# Precompiled Qt headers. Parsing the Qt Widgets headers is most of the
# compile time of every window source and window test; one precompiled copy
# per set of compile flags saves it:
#  - the windows and the rooms of the application share one (all static
#    libraries, same flags);
#  - the QTest executables of one folder share another, made with the first
#    of them: executables are compiled position-independent the way
#    executables are, libraries the way libraries are, and QTest defines the
#    test's folders, and GCC refuses a header precompiled with other flags or
#    other macro values. A macro one test needs alone therefore goes on its
#    source file, never on its target (see main_qtest in tests/).
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

if(KEMLESS_PCH)
  target_precompile_headers(kemless_ui PRIVATE ${KEMLESS_PCH_DIR}/qt_widgets.h)
  foreach(room kemless_instance kemless_session kemless_companion kemless_app)
    target_precompile_headers(${room} REUSE_FROM kemless_ui)
  endforeach()
endif()
