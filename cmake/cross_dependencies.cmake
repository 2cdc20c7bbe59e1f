# What a cross build (cmake/toolchain-mingw64.cmake) takes from the build machine, since the
# target system's root has no packages of these: CLI11 and nlohmann-json are header-only, so the
# build machine's headers serve as they are, and GoogleTest is built from Debian's sources with
# the cross compiler.
set(QUILLON_HOST_INCLUDE_DIR /usr/include CACHE PATH
  "The build machine's include folder holding CLI/ and nlohmann/")
set(QUILLON_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH
  "GoogleTest's sources (Debian package googletest), built for the target")

# Only these two folders are offered to the compiler. The rest of the host's include folder is
# the host's C library, whose headers must never stand in for the target system's.
set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${host_headers})
foreach(folder CLI nlohmann)
  if(NOT EXISTS ${QUILLON_HOST_INCLUDE_DIR}/${folder})
    message(FATAL_ERROR "${QUILLON_HOST_INCLUDE_DIR}/${folder} is missing: install libcli11-dev "
      "and nlohmann-json3-dev (scripts/install-deps)")
  endif()
  file(REMOVE ${host_headers}/${folder})
  file(CREATE_LINK ${QUILLON_HOST_INCLUDE_DIR}/${folder} ${host_headers}/${folder} SYMBOLIC)
endforeach()
# Imported targets: their headers are system headers, outside our warnings.
add_library(CLI11::CLI11 INTERFACE IMPORTED)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 nlohmann_json::nlohmann_json PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${host_headers})

# GTest::gtest and GTest::gmock, as find_package(GTest) gives them on the build machine.
macro(quillon_googletest_from_sources)
  if(NOT EXISTS ${QUILLON_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${QUILLON_GOOGLETEST_SOURCE_DIR}: install "
      "googletest (scripts/install-deps)")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QUILLON_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest
    EXCLUDE_FROM_ALL SYSTEM)
endmacro()
