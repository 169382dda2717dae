#!/bin/bash
# Installs with Homebrew what the Mac build needs; formulae already there are
# left as they are. The Xcode command-line tools come first
# (xcode-select --install).
set -euo pipefail
formulae=(cmake ninja pkgconf ccache qt libplist icu4c nlohmann-json googletest librsvg)
missing=()
for f in "${formulae[@]}"; do
  brew list --formula "$f" >/dev/null 2>&1 || missing+=("$f")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  brew install "${missing[@]}"
fi
