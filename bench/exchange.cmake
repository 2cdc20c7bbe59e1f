add_executable(exchange_bench ${CMAKE_CURRENT_SOURCE_DIR}/exchange_bench.cpp)
target_link_libraries(exchange_bench PRIVATE quillon_sim quillon_device benchmark::benchmark)
quillon_warnings(exchange_bench)
