# VANTROK_SANITIZE=ON: the native build under AddressSanitizer and
# UndefinedBehaviorSanitizer, every target (the simulator's ODBC driver too,
# which libodbc loads into the instrumented test programs). The first report
# ends the program with a non-zero status, so a test that meets one fails.
option(VANTROK_SANITIZE "Build the native code with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(VANTROK_SANITIZE)
  if(WIN32 OR MSVC)
    message(FATAL_ERROR "VANTROK_SANITIZE is for the native build only")
  endif()
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)

  # ctest reads this file before it runs any test and the tests inherit its
  # environment; options the caller already set come last and win. Leaks are
  # reported too: unixODBC, Debian's SQLite driver and FreeTDS leave none in
  # the tests' processes, so nothing is suppressed.
  # 86: apart from the statuses the tools give (0, 1, 2), which tests check.
  set(sanitizer_status 86)
  file(WRITE ${CMAKE_BINARY_DIR}/SanitizerEnvironment.cmake
"set(ENV{ASAN_OPTIONS} \"halt_on_error=1:exitcode=${sanitizer_status}:detect_leaks=1:strict_init_order=1:detect_stack_use_after_return=1:\$ENV{ASAN_OPTIONS}\")
set(ENV{UBSAN_OPTIONS} \"halt_on_error=1:exitcode=${sanitizer_status}:print_stacktrace=1:\$ENV{UBSAN_OPTIONS}\")
set(ENV{LSAN_OPTIONS} \"exitcode=${sanitizer_status}:\$ENV{LSAN_OPTIONS}\")
")
  set_property(DIRECTORY APPEND PROPERTY
    TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/SanitizerEnvironment.cmake)
endif()
