#!/usr/bin/env bash
# Lands the current branch of a work tree on main: merges main in, builds and
# runs the whole test suite, then fast-forwards main under a lock so that
# landings from several work trees never interleave. Run from the work tree.
#
# The first try tests without the lock, so that several work trees can test
# side by side. If main moved meanwhile, the second try keeps the lock from
# the merge through the test to the fast-forward: it cannot be overtaken
# again, and the others wait for it instead of re-testing in a loop.
set -euo pipefail
branch=$(git rev-parse --abbrev-ref HEAD)
[ "$branch" != main ] || { echo "land.sh: run it from a work tree's own branch" >&2; exit 2; }
main_tree=$(git worktree list --porcelain | awk '/^worktree /{w=$2} /^branch refs\/heads\/main$/{print w}')
[ -n "$main_tree" ] || { echo "land.sh: no work tree has main checked out" >&2; exit 2; }
[ -z "$(git status --porcelain --untracked-files=no)" ] || { echo "land.sh: commit your changes first" >&2; exit 2; }
top=$(git rev-parse --show-toplevel)
lock="$(git rev-parse --git-common-dir)/land.lock"

fast_forward() {
  git -C "$main_tree" merge --ff-only "$branch"
  echo "land.sh: main is now $(git rev-parse --short main)"
}

git merge --no-edit main
tested=$(git rev-parse main)
"$top/tools/test.sh" "$@"
exec 9>"$lock"
flock 9
if [ "$(git rev-parse main)" = "$tested" ]; then
  fast_forward
  exit 0
fi
echo "land.sh: main moved while testing; merging again and testing under the lock"
git merge --no-edit main
"$top/tools/test.sh" "$@"
fast_forward
