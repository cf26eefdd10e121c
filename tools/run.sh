#!/usr/bin/env bash
# Runs the suite's main job on a bundled sample page. No program exists yet.
echo "run.sh: no program is built yet; tools/test.sh builds and tests the libraries." >&2
exit 1
