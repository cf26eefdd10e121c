#!/usr/bin/env bash
# The last test of a run: the temporary folder that tools/test.sh gave the
# tests ($SUITE_TEST_TMPDIR, also their $TMPDIR) must be empty again. Without
# such a folder (ctest started by hand) there is nothing to compare: skipped.
set -u
dir=${SUITE_TEST_TMPDIR:-}
if [ -z "$dir" ] || [ "${TMPDIR:-}" != "$dir" ]; then
  echo "no temporary folder of this run alone (tools/test.sh gives one): skipped"
  exit 77
fi
if [ ! -d "$dir" ]; then
  echo "the run's temporary folder $dir was removed by a test"
  exit 1
fi
left=$(find "$dir" -mindepth 1 -maxdepth 1 | wc -l)
if [ "$left" -ne 0 ]; then
  echo "the tests left $left entries in the temporary folder $dir:"
  find "$dir" -mindepth 1 -maxdepth 1 -printf '%f\n' | sort | head -40
  exit 1
fi
echo "the temporary folder was left empty"
