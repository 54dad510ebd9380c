#!/usr/bin/env bash
# The packaged jar on a machine shared with other users, each attack run as
# the uids it needs (no accounts are made; each user gets its own cache): the
# jar never loads another user's library, still works for its user, and its
# command line never reports a failure as success. Needs root and cc.
set -euo pipefail
[[ $(id -u) == 0 ]] || { echo "shared_machine.sh: skipped, it needs root to act as other users"; exit 0; }
cd "$(dirname "$0")/../.."
work=$(mktemp -d) racer=
trap '[[ -z $racer ]] || kill $racer; rm -rf "$work"' EXIT
J=$work/iisconfigure.jar victim=2001 attacker=2002 homeless=2003
chmod 755 "$work" && cp "$1" "$J" && cp hosts/iis6-stock.json "$work/host.json"
mkdir -m 777 "$work"/{cwd,shared,open} && mkdir -m 1777 "$work"/{tmp,sticky} && mkdir -m 755 "$work/evil"
install -d -o $victim -m 700 "$work/victim" && install -d -o $victim -m 500 "$work/victim/ro"
install -d -o $attacker -m 755 "$work/attacker" && install -m 666 /dev/null "$work/ran-as"

# The attacker's library notes the uid of whoever loads it; the other one has no natives.
echo "__attribute__((constructor)) static void ran(void) { FILE *f = fopen(\"$work/ran-as\", \"a\");
  fprintf(f, \"%d\\n\", (int) getuid()); fclose(f); }" |
  cc -shared -fPIC -include stdio.h -include unistd.h -x c -o "$work/evil/libwinsim.so" -
cp "$work/evil/libwinsim.so" "$work/evil/libiisconfigure.so"
echo 'int nothing;' | cc -shared -fPIC -x c -o "$work/nonatives.so" -

# [to=FILE] check UID STATUS PATTERN [NAME=VALUE...] -- JAVA-ARGS: runs the jar as that uid in a
# clean environment from a folder anyone may write to; its status, its whole output (or its errors
# with the output sent to FILE), no stack trace, and no run of the attacker's library.
check() {
  local uid=$1 status=$2 pattern=$3 env=() out rc=0
  shift 3
  while [[ $1 != -- ]]; do env+=("$1"); shift; done
  out=$(cd "$work/cwd" && as $uid env -i PATH="$PATH" WINSIM_HOST="$work/host.json" WINSIM_JOURNAL= "${env[@]}" \
    java -Djava.io.tmpdir="$work/tmp" "${@:2}" 2>&1 >"${to:-/dev/stdout}") || rc=$?
  if [[ $rc != "$status" || ! $out =~ $pattern || $out == *Exception* || -s $work/ran-as ]]; then
    echo "uid $uid ${env[*]} java ${*:2}: exit status $rc (expected $status), output:"$'\n'"$out" >&2
    echo "the attacker's library ran as uid: $(cat "$work/ran-as")" >&2
    exit 1
  fi
}
as() { setpriv --reuid "$1" --regid "$1" --clear-groups "${@:2}"; }
line='^iisconfigure: [^'$'\n'']*'

check $victim 0 '^true$' XDG_CACHE_HOME="$work/victim/cache" -- -jar "$J" IsIISInstalled
name=$(cd "$work/victim/cache/iisconfigure" && echo *)

# The other user made the folders first and, while the jar runs, keeps putting their libraries in
# them and flips a link between the victim's cache and theirs: root's cache in a folder anyone may
# write to, or in a sticky one; a user's cache through a link in a folder anyone may write to.
as $attacker bash -c "umask 0; mkdir -p $work/{shared,sticky,attacker/cache}/iisconfigure/$name
  ln -s $work/victim/cache $work/sticky/link"
flip="ln -sfn $work/victim/cache $work/open/l; mv -T $work/open/l $work/open/cache"
setpriv --reuid $attacker --regid $attacker --clear-groups bash -c "while :; do for d in $work/{shared,sticky,attacker/cache}/iisconfigure/$name; do
  for f in libwinsim.so libiisconfigure.so; do cp $work/evil/\$f \$d/.\$f; mv -f \$d/.\$f \$d/\$f; done
  done; $flip; ${flip/victim/attacker}; done" >/dev/null 2>&1 & racer=$!
for i in 1 2 3; do
  check 0 0 '^true$' XDG_CACHE_HOME="$work/shared" -- -jar "$J" IsIISInstalled
  check 0 0 '^true$' XDG_CACHE_HOME="$work/sticky" -- -jar "$J" IsIISInstalled
  check $victim 0 '^true$' XDG_CACHE_HOME="$work/open/cache" -- -jar "$J" IsIISInstalled
done
kill $racer && racer=

# Which folder was used and why; a planted library on the library path; a uid without a home.
temp='temporary folder of this JVM, as the cache cannot be used:'
check 0 0 "$temp $work/shared can be changed by other users \\(mode 777\\)" XDG_CACHE_HOME="$work/shared" -- -jar "$J" --version
check 0 0 "$temp $work/sticky/iisconfigure is owned by uid $attacker" XDG_CACHE_HOME="$work/sticky" -- -jar "$J" --version
check $victim 0 "$temp $work/sticky/link is a symbolic link" XDG_CACHE_HOME="$work/sticky/link" -- -jar "$J" --version
as $victim mkdir -p -m 755 "$work/victim/wide/iisconfigure/$name"
check $victim 0 "$temp $work/victim/wide/iisconfigure/$name is open to other users \\(mode 755\\)" \
  XDG_CACHE_HOME="$work/victim/wide" -- -jar "$J" --version
check $victim 0 "$temp cannot write $work/victim/ro/iisconfigure: permission denied" XDG_CACHE_HOME="$work/victim/ro" -- -jar "$J" --version
check $victim 0 "native library: $work/victim/cache/iisconfigure/$name/libiisconfigure.so \\(the jar's copy, cached\\)" \
  XDG_CACHE_HOME="$work/victim/cache" LD_LIBRARY_PATH="$work/evil" -- -jar "$J" --version
check $victim 0 '^true$' XDG_CACHE_HOME="$work/victim/cache" LD_LIBRARY_PATH="$work/evil" -- -jar "$J" IsIISInstalled
check $homeless 0 '^true$' -- -jar "$J" IsIISInstalled
check $homeless 0 "$temp no usable home folder \\(user.home=\\?\\)" -- -jar "$J" --version

# A write the system refuses, named with its file; a library without our natives; output that is
# lost; text the locale cannot hold.
(ulimit -f 64; check $victim 3 "${line}cannot write $work/victim/big/iisconfigure/$name/libwinsim.so: file too large" \
  XDG_CACHE_HOME="$work/victim/big" -- -jar "$J" IsIISInstalled)
check 0 3 "${line}does not link jniIsIISInstalled [^"$'\n'"]*\$" -- -Diisconfigure.library="$work/nonatives.so" -jar "$J" IsIISInstalled
to=/dev/full check 0 4 "${line}\$" -- -jar "$J" --list
check 0 0 '^true$' LC_ALL=C.UTF-8 -- -jar "$J" CreateVirtualDirectory '' 'C:\wwwé😀'
check 0 0 '^C:\\wwwé😀$' LC_ALL=C -- -jar "$J" GetDocumentRootPath

[[ -z $(find "$work/cwd" "$work/tmp" -mindepth 1) ]] || { echo "left behind:"; find "$work/cwd" "$work/tmp"; exit 1; } >&2
echo "the jar holds on a shared machine"
