#!/usr/bin/env bash
# check_install.sh install|deb BUILD_FOLDER
# Puts the built editor into a temporary root, either with `cmake --install` or by building the
# Debian package and unpacking it with `dpkg -x`, and checks what a desktop finds there: the
# program, the desktop entry, the icons and the AppStream metainfo, validated with
# desktop-file-validate and `appstreamcli validate --no-net`.
set -euo pipefail
mode=${1:?install or deb}
build=${2:?build folder}
id=io.github.quorvel.MapEditor

for tool in desktop-file-validate appstreamcli file; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/bootstrap.sh installs it)"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root

case "$mode" in
  install)
    cmake --install "$build" --prefix "$root/usr" >/dev/null
    ;;
  deb)
    cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >/dev/null
    deb=$(ls "$work"/package/quorvel_*.deb)
    echo "package: $(basename "$deb")"
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    for needed in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 qt6-qpa-plugins libpugixml1v5; do
      grep -q "\b$needed\b" <<<"$depends" || { echo "Depends lacks $needed"; exit 1; }
    done
    dpkg -x "$deb" "$root"
    ;;
  *)
    echo "unknown mode $mode"
    exit 1
    ;;
esac

fail() { echo "FAIL: $*"; exit 1; }
usr=$root/usr
[ -x "$usr/bin/quorvel" ] || fail "no program in bin/"
file -b "$usr/bin/quorvel" | grep -q ELF || fail "bin/quorvel is not a program"

desktop=$usr/share/applications/$id.desktop
[ -f "$desktop" ] || fail "no desktop entry"
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
grep -qx "Exec=quorvel" "$desktop" || fail "the desktop entry does not start quorvel"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry names another icon"

svg=$usr/share/icons/hicolor/scalable/apps/$id.svg
png=$usr/share/icons/hicolor/256x256/apps/$id.png
[ -f "$svg" ] || fail "no scalable icon"
file -b "$svg" | grep -q "SVG" || fail "the scalable icon is not SVG"
file -b "$png" | grep -q "PNG image data, 256 x 256" || fail "the 256 px icon is not a 256 x 256 PNG"

metainfo=$usr/share/metainfo/$id.metainfo.xml
[ -f "$metainfo" ] || fail "no metainfo"
appstreamcli validate --no-net "$metainfo" || fail "metainfo does not validate"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo names another desktop entry"

echo "$mode: files installed"
(cd "$root" && find . -type f | sort)
