#!/usr/bin/env bash
# The state-file dump tool: a good file as JSON, a damaged one as a one-line reason and status 1.
set -u
dump=$1
data=$(dirname "$0")/../data
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$("$dump" "$data/worked_example.state") || fail "good file: status $?"
[[ "$out" == "$(cat "$data/worked_example.json")" ]] || fail "good file printed: $out"

out=$("$dump" "$data/empty.state") || fail "empty state: status $?"
[[ "$out" == *'"nextObjectId": 1'* ]] || fail "empty state printed: $out"

tmp=$(mktemp) && trap 'rm -f "$tmp"' EXIT
{ cat "$data/worked_example.state"; printf extra; } > "$tmp"
out=$("$dump" "$tmp" 2>/dev/null) || fail "appended file: status $?"
[[ "$out" == "$(cat "$data/worked_example.json")" ]] || fail "appended file printed: $out"

# Not files to read: a folder, and 8 TiB (sparse) that no memory holds; neither dumps core.
for path in "$data" "$tmp"; do
  [[ $path == "$tmp" ]] && truncate -s 8T "$tmp"
  err=$("$dump" "$path" 2>&1 >/dev/null); status=$?
  [[ $status -eq 1 && $(wc -l <<<"$err") -eq 1 ]] || fail "$path: status $status, said: $err"
done

head -c 70 "$data/worked_example.state" > "$tmp"
err=$("$dump" "$tmp" 2>&1 >/dev/null); status=$?
[[ $status -eq 1 ]] || fail "truncated file: status $status"
[[ "$err" == *"truncated in object 1's key block"* && $(wc -l <<<"$err") -eq 1 ]] ||
  fail "truncated file said: $err"

"$dump" /nonexistent/file 2>/dev/null; [[ $? -eq 1 ]] || fail "missing file"
echo "state_dump: ok"
