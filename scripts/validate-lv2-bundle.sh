#!/usr/bin/env bash
# Checks the Turtle files of an LV2 bundle against the LV2 vocabularies and their schemas
# (sord_validate, with the vocabulary bundles of lv2-dev): syntax, the types and ranges of values,
# and properties that no vocabulary defines.
#
#   validate-lv2-bundle.sh BUNDLE_FOLDER
#
# LV2_SPEC_DIR names the folder of the vocabulary bundles (/usr/lib/lv2). sord_validate exits 0
# on some errors (a Turtle syntax error among them), so its report is read as well.
set -euo pipefail
bundle=${1:?usage: validate-lv2-bundle.sh BUNDLE_FOLDER}
spec_dir=${LV2_SPEC_DIR:-/usr/lib/lv2}
command -v sord_validate >/dev/null || { echo "sord_validate is not installed (sordi)" >&2; exit 2; }
[ -f "$bundle/manifest.ttl" ] || { echo "FAILED: $bundle has no manifest.ttl" >&2; exit 1; }

# The vocabulary bundles are LV2's own (their manifest describes a name under lv2plug.in/ns/) and
# the ontologies they build on (schemas.lv2).
specs=()
for manifest in "$spec_dir"/*/manifest.ttl; do
  if grep -qE '^<http://lv2plug\.in/ns/|owl:Ontology' "$manifest"; then
    mapfile -t -O "${#specs[@]}" specs < <(find "$(dirname "$manifest")" -name '*.ttl')
  fi
done
[ ${#specs[@]} -gt 0 ] || { echo "no LV2 vocabularies in $spec_dir (lv2-dev)" >&2; exit 2; }

mapfile -t files < <(find "$bundle" -name '*.ttl' | sort)
set +e
report=$(sord_validate "${specs[@]}" "${files[@]}" 2>&1)
status=$?
set -e
echo "$report"
if [ $status -ne 0 ] || grep -qE '^error|Found [1-9][0-9]* error' <<<"$report"; then
  echo "FAILED: $bundle"
  exit 1
fi
echo "OK: $bundle (${#files[@]} files)"
