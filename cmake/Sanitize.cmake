# -DTAVRIN_SANITIZE=ON builds everything with AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer; the first report ends the program with an error, so a
# test that meets one fails. CI runs the whole suite so in a second build folder.
option(TAVRIN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

# Multiplies every test's time-out: the sanitized programs run a few times slower.
set(TAVRIN_TEST_TIMEOUT_SCALE 1)
# Extra environment of every test, as NAME=VALUE entries.
set(TAVRIN_TEST_ENVIRONMENT "")

if(TAVRIN_SANITIZE)
  # -O1 and line tables only (-g1): compiles in about half the time of -O2 -g, and every
  # report still names the file and line of each frame.
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all -O1 -g1)
  add_link_options(-fsanitize=address,undefined)
  set(TAVRIN_TEST_TIMEOUT_SCALE 3)
  set(suppressions ${PROJECT_SOURCE_DIR}/cmake/lsan.supp)
  # AddressSanitizer's and LeakSanitizer's reports go to files there, so
  # scripts/test-sanitized sees those of the programs a test starts (tavrin-devsim),
  # which inherit these options. UndefinedBehaviorSanitizer writes to the standard error
  # only, which ctest keeps in Testing/Temporary/LastTest.log.
  set(reports ${CMAKE_BINARY_DIR}/sanitizer-reports)
  set(TAVRIN_TEST_ENVIRONMENT
    "ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:log_path=${reports}/asan"
    "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
    "LSAN_OPTIONS=suppressions=${suppressions}:print_suppressions=0")
endif()
