#!/usr/bin/env bash
# Two minutes of the soak test (scripts/soak) on the program under test: no
# deadlock, no crash, memory steady after warm-up, frames recorded as due.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exec bash "$here/../../scripts/soak" --minutes 2 --binary "$1" --seed 12
