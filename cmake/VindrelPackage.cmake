# The licences and the Debian package (cpack -G DEB, or scripts/package).

# Under the package's name, as Debian has it (GNUInstallDirs would use the project's name).
set(vindrel_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/vindrel)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${vindrel_doc_dir})
install(FILES ${PROJECT_SOURCE_DIR}/third_party/leaflet/LICENSE ${PROJECT_SOURCE_DIR}/third_party/leaflet/README.md
        DESTINATION ${vindrel_doc_dir}/leaflet)

set(CPACK_PACKAGE_NAME vindrel)
set(CPACK_PACKAGE_VENDOR "Vindrel")
set(CPACK_PACKAGE_CONTACT "Vindrel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Dash-camera recording player with route map, speed meter and G-sensor curves")
set(CPACK_PACKAGE_INSTALL_DIRECTORY vindrel)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
# The linked libraries come from dpkg-shlibdeps. libmpv is opened at run time, never linked, and
# the window's texts are Chinese: both are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libmpv2, fonts-noto-cjk")
include(CPack)
