# The core's tests for Windows, cross-built with MinGW-w64 and run under Wine by
# scripts/test-windows. GoogleTest is built from Debian's sources for the target.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_executable(core_tests
  app/accessible_names_test.cpp
  app/error_box_text_test.cpp
  app/form1_design_test.cpp
  app/line_store_test.cpp
  app/shown_line_test.cpp
  app/ini_text_test.cpp
  app/settings_values_test.cpp
  app/traffic_log_test.cpp
  base/ui_dispatcher_test.cpp
  app/win32_settings_file_test.cpp
  app/win32_traffic_log_test.cpp
  console/command_head_test.cpp
  console/reply_buffer_test.cpp
  console/spin_value_test.cpp
  console/text_datagram_test.cpp
  net/address_parsing_test.cpp
  base/host_lookup_test.cpp
  base/integer_parsing_test.cpp
  base/large_buffer_test.cpp
  net/setup_packets_test.cpp
  net/setup_protocol_test.cpp
  net/udp_server_test.cpp
  net/win32_adapter_records_test.cpp
  net/win32_udp_peer.cpp
  serial/remote_port_name_test.cpp
  serial/telnet_codec_test.cpp
  serial/win32_com_port_test.cpp
  serial/win32_line_settings_test.cpp
  serial/win32_port_listings_test.cpp
)
target_include_directories(core_tests PRIVATE . serial net)
target_link_libraries(core_tests PRIVATE vidideza_core GTest::gtest_main)
# Every test file starts with the test framework's large header: parsed once per build.
target_precompile_headers(core_tests PRIVATE <gtest/gtest.h> <string> <vector>)

# What the end-to-end run of VIDideza.exe under Wine reads and drives the windows with.
if(TARGET VIDideza)
  add_executable(win32_window_driver app/win32_window_driver.cpp)
endif()
if(TARGET VIDideza)
  add_executable(win32_window_tests app/win32_window_view_test.cpp)
  target_include_directories(win32_window_tests PRIVATE .)
  # oleacc: the window read as a screen reader reads it (Microsoft Active Accessibility).
  target_link_libraries(win32_window_tests PRIVATE vidideza_win32_window GTest::gtest_main oleacc
    ole32 oleaut32)
endif()
