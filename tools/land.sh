#!/usr/bin/env bash
# Lands the current branch of a work tree on main: merges main in, builds and
# runs the whole test suite, then fast-forwards main under a lock so that
# landings from several work trees never interleave. Run from the work tree.
set -euo pipefail
branch=$(git rev-parse --abbrev-ref HEAD)
[ "$branch" != main ] || { echo "land.sh: run it from a work tree's own branch" >&2; exit 2; }
main_tree=$(git worktree list --porcelain | awk '/^worktree /{w=$2} /^branch refs\/heads\/main$/{print w}')
[ -n "$main_tree" ] || { echo "land.sh: no work tree has main checked out" >&2; exit 2; }
[ -z "$(git status --porcelain --untracked-files=no)" ] || { echo "land.sh: commit your changes first" >&2; exit 2; }
top=$(git rev-parse --show-toplevel)
for attempt in 1 2 3 4 5; do
  git merge --no-edit main
  tested=$(git rev-parse main)
  "$top/tools/test.sh" "$@"
  exec 9>"$(git rev-parse --git-common-dir)/land.lock"
  flock 9
  if [ "$(git rev-parse main)" = "$tested" ]; then
    git -C "$main_tree" merge --ff-only "$branch"
    echo "land.sh: main is now $(git rev-parse --short main)"
    exit 0
  fi
  flock -u 9
  echo "land.sh: main moved while testing; merging again (attempt $attempt)"
done
echo "land.sh: main kept moving; try again" >&2
exit 1
