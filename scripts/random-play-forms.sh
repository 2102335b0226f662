#!/usr/bin/env bash
# The random play of the control library's programs: scripts/random-play.sh
# with the control gallery as the default program.
#   scripts/random-play-forms.sh [SECONDS] [SEED] [PROGRAM]
# PROGRAM is skin_control_gallery (the default) or vlslaunch.
exec "$(dirname "$0")/random-play.sh" "${1:-300}" "${2:-}" "${3:-skin_control_gallery}"
