#!/usr/bin/env bash
# cmake --install into a temporary root puts under the prefix exactly the files listed, the
# programs run from there, and the desktop entry passes desktop-file-validate and names the
# installed program and icon, so a desktop menu can show and start it.
#   install_test.sh BUILD_DIR INSTALLED_FILES DESKTOP_FILE_VALIDATE
set -euo pipefail
build=$1 expected=$2 validate=$3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
prefix="$root/usr"
[ -z "$(find "$root" -mindepth 1 -maxdepth 1 ! -name usr)" ] || fail "files outside the prefix"

installed=$(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort)
wanted=$(grep -v '^#' "$expected" | sort)
[ "$installed" = "$wanted" ] ||
  fail "installed files differ from $expected:"$'\n'"$(diff <(echo "$wanted") <(echo "$installed"))"

for program in phonedir phonedir-data; do
  [ -f "$prefix/bin/$program" ] && [ -x "$prefix/bin/$program" ] || fail "$program is not executable"
done
# From the installed place, with no display: nothing of the build tree is needed.
"$prefix/bin/phonedir-data" --help | grep -q "phonedir-data load" || fail "phonedir-data --help"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/phonedir" --version)
[[ "$version" =~ ^phonedir\ [0-9]+\.[0-9]+ ]] || fail "phonedir --version says '$version'"

entry="$prefix/share/applications/phonedir.desktop"
report=$("$validate" "$entry" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate: $report"
field() { sed -n "s/^$1=//p" "$entry"; }
[ "$(field Name)" = "Телефонный справочник" ] || fail "Name is '$(field Name)'"
[ "$(field Categories)" = "Office;ContactManagement;" ] || fail "Categories are '$(field Categories)'"
[ -n "$(field GenericName)" ] && [ -n "$(field Comment)" ] || fail "no GenericName or Comment"
[ "$(field Exec)" = "phonedir" ] || fail "Exec is '$(field Exec)'"
[ -x "$prefix/bin/$(field Exec)" ] || fail "Exec names no installed program"
icon="$prefix/share/icons/hicolor/scalable/apps/$(field Icon).svg"
[ -f "$icon" ] || fail "Icon '$(field Icon)' names no installed icon"
[ "$(file --brief --mime-type "$icon")" = "image/svg+xml" ] || fail "the icon is not SVG"
echo "installed: $(echo "$installed" | tr '\n' ' ')"
