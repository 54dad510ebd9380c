#!/usr/bin/env bash
# A change set taken through as an operator would on the simulated host: preview
# a capture, make the same calls with the product jar's command line on an image
# of it, capture the result again and verify it; then the same after-capture
# with a value changed or a key gone must not pass.
#   change_set.sh BUILD-DIR (the host build, with its jars and libraries)
set -euo pipefail
build=$(realpath "$1")
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINSIM_HOST= WINSIM_JOURNAL=
preview() {
  java -XX:TieredStopAtLevel=1 -Djava.library.path="$build" -Diisconfigure.stockImage="$PWD/../../hosts/iis6-stock.json" \
    -jar "$build/java/iisconfigure-preview.jar" "$@"
}

# Each call of a calls file, one process each as the plan has them, on an image.
apply() {
  local line words rest
  while IFS= read -r line || [[ -n $line ]]; do
    [[ $line =~ ^[[:space:]]*(#|$) ]] && continue
    words=() rest=$line
    while [[ $rest =~ ^[[:space:]]*(\"([^\"]*)\"|([^[:space:]]+))(.*)$ ]]; do
      words+=("${BASH_REMATCH[2]}${BASH_REMATCH[3]}") rest=${BASH_REMATCH[4]}
    done
    WINSIM_HOST=$2 java -XX:TieredStopAtLevel=1 -Djava.library.path="$build" -jar "$build/iisconfigure.jar" "${words[@]}" \
      >/dev/null || [[ $? == 1 ]]
  done <"$1"
}

cat >"$work/redirector-calls.txt" <<'EOF'
# what an installer of the redirector calls: keys of its own, nothing a capture must show
CreateJakartaVirtualDirectory jakarta "C:\Program Files\Tomcat\bin\win32"
InstallIsapiRedirectFilter jakarta "C:\Program Files\Tomcat\bin\win32\isapi_redirect.dll"
CreateJakartaRegistryEntries C:\logs\isapi.log C:\conf\workers.properties C:\conf\uriworkermap.properties isapi_redirect.dll
StartDefaultWebsite
EOF
{ cat "$work/redirector-calls.txt"; printf '%s\n' 'InstallVantoraPHPModule C:\PHP\php5isapi.dll' \
  'CreatePHPINIRegistryEntries "C:\Program Files\PHP\"' 'AddPHPPathToEnvironmentVariable C:\PHP'; } >"$work/installer-calls.txt"

# name | capture | its registry exports | calls (empty: the demo's)
scenarios=(
  "office|small-office.xml|office-software.reg|"
  "shared|shared-host.xml|office-software.reg|$work/installer-calls.txt"
  "bare|shared-host.xml||$work/redirector-calls.txt"
)
for scenario in "${scenarios[@]}"; do
  IFS='|' read -r name capture registry calls <<<"$scenario"
  dir=$work/$name && mkdir "$dir"
  options=(--metabase "$capture") before=(--before "$capture")
  if [[ -n $registry ]]; then options+=(--registry "$registry") before+=(--before-registry "$registry"); fi
  preview demo "${options[@]}" ${calls:+--calls "$calls"} --change-set "$dir/set" >/dev/null
  preview from-metabase "${options[@]:1}" >"$dir/host.json"
  apply "${calls:-../../java/preview/data/demo-calls.txt}" "$dir/host.json"
  preview to-metabase "$dir/host.json" >"$dir/after.xml"
  preview to-reg "$dir/host.json" >"$dir/after.reg"
  out=$(preview verify "$dir/set/change.json" "${before[@]}" --after "$dir/after.xml" --after-registry "$dir/after.reg")
  [[ $out == "as previewed" ]] || { echo "$name: verify said: $out" >&2; exit 1; }
  # on the server's command line a backslash before a closing quote must be doubled, or it escapes the quote
  [[ $name != shared ]] || grep -q 'CreatePHPINIRegistryEntries "C:\\Program Files\\PHP\\\\"' "$dir/set/PLAN.txt" ||
    { echo "$name: PLAN.txt quotes the PHP folder wrongly" >&2; exit 1; }
  # the exports read back over the image they came from change nothing
  preview from-metabase "$dir/after.xml" --registry "$dir/after.reg" --base "$dir/host.json" >"$dir/again.json"
  out=$(preview diff "$dir/host.json" "$dir/again.json")
  [[ $out == "no changes" ]] || { echo "$name: exported and read back:"$'\n'"$out" >&2; exit 1; }
done

# What a wrong after-capture or before-capture gives: status | what is done | the line expected
dir=$work/office
sed 's|Path="C:\\Inetpub\\docs"|Path="C:\\Inetpub\\other"|' "$dir/after.xml" >"$dir/changed.xml"
sed '/Location ="\/LM\/W3SVC\/1\/ROOT\/docs"/,/^<\/IIsWebVirtualDir>/d' "$dir/after.xml" >"$dir/dropped.xml"
iconv -f UTF-16 -t UTF-8 "$dir/after.reg" | sed 's|^"PHPRC"="C:\\\\PHP"|"PHPRC"="C:\\\\PHP7"|' |
  iconv -f UTF-8 -t UTF-16 >"$dir/changed.reg"
cases=(
  "1|--before small-office.xml --before-registry office-software.reg --after $dir/changed.xml --after-registry $dir/after.reg|^different: metabase /LM/W3SVC/1/ROOT/docs #3001 Path previewed added as .*docs.*, found added as .*other\" "
  "1|--before small-office.xml --before-registry office-software.reg --after $dir/dropped.xml --after-registry $dir/after.reg|^missing: metabase /LM/W3SVC/1/ROOT/docs \\(key\\) added$"
  "1|--before small-office.xml --before-registry office-software.reg --after $dir/after.xml --after-registry $dir/changed.reg|^different: registry .*Environment PHPRC previewed added as REG_SZ .*, found added as REG_SZ .*PHP7\"$"
  "2|--before shared-host.xml --before-registry office-software.reg --after $dir/after.xml|^shared-host.xml: not the capture previewed \\(SHA-256 [0-9a-f]{64}; small-office.xml had [0-9a-f]{64}\\)$"
  "2|--before small-office.xml --after $dir/after.xml|^$dir/set/change.json: previewed on 2 captured files, 1 given as before$"
)
for case in "${cases[@]}"; do
  IFS='|' read -r status arguments expected <<<"$case"
  rc=0
  # shellcheck disable=SC2086 # the arguments are words without spaces
  out=$(preview verify "$dir/set/change.json" $arguments 2>&1) || rc=$?
  [[ $rc == "$status" && $(grep -cE "$expected" <<<"$out") == 1 ]] ||
    { echo "verify $arguments: status $rc (expected $status), output:"$'\n'"$out" >&2; exit 1; }
done
echo "change sets verified"
