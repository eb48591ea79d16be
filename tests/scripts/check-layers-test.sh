#!/bin/sh
# The layering check on small trees made here: a clean one passes, and each kind of fault (an
# include that runs upward, Qt in the core, a loop of includes in one folder, a sound or X library
# above the platform layer) fails with a line that names the file.
set -eu
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
expect() { # expect STATUS PATTERN TREE
  status=0
  output=$("$check" "$3" 2>&1) || status=$?
  if [ "$status" -ne "$1" ] || ! printf '%s\n' "$output" | grep -q -- "$2"; then
    echo "FAIL: $3: wanted status $1 and '$2', got status $status:"
    printf '%s\n' "$output"
    failures=$((failures + 1))
  fi
}

tree() { # tree NAME: a clean tree of three layers
  mkdir -p "$work/$1/platform" "$work/$1/env" "$work/$1/ui"
  printf '#pragma once\n#include <cstdint>\n' >"$work/$1/platform/uA.h"
  printf '#include "env/uB.h"\n#include "platform/uA.h"\n' >"$work/$1/env/uB.cpp"
  printf '#pragma once\n#include "platform/uA.h"\n' >"$work/$1/env/uB.h"
  printf '#include "env/uB.h"\n#include <QWidget>\n' >"$work/$1/ui/uC.cpp"
}

tree clean
expect 0 '' "$work/clean"

tree upward
printf '#pragma once\n#include "ui/uC.h"\n' >"$work/upward/platform/uA.h"
expect 1 'platform/uA.h:2: includes "ui/uC.h" from ui, a layer above platform' "$work/upward"

tree qt
printf '#include "env/uB.h"\n#include <QString>\n' >"$work/qt/env/uB.cpp"
expect 1 'env/uB.cpp:2: the Qt-free layer env includes <QString>' "$work/qt"

tree loop
printf '#pragma once\n' >"$work/loop/env/uD.h"
printf '#include "env/uD.h"\n#include "env/uB.h"\n' >"$work/loop/env/uD.cpp"
printf '#include "env/uB.h"\n#include "env/uD.h"\n' >"$work/loop/env/uB.cpp"
expect 1 'which leads back to it (a loop of includes)' "$work/loop"

tree outside
printf '#include "support/x.h"\n' >"$work/outside/env/uE.cpp"
expect 1 'includes "support/x.h" from outside the layers' "$work/outside"

tree sound
printf '#include "platform/uA.h"\n#include <alsa/asoundlib.h>\n' >"$work/sound/env/uF.cpp"
expect 1 'env/uF.cpp:2: env includes <alsa/asoundlib.h>, which only the platform layer may' "$work/sound"

echo "$((6 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
