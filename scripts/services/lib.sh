# shellcheck shell=bash disable=SC2034
# Shared by scripts/services/start and stop: where a sandbox keeps its state
# and how its processes are recognised. Sourced, not run.
#
# A sandbox is one folder (by default build/services) holding:
#   mariadb/data        the private data directory
#   mariadb/root.cnf    the administrator's client settings (mode 600)
#   mariadb/*.pid, *.log, port, socket
#   php/*.pid, *.log, port, settings
#   php/www             the web server's folder: a copy of server/ws.php and
#                       the ws-config.php that allows this MariaDB's port
#   php/tmp             the web server's temporary folder (ws.php counts
#                       failed logins there), emptied at each start
#   env                 what clients read: the web server's URL and the
#                       MySQL server's "host:port"; present while both run

services_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

services_die() {
  echo "services: $*" >&2
  exit 1
}

services_set_dir() {
  mkdir -p "$1"
  services_dir=$(cd "$1" && pwd)
  mdb_dir=$services_dir/mariadb
  mdb_data=$mdb_dir/data
  mdb_pidfile=$mdb_dir/mariadbd.pid
  mdb_log=$mdb_dir/error.log
  mdb_cnf=$mdb_dir/root.cnf
  php_dir=$services_dir/php
  php_pidfile=$php_dir/php.pid
  php_log=$php_dir/server.log
  php_www=$php_dir/www
  php_tmp=$php_dir/tmp
  env_file=$services_dir/env
  # A Unix socket path is limited to about 107 bytes.
  mdb_socket=$mdb_dir/mariadbd.sock
  if [ ${#mdb_socket} -gt 100 ]; then
    mdb_socket=/tmp/vantrel-mariadb-$(printf '%s' "$services_dir" | md5sum | cut -c1-16).sock
  fi
}

# Runs the rest of the calling script under the sandbox's lock, so that two
# starts or a start and a stop never interleave.
services_lock() {
  exec 9>"$services_dir/lock"
  flock -w 120 9 || services_die "another start or stop holds $services_dir/lock"
}

# The pid in the file when that process is alive and its command line holds
# the marker (a pid file can outlive its process, and the pid be reused).
services_live_pid() {
  local pidfile=$1 marker=$2 pid
  [ -s "$pidfile" ] || return 1
  pid=$(tr -dc 0-9 <"$pidfile")
  [ -n "$pid" ] && [ -r "/proc/$pid/cmdline" ] || return 1
  tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF -- "$marker" || return 1
  echo "$pid"
}

services_mdb_pid() { services_live_pid "$mdb_pidfile" "--datadir=$mdb_data"; }
# A web server started before the sandbox had a folder of its own served
# server/ itself; it is still recognised, so that it gets stopped.
services_php_pid() {
  services_live_pid "$php_pidfile" "-t $php_www" || services_live_pid "$php_pidfile" "-t $services_top/server"
}

# A loopback port that is free now (the caller retries should it be taken
# before the server binds it).
services_free_port() {
  # shellcheck disable=SC2016
  php -n -r '$s = stream_socket_server("tcp://127.0.0.1:0", $no, $text);
             if (!$s) exit(1);
             $name = stream_socket_get_name($s, false);
             echo substr($name, strrpos($name, ":") + 1);'
}

# A copy of ws.php as it is now in server/, with settings beside it that
# allow the sandbox MariaDB's port; both replaced whole, since a web server
# may be answering meanwhile.
services_install_ws() {
  local www=$1 port=$2
  mkdir -p "$www"
  cp "$services_top/server/ws.php" "$www/ws.php.new"
  chmod 644 "$www/ws.php.new"
  mv "$www/ws.php.new" "$www/ws.php"
  cat >"$www/ws-config.php.new" <<EOF
<?php
// Written by scripts/services: ws.php allows the usual MySQL port only,
// and this sandbox's MariaDB listens on a free one.
return array(
    'allowed_servers' => array('127.0.0.1:$port', 'localhost:$port'),
);
EOF
  chmod 644 "$www/ws-config.php.new"
  mv "$www/ws-config.php.new" "$www/ws-config.php"
}

# Waits until the process is gone, up to the given number of seconds.
services_wait_gone() {
  local pid=$1 seconds=$2 i
  for ((i = 0; i < seconds * 10; i++)); do
    [ -e "/proc/$pid" ] || return 0
    # A child that has exited but was not reaped is gone too.
    grep -q '^State:.*Z' "/proc/$pid/status" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# Ends one process of ours: politely, then for sure.
services_end() {
  local pid=$1 name=$2
  kill -TERM "$pid" 2>/dev/null || return 0
  services_wait_gone "$pid" 60 && return 0
  echo "services: $name ($pid) did not stop; killing it" >&2
  kill -KILL "$pid" 2>/dev/null || true
  services_wait_gone "$pid" 10 || true
}
