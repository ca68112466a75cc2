#!/usr/bin/env bash
# dependency_table.sh SOURCE_DIR: fails naming every package that
# tools/install_deps.sh installs (either set) and the dependency table of
# docs/development.md does not name, as `package` in one of its rows.
set -euo pipefail
root="$1"
packages="$("$root/tools/install_deps.sh" --tests --print)"
[ -n "$packages" ] || { echo "install_deps.sh --tests --print listed nothing" >&2; exit 1; }
rows="$(grep '^| ' "$root/docs/development.md")"
missing=()
for package in $packages; do
  grep -qF "\`$package\`" <<<"$rows" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "docs/development.md's dependency table lacks: ${missing[*]}" >&2
  exit 1
fi
