#!/bin/sh
# CI's simulated life: an hour with a fresh seed (printed, so a failure
# can be replayed), then every kept seed from the seeds file.
# usage: ci-life.sh VELMORA_LIFE SEEDS_FILE WORK_DIR [HOURS, default 1]
set -u
life=$1 seeds=$2 work=$3 hours=${4:-1}
status=0
seed=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')
echo "fresh seed $seed"
"$life" "$work/fresh" --seed "$seed" --hours "$hours" || status=1
grep -v '^#' "$seeds" | while read -r kept keptHours rest; do
    [ -n "$kept" ] || continue
    echo "kept seed $kept ($rest)"
    "$life" "$work/kept-$kept" --seed "$kept" --hours "$keptHours" || exit 1
done || status=1
exit $status
