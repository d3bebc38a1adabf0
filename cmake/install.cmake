# What `cmake --install` adds to the executable (its rule is in app/) so the
# program has a launcher, an icon and a software-centre entry. The Debian
# package (debian/, made by ./package) installs exactly these files through
# the same rules.
include(GNUInstallDirs)

set(KEMLESS_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/resources/desktop)
set(KEMLESS_ICON_DIR ${CMAKE_SOURCE_DIR}/resources/icons)

install(FILES ${KEMLESS_DESKTOP_DIR}/kemless.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KEMLESS_DESKTOP_DIR}/jp.example.kemless.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KEMLESS_ICON_DIR}/kemless.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${KEMLESS_ICON_DIR}/hicolor/
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor
  FILES_MATCHING PATTERN "kemless.png")

# The manual page and the Debian changelog go out compressed the way Debian
# wants them: gzip -9 without name or time stamp, so each build is identical.
find_program(KEMLESS_GZIP gzip REQUIRED)
set(KEMLESS_DOC_BUILD_DIR ${CMAKE_BINARY_DIR}/doc)
function(kemless_gzip source name)
  set(out ${KEMLESS_DOC_BUILD_DIR}/${name})
  add_custom_command(OUTPUT ${out}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${out}
    COMMAND ${KEMLESS_GZIP} -9nf ${out}
    DEPENDS ${source}
    VERBATIM)
endfunction()
kemless_gzip(${CMAKE_SOURCE_DIR}/resources/man/kemless.1 kemless.1)
kemless_gzip(${CMAKE_SOURCE_DIR}/debian/changelog changelog.Debian)
add_custom_target(kemless_docs ALL
  DEPENDS ${KEMLESS_DOC_BUILD_DIR}/kemless.1.gz ${KEMLESS_DOC_BUILD_DIR}/changelog.Debian.gz)

install(FILES ${KEMLESS_DOC_BUILD_DIR}/kemless.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The MIT licence asks for its notice to travel with every copy, so a plain
# `cmake --install` gets it too, not only the package.
install(FILES ${CMAKE_SOURCE_DIR}/debian/copyright
  ${KEMLESS_DOC_BUILD_DIR}/changelog.Debian.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The package's dh_strip removes .comment and .note as well; the plain strip
# of `cmake --install --strip` leaves them, so it is asked to do the same.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/kemless\" COMMAND_ERROR_IS_FATAL ANY)
  endif()")
