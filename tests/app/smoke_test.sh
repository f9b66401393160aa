#!/usr/bin/env bash
# Starts the real program on a virtual X display: the splash must show first, the main
# window "Quarvel" about 2.5 s later, and Escape in the main window must end the program.
set -u
program=${1:?usage: smoke_test.sh path/to/quarvel}

if [ -z "${QUARVEL_SMOKE_INNER:-}" ]; then
  export QUARVEL_SMOKE_INNER=1
  exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi

unset QT_QPA_PLATFORM # the real window system, not the offscreen one of the other tests
fail() { echo "FAIL: $*"; kill "$pid" 2>/dev/null; exit 1; }
now() { date +%s%N; }

start=$(now)
"$program" &
pid=$!

splash=""
for _ in $(seq 1 40); do
  splash=$(xdotool search --onlyvisible --name '^Quarvel starting$' 2>/dev/null | head -1)
  [ -n "$splash" ] && break
  sleep 0.05
done
[ -n "$splash" ] || fail "no splash window within 2 s"
splashAt=$(( ($(now) - start) / 1000000 ))

main=""
for _ in $(seq 1 100); do
  main=$(xdotool search --onlyvisible --name '^Quarvel$' 2>/dev/null | head -1)
  [ -n "$main" ] && break
  sleep 0.05
done
[ -n "$main" ] || fail "no main window within 7 s"
mainAt=$(( ($(now) - start) / 1000000 ))
echo "splash after ${splashAt} ms, main window after ${mainAt} ms"
[ $(( mainAt - splashAt )) -ge 2400 ] || fail "the main window came less than 2.5 s after the splash"
xdotool search --onlyvisible --name '^Quarvel starting$' >/dev/null 2>&1 && fail "the splash is still shown"

xdotool windowfocus --sync "$main" 2>/dev/null
xdotool key Escape
for _ in $(seq 1 40); do
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    code=$?
    [ "$code" -eq 0 ] || fail "the program ended with status $code"
    echo "PASS: ended by Escape"
    exit 0
  fi
  sleep 0.05
done
fail "the program still runs 2 s after Escape"
