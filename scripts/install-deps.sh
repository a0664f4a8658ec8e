#!/usr/bin/env bash
# Brings every Debian package that building, running, testing and benchmarking
# calcolo-fv needs. Does nothing when all are present; runs `apt-get update`
# once, and only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite
  qt6-translations-l10n
  libgl-dev libxkbcommon-dev libvulkan-dev
  libsqlite3-dev sqlite3
  libbenchmark-dev
  fonts-liberation2
  xvfb xauth imagemagick
  clang libclang-rt-14-dev llvm
  desktop-file-utils dpkg-dev lintian strace file
  poppler-utils appstream
  mdbtools-dev libmdb3
  locales
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi

if ((${#missing[@]} > 0)); then
  echo "install-deps: installing ${missing[*]}" >&2
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The tests read and write numbers under an Italian locale (decimal comma) as
# well as the C locale: the C library needs it_IT.UTF-8 generated.
if ! locale -a 2>/dev/null | grep -qi '^it_IT\.utf-\?8$'; then
  echo "install-deps: generating the it_IT.UTF-8 locale" >&2
  "${sudo_cmd[@]}" sed -i 's/^# *\(it_IT.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^it_IT.UTF-8 UTF-8' /etc/locale.gen || echo 'it_IT.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi

