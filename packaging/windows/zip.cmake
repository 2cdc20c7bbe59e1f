# The Windows zip, build/package/quillon-windows-x86_64.zip (scripts/package-windows): the two
# terminal programs, each linked statically and so complete on its own, the README and the
# licence notices of everything linked into them.
install(TARGETS quillonctl quillon-sim RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_CURRENT_LIST_DIR}/LICENSES.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME quillon-windows-x86_64)
set(CPACK_STRIP_FILES ON)
include(CPack)
