# `docs`: the API reference from the public headers; any Doxygen warning fails it.
find_package(Doxygen QUIET)
if(DOXYGEN_FOUND)
  configure_file(cmake/Doxyfile.in ${CMAKE_CURRENT_BINARY_DIR}/Doxyfile @ONLY)
  add_custom_target(docs
    COMMAND ${DOXYGEN_EXECUTABLE} ${CMAKE_CURRENT_BINARY_DIR}/Doxyfile
    WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
    COMMENT "API reference in ${CMAKE_CURRENT_BINARY_DIR}/docs/html"
    VERBATIM)
else()
  add_custom_target(docs COMMAND ${CMAKE_COMMAND} -E echo "install doxygen to build the docs"
    COMMAND ${CMAKE_COMMAND} -E false)
endif()
