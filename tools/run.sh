#!/usr/bin/env bash
# Runs the suite's main job on a bundled sample page. Its driver is not built yet.
echo "run.sh: the main job's driver is not built yet; tools/test.sh builds and tests the libraries." >&2
exit 1
