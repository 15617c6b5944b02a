#!/usr/bin/env bash
# A throwaway local PostgreSQL for the tests. Source it: `pg_cluster_start` exports
# CALVANE_TEST_PG (a URL to the maintenance database); `pg_cluster_stop` removes it all.
# Does nothing (and exports nothing) when the server binaries are missing.

pg_cluster_start() {
  local bindir
  bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
    echo "pg-cluster: no PostgreSQL server here; the tests run on SQLite only" >&2
    return 0
  fi
  PG_CLUSTER_DIR=$(mktemp -d /tmp/calvane-pg.XXXXXX)
  local run=()
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres:postgres "$PG_CLUSTER_DIR"
    run=(runuser -u postgres --)
  fi
  PG_CLUSTER_BIN=$bindir
  "${run[@]}" "$bindir/initdb" -D "$PG_CLUSTER_DIR/data" -U postgres -E UTF8 --locale=C.UTF-8 --auth=trust >"$PG_CLUSTER_DIR/initdb.log" 2>&1 || {
    cat "$PG_CLUSTER_DIR/initdb.log" >&2; pg_cluster_stop; return 1; }
  # Another run on this machine may take a free port between looking and starting: try the
  # next one when the start fails.
  local port started=
  for port in $(seq 55432 55532); do
    (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null && continue
    if "${run[@]}" "$bindir/pg_ctl" -D "$PG_CLUSTER_DIR/data" -l "$PG_CLUSTER_DIR/server.log" -w \
      -o "-c listen_addresses=127.0.0.1 -p $port -k $PG_CLUSTER_DIR -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" start >/dev/null 2>&1; then
      started=1
      break
    fi
  done
  if [ -z "$started" ]; then
    cat "$PG_CLUSTER_DIR/server.log" >&2
    pg_cluster_stop
    return 1
  fi
  export CALVANE_TEST_PG="postgresql://postgres@127.0.0.1:$port/postgres"
  echo "pg-cluster: PostgreSQL on 127.0.0.1:$port" >&2
}

pg_cluster_stop() {
  [ -n "${PG_CLUSTER_DIR:-}" ] || return 0
  local run=()
  [ "$(id -u)" -eq 0 ] && run=(runuser -u postgres --)
  if [ -f "$PG_CLUSTER_DIR/data/postmaster.pid" ]; then
    "${run[@]}" "$PG_CLUSTER_BIN/pg_ctl" -D "$PG_CLUSTER_DIR/data" -m immediate stop >/dev/null 2>&1 || true
  fi
  rm -rf "$PG_CLUSTER_DIR"
  unset CALVANE_TEST_PG PG_CLUSTER_DIR
}
