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

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT INT TERM

"$BIN/rq27m-sim" --port 1 --verbose &
pids+=($!)
for _ in $(seq 50); do [ -e "$RQ27M_PORTS/com1" ] && break; sleep 0.1; done
echo "Simulated RQ_27M module on COM1 ($(readlink "$RQ27M_PORTS/com1"))"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: running the configurator on a virtual X server (Xvfb)."
  exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
  read -r dpy <&3
  export DISPLAY=":$dpy"
  "$BIN/rq27m" &
  app=$!
  pids+=($app)
  sleep 2
  if command -v xwd >/dev/null && command -v convert >/dev/null; then
    xwd -root -silent | convert xwd:- "$BUILD_DIR/demo-screenshot.png" && echo "Screenshot: $BUILD_DIR/demo-screenshot.png"
  fi
  echo "The configurator runs on display $DISPLAY; press Ctrl+C to stop."
  wait "$app"
else
  "$BIN/rq27m"
fi
