#!/usr/bin/env bash
# Load on tolvex serve with wrk: POST /v1/pictures with logo and POST /v1/check, at 1, 8 and 64
# connections for 10 s each (requests/s, p50, p99, failures, the server's peak memory), beside
# tolvex batch on the same documents; then, with "--flat N", N picture requests and the server's
# resident memory before and after: scripts/bench-serve.sh [build directory] [--flat 200000].
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
flat=0
seconds=${SECONDS_EACH:-10}
[ "${2:-}" = --flat ] && flat=${3:-200000}
command -v wrk >/dev/null || { echo "bench-serve: wrk is missing (scripts/setup.sh installs it)"; exit 1; }
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
work=$(mktemp -d)
server=
trap '[ -z "$server" ] || kill "$server" 2>/dev/null; rm -rf "$work"' EXIT

"$build/tolvex" serve --listen=127.0.0.1:0 --quiet --logo-dir=logo 2>"$work/server.err" &
server=$!
for _ in $(seq 1 50); do grep -q listening "$work/server.err" && break; sleep 0.1; done
port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\)\/.*/\1/p' "$work/server.err")
base=http://127.0.0.1:$port

# One script a path: the same document each time, as batch draws the same nine examples.
document=examples/pay-single.xml
cat >"$work/post.lua" <<EOF
local f = io.open("$document", "rb")
wrk.method = "POST"
wrk.body = f:read("*a")
f:close()
wrk.headers["Content-Type"] = "application/xml"
done = function(summary, latency, requests)
  local failed = summary.errors.status + summary.errors.connect + summary.errors.read + summary.errors.write + summary.errors.timeout
  io.write(string.format("RESULT %.0f %.2f %.2f %d %d\n", summary.requests / (summary.duration / 1e6),
                         latency:percentile(50) / 1000, latency:percentile(99) / 1000, failed, summary.requests))
end
EOF

peak_kib() { awk '/VmHWM/ { print $2 }' "/proc/$server/status"; }
resident_kib() { awk '/VmRSS/ { print $2 }' "/proc/$server/status"; }

printf '%-24s %5s %10s %9s %9s %9s %12s\n' endpoint conns requests/s p50-ms p99-ms failures peak-RSS-MiB
for path in "/v1/pictures?format=png" "/v1/check"; do
  for connections in 1 8 64; do
    threads=$((connections < 2 ? 1 : 2))
    line=$(wrk -t"$threads" -c"$connections" -d${seconds}s -s "$work/post.lua" "$base$path" | grep '^RESULT')
    read -r _ rate p50 p99 failed _ <<<"$line"
    printf '%-24s %5d %10s %9s %9s %9s %12.1f\n' "$path" "$connections" "$rate" "$p50" "$p99" "$failed" \
      "$(awk -v k="$(peak_kib)" 'BEGIN { print k / 1024 }')"
  done
done

# tolvex batch on the same document, 500 copies, with logo: documents a second on every core.
mkdir "$work/in" "$work/out"
for i in $(seq 1 500); do cp "$document" "$work/in/d$i.xml"; done
start=$(date +%s%N)
"$build/tolvex" batch -q --logo-dir=logo -o "$work/out" "$work/in" >/dev/null 2>&1
awk -v ns=$(($(date +%s%N) - start)) 'BEGIN { printf "tolvex batch, 500 documents with logo: %.0f documents/s\n", 500 / (ns / 1e9) }'

if [ "$flat" -gt 0 ]; then
  # Memory across many requests: resident size after a warm-up, and after N more.
  wrk -t2 -c8 -d3s -s "$work/post.lua" "$base/v1/pictures?format=png" >/dev/null
  before=$(resident_kib)
  # wrk runs until the server has answered N more, counted from its metrics.
  answered() { curl -s "$base/metrics" | awk '/tolvex_requests_total\{endpoint="\/v1\/pictures",code="200"\}/ { print $2 }'; }
  start_count=$(answered)
  wrk -t2 -c8 -d3600s -s "$work/post.lua" "$base/v1/pictures?format=png" >/dev/null &
  load=$!
  while [ "$(answered)" -lt $((start_count + flat)) ]; do sleep 1; done
  kill -INT "$load"
  wait "$load" || true
  total=$(($(answered) - start_count))
  after=$(resident_kib)
  awk -v b="$before" -v a="$after" -v n="$total" 'BEGIN {
    printf "memory across %d picture requests: %.1f MiB before, %.1f MiB after (%+.1f%%)\n", n, b / 1024, a / 1024, (a - b) * 100 / b }'
fi
