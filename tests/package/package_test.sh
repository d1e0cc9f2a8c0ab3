#!/usr/bin/env bash
# scripts/package on a clean clone of the repository's last commit builds the Debian package:
# its control file declares what the program needs at run time and Debian 12 can provide it,
# it holds exactly the files an installation holds (tests/install/installed_files.txt) under
# /usr, owned by root, dpkg installs it (into a root of its own), and the program from it
# starts in a data folder and ends.
# Takes a release build of its own, so scripts/test leaves it out.
#   tests/package/package_test.sh [REPOSITORY]    default: this checkout
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=${1:-$(cd "$here/../.." && pwd)}
work=$(mktemp -d)
pid=""
cleanup() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package test: $*" >&2; exit 1; }

git clone -q "$repo" "$work/clone"
deb=$("$work/clone/scripts/package" | tail -n 1)
[ -f "$deb" ] || fail "scripts/package made no package (it said '$deb')"
echo "package: $deb"

# The control file.
dpkg -I "$deb"
[ "$(dpkg-deb -f "$deb" Package)" = phonedir ] || fail "the package is not called phonedir"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"
depends=$(dpkg-deb -f "$deb" Depends)
names=$(sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends")
for need in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libsqlite3-0 libstdc++6 \
            qt6-qpa-plugins fonts-dejavu-core fonts-dejavu-extra qt6-translations-l10n; do
  grep -qxF "$need" <<<"$names" || fail "Depends lacks $need: $depends"
done
# Every dependency exists in the system's archive in a version that satisfies it.
if ! simulated=$(apt-get install --simulate --no-install-recommends "$deb" 2>&1); then
  fail "apt cannot satisfy the dependencies:"$'\n'"$simulated"
fi
grep -q "^Inst phonedir " <<<"$simulated" || fail "apt would not install it:"$'\n'"$simulated"

# The files: those of an installation, under /usr, owned by root, the programs executable.
listing=$(dpkg-deb -c "$deb")
echo "$listing"
files=$(awk '$1 !~ /^d/ {print $6}' <<<"$listing" | sed 's|^\./usr/||' | sort)
wanted=$(grep -v "^#" "$work/clone/tests/install/installed_files.txt" | sort)
[ "$files" = "$wanted" ] ||
  fail "the package's files differ from an installation's:"$'\n'"$(diff <(echo "$wanted") <(echo "$files"))"
awk '$2 != "root/root" {exit 1}' <<<"$listing" || fail "a file not owned by root"
for program in phonedir phonedir-data; do
  grep -Eq "^-rwxr-xr-x .* \./usr/bin/$program$" <<<"$listing" || fail "$program is not 0755"
done

# Installed by dpkg into a root of its own, whose empty database knows none of the
# dependencies (apt found them above); unpacked instead where dpkg may not install.
if [ "$(id -u)" -eq 0 ]; then
  mkdir -p "$work/root/var/lib/dpkg/info" "$work/root/var/lib/dpkg/updates"
  touch "$work/root/var/lib/dpkg/status"
  if ! out=$(dpkg --root="$work/root" --force-depends -i "$deb" 2>&1); then
    fail "dpkg -i: $out"
  fi
  status=$(dpkg --root="$work/root" -s phonedir | sed -n 's/^Status: //p')
  [ "$status" = "install ok installed" ] || fail "dpkg says the package is '$status'"
  from_dpkg=$(dpkg --root="$work/root" -L phonedir |
              while read -r p; do [ -d "$work/root$p" ] || echo "${p#/usr/}"; done | sort)
  [ "$from_dpkg" = "$wanted" ] || fail "dpkg -L lists:"$'\n'"$from_dpkg"
  echo "dpkg -i into $work/root: installed"
else
  dpkg-deb -x "$deb" "$work/root"
fi

# The programs out of the package, against the system's libraries.
desktop-file-validate "$work/root/usr/share/applications/phonedir.desktop" || fail "desktop entry"
"$work/root/usr/bin/phonedir" --version | grep -q "^phonedir " || fail "phonedir --version"
"$work/root/usr/bin/phonedir-data" --help | grep -q "phonedir-data load" || fail "phonedir-data"
mkdir "$work/elsewhere"
(cd "$work/elsewhere" && HOME="$work/home" QT_QPA_PLATFORM=offscreen \
   exec "$work/root/usr/bin/phonedir" "$work/data") 2>"$work/stderr" &
pid=$!
for _ in $(seq 300); do
  [ -f "$work/data/PERSONAL.db" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
[ -f "$work/data/PERSONAL.db" ] || fail "the packaged program made no data files: $(cat "$work/stderr")"
kill -TERM "$pid"
code=0
wait "$pid" || code=$?
pid=""
[ "$code" -eq 0 ] || fail "the packaged program ended with $code: $(cat "$work/stderr")"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "files in the folder it was started from"
echo "package test: passed"
