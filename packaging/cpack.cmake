# `cpack` in a build folder makes a Debian package of what packaging/install.cmake
# installs, under /usr. Its dependencies are those dpkg-shlibdeps finds for the
# programs (dpkg-dev), so they follow the Qt the build was linked against. The
# desktop's MIME, menu and icon caches are brought up to date by the triggers
# of shared-mime-info, desktop-file-utils and the icon theme.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tenvix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "tenvix developers <tenvix@quellmark.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "analysis of bonds: yield, duration and Square-M")
set(CPACK_PACKAGE_DESCRIPTION "tenvix keeps a database of bonds and computes, between a stand date and
an investment horizon, each bond's yield to maturity, duration and
Square-M, for single bonds and for portfolios. tenvix-cli gives the same
figures on the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
include(CPack)
