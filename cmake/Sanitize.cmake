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

# -DTAVRIN_TSAN=ON (clang) builds everything with ThreadSanitizer, for the survey's
# threads: scripts/test-tsan builds the survey and its tests so in build-tsan and runs
# them. Qt itself is not instrumented; cmake/tsan.supp names the reports made inside
# Qt's and glibc's own code, and every report goes to a file the script looks for.
option(TAVRIN_TSAN "Build with ThreadSanitizer (clang)" OFF)
if(TAVRIN_TSAN)
  if(TAVRIN_SANITIZE OR TAVRIN_FUZZ)
    message(FATAL_ERROR "TAVRIN_TSAN cannot be combined with TAVRIN_SANITIZE or TAVRIN_FUZZ")
  endif()
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TAVRIN_TSAN needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -O1 -g1)
  add_link_options(-fsanitize=thread)
  set(TAVRIN_TEST_TIMEOUT_SCALE 4)
  set(reports ${CMAKE_BINARY_DIR}/sanitizer-reports)
  # The programs a test starts (tavrin-devsim, tavrin-survey) inherit the options and
  # write their reports beside the test's own. A report does not change a program's exit
  # status: scripts/test-tsan reads the reports and tells tavrin's from Qt's.
  set(TAVRIN_TEST_ENVIRONMENT
    "TSAN_OPTIONS=halt_on_error=0:exitcode=0:print_suppressions=1:second_deadlock_stack=1:history_size=4:suppressions=${PROJECT_SOURCE_DIR}/cmake/tsan.supp:log_path=${reports}/tsan")
endif()
