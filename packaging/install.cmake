# What `cmake --install` and the package put where a desktop finds it: the two
# programs, a desktop entry that opens .bnd files with the program, the file
# types of databases (.bnd) and portfolios (.bdp), and their icons, and the
# user guide with its pictures.
# Without the windows (TENVIX_GUI off) only the command line is installed.
include(GNUInstallDirs)
install(TARGETS tenvix-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(NOT TARGET tenvix)
  return()
endif()
install(TARGETS tenvix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES res/tenvix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES res/tenvix-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME tenvix.xml)

set(TENVIX_ICONS ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
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
              docs/portfolio-result.png docs/price-import.png
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The program that draws the images in res/icons; built only on request.
add_executable(tenvix_draw_icons EXCLUDE_FROM_ALL res/icons/draw_icons.cpp)
target_link_libraries(tenvix_draw_icons PRIVATE Qt6::Gui)
