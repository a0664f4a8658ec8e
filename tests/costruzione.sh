#!/usr/bin/env bash
# The dataset builder refuses a comune outside NASA's grid, naming it, and
# leaves the data.mdb already there untouched, with no temporary file beside
# it. costruzione.sh COSTRUISCI_DATI DATASET_DIR
set -euo pipefail
costruisci=$1
dataset=$2
lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT
cp -r "$dataset" "$lavoro/dataset"
"$costruisci" "$lavoro/data.mdb" "$lavoro/dataset"
prima=$(sha256sum "$lavoro/data.mdb")

# Torino moved to 50 N, north of the crop.
sed -i 's/^\(001272,TO,Torino,Torino,\)[0-9.]*,/\150.0,/' "$lavoro/dataset/latitudini_dettaglio.csv"
grep -q '^001272,TO,Torino,Torino,50.0,' "$lavoro/dataset/latitudini_dettaglio.csv"
if "$costruisci" "$lavoro/data.mdb" "$lavoro/dataset" 2>"$lavoro/errore"; then
  echo "a comune outside the grid was accepted" >&2; exit 1
fi
grep -q "comune Torino (TO): point 50 N" "$lavoro/errore" || { cat "$lavoro/errore" >&2; exit 1; }
[[ "$(sha256sum "$lavoro/data.mdb")" == "$prima" ]] || { echo "data.mdb changed" >&2; exit 1; }
[[ $(ls "$lavoro") == $'data.mdb\ndataset\nerrore' ]] || { ls "$lavoro" >&2; exit 1; }
echo "refused: $(cat "$lavoro/errore")"
