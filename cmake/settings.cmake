add_library(zhurnal_settings INTERFACE)
target_compile_features(zhurnal_settings INTERFACE cxx_std_20)
target_compile_options(zhurnal_settings INTERFACE -Wall -Wextra -Wpedantic)

include(${CMAKE_CURRENT_LIST_DIR}/sanitizers.cmake)
