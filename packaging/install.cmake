# What `cmake --install` and the package put where a desktop finds it: the two
# programs, a desktop entry that opens .bnd files with the program, the file
# types of databases (.bnd) and portfolios (.bdp), and their icons; the user
# guide with its pictures, the examples, the licence terms and the changelog a
# Debian package carries.
# Without the windows (TENVIX_GUI off) only the command line is installed.
include(GNUInstallDirs)
install(TARGETS tenvix-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES examples/sample.bnd examples/sample.bdp examples/prices-de.csv examples/bonds-de.csv
              examples/schedule.csv
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tenvix/examples)

# The changelog's newest entry names the version the build makes, so that the
# package and its changelog never disagree.
file(STRINGS packaging/changelog TENVIX_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT TENVIX_CHANGELOG_TOP MATCHES "^tenvix \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog begins with '${TENVIX_CHANGELOG_TOP}', not version ${PROJECT_VERSION}")
endif()
set(TENVIX_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/tenvix)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
  DEPENDS packaging/changelog
  COMMENT "Compressing the changelog")
add_custom_target(tenvix_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${TENVIX_DOCDIR})

# The manual pages are the programs' own --help texts, with the sections a
# help text lacks from packaging/man, so that they never tell another story.
find_program(TENVIX_HELP2MAN help2man)
function(tenvix_manual_page program summary)
  # A sanitized or fuzzing build is never packaged, and its programs report
  # on their way out.
  if(NOT TARGET ${program} OR TENVIX_SANITIZE OR TENVIX_FUZZ)
    return()
  endif()
  if(NOT TENVIX_HELP2MAN)
    message(STATUS "help2man not found: no manual page for ${program}")
    return()
  endif()
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${TENVIX_HELP2MAN} --no-info --no-discard-stderr --section=1 --name=${summary} --include=${CMAKE_SOURCE_DIR}/packaging/man/${program}.h2m
            --output=${page} $<TARGET_FILE:${program}>
    COMMAND gzip -9nf ${page}
    DEPENDS ${program} packaging/man/${program}.h2m
    COMMENT "Writing the manual page ${program}(1)")
  add_custom_target(${program}_man ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
tenvix_manual_page(tenvix-cli "the figures of tenvix on the command line")
if(NOT TARGET tenvix)
  return()
endif()
install(TARGETS tenvix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
tenvix_manual_page(tenvix "analysis of bonds: yield, duration and Square-M")
install(FILES res/tenvix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES res/tenvix-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME tenvix.xml)
install(FILES res/tenvix.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        RENAME org.quellmark.tenvix.metainfo.xml)

set(TENVIX_ICONS ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES res/icons/tenvix.svg DESTINATION ${TENVIX_ICONS}/scalable/apps)
foreach(size 32 64)
  set(suffix "")
  if(size EQUAL 64)
    set(suffix "@2x")
  endif()
  install(FILES res/icons/app${suffix}.png DESTINATION ${TENVIX_ICONS}/${size}x${size}/apps RENAME tenvix.png)
  # A portfolio is a document of the program too; it shares the picture.
  foreach(type document portfolio)
    install(FILES res/icons/document${suffix}.png DESTINATION ${TENVIX_ICONS}/${size}x${size}/mimetypes
            RENAME application-x-tenvix-${type}.png)
  endforeach()
endforeach()

# The guide the program shows under Help, for reading without it too.
install(FILES docs/GUIDE.md docs/main-window.png docs/result.png docs/cashflows.png docs/portfolio.png
              docs/portfolio-result.png docs/price-import.png docs/market.png docs/fund-schedule.png
              docs/portfolio-funded.png docs/funding.png
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The program that draws the images in res/icons; built only on request.
add_executable(tenvix_draw_icons EXCLUDE_FROM_ALL res/icons/draw_icons.cpp)
target_link_libraries(tenvix_draw_icons PRIVATE Qt6::Gui)
