# Compiles through ccache when it is installed (./test installs it), so a
# second clone, a branch switch or a rebuilt build folder reuses what was
# compiled before.
#  - base_dir: paths inside the source tree are hashed relative to it, so
#    clones in different folders share the cache;
#  - hash_dir off: debug information names the build folder; a hit from
#    another clone keeps that clone's name there, which only a debugger sees;
#  - sloppiness: what ccache needs to cache compiles that use a precompiled
#    header (cmake/precompiled_headers.cmake).
# CCACHE_DISABLE=1 turns it off for one build without reconfiguring.
if(NOT KEMLESS_CCACHE)
  return()
endif()
find_program(KEMLESS_CCACHE_PROGRAM ccache)
if(NOT KEMLESS_CCACHE_PROGRAM)
  return()
endif()
find_program(KEMLESS_ENV_PROGRAM env REQUIRED)
set(CMAKE_CXX_COMPILER_LAUNCHER
  ${KEMLESS_ENV_PROGRAM}
  CCACHE_BASEDIR=${CMAKE_SOURCE_DIR}
  CCACHE_NOHASHDIR=1
  CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
  ${KEMLESS_CCACHE_PROGRAM})
