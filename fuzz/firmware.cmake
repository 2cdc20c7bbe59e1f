quillon_add_fuzzer(ti_txt_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/ti_txt_fuzz.cpp
  LIBS quillon_firmware)
quillon_add_fuzzer(loader_reply_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/loader_reply_fuzz.cpp
  LIBS quillon_firmware)
quillon_add_fuzzer(sim_loader_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/sim_loader_fuzz.cpp
  LIBS quillon_sim quillon_firmware)
