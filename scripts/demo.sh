#!/usr/bin/env bash
# Installs what is missing, builds, starts the module simulator on COM1 and the configurator.
# The simulator's port is published in a private port directory ($RQ27M_PORTS), so nothing in the
# user's own port directory changes. Without a display the configurator runs on a virtual X
# server and a screenshot is written to build/demo-screenshot.png.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages
build_project

BIN="$BUILD_DIR/bin"
export RQ27M_PORTS="${RQ27M_PORTS:-$(mktemp -d -t rq27m-ports.XXXXXX)}"

# Everything started here (simulator, virtual X server, configurator) is stopped when the demo ends.
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$BIN/rq27m-sim" --port 1 --verbose &
pids+=($!)
for _ in $(seq 100); do
  [ -e "$RQ27M_PORTS/com1" ] && break
  kill -0 "${pids[0]}" 2>/dev/null || break
  sleep 0.1
done
if [ ! -e "$RQ27M_PORTS/com1" ]; then
  echo "demo: the module simulator did not publish COM1 in $RQ27M_PORTS; stopping." >&2
  exit 1
fi
echo "Simulated RQ_27M module on COM1 ($(readlink "$RQ27M_PORTS/com1"))"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: running the configurator on a virtual X server (Xvfb)."
  dpyfile="$(mktemp -t rq27m-xvfb.XXXXXX)"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dpyfile" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$dpyfile" ] && break; sleep 0.1; done
  dpy="$(tr -d '[:space:]' <"$dpyfile")"
  rm -f "$dpyfile"
  if [ -z "$dpy" ]; then
    echo "demo: the virtual X server did not start; stopping." >&2
    exit 1
  fi
  export DISPLAY=":$dpy"
  "$BIN/rq27m" &
  app=$!
  pids+=($app)
  sleep 2
  if "$BIN/rq-xshot" "$BUILD_DIR/demo-screenshot.png"; then
    echo "Screenshot: $BUILD_DIR/demo-screenshot.png"
  fi
  echo "The configurator runs on display $DISPLAY; press Ctrl+C to stop."
  wait "$app" || true
else
  "$BIN/rq27m"
fi
