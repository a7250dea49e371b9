add_library(zhurnal_settings INTERFACE)
target_compile_features(zhurnal_settings INTERFACE cxx_std_20)
target_compile_options(zhurnal_settings INTERFACE -Wall -Wextra -Wpedantic)
# Every text is a QString built on purpose: no silent conversion from or to
# 8-bit strings, no narrowing through a connection.
target_compile_definitions(zhurnal_settings INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                                                      QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)

include(${CMAKE_CURRENT_LIST_DIR}/sanitizers.cmake)
