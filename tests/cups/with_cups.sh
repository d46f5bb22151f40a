#!/usr/bin/env bash
# Runs a command against a CUPS of its own: cupsd with its configuration,
# spool, logs and socket in a temporary folder (as root or as the user,
# whoever runs this), with two queues on the test backend, both writing
# each job as a PDF into $VELMORA_PRINT_OUT:
#   velmora-a4      paper A4 by default; the default destination
#   velmora-letter  paper Letter by default
# The command sees CUPS_SERVER (the socket), VELMORA_PRINT_OUT and
# VELMORA_CUPSD_PID (for a test of a print system that goes away); cupsd is
# stopped when it ends and its exit code is the script's. Nothing of the
# machine's own CUPS or printers is used. cupsaccept, cupsreject,
# cupsenable and cupsdisable are on the PATH.
#   tests/cups/with_cups.sh COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for tool in cupsd lpadmin lpstat; do
  command -v "$tool" >/dev/null || [[ -x /usr/sbin/$tool ]] ||
    { echo "with_cups: $tool is not installed" >&2; exit 1; }
done
export PATH="$PATH:/usr/sbin"

dir=$(mktemp -d)
cupsd_pid=""
cleanup() {
  [[ -n $cupsd_pid ]] && kill "$cupsd_pid" 2>/dev/null && wait "$cupsd_pid" 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT

# Run as root, cupsd runs filters as user lp and refuses backends in folders
# that others can write to; the folders are open for reading, and the output
# folder for writing, so that either works.
chmod 0755 "$dir"
mkdir -p "$dir"/{etc/ppd,spool/tmp,cache,state,log,bin/backend,out}
chmod 0777 "$dir/out"
chmod 1777 "$dir/spool/tmp"
for sub in filter daemon cgi-bin notifier monitor driver; do
  [[ -e /usr/lib/cups/$sub ]] && ln -s "/usr/lib/cups/$sub" "$dir/bin/$sub"
done
# A backend only root can run is run as root, as Debian installs cups-pdf.
install -m 0700 "$here/velmora-pdf-backend" "$dir/bin/backend/velmora-pdf"

cat >"$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ServerBin $dir/bin
DataDir /usr/share/cups
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
FileDevice No
CONF
cat >"$dir/etc/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel debug
Browsing No
Printcap /dev/null
WebInterface No
DefaultShared No
JobRetryInterval 1
MaxJobTime 60
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

export CUPS_SERVER="$dir/cups.sock"
export VELMORA_PRINT_OUT="$dir/out"
cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
cupsd_pid=$!
export VELMORA_CUPSD_PID=$cupsd_pid
for _ in $(seq 100); do
  [[ -S $CUPS_SERVER ]] && lpstat -r 2>/dev/null | grep -q "is running" && break
  sleep 0.1
done
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  echo "with_cups: cupsd did not start" >&2
  cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true
  exit 1
fi
for paper in A4 Letter; do
  queue="velmora-${paper,,}"
  # (lpadmin warns that PPD drivers are deprecated; the log keeps it.)
  lpadmin -p "$queue" -E -v "velmora-pdf:$VELMORA_PRINT_OUT" -P "$here/velmora-pdf.ppd" -o "PageSize=$paper" \
    2>>"$dir/log/lpadmin.log"
done
lpadmin -d velmora-a4

set +e
"$@"
status=$?
set -e
if ((status != 0)) && [[ -n ${VELMORA_CUPS_LOG:-} ]]; then cat "$dir/log/error_log" >&2; fi
exit $status
