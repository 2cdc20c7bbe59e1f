# Runs at every build (cmake -P): writes the version the programs print. The file is rewritten
# only when its text changes, so an unchanged commit recompiles nothing.
# In: SOURCE_DIR, OUTPUT, VERSION.
set(QUILLON_VERSION_TEXT "${VERSION}")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" describe --tags --always --dirty
    OUTPUT_VARIABLE describe OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(failed EQUAL 0 AND describe)
    set(QUILLON_VERSION_TEXT "${VERSION} (git ${describe})")
  endif()
endif()
configure_file("${SOURCE_DIR}/src/support/build_info.cpp.in" "${OUTPUT}" @ONLY)
