#!/usr/bin/env bash
# A CUPS daemon of the tests' own: its configuration, spool and logs in DIR,
# listening on 127.0.0.1:PORT only, with one queue "QBTEST" whose backend
# keeps each job it is given in DIR/out: the document as JOB.pdf and the
# copies and options the job reached the printer with as JOB.options.
#   cups_server.sh start DIR PORT     starts it (fails loudly when it cannot)
#   cups_server.sh stop DIR           stops it and removes DIR
set -euo pipefail
command=$1
dir=$2
case $command in
start)
  port=$3
  command -v cupsd >/dev/null || { echo "cupsd is missing: install the test packages (scripts/test-deps.sh)" >&2; exit 1; }
  # A daemon an interrupted run left behind would still hold the port.
  bash "$0" stop "$dir"
  mkdir -p "$dir"/{conf/ppd,spool/tmp,cache,state,log,out,bin/backend}
  chmod 0755 "$dir" "$dir"/bin "$dir"/bin/backend
  chmod 0777 "$dir"/out
  # CUPS's own filters and helpers, and our backend beside its.
  for d in filter daemon notifier cgi-bin monitor driver; do
    [ -e /usr/lib/cups/$d ] && ln -s /usr/lib/cups/$d "$dir/bin/$d"
  done
  cat >"$dir/bin/backend/qbcapture" <<'BACKEND'
#!/bin/sh
# qbcapture:/FOLDER -- keeps the document and the job's options in FOLDER.
if [ $# -eq 0 ]; then
  echo 'direct qbcapture "Unknown" "Quillbase test capture"'
  exit 0
fi
out=${DEVICE_URI#qbcapture:}
tmp="$out/.job$1"
umask 022
if [ -n "$6" ]; then cat "$6" >"$tmp.pdf"; else cat >"$tmp.pdf"; fi
printf 'copies=%s %s\n' "$4" "$5" >"$out/$1.options"
mv "$tmp.pdf" "$out/$1.pdf"
exit 0
BACKEND
  chmod 0700 "$dir/bin/backend/qbcapture"
  cat >"$dir/conf/cups-files.conf" <<CONF
ServerRoot $dir/conf
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ServerBin $dir/bin
DataDir /usr/share/cups
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
FileDevice Yes
Sandboxing Relaxed
CONF
  cat >"$dir/conf/cupsd.conf" <<CONF
LogLevel info
Listen 127.0.0.1:$port
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  # In the background, its output away from the test runner's pipes.
  cupsd -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" -f </dev/null >"$dir/log/cupsd.out" 2>&1 &
  echo $! >"$dir/cupsd.pid"
  for _ in $(seq 100); do
    lpstat -h "127.0.0.1:$port" -r >/dev/null 2>&1 && break
    sleep 0.1
  done
  lpstat -h "127.0.0.1:$port" -r >/dev/null || { cat "$dir/log/error_log" >&2 || true; echo "cupsd did not start" >&2; exit 1; }
  lpadmin -h "127.0.0.1:$port" -p QBTEST -E -v "qbcapture:$dir/out" -P "$(dirname "$0")/qbtest.ppd" 2>/dev/null
  lpadmin -h "127.0.0.1:$port" -d QBTEST
  echo "CUPS test server on 127.0.0.1:$port, pid $(cat "$dir/cupsd.pid")"
  ;;
stop)
  if [ -f "$dir/cupsd.pid" ]; then
    pid=$(cat "$dir/cupsd.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
  fi
  rm -rf "$dir"
  ;;
esac
