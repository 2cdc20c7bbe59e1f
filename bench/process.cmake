# The programs measured from outside, beside their floors; the minimal window is the floor of
# the window program's start-up.
add_executable(process_bench ${CMAKE_CURRENT_SOURCE_DIR}/process_bench.cpp)
target_link_libraries(process_bench PRIVATE benchmark::benchmark)
target_compile_definitions(process_bench PRIVATE QUILLONCTL="$<TARGET_FILE:quillonctl>"
  QUILLON_SIM="$<TARGET_FILE:quillon-sim>")
add_dependencies(process_bench quillonctl quillon-sim)
if(QUILLON_GUI)
  add_executable(minimal_window ${CMAKE_CURRENT_SOURCE_DIR}/minimal_window.cpp)
  target_include_directories(minimal_window PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(minimal_window PRIVATE Qt6::Widgets)
  target_compile_definitions(process_bench PRIVATE QUILLON_CONFIG="$<TARGET_FILE:quillon-config>"
    MINIMAL_WINDOW="$<TARGET_FILE:minimal_window>")
  add_dependencies(process_bench quillon-config minimal_window)
endif()
quillon_warnings(process_bench)
