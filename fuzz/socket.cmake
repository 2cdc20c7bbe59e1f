quillon_add_fuzzer(socket_lines_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/socket_lines_fuzz.cpp
  LIBS quillon_socket)
quillon_add_fuzzer(socket_client_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/socket_client_fuzz.cpp
  LIBS quillon_socket)
