#!/bin/bash
# Builds Velmora.app with the macos preset, copies Qt into it and signs it
# (ad hoc unless VELMORA_SIGN_IDENTITY names an identity), then verifies the
# signature.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/mac/setup-homebrew.sh
cmake --preset macos -DVELMORA_SIGN_IDENTITY="${VELMORA_SIGN_IDENTITY:--}" >/dev/null
cmake --build --preset macos
cmake --build --preset macos --target deploy
