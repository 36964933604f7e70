#!/usr/bin/env bash
# Installs the built program into a temporary prefix and checks what a desktop needs from it,
# then packages the same build as a .deb and checks the package's files and dependencies.
#
#   check_install.sh <build folder>
set -uo pipefail
BUILD=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$BUILD" --prefix "$WORK/prefix" >/dev/null || fail "cmake --install failed"
for f in bin/pixdrift libexec/pixdrift/pixdrift-app share/applications/app.pixdrift.Pixdrift.desktop share/icons/hicolor/scalable/apps/pixdrift.svg \
         share/metainfo/app.pixdrift.Pixdrift.metainfo.xml share/man/man1/pixdrift.1.gz share/doc/pixdrift/copyright; do
    [[ -s $WORK/prefix/$f ]] || fail "not installed: $f"
done
for word in Pixelate Highlighter 'window' 'last' 'clipboard' 'region' 'output' 'ocr' 'scroll' 'manual'; do
    zcat "$WORK/prefix/share/man/man1/pixdrift.1.gz" | grep -q -- "$word" || fail "the manual page does not mention $word"
done
desktop-file-validate "$WORK/prefix/share/applications/app.pixdrift.Pixdrift.desktop" || fail "the desktop entry does not validate"
grep -qx 'Exec=pixdrift --area' "$WORK/prefix/share/applications/app.pixdrift.Pixdrift.desktop" || fail "no area action"
# Launchers start it over the bus: the service file runs this very program.
grep -q '^Exec=/.*/bin/pixdrift --gapplication-service$' "$WORK/prefix/share/dbus-1/services/app.pixdrift.Pixdrift.service" ||
    fail "no D-Bus service file"
appstreamcli validate --no-net "$WORK/prefix/share/metainfo/app.pixdrift.Pixdrift.metainfo.xml" >/dev/null ||
    fail "the metainfo does not validate: $(appstreamcli validate --no-net "$WORK/prefix/share/metainfo/app.pixdrift.Pixdrift.metainfo.xml")"
"$WORK/prefix/bin/pixdrift" --version | grep -q '^Pixdrift [0-9]' || fail "the installed program does not run"

(cd "$WORK" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" >cpack.log 2>&1) || fail "cpack: $(tail -5 "$WORK/cpack.log")"
deb=$(ls "$WORK"/pixdrift_*.deb 2>/dev/null | head -1)
[[ -n $deb ]] || fail "no package made"
contents=$(dpkg --contents "$deb")
for f in ./usr/bin/pixdrift ./usr/libexec/pixdrift/pixdrift-app ./usr/share/applications/app.pixdrift.Pixdrift.desktop ./usr/share/icons/hicolor/scalable/apps/pixdrift.svg \
         ./usr/share/metainfo/app.pixdrift.Pixdrift.metainfo.xml ./usr/share/man/man1/pixdrift.1.gz \
         ./usr/share/doc/pixdrift/copyright ./usr/share/doc/pixdrift/changelog.gz; do
    grep -q " $f\$" <<<"$contents" || fail "not in the package: $f"
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || fail "dependencies without Qt: $depends"
# Debian's own checks of a package: no error and no warning.
command -v lintian >/dev/null || fail "lintian is missing (scripts/setup installs it)"
tags=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -E '^[EW]: ')
[[ -z $tags ]] || fail "lintian: $tags"
echo "installed and packaged: $(basename "$deb")"
