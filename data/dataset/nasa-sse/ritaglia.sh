#!/usr/bin/env bash
# Remakes griglia_italia.txt, the part of NASA's SSE grid that covers Italy,
# from NASA's unmodified distribution file:
#   ritaglia.sh 22yr_swv_dwn.gz > griglia_italia.txt
# The file is checked against its known sha256 first. The crop keeps NASA's
# header and every cell whose south-west corner lies at 34..47 N, 5..19 E:
# the cell centres around every comune and every station, with a margin.
set -euo pipefail
sorgente=${1:?"usage: ritaglia.sh 22yr_swv_dwn.gz > griglia_italia.txt"}
atteso=538b945df9a073c82a187c724dafd56f1d0112df7dd03b076fe044aada6c497c
if ! echo "$atteso  $sorgente" | sha256sum --check --status -; then
  echo "ritaglia.sh: $sorgente is not NASA's 22yr_swv_dwn.gz (sha256 differs)" >&2
  exit 1
fi
gzip -dc "$sorgente" | awk 'NR <= 14 { print; next }
  $1 >= 34 && $1 <= 47 && $2 >= 5 && $2 <= 19 { print }'
