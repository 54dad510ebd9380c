#!/usr/bin/env bash
# A change set's registry files read by a real client: in a fresh Wine prefix,
# the editor imports the captured before-state, then registry-apply.reg; the
# touched keys, exported, hold the previewed after-state; registry-undo.reg then
# brings them back to exports byte for byte those taken before the apply.
#   regedit_change_set.sh HOST-BUILD-DIR
set -euo pipefail
build=$(realpath "$1")
cd "$(dirname "$0")/../preview"
work=$(mktemp -d)
prefix=$work/prefix
trap 'bash ../windows/wine_prefix.sh stop "$prefix"; rm -rf "$work"' EXIT
export WINSIM_HOST= WINSIM_JOURNAL=
preview() {
  java -XX:TieredStopAtLevel=1 -Djava.library.path="$build" -Diisconfigure.stockImage="$PWD/../../hosts/iis6-stock.json" \
    -jar "$build/java/iisconfigure-preview.jar" "$@"
}
wine() { WINEPREFIX=$prefix WINEDEBUG=-all /usr/lib/wine/wine64 "$@" </dev/null; }

# The capture already holds a Path with entries and a PHP key, so the undo restores values, not only keys.
capture=(--metabase small-office.xml --registry office-software.reg)
preview demo "${capture[@]}" --change-set "$work/set" --export-metabase "$work/after.xml" >/dev/null
keys=("HKLM\\SOFTWARE\\PHP" "HKLM\\SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector"
  "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment")

# The touched keys as the editor exports them, or "absent".
export_keys() {
  local i
  for i in "${!keys[@]}"; do
    rm -f "$work/$1-$i.reg"
    wine reg export "${keys[$i]}" "Z:$work/$1-$i.reg" /y >/dev/null 2>&1 || echo absent >"$work/$1-$i.reg"
  done
}

bash ../windows/wine_prefix.sh start "$prefix" >/dev/null
wine regedit /S "Z:$PWD/office-software.reg"
export_keys before
wine regedit /S "Z:$work/set/registry-apply.reg"
export_keys after
exports=()
for i in "${!keys[@]}"; do
  cmp -s "$work/after-$i.reg" <(echo absent) || exports+=(--after-registry "$work/after-$i.reg")
done
# Only the values the change names count: the prefix's environment holds values of its own, and the
# keys not exported seem removed; neither is named by the change, so both show only as unexpected.
status=0
out=$(preview verify "$work/set/change.json" --before small-office.xml --before-registry office-software.reg \
  --after "$work/after.xml" "${exports[@]}") || status=$?
if [[ $status -gt 1 ]] || grep -v '^unexpected: ' <<<"$out" | grep -qv '^as previewed$'; then
  echo "after registry-apply.reg the exports are not the previewed after-state:"$'\n'"$out" >&2
  exit 1
fi

wine regedit /S "Z:$work/set/registry-undo.reg"
export_keys undone
for i in "${!keys[@]}"; do
  cmp "$work/before-$i.reg" "$work/undone-$i.reg" ||
    { echo "${keys[$i]} after registry-undo.reg differs from before the apply" >&2; exit 1; }
done
echo "the change set's registry files apply and undo under the editor"
