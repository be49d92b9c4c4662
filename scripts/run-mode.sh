# Sourced by the run scripts: chooses how a program is shown. Sets `mode` to "window" (a local
# X display the person at the screen uses) or "walk" (headless: a robot walks it under Xvfb, with
# TQ_HEADLESS=1 exported for scripts/sandbox.sh).
#   tq_run_mode NAME   (NAME: the script's name, for its messages)
tq_run_mode() {
  mode=walk
  if [ -n "${DISPLAY:-}" ] && [ "${TQ_HEADLESS:-}" != 1 ]; then
    case "$DISPLAY" in
      :*|unix:*) mode=window ;;
      # The sandbox has only loopback: a display reached over TCP (e.g. ssh forwarding) is out
      # of reach from inside it.
      *) echo "$1: DISPLAY=$DISPLAY is a network display the sandbox cannot reach; running headless instead" >&2 ;;
    esac
  fi
  if [ "$mode" = window ] && [ -z "${XAUTHORITY:-}" ] && [ -f "$HOME/.Xauthority" ]; then
    # wine-env.sh moves HOME into the build folder; keep the display's cookie reachable.
    export XAUTHORITY="$HOME/.Xauthority"
  fi
  if [ "$mode" = walk ]; then export TQ_HEADLESS=1; fi
}
