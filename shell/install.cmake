# Installing the program: the executable, a desktop entry that opens .bnd
# files with it, and the file type those files are known by.
include(GNUInstallDirs)
install(TARGETS tenvix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES res/tenvix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES res/tenvix-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME tenvix.xml)
install(FILES res/icons/app.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME tenvix.png)
install(FILES res/icons/app@2x.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME tenvix.png)
install(FILES res/icons/document@2x.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/mimetypes
        RENAME application-x-tenvix-document.png)

# The program that draws the images in res/icons; built only on request.
add_executable(tenvix_draw_icons EXCLUDE_FROM_ALL res/icons/draw_icons.cpp)
target_link_libraries(tenvix_draw_icons PRIVATE Qt6::Gui)
