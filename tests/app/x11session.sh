#!/bin/sh
# Runs a test program as on a user's desktop: an X server of its own (Xvfb, 1280x1024),
# a D-Bus session of its own (assistive technology's bus starts in it on demand) and,
# with --wm, the openbox window manager. Exits 77 (skipped) with a message when a tool is
# missing; scripts/setup installs them all. The display is the first free one of
# TAVRIN_TEST_DISPLAYS (default 90 to 99).
set -u
with_wm=0
if [ "${1:-}" = "--wm" ]; then
  with_wm=1
  shift
fi
needed="Xvfb dbus-run-session xprop"
[ "$with_wm" = 1 ] && needed="$needed openbox xdotool"
missing=""
for tool in $needed; do
  command -v "$tool" > /dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
  echo "skipped: not installed:$missing"
  exit 77
fi

server=""
for number in ${TAVRIN_TEST_DISPLAYS:-90 91 92 93 94 95 96 97 98 99}; do
  [ -e "/tmp/.X$number-lock" ] && continue
  Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
  server=$!
  tries=0
  while [ ! -S "/tmp/.X11-unix/X$number" ] && kill -0 "$server" 2> /dev/null && [ $tries -lt 50 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  if [ -S "/tmp/.X11-unix/X$number" ] && kill -0 "$server" 2> /dev/null; then
    export DISPLAY=":$number"
    break
  fi
  kill "$server" 2> /dev/null
  server=""
done
if [ -z "$server" ]; then
  echo "no free X display among ${TAVRIN_TEST_DISPLAYS:-90..99}"
  exit 1
fi

manager=""
if [ "$with_wm" = 1 ]; then
  openbox > /dev/null 2>&1 &
  manager=$!
  tries=0
  until xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id' || [ $tries -ge 50 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
fi

dbus-run-session -- "$@"
status=$?
[ -n "$manager" ] && kill "$manager" 2> /dev/null
kill "$server" 2> /dev/null
wait 2> /dev/null
exit $status
