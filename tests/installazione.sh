#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks what a desktop needs,
# validates the menu entry and starts the installed program as the menu
# would: from the data folder, offscreen. installazione.sh BUILD_DIR
set -euo pipefail
build=$1
prefisso=$(mktemp -d)
trap 'rm -rf "$prefisso"' EXIT
# An install reads the build folder and writes only under the prefix (and
# CMake's own record of what it installed, install_manifest.txt).
segno=$(mktemp)
cmake --install "$build" --prefix "$prefisso" >/dev/null
cambiati=$(find "$build" -newer "$segno" -type f -not -path "*/Testing/*" -not -path "*/tests/esterno/*" \
           -not -name install_manifest.txt)
rm -f "$segno"
[[ -z "$cambiati" ]] || { echo "the install wrote into the build folder:" >&2; echo "$cambiati" >&2; exit 1; }

for f in bin/calcolo-fv bin/calcolo-fv-dati share/man/man1/calcolo-fv-dati.1.gz share/calcolo-fv/data.mdb share/applications/calcolo-fv.desktop \
         share/icons/hicolor/16x16/apps/calcolo-fv.png share/icons/hicolor/32x32/apps/calcolo-fv.png \
         share/icons/hicolor/48x48/apps/calcolo-fv.png share/icons/hicolor/scalable/apps/calcolo-fv.svg \
         share/man/man1/calcolo-fv.1.gz share/doc/calcolo-fv/SOURCES.md share/doc/calcolo-fv/copyright \
         share/metainfo/io.github.calcolo_fv.calcolo_fv.metainfo.xml; do
  [[ -s "$prefisso/$f" ]] || { echo "missing: $f" >&2; exit 1; }
done
for lato in 16 32 48; do
  file "$prefisso/share/icons/hicolor/${lato}x${lato}/apps/calcolo-fv.png" | grep -q "$lato x $lato" \
    || { echo "icon $lato is not $lato x $lato" >&2; exit 1; }
done

voce="$prefisso/share/applications/calcolo-fv.desktop"
desktop-file-validate "$voce"
appstreamcli validate --no-net "$prefisso/share/metainfo/io.github.calcolo_fv.calcolo_fv.metainfo.xml"
esegui=$(sed -n 's/^Exec=//p' "$voce")
cartella=$(sed -n 's/^Path=//p' "$voce")
[[ "$esegui" == "$prefisso/bin/calcolo-fv" ]] || { echo "Exec=$esegui" >&2; exit 1; }
[[ "$cartella" == "$prefisso/share/calcolo-fv" ]] || { echo "Path=$cartella" >&2; exit 1; }
grep -q '^Name=Calcolo energia fotovoltaico$' "$voce"
grep -q '^X-AppVersion=1.00$' "$voce"

# Started as the menu starts it (from the data folder), and from a shell in
# any other folder, the program must open the installed data read-only and
# still be running (waiting for the user) three seconds later.
altrove=$(mktemp -d)
for partenza in "$cartella" "$altrove"; do
  traccia=$(mktemp)
  set +e
  (cd "$partenza" && QT_QPA_PLATFORM=offscreen timeout 3 strace -f -qq -e trace=openat -o "$traccia" "$esegui")
  esito=$?
  set -e
  [[ $esito -eq 124 ]] || { echo "the installed program ended early (exit $esito) from $partenza" >&2; exit 1; }
  grep -E "openat\(.*\"$cartella/data.mdb\", O_RDONLY.*= [0-9]+$" "$traccia" >/dev/null \
    || { echo "started from $partenza, the program did not open its data read-only:" >&2; grep data.mdb "$traccia" >&2; exit 1; }
  if grep -E "data.mdb\", O_(WRONLY|RDWR)" "$traccia"; then echo "data.mdb opened for writing" >&2; exit 1; fi
  rm -f "$traccia"
done
# The installed data tool finds the installed dataset.
"$prefisso/bin/calcolo-fv-dati" crea "$altrove/creato.mdb"
[[ -s "$altrove/creato.mdb" ]] && rm "$altrove/creato.mdb"
rmdir "$altrove"
echo "installed, and started from $cartella and from another folder"
