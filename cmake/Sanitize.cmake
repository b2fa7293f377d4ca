# -DTAVRIN_SANITIZE=ON builds everything with AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer; the first report ends the program with an error, so a
# test that meets one fails. CI runs the whole suite so in a second build folder.
option(TAVRIN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

# Multiplies every test's time-out: the sanitized programs run a few times slower.
set(TAVRIN_TEST_TIMEOUT_SCALE 1)
# Extra environment of every test, as NAME=VALUE entries.
set(TAVRIN_TEST_ENVIRONMENT "")

if(TAVRIN_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
  set(TAVRIN_TEST_TIMEOUT_SCALE 3)
  set(suppressions ${PROJECT_SOURCE_DIR}/cmake/lsan.supp)
  # The programs a test starts (tavrin-devsim) inherit these too.
  set(TAVRIN_TEST_ENVIRONMENT
    "ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1"
    "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
    "LSAN_OPTIONS=suppressions=${suppressions}:print_suppressions=0")
endif()
