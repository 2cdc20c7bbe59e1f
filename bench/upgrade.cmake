add_executable(upgrade_bench ${CMAKE_CURRENT_SOURCE_DIR}/upgrade_bench.cpp)
target_link_libraries(upgrade_bench PRIVATE quillon_sim quillon_upgrade benchmark::benchmark)
target_compile_definitions(upgrade_bench PRIVATE QUILLON_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
quillon_warnings(upgrade_bench)
