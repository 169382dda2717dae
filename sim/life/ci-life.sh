#!/bin/sh
# CI's simulated life: an hour with a fresh seed (printed, so a failure
# can be replayed), its queries shared as the program shares them, then
# every kept seed from the seeds file (a seed whose line says
# --shared-queries after its hours is replayed so).
# usage: ci-life.sh VELMORA_LIFE SEEDS_FILE WORK_DIR [HOURS, default 1]
set -u
life=$1 seeds=$2 work=$3 hours=${4:-1}
status=0
seed=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')
echo "fresh seed $seed"
"$life" "$work/fresh" --seed "$seed" --hours "$hours" --shared-queries || status=1
grep -v '^#' "$seeds" | while read -r kept keptHours rest; do
    [ -n "$kept" ] || continue
    echo "kept seed $kept ($rest)"
    case $rest in
        --shared-queries*) "$life" "$work/kept-$kept" --seed "$kept" --hours "$keptHours" --shared-queries || exit 1 ;;
        *) "$life" "$work/kept-$kept" --seed "$kept" --hours "$keptHours" || exit 1 ;;
    esac
done || status=1
exit $status
