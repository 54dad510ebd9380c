#!/usr/bin/env bash
# Starts or stops the throwaway Wine prefix the Windows tests run in, or runs a test program in it.
set -uo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
log="$WINEPREFIX.log"

boot() {
  /usr/lib/wine/wineserver -k 2>/dev/null
  rm -rf "$WINEPREFIX"
  /usr/lib/wine/wine64 wineboot -u </dev/null >>"$log" 2>&1 || return 1
  /usr/lib/wine/wineserver -w || return 1
  # One server kept between test executables; without it each waits ~3 s.
  # It must not hold the test runner's output open, or the runner waits forever.
  /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 || return 1
  /usr/lib/wine/wine64 wineboot </dev/null >>"$log" 2>&1
}

case "$action" in
  start)
    : >"$log"
    # A fresh prefix has been seen to fail its first boot at once; a second try settles it.
    for attempt in 1 2; do
      boot && exit 0
      echo "boot $attempt of $WINEPREFIX failed"
      cat "$log"
      sleep 2
    done
    exit 1
    ;;
  run)
    # IISCONFIGURE_TEST_DLL: run the tests, from a folder of their own, on that DLL instead of this build's.
    program=$3
    if [[ -n ${IISCONFIGURE_TEST_DLL:-} ]]; then
      folder=$(dirname "$program")/dll-under-test
      rm -rf "$folder" && mkdir "$folder" &&
        cp "$program" "$(dirname "$program")"/{service_stub.exe,metabase_server.dll} "$folder"/ &&
        cp "$IISCONFIGURE_TEST_DLL" "$folder/iisconfigure.dll" || exit 1
      program=$folder/$(basename "$program")
    fi
    exec /usr/lib/wine/wine64 "$program"
    ;;
  stop)
    /usr/lib/wine/wineserver -k 2>/dev/null
    exit 0
    ;;
esac
