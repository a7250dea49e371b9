# Instrumented builds, each in a build folder of its own.
#
# ZHURNAL_SANITIZE: everything (core, windows, program, tests) with AddressSanitizer
# and UndefinedBehaviorSanitizer; any undefined behaviour stops the process.
# ZHURNAL_FUZZ (clang only): the same sanitizers plus libFuzzer's coverage
# instrumentation; the fuzz targets link the libFuzzer driver themselves.
if(ZHURNAL_SANITIZE AND ZHURNAL_FUZZ)
  message(FATAL_ERROR "ZHURNAL_SANITIZE and ZHURNAL_FUZZ are separate builds: turn on one of them.")
endif()

set(ZHURNAL_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)

if(ZHURNAL_SANITIZE)
  # -O1 and line tables only: a faster build, and stack traces that still name lines.
  target_compile_options(zhurnal_settings INTERFACE ${ZHURNAL_SANITIZERS} -O1 -g1)
  target_link_options(zhurnal_settings INTERFACE ${ZHURNAL_SANITIZERS})
endif()

if(ZHURNAL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZHURNAL_FUZZ needs clang with libFuzzer: configure with CC=clang CXX=clang++.")
  endif()
  target_compile_options(zhurnal_settings INTERFACE -fsanitize=fuzzer-no-link ${ZHURNAL_SANITIZERS})
  target_link_options(zhurnal_settings INTERFACE ${ZHURNAL_SANITIZERS})
endif()
