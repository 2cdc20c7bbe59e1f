quillon_add_fuzzer(keyboard_report_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/keyboard_report_fuzz.cpp
  LIBS quillon_selftest)
quillon_add_fuzzer(stage_list_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/stage_list_fuzz.cpp
  LIBS quillon_selftest)
quillon_add_fuzzer(key_map_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/key_map_fuzz.cpp
  LIBS quillon_selftest)
