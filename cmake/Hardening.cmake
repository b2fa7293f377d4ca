# The programs are built hardened, with the flags Debian builds its packages with
# (dpkg-buildflags, hardening=+all): fortified libc calls, the stack protector and
# stack clash protection, control-flow protection, full RELRO with immediate binding,
# and position-independent executables. `hardening-check` and lintian look for them.
# Sanitizer and fuzz builds leave them out: AddressSanitizer replaces the fortified
# calls with its own checks.
option(TAVRIN_HARDEN "Build the programs hardened (fortify, stack protector, RELRO, bind-now, PIE)" ON)

if(TAVRIN_HARDEN AND NOT TAVRIN_SANITIZE AND NOT TAVRIN_TSAN AND NOT TAVRIN_FUZZ AND NOT WIN32
   AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  include(CheckPIESupported)
  check_pie_supported(LANGUAGES CXX)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  add_compile_options(-fstack-protector-strong -fstack-clash-protection -Wformat -Werror=format-security)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i[3-6]86")
    add_compile_options(-fcf-protection)
  endif()
  # Fortification needs the optimiser; a Debug build would only get a warning. Level 3
  # (GCC 12 on) also checks copies whose size is known only at run time, which is most
  # of a Qt program's.
  set(fortify 2)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
    set(fortify 3)
  endif()
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=${fortify}>")
  add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
