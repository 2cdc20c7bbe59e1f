quillon_add_fuzzer(ini_load_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/ini_load_fuzz.cpp
  LIBS quillon_support)
quillon_add_fuzzer(settings_values_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/settings_values_fuzz.cpp
  LIBS quillon_settings)
quillon_add_fuzzer(utf16_text_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/utf16_text_fuzz.cpp
  LIBS quillon_support)
