#!/usr/bin/env bash
# Usage: bash scripts/fetch-debian-source.sh PACKAGE DESTDIR
# Unpacks Debian's source package PACKAGE into DESTDIR (once; later calls
# reuse it) and prints the unpacked source folder on standard output.
# Adds a deb-src entry mirroring the machine's Debian entry when none is there.
set -euo pipefail
if [ $# -ne 2 ] || [ -z "$1" ] || [ -z "$2" ]; then
  echo "usage: $0 PACKAGE DESTDIR" >&2
  exit 2
fi
pkg=$1
dest=$2
case "$pkg" in
  *[!a-z0-9.+-]*|[!a-z0-9]*) echo "$0: not a package name: $pkg" >&2; exit 2 ;;
esac

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
APT=(apt-get -o DPkg::Lock::Timeout=900)

# The unpacked folder is remembered by name in a stamp written last, so an
# interrupted fetch is simply redone.
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
stamp="$dest/.$pkg.source-dir"
if [ -f "$stamp" ]; then
  dir=$(cat "$stamp")
  if [ -n "$dir" ] && [ -d "$dest/$dir" ]; then
    echo "$dest/$dir"
    exit 0
  fi
fi

# deb-src entry: the same URIs, suites, components and key as every
# "Types: deb" stanza of the machine's Debian sources.
srcfile=/etc/apt/sources.list.d/vorn-deb-src.sources
debfile=/etc/apt/sources.list.d/debian.sources
have_src() {
  grep -rqsE '^(Types:.*deb-src|deb-src[[:space:]])' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null
}
if ! have_src; then
  if [ ! -f "$debfile" ]; then
    echo "$0: no $debfile to mirror for a deb-src entry" >&2
    exit 1
  fi
  tmp=$(mktemp)
  awk 'BEGIN { RS=""; ORS="\n\n" }
       /(^|\n)Types:[^\n]*(^|[ \t])deb([ \t]|\n|$)/ {
         sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' \
      "$debfile" >"$tmp"
  if ! grep -q '^Types: deb-src' "$tmp"; then
    rm -f "$tmp"
    echo "$0: no Debian entry found in $debfile" >&2
    exit 1
  fi
  $SUDO install -m 644 "$tmp" "$srcfile"
  rm -f "$tmp"
  $SUDO "${APT[@]}" update -qq
elif [ -z "$(apt-cache showsrc "$pkg" 2>/dev/null)" ]; then
  # Entry present but the source lists never fetched.
  $SUDO "${APT[@]}" update -qq
fi

# dpkg-source (from dpkg-dev) unpacks what apt-get source downloads.
if ! command -v dpkg-source >/dev/null; then
  DEBIAN_FRONTEND=noninteractive $SUDO "${APT[@]}" install -y -qq dpkg-dev >&2
fi

work=$(mktemp -d "$dest/.fetch-$pkg.XXXXXX")
chmod 755 "$work"  # apt downloads as its own user
trap 'rm -rf "$work"' EXIT
(cd "$work" && "${APT[@]}" source -qq "$pkg" >&2)
dir=""
for d in "$work"/*/; do
  [ -d "$d" ] && dir=$(basename "$d") && break
done
if [ -z "$dir" ]; then
  echo "$0: apt-get source $pkg unpacked nothing" >&2
  exit 1
fi
rm -rf "${dest:?}/$dir"
mv "$work/$dir" "$dest/$dir"
# Keep the original archives next to it for the licence and the record.
for f in "$work"/*; do
  [ -f "$f" ] && mv -f "$f" "$dest/"
done
printf '%s\n' "$dir" >"$stamp.tmp"
mv -f "$stamp.tmp" "$stamp"
echo "$dest/$dir"
