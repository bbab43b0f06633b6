# Sourced by the whole-program tests that run the player. Takes the arguments each of
# them gets (direvo, direvo-compose, the sample-movie maker, the screenshot folder),
# and sets up the session (session.sh). The caller sets $test_name first: it names the
# failure screenshot and the file the program's output goes to
# ($out/${test_name}_stdout.txt).
set -euo pipefail
direvo=$(realpath "$1")
compose=$(realpath "$2")
sample=$(realpath "$3")
out=$(realpath -m "${4:-.}")
mkdir -p "$out"
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
