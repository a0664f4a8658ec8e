#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks it with dpkg-deb
# and lintian (an error-level tag fails). pacchetto.sh BUILD_DIR
set -euo pipefail
build=$1
uscita=$(mktemp -d)
trap 'rm -rf "$uscita"' EXIT
(cd "$build" && cpack -G DEB -B "$uscita" >/dev/null)
deb=$(ls "$uscita"/calcolo-fv_1.0.0.0_*.deb)
dpkg-deb --info "$deb" >/dev/null
dipendenze=$(dpkg-deb --field "$deb" Depends)
for d in libqt6sql6-sqlite libqt6printsupport6 libmdb3 fonts-liberation2 qt6-translations-l10n libqt6widgets6 libqt6charts6; do
  [[ "$dipendenze" == *"$d"* ]] || { echo "missing dependency $d: $dipendenze" >&2; exit 1; }
done
contenuto=$(dpkg-deb --contents "$deb")
for f in ./usr/bin/calcolo-fv ./usr/share/calcolo-fv/data.mdb ./usr/share/applications/calcolo-fv.desktop \
         ./usr/share/icons/hicolor/scalable/apps/calcolo-fv.svg ./usr/share/doc/calcolo-fv/copyright; do
  grep -q " $f\$" <<<"$contenuto" || { echo "missing in package: $f" >&2; exit 1; }
done
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/calcolo-fv.desktop | grep -q '^Path=/usr/share/calcolo-fv$'
lintian --fail-on error "$deb" 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1
echo "package $(basename "$deb") checked"
