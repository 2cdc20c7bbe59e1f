quillon_add_fuzzer(reply_frame_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/reply_frame_fuzz.cpp
  LIBS quillon_device quillon_settings)
quillon_add_fuzzer(windows_hid_path_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/windows_hid_path_fuzz.cpp
  LIBS quillon_device)
