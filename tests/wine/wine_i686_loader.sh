#!/usr/bin/env bash
# Makes the private Wine loader folder in which 32-bit Windows programs run:
# this kernel runs no 32-bit program, so Wine's 32-bit loader runs under
# qemu-i386.  Safe to run again: it does nothing when the folder is complete.
#
# Why a folder of our own: Wine 8 starts every 32-bit program through the
# file "wine" beside the wine64 it was started from.  Here "wine" is a script
# that runs the real 32-bit loader under qemu-user 10, so every 32-bit process
# of a Wine started from this folder's wine64 runs that way, whoever starts
# it.  The loaders find Wine's libraries and data relative to themselves, so
# the folder mirrors /usr's layout with links.  Debian 12's own qemu (7.2)
# ignores MAP_FIXED_NOREPLACE, with which Wine's 32-bit start-up reserves its
# address space: each 32-bit start then takes about a minute.  qemu-user 10
# from <codename>-backports honours it (half a second); it is fetched into a
# private apt folder, the system's apt sources stay as they are.  The
# archive is the one the system's own apt configuration names for Debian's
# <codename> suite (sources.list or deb822 .sources, a company's or a
# country's mirror or a proxy alike): the machine may reach no other.
# The folder is wine_i686_dir of wine_env.sh.
set -euo pipefail
. "$(dirname "$0")/wine_env.sh"
dir=$(wine_i686_dir)
# A folder made before the loader was started under the name "wine" is made anew.
[ -x "$dir/lib/wine/qemu-i386" ] && grep -q -- ' -0 ' "$dir/lib/wine/wine" 2>/dev/null && exit 0
[ -x /usr/lib/wine/wine ] && [ -x /usr/lib/wine/wine64 ] || {
  echo "wine32:i386 and wine64 are needed for the 32-bit loader folder" >&2; exit 1; }
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ -n "$codename" ] || { echo "no VERSION_CODENAME in /etc/os-release" >&2; exit 1; }
# The archive that serves the release's own suite, as apt itself reads the
# configuration.
archive=$(apt-get indextargets --no-release-info --format '$(RELEASE) $(TARGET_OF) $(REPO_URI)' |
          awk -v s="$codename" '$1 == s && $2 == "deb" { print $3; exit }')
[ -n "$archive" ] || { echo "apt names no archive for the suite $codename" >&2; exit 1; }
echo "Making the 32-bit Wine loader folder $dir (qemu-user 10 from $codename-backports of $archive)"
apt=$dir/apt
rm -rf "$dir"
mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$dir/lib/wine" \
         "$dir/lib/x86_64-linux-gnu" "$dir/lib/i386-linux-gnu" "$dir/share"
echo "deb $archive $codename-backports main" >"$apt/sources.list"
opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
      -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o APT::Sandbox::User=root)
apt-get "${opts[@]}" update -qq --error-on=any || {
  echo "$archive has no $codename-backports suite that apt could read" >&2; exit 1; }
(cd "$apt" && apt-get "${opts[@]}" download -qq "qemu-user/$codename-backports")
dpkg-deb --fsys-tarfile "$apt"/qemu-user_*.deb | tar -x -C "$apt" ./usr/bin/qemu-i386
cp "$apt/usr/bin/qemu-i386" "$dir/lib/wine/qemu-i386"
rm -rf "$apt"
cp /usr/lib/wine/wine64 "$dir/lib/wine/wine64"
cp /usr/lib/wine/wine "$dir/lib/wine/wine32-loader"
ln -s /usr/lib/wine/wineserver "$dir/lib/wine/wineserver"
ln -s /usr/lib/x86_64-linux-gnu/wine "$dir/lib/x86_64-linux-gnu/wine"
ln -s /usr/lib/i386-linux-gnu/wine "$dir/lib/i386-linux-gnu/wine"
ln -s /usr/share/wine "$dir/share/wine"
cat >"$dir/lib/wine/wine" <<'SCRIPT'
#!/bin/sh
# Wine's 32-bit loader under qemu-user 10 (see wine_i686_loader.sh).  It runs
# under the name "wine" (-0): Wine names the loader of the other width after
# its own file name plus "64", so a 32-bit program can start a 64-bit one.
here=$(dirname "$(readlink -f "$0")")
exec "$here/qemu-i386" -0 "$here/wine" "$here/wine32-loader" "$@"
SCRIPT
chmod +x "$dir/lib/wine/wine"
"$dir/lib/wine/qemu-i386" --version | head -1
