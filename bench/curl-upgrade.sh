#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The same exchanges as an upgrade run, scripted with the curl command as an
# administrator would: two logins, the status page, download mode, the
# staging copy, the profile backup and the firmware upload (active FTP).
# Usage: curl-upgrade.sh HOST HTTP_PORT FTP_PORT PACKAGE_DIR STAGING_DIR  (password in NDXU_PASSWORD)
set -euo pipefail
host=$1 http_port=$2 ftp_port=$3 package=$4 staging=$5
web="http://$host:$http_port"
ftp="ftp://$host:$ftp_port"
form=(-s -0 -H "Content-Type: application/x-www-form-urlencoded")

for _ in 1 2; do
  reply=$(curl "${form[@]}" -e "$web/enter.htm" --data-binary "Password=${NDXU_PASSWORD:-}&Enter=Submit" "$web/enter.htm")
done
case $reply in *"wrong password"*|*"Kennwort ist falsch"*|*"Operation failed"*) echo "login refused" >&2; exit 4 ;; esac
case $(curl -s -0 "$web/stat1.htm") in *5.*) ;; *) echo "not a 5.x device" >&2; exit 4 ;; esac
curl "${form[@]}" -e "$web/maintena.htm" --data-binary "B3=Enter+Firmware+Download+Mode" "$web/maintena.htm" >/dev/null

mkdir -p "$staging"
cp "$package/ndxuback.txt" "$staging/readme.txt"
curl -s --ftp-port - --disable-eprt "$ftp/prof.bin" -o "$staging/profback.bin" || echo "profile not saved" >&2
curl -s --ftp-port - --disable-eprt -T "$package/fw512000.bin" "$ftp/fw512000.bin"
