# Installation, the CMake package, the pkg-config file and the Debian packages.
include(CMakePackageConfigHelpers)

set(ZELKO_PACKAGE ZelkoPtzCameraIsapi)
set(ZELKO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/${ZELKO_PACKAGE})
set(ZELKO_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/zelko_ptz_camera_isapi)

install(TARGETS zelko_ptz_camera_isapi EXPORT ${ZELKO_PACKAGE}Targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    COMPONENT runtime
    NAMELINK_COMPONENT development)

# Only what a host includes; the internal headers stay in the source tree.
install(FILES ptz/zelko_ptz_camera_isapi.h ptz/ptz_types.h ptz/camera_options.h ptz/zelko_ptz_c.h ptz/engine.h ptz/capability_fields.h ptz/option_fields.h ptz/limits.h ptz/refusal.h ptz/terminal_text.h
  ptz/position_fields.h ptz/result.h
  DESTINATION ${ZELKO_INCLUDE_DIR}/ptz COMPONENT development)
install(FILES utils/export.h utils/http_client.h utils/xml_parser.h
  DESTINATION ${ZELKO_INCLUDE_DIR}/utils COMPONENT development)

# What every package carries: the license and the changes of each release.
foreach(component runtime development tools python)
  install(FILES LICENSE CHANGELOG.md
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zelko-ptz-camera-isapi-${component}
    COMPONENT ${component})
endforeach()

install(EXPORT ${ZELKO_PACKAGE}Targets
  NAMESPACE ${ZELKO_PACKAGE}::
  DESTINATION ${ZELKO_CMAKE_DIR}
  COMPONENT development)
configure_package_config_file(cmake/${ZELKO_PACKAGE}Config.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/${ZELKO_PACKAGE}Config.cmake
  INSTALL_DESTINATION ${ZELKO_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${ZELKO_PACKAGE}ConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/${ZELKO_PACKAGE}Config.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/${ZELKO_PACKAGE}ConfigVersion.cmake
  DESTINATION ${ZELKO_CMAKE_DIR} COMPONENT development)

configure_file(cmake/zelko_ptz_camera_isapi.pc.in
  ${CMAKE_CURRENT_BINARY_DIR}/zelko_ptz_camera_isapi.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zelko_ptz_camera_isapi.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

# Debian packages: the runtime library, the development files and the tools.
set(CPACK_PACKAGE_NAME zelko-ptz-camera-isapi)
set(CPACK_PACKAGE_VENDOR "Zelko")
set(CPACK_PACKAGE_CONTACT "Zelko PTZ developers <ptz@zelko.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Steer a network PTZ camera over its ISAPI interface")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development tools)
if(ZELKO_BUILD_PYTHON)
  list(APPEND CPACK_COMPONENTS_ALL python)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libzelko-ptz-camera-isapi1)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libzelko-ptz-camera-isapi-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME zelko-ptz-camera-isapi-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION net)
# Ties the packages of one build to each other and names the headers' own dependencies.
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_COMPONENT_TOOLS_DEPENDS runtime)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libcurl4-openssl-dev, libpugixml-dev")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "Shared library for steering PTZ cameras over ISAPI")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
  "Headers, CMake package and pkg-config file for libzelko_ptz_camera_isapi")
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "ptzctl and the simulated camera ptz-camera-sim")
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-zelko-ptz-camera-isapi)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_COMPONENT_PYTHON_DEPENDS runtime)
# An extension module has no SONAME for other packages to depend on.
set(CPACK_DEBIAN_PYTHON_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "${ZELKO_PYTHON_DEB_DEPENDS}")
set(CPACK_COMPONENT_PYTHON_DESCRIPTION "Python 3 module zelko_ptz for steering PTZ cameras over ISAPI")
# dpkg-shlibdeps finds our own library, which the tools link, in the staging tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_CURRENT_BINARY_DIR})
include(CPack)
